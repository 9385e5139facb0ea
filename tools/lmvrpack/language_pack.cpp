#include "tools/lmvrpack/language_pack.h"

#include <algorithm>
#include <cstdlib>
#include <set>
#include <sstream>

#include "text/message_catalogue.h"
#include "tools/lmvrpack/code_page_1252.h"
#include "tools/lmvrpack/dialog_font.h"
#include "tools/lmvrpack/translation_rules.h"

namespace lmvrpack {

namespace {

constexpr uint32_t kUsEnglish = 0x0409;
// The licence box is an edit control, which takes at most this many characters
// unless told otherwise.
constexpr size_t kLicenceMaxLength = 32767;
// The size line's number for the largest product (nine digits of kilobytes).
const char kLargestSize[] = "999999999";
// The oldest Windows the installer runs on may have a screen of this size.
constexpr int kScreenWidth = 640, kScreenHeight = 480;
// The size of the icon a SS_ICON static takes.
constexpr int kIconPixels = 32;

// The size line as the installer shows it for the largest product: numbers in the
// place of the numeric conversions, "%%" as "%".
std::string LargestSizeLine(const std::string& format) {
  std::string out;
  for (size_t i = 0; i < format.size(); ++i) {
    size_t at = i + 1 + (i + 1 < format.size() && format[i + 1] == 'l');
    char c = format[i] == '%' && at < format.size() ? format[at] : 0;
    if (c == 'd' || c == 'i' || c == 'u') {
      out += kLargestSize;
      i = at;
    } else if (c == '%' && at == i + 1) {
      out += '%';
      i = at;
    } else {
      out += format[i];
    }
  }
  return out;
}

bool IsIcon(const DialogControl& c) {
  return c.controlClass.isOrdinal && c.controlClass.ordinal == kStaticClass && (c.style & 0x1F) == 3;
}

std::string Shown(const std::string& cp1252) { return "\"" + Cp1252ToUtf8(cp1252) + "\""; }

// A dialog as a file makes it: the variant, and the line each change came from
// (0: not changed by the file) for the refusals.
struct Variant {
  int base = 0;
  DialogTemplate dialog;
  bool changed = false;
  int frameLine = 0;
  std::vector<int> textLines, frameLines;
};

void CheckVariant(const std::string& path, const Variant& v, const std::string& sizeLine, int sizeLineLine,
                  std::vector<FileProblem>* refusals) {
  const DialogTemplate& d = v.dialog;
  const std::string where = "template " + std::to_string(v.base);
  auto refuse = [&](int line, const std::string& what) { refusals->push_back({path, line, what}); };
  int clientWidth = HorizontalPixels(d.frame.cx), clientHeight = VerticalPixels(d.frame.cy);
  if (d.frame.cx <= 0 || d.frame.cy <= 0 || clientWidth > kScreenWidth || clientHeight > kScreenHeight) {
    refuse(v.frameLine, "the frame " + FrameText(d.frame) + " of " + where + " is " + std::to_string(clientWidth) +
                            " x " + std::to_string(clientHeight) + " pixels: it must fit a " +
                            std::to_string(kScreenWidth) + " x " + std::to_string(kScreenHeight) + " screen");
    return;
  }
  for (size_t k = 0; k < d.controls.size(); ++k) {
    const DialogControl& c = d.controls[k];
    const std::string control = "control " + std::to_string(v.base) + "." + std::to_string(k + 1);
    int left = HorizontalPixels(c.frame.x), top = VerticalPixels(c.frame.y);
    int width = IsIcon(c) ? kIconPixels : HorizontalPixels(c.frame.cx);
    int height = IsIcon(c) ? kIconPixels : VerticalPixels(c.frame.cy);
    // Left-aligned labels are wider than their dialog on purpose: the dialog clips
    // them, so only their start must lie inside.
    bool clipped = IsTextStatic(c) && (c.style & 0x1F) == 0;
    int right = clipped ? left + 1 : left + width;
    int frameLine = v.frameLines[k] != 0 ? v.frameLines[k] : v.frameLine;
    if (c.frame.x < 0 || c.frame.y < 0 || c.frame.cx <= 0 || c.frame.cy <= 0 || right > clientWidth ||
        top + height > clientHeight) {
      refuse(frameLine, control + " (" + FrameText(c.frame) + ") lies outside its dialog (" + FrameText(d.frame) + ")");
      continue;
    }
    bool isSizeLine = v.base == kSizeLineTemplate && c.id == kSizeLineId;
    if (!(IsTextStatic(c) || IsPushButton(c)) || !HasText(c)) continue;
    std::string text = isSizeLine ? sizeLine : TextOf(c.text.name);
    int textLine = isSizeLine ? sizeLineLine : v.textLines[k];
    int seen = VisiblePixels(d, c);
    int needed = TextWidth(text);
    if (needed > seen) {
      refuse(textLine != 0 ? textLine : frameLine,
             Shown(text) + " is " + std::to_string(needed) + " pixels wide in " + kDialogFontFace + " " +
                 std::to_string(kDialogFontPoints) + " pt; " + control + (IsPushButton(c) ? ", a button," : "") +
                 " shows " + std::to_string(seen) + (isSizeLine ? " (the size line, at " + std::string(kLargestSize) + " K)" : ""));
    }
  }
}

std::vector<uint8_t> TableBytes(char letter, ChoiceRule rule, uint16_t value,
                                const std::vector<std::pair<std::string, std::string>>& entries) {
  std::vector<uint8_t> bytes = {(uint8_t)rule, 0, (uint8_t)(value & 0xFF), (uint8_t)(value >> 8)};
  for (const auto& [key, text] : entries) {
    bytes.push_back((uint8_t)letter);
    bytes.insert(bytes.end(), key.begin(), key.end());
    bytes.push_back(0);
    bytes.insert(bytes.end(), text.begin(), text.end());
    bytes.push_back(0);
  }
  bytes.push_back(0);
  return bytes;
}

pe::Resource MakeResource(uint32_t type, uint32_t id, std::vector<uint8_t> data) {
  pe::Resource r;
  r.type = type;
  r.id = id;
  r.language = kUsEnglish;
  r.data = std::move(data);
  return r;
}

const Licence* LicenceFor(const std::vector<Licence>& licences, char letter) {
  for (const Licence& l : licences) {
    if (l.letter == letter) return &l;
  }
  return nullptr;
}

void CheckLicenceLength(const std::string& path, int line, size_t length, std::vector<FileProblem>* refusals) {
  if (length > kLicenceMaxLength) {
    refusals->push_back({path, line, "the licence has " + std::to_string(length) + " characters; the licence box takes at most " +
                                          std::to_string(kLicenceMaxLength)});
  }
}

// One language file: its table and its variants, or its refusals.
void PackFile(const LanguageFile& file, const Licence* licence, const std::map<int, DialogTemplate>& bases,
              LanguagePack* pack) {
  const auto english = EnglishMessages();
  auto refuse = [&](int line, const std::string& what) { pack->refusals.push_back({file.path, line, what}); };
  auto note = [&](int line, const std::string& what) { pack->notes.push_back({file.path, line, what}); };
  auto stale = [&](const Translation& t) {
    note(t.line, "the English text of \"" + t.key + "\" has changed since this translation (its msgid differs)");
  };
  std::map<std::string, const Translation*> messages;
  std::map<int, Variant> variants;
  for (const auto& [id, dialog] : bases) {
    Variant& v = variants[id];
    v.base = id;
    v.dialog = dialog;
    v.textLines.assign(dialog.controls.size(), 0);
    v.frameLines.assign(dialog.controls.size(), 0);
  }
  std::vector<std::string> leftOut;
  std::set<std::string> given;
  for (const Translation& t : file.translations) {
    bool used = !t.text.empty() && !t.fuzzy;
    std::string englishText;
    bool known = false;
    for (const auto& [key, text] : english) {
      if (key == t.key) known = true, englishText = text;
    }
    if (known) {
      given.insert(t.key);
      if (t.english != englishText) stale(t);
      std::vector<std::string> want = Placeholders(englishText), got = Placeholders(t.text);
      if (used && !want.empty() && got != want) {
        refuse(t.textLine, "the placeholders of \"" + t.key + "\" are " + Listed(got, "none") +
                               "; the English text has " + Listed(want, "none") + ", in this order");
      }
      if (used) messages[t.key] = &t;
    } else {
      // "210.caption", "200.2", "240.frame", "240.19.frame".
      char* end = nullptr;
      long base = std::strtol(t.key.c_str(), &end, 10);
      std::string rest = *end == '.' ? std::string(end + 1) : std::string();
      auto found = variants.find((int)base);
      bool isFrame = rest == "frame" || (rest.size() > 6 && rest.compare(rest.size() - 6, 6, ".frame") == 0);
      long index = rest == "caption" || rest == "frame" ? 0 : std::strtol(rest.c_str(), &end, 10);
      bool indexOk = index == 0 || (*end == '\0' || std::string(end) == ".frame");
      Variant* v = found != variants.end() && !rest.empty() && indexOk ? &found->second : nullptr;
      DialogControl* c = v != nullptr && index >= 1 && (size_t)index <= v->dialog.controls.size()
                             ? &v->dialog.controls[index - 1] : nullptr;
      bool valid = rest == "caption" ? v != nullptr && !v->dialog.caption.empty()
                   : rest == "frame" ? v != nullptr
                                     : c != nullptr && (isFrame || HasText(*c));
      if (!valid) {
        refuse(t.line, "\"" + t.key + "\" is no key of the English table, nor a caption, control text or frame of "
                       "the templates 200, 210, 220, 230 and 240");
        continue;
      }
      given.insert(t.key);
      if (!used) continue;
      if (isFrame) {
        Frame frame, original = c != nullptr ? c->frame : v->dialog.frame;
        Frame stated;
        if (!ParseFrame(t.text, &frame)) {
          refuse(t.textLine, "the frame \"" + Cp1252ToUtf8(t.text) + "\" is not \"x, y, cx, cy\"");
          continue;
        }
        if (!ParseFrame(t.english, &stated) || FrameText(stated) != FrameText(original)) {
          note(t.line, "msgid \"" + Cp1252ToUtf8(t.english) + "\" is not the English frame " + FrameText(original));
        }
        (c != nullptr ? c->frame : v->dialog.frame) = frame;
        (c != nullptr ? v->frameLines[index - 1] : v->frameLine) = t.textLine;
      } else {
        std::u16string& field = c != nullptr ? c->text.name : v->dialog.caption;
        if (t.english != TextOf(field)) stale(t);
        field = Cp1252ToUtf16(t.text);
        if (c != nullptr) v->textLines[index - 1] = t.textLine;
      }
      v->changed = true;
    }
    if (!used) leftOut.push_back(t.key);
  }
  for (const auto& [key, text] : english) {
    if (!given.count(key)) leftOut.push_back(key);
  }
  for (const auto& [id, v] : variants) {
    if (!v.dialog.caption.empty() && !given.count(std::to_string(id) + ".caption")) leftOut.push_back(std::to_string(id) + ".caption");
    for (size_t k = 0; k < v.dialog.controls.size(); ++k) {
      std::string key = std::to_string(id) + "." + std::to_string(k + 1);
      if (HasText(v.dialog.controls[k]) && !given.count(key)) leftOut.push_back(key);
    }
  }
  if (!leftOut.empty()) note(0, "not translated, the installer shows English for: " + Listed(leftOut, ""));

  std::vector<std::pair<std::string, std::string>> entries;
  size_t licenceLength = 0;
  int licenceLine = 0;
  for (const auto& [key, text] : english) {
    int block = -1;
    for (int b = 0; b < 3; ++b) {
      if (key == kLicenceKeys[b]) block = b;
    }
    auto m = messages.find(key);
    std::string translated = m != messages.end() ? m->second->text : std::string();
    if (block >= 0 && licence != nullptr) translated = licence->blocks[block];
    if (block >= 0) {
      licenceLength += translated.empty() ? text.size() : translated.size();
      if (m != messages.end() && licenceLine == 0) licenceLine = m->second->textLine;
    }
    // A vendor's licence may leave a block empty: it is written empty all the same,
    // or the installer would show the English block in its place.
    if (!translated.empty() || (block >= 0 && licence != nullptr)) entries.push_back({key, translated});
  }
  if (licence != nullptr) CheckLicenceLength(licence->path, 0, licenceLength, &pack->refusals);
  else CheckLicenceLength(file.path, licenceLine, licenceLength, &pack->refusals);
  pack->resources.push_back(MakeResource(kMessageTableType, kMessageTableBase + file.languageIndex,
                                         TableBytes(file.letter, file.rule, file.ruleValue, entries)));

  auto occupy = messages.find("occupy");
  std::string sizeFormat;
  for (const auto& [key, text] : english) {
    if (key == "occupy") sizeFormat = text;
  }
  int sizeLineLine = 0;
  if (occupy != messages.end()) sizeFormat = occupy->second->text, sizeLineLine = occupy->second->textLine;
  for (const auto& [id, v] : variants) {
    if (!v.changed) continue;
    CheckVariant(file.path, v, LargestSizeLine(sizeFormat), sizeLineLine, &pack->refusals);
    pack->resources.push_back(MakeResource(kDialogType, id + file.languageIndex, WriteDialogTemplate(v.dialog)));
  }
}

}  // namespace

std::vector<std::pair<std::string, std::string>> EnglishMessages() {
  std::vector<std::pair<std::string, std::string>> messages;
  for (const char* const* entry = MessageCatalogue[0]; *entry != nullptr; ++entry) {
    std::string key = *entry + 1;
    messages.push_back({key, *entry + 1 + key.size() + 1});
  }
  return messages;
}

Licence ReadLicence(const std::string& path, char letter, const std::string& text, std::vector<FileProblem>* problems) {
  Licence licence;
  licence.path = path;
  licence.letter = letter;
  std::vector<std::string> lines;
  std::istringstream in(text.compare(0, 3, "\xEF\xBB\xBF") == 0 ? text.substr(3) : text);
  std::string line, converted, error;
  for (int number = 1; std::getline(in, line); ++number) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!Utf8ToCp1252(line, &converted, &error)) problems->push_back({path, number, error});
    lines.push_back(converted);
  }
  auto blank = [](const std::string& l) { return l.find_first_not_of(" \t") == std::string::npos; };
  while (!lines.empty() && blank(lines.back())) lines.pop_back();
  if (lines.empty()) {
    problems->push_back({path, 0, "the licence is empty"});
    return licence;
  }
  // The text with CR LF line ends, and where each paragraph after the first begins.
  std::string joined;
  std::vector<size_t> starts;
  for (size_t i = 0; i < lines.size(); ++i) {
    if (i > 0 && !blank(lines[i]) && blank(lines[i - 1])) starts.push_back(joined.size());
    joined += lines[i] + (i + 1 < lines.size() ? "\r\n" : "");
  }
  // Cut at the paragraph starts nearest a third and two thirds of the text (none
  // left: the block runs to the end).
  auto distance = [](size_t a, size_t b) { return a > b ? a - b : b - a; };
  auto nearest = [&](size_t target, size_t after) {
    size_t best = joined.size();
    for (size_t s : starts) {
      if (s > after && (best == joined.size() || distance(s, target) < distance(best, target))) best = s;
    }
    return best;
  };
  size_t cuts[2];
  cuts[0] = nearest(joined.size() / 3, 0);
  cuts[1] = nearest(joined.size() * 2 / 3, cuts[0]);
  licence.blocks[0] = joined.substr(0, cuts[0]);
  licence.blocks[1] = joined.substr(cuts[0], cuts[1] - cuts[0]);
  licence.blocks[2] = joined.substr(cuts[1]);
  return licence;
}

