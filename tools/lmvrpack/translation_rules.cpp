#include "tools/lmvrpack/translation_rules.h"

#include <algorithm>

#include "tools/lmvrpack/code_page_1252.h"
#include "tools/lmvrpack/dialog_font.h"

namespace lmvrpack {

namespace {

// Room a push button's edge and focus rectangle take on either side of its text
// (SM_CXEDGE + 1).
constexpr int kButtonMargin = 3;

}  // namespace

const char* const kLicenceKeys[3] = {"license", "license2", "license3"};

std::vector<std::string> Placeholders(const std::string& text) {
  std::vector<std::string> kinds;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '%') continue;
    size_t at = i + 1;
    bool isLong = at < text.size() && text[at] == 'l';
    if (isLong) ++at;
    if (at >= text.size()) break;
    char c = text[at];
    if (c == '%') {
      i = at;
    } else if (c == 'd' || c == 'i' || c == 'u' || c == 's' || c == 'c') {
      kinds.push_back(std::string(isLong && c != 's' && c != 'c' ? "%l" : "%") + (c == 'i' ? 'd' : c));
      i = at;
    }
  }
  return kinds;
}

std::string Listed(const std::vector<std::string>& items, const char* none) {
  if (items.empty()) return none;
  std::string s;
  for (const std::string& item : items) s += (s.empty() ? "" : " ") + item;
  return s;
}

bool IsTextStatic(const DialogControl& c) {
  uint32_t type = c.style & 0x1F;  // SS_TYPEMASK
  return c.controlClass.isOrdinal && c.controlClass.ordinal == kStaticClass &&
         (type == 0 || type == 1 || type == 2 || type == 0xB || type == 0xC);  // left, centre, right, simple, no wrap
}
bool IsPushButton(const DialogControl& c) {
  uint32_t type = c.style & 0xF;  // BS_TYPEMASK
  return c.controlClass.isOrdinal && c.controlClass.ordinal == kButtonClass && (type == 0 || type == 1);
}
bool HasText(const DialogControl& c) { return !c.text.isOrdinal && !c.text.name.empty(); }

int VisiblePixels(const DialogTemplate& d, const DialogControl& c) {
  int left = HorizontalPixels(c.frame.x);
  int right = std::min(left + HorizontalPixels(c.frame.cx), HorizontalPixels(d.frame.cx));
  return right - left - (IsPushButton(c) ? 2 * kButtonMargin : 0);
}

std::string TextOf(const std::u16string& utf16) {
  std::string s;
  return Utf16ToCp1252(utf16, &s) ? s : std::string("?");
}

}  // namespace lmvrpack
