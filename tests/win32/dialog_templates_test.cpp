// The five dialog templates, and the packed languages' variants of them, as they
// stand in the built install.exe, read back from its resource section: what the dialog
// procedures and the user rely on (the controls by id and class, the default buttons,
// the boxes' styles, the icon), not the layout and the texts, which the resource
// scripts state and the dialog pictures show.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "driver/command_line.h"
#include "test_support.h"
#include "tools/pe_image/pe_image.h"

using testing_support::BuildPath;

namespace {

enum : uint16_t { kButtonClass = 0x80, kEditClass = 0x81, kStaticClass = 0x82 };

struct Control {
  uint16_t id = 0, cls = 0, titleOrdinal = 0;  // cls and titleOrdinal 0: given as a text
  uint32_t style = 0;
};

// Walks a classic DLGTEMPLATE and its DLGITEMTEMPLATEs. False when it ends early or
// is an extended template.
bool ParseTemplate(const std::vector<uint8_t>& d, uint32_t* style, std::vector<Control>* controls) {
  size_t p = 0;
  bool ok = true;
  auto word = [&]() -> uint16_t {
    if (p + 2 > d.size()) ok = false;
    if (!ok) return 0;
    p += 2;
    return static_cast<uint16_t>(d[p - 2] | d[p - 1] << 8);
  };
  auto dword = [&] { uint32_t low = word(); return low | static_cast<uint32_t>(word()) << 16; };
  auto text = [&] { while (ok && word() != 0) {} };
  auto nameOrOrdinal = [&]() -> uint16_t {  // the ordinal, or 0 for none or a text
    uint16_t first = word();
    if (first == 0xFFFF) return word();
    if (first != 0) text();
    return 0;
  };
  *style = dword();
  if (*style == 0xFFFF0001u) return false;  // DLGTEMPLATEEX
  dword();                                 // extended style
  uint16_t count = word();
  p += 8;  // x, y, cx, cy
  nameOrOrdinal();  // menu
  nameOrOrdinal();  // class
  text();           // caption
  if (*style & DS_SETFONT) {
    word();
    text();
  }
  for (uint16_t i = 0; i < count && ok; ++i) {
    p = (p + 3) & ~size_t{3};
    Control c;
    c.style = dword();
    dword();  // extended style
    p += 8;   // x, y, cx, cy
    c.id = word();
    c.cls = nameOrOrdinal();
    c.titleOrdinal = nameOrOrdinal();
    word();  // size of the creation data, none here
    controls->push_back(c);
  }
  return ok;
}

// A control the procedures or the user rely on: its class, and the style bits under
// `mask` that must equal `bits`.
struct Wanted {
  uint16_t id, cls;
  uint32_t mask, bits;
};

constexpr uint32_t kShown = WS_CHILD | WS_VISIBLE;
constexpr Wanted Button(uint16_t id, uint32_t type) {
  return {id, kButtonClass, kShown | WS_TABSTOP | BS_TYPEMASK, kShown | WS_TABSTOP | type};
}
constexpr Wanted Label(uint16_t id) { return {id, kStaticClass, kShown, kShown}; }

struct WantedTemplate {
  uint32_t id;
  std::vector<Wanted> controls;
};

const std::vector<WantedTemplate>& Wanteds() {
  constexpr uint32_t kPathField = kShown | WS_TABSTOP | ES_AUTOHSCROLL;  // a path wider than the field
  constexpr uint32_t kTextBox = kShown | WS_VSCROLL | ES_MULTILINE;
  static const std::vector<WantedTemplate> templates = {
      {200,
       {{101, kEditClass, kPathField, kPathField}, Label(102), Button(IDOK, BS_DEFPUSHBUTTON),
        Button(IDCANCEL, BS_PUSHBUTTON)}},
      {210,
       {{101, kEditClass, kTextBox, kTextBox}, Button(IDOK, BS_DEFPUSHBUTTON), Button(IDCANCEL, BS_PUSHBUTTON)}},
      {220, {Label(101)}},
      {230, {Label(114), Label(115), Button(IDOK, BS_DEFPUSHBUTTON), Button(IDCANCEL, BS_PUSHBUTTON)}},
      // Enter skips: "Skip" is the default button, not "Associate Files".
      {240,
       {Button(103, BS_AUTOCHECKBOX), Button(104, BS_AUTOCHECKBOX), Button(105, BS_AUTOCHECKBOX),
        Button(106, BS_AUTOCHECKBOX), Button(107, BS_AUTOCHECKBOX), Button(108, BS_AUTOCHECKBOX),
        Button(109, BS_AUTOCHECKBOX), Button(110, BS_AUTOCHECKBOX), Button(111, BS_AUTOCHECKBOX),
        Button(112, BS_AUTOCHECKBOX), Button(IDOK, BS_PUSHBUTTON), Button(113, BS_DEFPUSHBUTTON),
        Button(IDCANCEL, BS_PUSHBUTTON)}},
  };
  return templates;
}

// The languages packed into this build's install.exe, English (0) first.
std::vector<uint32_t> Languages() {
  std::vector<uint32_t> languages;
  for (const char* letter = LMVR_PACKED_LANGUAGES; *letter != '\0'; ++letter) {
    languages.push_back(static_cast<uint32_t>(LanguageIndexForLetter(*letter)));
  }
  return languages;
}

std::vector<pe::Resource> ResourcesOf(const std::string& path) {
  pe::Image image;
  std::vector<pe::Resource> resources;
  std::string error;
  EXPECT_TRUE(pe::LoadFile(path, &image, &error)) << path << ": " << error;
  EXPECT_TRUE(pe::ReadResources(image, &resources, &error)) << path << ": " << error;
  return resources;
}

}  // namespace

