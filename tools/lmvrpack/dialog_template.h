// lmvrpack: the installer's dialog templates, read from the stub and written back as
// language variants. Classic templates (DLGTEMPLATE, not the extended form), as the
// installer's resource script has them.
#pragma once
#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace lmvrpack {

// A template field that is either a resource ordinal (0xFFFF, number) or a string:
// the menu, the class, a control's class and text.
struct NameOrOrdinal {
  bool isOrdinal = false;
  uint16_t ordinal = 0;
  std::u16string name;  // empty and not ordinal: none
};

struct Frame {
  int16_t x = 0, y = 0, cx = 0, cy = 0;
};

struct DialogControl {
  uint32_t style = 0, exStyle = 0;
  Frame frame;
  uint16_t id = 0;
  NameOrOrdinal controlClass;
  NameOrOrdinal text;
  std::vector<uint8_t> creationData;
};

struct DialogTemplate {
  uint32_t style = 0, exStyle = 0;
  Frame frame;
  NameOrOrdinal menu, dialogClass;
  std::u16string caption;
  uint16_t pointSize = 0;  // with DS_SETFONT only
  std::u16string face;
  std::vector<DialogControl> controls;
};

// Predefined control classes by their ordinals.
constexpr uint16_t kButtonClass = 0x0080;
constexpr uint16_t kEditClass = 0x0081;
constexpr uint16_t kStaticClass = 0x0082;

bool ReadDialogTemplate(const std::vector<uint8_t>& bytes, DialogTemplate* dialog, std::string* error);
// The bytes of `dialog`, laid out as the resource compiler lays them out (every
// control on a 4-byte boundary), so the same template gives the same bytes.
std::vector<uint8_t> WriteDialogTemplate(const DialogTemplate& dialog);

// The DIALOG statements of a resource script in the form the installer's
// resources/dialogs.rc writes them (STYLE, CAPTION, FONT, then one CONTROL line per
// control with the numeric class and the whole style), by id: the base templates
// without a stub, for the translators' template and checks in the host build.
bool ReadDialogScript(const std::string& script, std::map<int, DialogTemplate>* dialogs, std::string* error);

// "10, 30, 190, 132", the form of the resource script and of language files.
std::string FrameText(const Frame& frame);
bool ParseFrame(const std::string& text, Frame* frame);

}  // namespace lmvrpack
