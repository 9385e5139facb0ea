#include "tools/lmvrpack/dialog_template.h"

#include <cstdlib>
#include <sstream>

#include "tools/lmvrpack/code_page_1252.h"

namespace lmvrpack {

namespace {

constexpr uint32_t kDsSetFont = 0x40;

struct Reader {
  const std::vector<uint8_t>& bytes;
  size_t at = 0;
  bool ok = true;
  uint16_t Word() {
    if (at + 2 > bytes.size()) {
      ok = false;
      return 0;
    }
    uint16_t value = (uint16_t)(bytes[at] | bytes[at + 1] << 8);
    at += 2;
    return value;
  }
  uint32_t Dword() {
    uint32_t low = Word();
    return low | (uint32_t)Word() << 16;
  }
  std::u16string String() {
    std::u16string s;
    for (uint16_t c = Word(); ok && c != 0; c = Word()) s.push_back((char16_t)c);
    return s;
  }
  NameOrOrdinal Field() {
    NameOrOrdinal field;
    if (at + 2 <= bytes.size() && bytes[at] == 0xFF && bytes[at + 1] == 0xFF) {
      Word();
      field.isOrdinal = true;
      field.ordinal = Word();
    } else {
      field.name = String();
    }
    return field;
  }
  Frame FrameField() {
    Frame f;
    f.x = (int16_t)Word(), f.y = (int16_t)Word(), f.cx = (int16_t)Word(), f.cy = (int16_t)Word();
    return f;
  }
};

struct Writer {
  std::vector<uint8_t> bytes;
  void Word(uint32_t value) {
    bytes.push_back((uint8_t)value);
    bytes.push_back((uint8_t)(value >> 8));
  }
  void Dword(uint32_t value) {
    Word(value & 0xFFFF);
    Word(value >> 16);
  }
  void String(const std::u16string& s) {
    for (char16_t c : s) Word(c);
    Word(0);
  }
  void Field(const NameOrOrdinal& field) {
    if (field.isOrdinal) {
      Word(0xFFFF);
      Word(field.ordinal);
    } else {
      String(field.name);
    }
  }
  void FrameField(const Frame& f) {
    Word((uint16_t)f.x), Word((uint16_t)f.y), Word((uint16_t)f.cx), Word((uint16_t)f.cy);
  }
  void Align() {
    while (bytes.size() % 4 != 0) bytes.push_back(0);
  }
};

}  // namespace

bool ReadDialogTemplate(const std::vector<uint8_t>& bytes, DialogTemplate* dialog, std::string* error) {
  Reader r{bytes};
  *dialog = DialogTemplate();
  dialog->style = r.Dword();
  if (r.ok && (dialog->style & 0xFFFF0000u) == 0xFFFF0000u) {
    *error = "an extended dialog template, which this tool does not write";
    return false;
  }
  dialog->exStyle = r.Dword();
  uint16_t count = r.Word();
  dialog->frame = r.FrameField();
  dialog->menu = r.Field();
  dialog->dialogClass = r.Field();
  dialog->caption = r.String();
  if (dialog->style & kDsSetFont) {
    dialog->pointSize = r.Word();
    dialog->face = r.String();
  }
  for (uint16_t i = 0; r.ok && i < count; ++i) {
    r.at = (r.at + 3) / 4 * 4;
    DialogControl c;
    c.style = r.Dword();
    c.exStyle = r.Dword();
    c.frame = r.FrameField();
    c.id = r.Word();
    c.controlClass = r.Field();
    c.text = r.Field();
    uint16_t extra = r.Word();
    if (r.at + extra > bytes.size()) r.ok = false;
    if (r.ok) c.creationData.assign(bytes.begin() + r.at, bytes.begin() + r.at + extra);
    r.at += extra;
    dialog->controls.push_back(std::move(c));
  }
  if (!r.ok) *error = "a dialog template cut short";
  return r.ok;
}

std::vector<uint8_t> WriteDialogTemplate(const DialogTemplate& dialog) {
  Writer w;
  w.Dword(dialog.style);
  w.Dword(dialog.exStyle);
  w.Word((uint16_t)dialog.controls.size());
  w.FrameField(dialog.frame);
  w.Field(dialog.menu);
  w.Field(dialog.dialogClass);
  w.String(dialog.caption);
  if (dialog.style & kDsSetFont) {
    w.Word(dialog.pointSize);
    w.String(dialog.face);
  }
  for (const DialogControl& c : dialog.controls) {
    w.Align();
    w.Dword(c.style);
    w.Dword(c.exStyle);
    w.FrameField(c.frame);
    w.Word(c.id);
    w.Field(c.controlClass);
    w.Field(c.text);
    w.Word((uint16_t)c.creationData.size());
    w.bytes.insert(w.bytes.end(), c.creationData.begin(), c.creationData.end());
  }
  return w.bytes;
}

std::string FrameText(const Frame& f) {
  return std::to_string(f.x) + ", " + std::to_string(f.y) + ", " + std::to_string(f.cx) + ", " + std::to_string(f.cy);
}

bool ParseFrame(const std::string& text, Frame* frame) {
  int16_t* fields[4] = {&frame->x, &frame->y, &frame->cx, &frame->cy};
  const char* p = text.c_str();
  for (int i = 0; i < 4; ++i) {
    while (*p == ' ') ++p;
    char* end = nullptr;
    long value = std::strtol(p, &end, 10);
    if (end == p || value < -32768 || value > 32767) return false;
    *fields[i] = (int16_t)value;
    p = end;
    while (*p == ' ') ++p;
    if (i < 3 && *p++ != ',') return false;
  }
  return *p == '\0';
}

bool ReadDialogScript(const std::string& script, std::map<int, DialogTemplate>* dialogs, std::string* error) {
  std::istringstream in(script);
  std::string line;
  DialogTemplate* open = nullptr;
  for (int number = 1; std::getline(in, line); ++number) {
    std::istringstream words(line);
    std::string first, second;
    words >> first >> second;
    // A quoted text (with C escapes) or a number, then the comma-separated rest.
    auto field = [&](size_t* at, NameOrOrdinal* into) {
      size_t i = line.find_first_not_of(' ', *at);
      if (i != std::string::npos && line[i] == '"') {
        std::string text;
        for (++i; i < line.size() && line[i] != '"'; ++i) text += line[i] == '\\' && i + 1 < line.size() ? line[++i] : line[i];
        *into = NameOrOrdinal{false, 0, Cp1252ToUtf16(text)};
        *at = i + 1;
      } else {
        *into = NameOrOrdinal{true, (uint16_t)std::strtol(line.c_str() + i, nullptr, 0), u""};
        *at = line.find(',', i);
      }
    };
    std::vector<long> numbers;
    auto readNumbers = [&](size_t at) {
      numbers.clear();
      while (at != std::string::npos && at < line.size()) {
        if (line[at] == ',') ++at;
        numbers.push_back(std::strtol(line.c_str() + at, nullptr, 0));
        at = line.find(',', at);
      }
    };
    if (second == "DIALOG") {
      open = &(*dialogs)[std::atoi(first.c_str())];
      if (!ParseFrame(line.substr(line.find("DIALOG") + 6), &open->frame)) break;
    } else if (open == nullptr || first.empty() || first.compare(0, 2, "//") == 0) {
      continue;
    } else if (first == "STYLE") {
      open->style = (uint32_t)std::strtoul(second.c_str(), nullptr, 0);
    } else if (first == "CAPTION") {
      NameOrOrdinal caption;
      size_t at = line.find("CAPTION") + 7;
      field(&at, &caption);
      open->caption = caption.name;
    } else if (first == "FONT") {
      NameOrOrdinal face;
      size_t at = line.find(',');
      open->pointSize = (uint16_t)std::atoi(second.c_str());
      field(&++at, &face);
      open->face = face.name;
    } else if (first == "CONTROL") {
      DialogControl c;
      size_t at = line.find("CONTROL") + 7;
      field(&at, &c.text);
      readNumbers(at);
      if (numbers.size() != 7) {
        *error = "line " + std::to_string(number) + ": a CONTROL line is text, id, class, style, x, y, cx, cy";
        return false;
      }
      c.id = (uint16_t)numbers[0];
      c.controlClass = NameOrOrdinal{true, (uint16_t)numbers[1], u""};
      c.style = (uint32_t)numbers[2];
      c.frame = Frame{(int16_t)numbers[3], (int16_t)numbers[4], (int16_t)numbers[5], (int16_t)numbers[6]};
      open->controls.push_back(c);
    } else if (first == "END") {
      open = nullptr;
    }
  }
  if (open != nullptr) *error = "a DIALOG statement that is not in the form of the installer's script";
  return open == nullptr;
}

}  // namespace lmvrpack