TEST(DialogTemplates, InstallerHoldsTheBuildsTemplatesInUsEnglishOnly) {
  std::vector<pe::Resource> all = ResourcesOf(BuildPath("install.exe"));
  std::vector<uint32_t> ids, tables;
  for (const pe::Resource& r : all) {
    if (r.type != 5 && r.type != 10) continue;  // RT_DIALOG, RT_RCDATA
    (r.type == 5 ? ids : tables).push_back(r.id);
    EXPECT_EQ(r.language, 0x0409u) << "resource " << r.type << "/" << r.id;
    EXPECT_TRUE(r.idName.empty()) << "a named resource: " << r.idName;
  }
  std::vector<uint32_t> expected, expectedTables;
  for (uint32_t base : {200, 210, 220, 230, 240}) {
    for (uint32_t language : Languages()) expected.push_back(base + language);
  }
  // A message table for each language but English, whose table is compiled in.
  for (uint32_t language : Languages()) {
    if (language != 0) expectedTables.push_back(400 + language);
  }
  EXPECT_EQ(ids, expected);
  EXPECT_EQ(tables, expectedTables);
}

TEST(DialogTemplates, EachTemplateHasTheControlsItsProcedureUsesAndTheIcon) {
  std::vector<pe::Resource> all = ResourcesOf(BuildPath("install.exe"));
  for (uint32_t language : Languages()) {
    for (const WantedTemplate& want : Wanteds()) {
      SCOPED_TRACE("template " + std::to_string(want.id + language));
      const pe::Resource* resource = pe::FindNumericResource(all, 5, want.id + language);
      ASSERT_NE(resource, nullptr);
      uint32_t style = 0;
      std::vector<Control> controls;
      ASSERT_TRUE(ParseTemplate(resource->data, &style, &controls)) << "an extended template, or one that ends early";
      EXPECT_EQ(style & (WS_CAPTION | WS_SYSMENU), static_cast<uint32_t>(WS_CAPTION | WS_SYSMENU)) << "the close box";
      for (const Wanted& w : want.controls) {
        SCOPED_TRACE("control " + std::to_string(w.id));
        const Control* found = nullptr;
        for (const Control& c : controls) {
          if (c.id == w.id) {
            EXPECT_EQ(found, nullptr) << "a second control with this id";
            found = &c;
          }
        }
        ASSERT_NE(found, nullptr);
        EXPECT_EQ(found->cls, w.cls) << "the class, by its ordinal";
        EXPECT_EQ(found->style & w.mask, w.bits) << std::hex << "style 0x" << found->style;
      }
      int icons = 0;
      for (const Control& c : controls) {
        icons += c.cls == kStaticClass && (c.style & SS_TYPEMASK) == SS_ICON && c.titleOrdinal == 100;
      }
      EXPECT_EQ(icons, 1) << "icon 100, once";
    }
  }
}