bool BaseTemplatesOf(const std::vector<pe::Resource>& resources, std::map<int, DialogTemplate>* bases,
                     std::string* error) {
  for (int id : kDialogBases) {
    const pe::Resource* found = pe::FindNumericResource(resources, kDialogType, (uint32_t)id);
    std::string why;
    DialogTemplate& dialog = (*bases)[id];
    if (found == nullptr || !ReadDialogTemplate(found->data, &dialog, &why)) {
      *error = "dialog template " + std::to_string(id) + (found == nullptr ? " is missing" : " cannot be read: " + why);
      return false;
    }
    if (TextOf(dialog.face) != kDialogFontFace || dialog.pointSize != kDialogFontPoints) {
      *error = "dialog template " + std::to_string(id) + " uses " + TextOf(dialog.face) + " " +
               std::to_string(dialog.pointSize) + " pt; the widths of texts are known for " + kDialogFontFace + " " +
               std::to_string(kDialogFontPoints) + " pt only";
      return false;
    }
  }
  return true;
}

LanguagePack PackLanguages(const std::vector<LanguageFile>& files, const std::vector<Licence>& licences,
                           const std::map<int, DialogTemplate>& bases) {
  LanguagePack pack;
  std::map<char, std::string> letters;
  for (const LanguageFile& file : files) {
    auto [first, isNew] = letters.emplace(file.letter, file.path);
    if (!isNew) {
      pack.refusals.push_back({file.path, 0, std::string("a second file for the letter ") + file.letter + " (the first is " +
                                                 first->second + ")"});
      continue;
    }
    PackFile(file, LicenceFor(licences, file.letter), bases, &pack);
  }
  for (const Licence& licence : licences) {
    if (letters.count(licence.letter)) continue;
    if (licence.letter != 'E') {
      pack.refusals.push_back({licence.path, 0, std::string("--licence ") + licence.letter +
                                                    "=: no language file for that letter is given (--language)"});
      continue;
    }
    // The English licence: a table of its own whose entries come before the compiled
    // English ones.
    std::vector<std::pair<std::string, std::string>> entries;
    size_t length = 0;
    for (int b = 0; b < 3; ++b) {
      entries.push_back({kLicenceKeys[b], licence.blocks[b]});
      length += licence.blocks[b].size();
    }
    CheckLicenceLength(licence.path, 0, length, &pack.refusals);
    pack.resources.push_back(MakeResource(kMessageTableType, kMessageTableBase, TableBytes('E', kNeverChosen, 0, entries)));
  }
  return pack;
}

}  // namespace lmvrpack