TEST(DialogTemplates, VariantsHaveTheBaseTemplatesControlsInOrder) {
  // A variant differs from its base template in texts, positions and sizes only: the
  // procedures and the dialog manager find the same controls in the same tab order.
  std::vector<pe::Resource> all = ResourcesOf(BuildPath("install.exe"));
  for (uint32_t language : Languages()) {
    if (language == 0) continue;
    for (const WantedTemplate& want : Wanteds()) {
      SCOPED_TRACE("template " + std::to_string(want.id + language));
      const pe::Resource* base = pe::FindNumericResource(all, 5, want.id);
      const pe::Resource* variant = pe::FindNumericResource(all, 5, want.id + language);
      ASSERT_NE(base, nullptr);
      ASSERT_NE(variant, nullptr);
      uint32_t baseStyle = 0, variantStyle = 0;
      std::vector<Control> baseControls, variantControls;
      ASSERT_TRUE(ParseTemplate(base->data, &baseStyle, &baseControls));
      ASSERT_TRUE(ParseTemplate(variant->data, &variantStyle, &variantControls));
      EXPECT_EQ(variantStyle, baseStyle);
      ASSERT_EQ(variantControls.size(), baseControls.size());
      for (size_t i = 0; i < baseControls.size(); ++i) {
        const Control& b = baseControls[i];
        const Control& v = variantControls[i];
        EXPECT_TRUE(v.id == b.id && v.cls == b.cls && v.style == b.style && v.titleOrdinal == b.titleOrdinal)
            << "control " << i + 1 << ": id " << v.id << ", class 0x" << std::hex << v.cls << ", style 0x" << v.style
            << "; the base template has id " << std::dec << b.id << ", class 0x" << std::hex << b.cls << ", style 0x"
            << b.style;
      }
    }
  }
}

TEST(DialogTemplates, GroupIconHundredIsTheEyeInThreeSizes) {
  std::vector<pe::Resource> all = ResourcesOf(BuildPath("install.exe"));
  const pe::Resource* group = pe::FindNumericResource(all, 14, 100);  // RT_GROUP_ICON
  ASSERT_NE(group, nullptr);
  EXPECT_EQ(group->language, 0x0409u);
  const std::vector<uint8_t>& d = group->data;
  ASSERT_GE(d.size(), 6u);
  uint16_t count = static_cast<uint16_t>(d[4] | d[5] << 8);
  ASSERT_EQ(d.size(), 6u + 14u * count);
  std::vector<int> sizes;
  for (uint16_t i = 0; i < count; ++i) {
    const uint8_t* e = &d[6 + 14 * i];
    sizes.push_back(e[0]);
    uint16_t iconId = static_cast<uint16_t>(e[12] | e[13] << 8);
    const pe::Resource* image = pe::FindNumericResource(all, 3, iconId);  // RT_ICON
    ASSERT_NE(image, nullptr) << "icon image " << iconId;
    ASSERT_GE(image->data.size(), 40u);
    EXPECT_EQ(image->data[0], 40) << "a BITMAPINFOHEADER";
    EXPECT_EQ(image->data[4], e[0]) << "width";
  }
  // 48 pixels for a screen at 150 %, last so that the older two keep their numbers.
  EXPECT_EQ(sizes, (std::vector<int>{32, 16, 48}));
}

TEST(DialogTemplates, TestProgramCarriesTheInstallersTemplates) {
  // The dialog tests run the base templates from their own module; they must be the
  // installer's, byte for byte.
  std::vector<pe::Resource> installer = ResourcesOf(BuildPath("install.exe"));
  char self[MAX_PATH];
  ASSERT_GT(GetModuleFileNameA(nullptr, self, sizeof self), 0u);
  std::vector<pe::Resource> tests = ResourcesOf(self);
  for (const WantedTemplate& want : Wanteds()) {
    uint32_t id = want.id;
    const pe::Resource* a = pe::FindNumericResource(installer, 5, id);
    const pe::Resource* b = pe::FindNumericResource(tests, 5, id);
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr) << "template " << id << " missing from the test program";
    EXPECT_EQ(a->data, b->data) << "template " << id;
  }
  EXPECT_EQ(pe::FindNumericResource(tests, 512, 301), nullptr) << "the test program carries no payload";
}
