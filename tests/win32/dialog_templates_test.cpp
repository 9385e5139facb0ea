// The five dialog templates as they stand in the built install.exe, read back from
// its resource section and parsed here field by field: the resource compiler's own
// defaults must not have crept into a style or a class.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "test_support.h"
#include "tools/pe_image/pe_image.h"

using testing_support::BuildPath;

namespace {

enum : uint32_t {
  kIcon = 0x50000003,
  kLabel = 0x50020000,
  kCentred = 0x50020001,
  kPathField = 0x50810080,
  kTextBox = 0x50A10004,
  kDefault = 0x50010001,
  kButton = 0x50010000,
  kCheck = 0x50010003,
};
enum : uint16_t { kButtonClass = 0x80, kEditClass = 0x81, kStaticClass = 0x82, kNoId = 0xFFFF };

// A name-or-ordinal field: an ordinal, or a text (ordinal 0).
struct NameOrOrdinal {
  uint16_t ordinal = 0;
  std::string text;
};

struct Item {
  uint32_t style = 0, exStyle = 0;
  int16_t x = 0, y = 0, cx = 0, cy = 0;
  uint16_t id = 0;
  NameOrOrdinal cls, title;
  uint16_t extra = 0;
};

struct Template {
  uint32_t style = 0, exStyle = 0;
  int16_t x = 0, y = 0, cx = 0, cy = 0;
  NameOrOrdinal menu, cls;
  std::string caption;
  uint16_t pointSize = 0;
  std::string face;
  std::vector<Item> items;
};

// Reads the little-endian fields of a DLGTEMPLATE and its DLGITEMTEMPLATEs.
class Reader {
 public:
  explicit Reader(const std::vector<uint8_t>& data) : data_(data) {}
  bool failed() const { return failed_; }
  size_t position() const { return pos_; }
  uint16_t Word() {
    if (pos_ + 2 > data_.size()) return Fail();
    uint16_t v = static_cast<uint16_t>(data_[pos_] | data_[pos_ + 1] << 8);
    pos_ += 2;
    return v;
  }
  uint32_t Dword() {
    uint32_t low = Word();
    return low | static_cast<uint32_t>(Word()) << 16;
  }
  int16_t Short() { return static_cast<int16_t>(Word()); }
  // UTF-16 text up to its NUL; every character of these templates is ASCII.
  std::string Text() {
    std::string s;
    for (uint16_t c; !failed_ && (c = Word()) != 0;) s += c < 0x80 ? static_cast<char>(c) : '?';
    return s;
  }
  NameOrOrdinal Field() {
    NameOrOrdinal f;
    uint16_t first = Word();
    if (first == 0xFFFF) {
      f.ordinal = Word();
    } else if (first != 0) {
      pos_ -= 2;
      f.text = Text();
    }
    return f;
  }
  void AlignDword() { pos_ = (pos_ + 3) & ~size_t{3}; }

 private:
  uint16_t Fail() {
    failed_ = true;
    return 0;
  }
  const std::vector<uint8_t>& data_;
  size_t pos_ = 0;
  bool failed_ = false;
};

bool ParseTemplate(const std::vector<uint8_t>& data, Template* t) {
  Reader r(data);
  t->style = r.Dword();
  t->exStyle = r.Dword();
  uint16_t count = r.Word();
  t->x = r.Short();
  t->y = r.Short();
  t->cx = r.Short();
  t->cy = r.Short();
  t->menu = r.Field();
  t->cls = r.Field();
  t->caption = r.Text();
  if (t->style & DS_SETFONT) {
    t->pointSize = r.Word();
    t->face = r.Text();
  }
  for (uint16_t i = 0; i < count && !r.failed(); ++i) {
    r.AlignDword();
    Item item;
    item.style = r.Dword();
    item.exStyle = r.Dword();
    item.x = r.Short();
    item.y = r.Short();
    item.cx = r.Short();
    item.cy = r.Short();
    item.id = r.Word();
    item.cls = r.Field();
    item.title = r.Field();
    item.extra = r.Word();
    t->items.push_back(item);
  }
  return !r.failed();
}

struct Expected {
  uint16_t id;
  uint16_t cls;
  uint32_t style;
  int16_t x, y, cx, cy;
  const char* text;  // nullptr: the icon, ordinal 100
};

struct ExpectedTemplate {
  uint32_t id;
  int16_t x, y, cx, cy;
  const char* caption;
  std::vector<Expected> items;
};

const std::vector<ExpectedTemplate>& Tables() {
  static const std::vector<ExpectedTemplate> tables = {
      {200, 10, 30, 190, 132, "",
       {
           {kNoId, kStaticClass, kIcon, 10, 10, 32, 32, nullptr},
           {kNoId, kStaticClass, kLabel, 30, 15, 400, 15, "Welcome to the Lumivora installation!"},
           {kNoId, kStaticClass, kLabel, 10, 35, 400, 15, "Enter the path to copy Lumivora's files into and then"},
           {kNoId, kStaticClass, kLabel, 10, 43, 400, 15, "press the 'Install Lumivora' button when finished."},
           {kNoId, kStaticClass, kLabel, 10, 51, 400, 15, "This path is where Lumivora will be executed from"},
           {kNoId, kStaticClass, kLabel, 10, 59, 400, 15, "once the Lumivora files have been properly copied."},
           {102, kStaticClass, kLabel, 10, 67, 400, 15, "."},
           {101, kEditClass, kPathField, 10, 83, 170, 12, ""},
           {1, kButtonClass, kDefault, 10, 108, 80, 14, "Install Lumivora"},
           {2, kButtonClass, kButton, 100, 108, 80, 14, "Exit Installation"},
       }},
      {210, 10, 30, 250, 180, "License Agreement",
       {
           {kNoId, kStaticClass, kLabel, 10, 10, 400, 15,
            "Read the following terms and conditions.  If you agree to abide by this"},
           {kNoId, kStaticClass, kLabel, 10, 18, 400, 15,
            "agreement, press the 'I Agree' button below and continue the installation."},
           {kNoId, kStaticClass, kLabel, 10, 26, 400, 15,
            "If you do not agree, press the 'Exit Installation' button below."},
           {101, kEditClass, kTextBox, 10, 45, 230, 105, ""},
           {1, kButtonClass, kDefault, 10, 160, 80, 14, "\x60\x60I Agree\x27\x27"},
           {2, kButtonClass, kButton, 160, 160, 80, 14, "Exit Installation"},
           {kNoId, kStaticClass, kIcon, 115, 160, 32, 32, nullptr},
       }},
      {220, 50, 80, 100, 55, "Lumivora Installation",
       {
           {kNoId, kStaticClass, kIcon, 10, 10, 32, 32, nullptr},
           {kNoId, kStaticClass, kLabel, 30, 15, 400, 15, "Copying files..."},
           {101, kStaticClass, kCentred, 10, 30, 80, 12, "0%"},
       }},
      {230, 10, 30, 190, 119, "Installation Complete",
       {
           {kNoId, kStaticClass, kIcon, 10, 10, 32, 32, nullptr},
           {kNoId, kStaticClass, kLabel, 30, 15, 400, 15, "Lumivora has been successfully installed."},
           {kNoId, kStaticClass, kLabel, 10, 35, 400, 15, "A program manager group called 'Lumivora' has"},
           {kNoId, kStaticClass, kLabel, 10, 43, 400, 15, "been created with an icon for the Lumivora program."},
           {kNoId, kStaticClass, kLabel, 10, 51, 400, 15, "To move this to a different group, just drag the icon"},
           {kNoId, kStaticClass, kLabel, 10, 59, 400, 15, "to another group window in the program manager."},
           {114, kStaticClass, kLabel, 10, 70, 400, 15,
            "Click 'Run Lumivora Now' now to automatically start Lumivora,"},
           {115, kStaticClass, kLabel, 10, 78, 400, 15, "or click 'Exit Installation' to exit to Windows."},
           {1, kButtonClass, kDefault, 10, 95, 80, 14, "Run Lumivora Now"},
           {2, kButtonClass, kButton, 100, 95, 80, 14, "Exit Installation"},
       }},
      {240, 10, 30, 190, 132, "Lumivora Installation",
       {
           {kNoId, kStaticClass, kIcon, 10, 10, 32, 32, nullptr},
           {kNoId, kStaticClass, kLabel, 30, 15, 400, 15, "File Association Checklist"},
           {kNoId, kStaticClass, kLabel, 10, 30, 400, 15, "Set the checkboxes below to indicate which formats"},
           {kNoId, kStaticClass, kLabel, 10, 38, 400, 15, "are to be associated through File Manager, Explorer"},
           {kNoId, kStaticClass, kLabel, 10, 46, 400, 15, "and many other supportive applications."},
           {kNoId, kStaticClass, kLabel, 10, 60, 400, 15, "These associations automatically start Lumivora"},
           {kNoId, kStaticClass, kLabel, 10, 68, 400, 15, "from applications to view these file types."},
           {103, kButtonClass, kCheck, 10, 80, 30, 10, ".GIF"},
           {104, kButtonClass, kCheck, 10, 90, 30, 10, ".JPG"},
           {105, kButtonClass, kCheck, 45, 80, 30, 10, ".PCX"},
           {106, kButtonClass, kCheck, 45, 90, 30, 10, ".PNG"},
           {107, kButtonClass, kCheck, 80, 80, 30, 10, ".BMP"},
           {108, kButtonClass, kCheck, 80, 90, 30, 10, ".RLE"},
           {109, kButtonClass, kCheck, 115, 80, 30, 10, ".DIB"},
           {110, kButtonClass, kCheck, 115, 90, 30, 10, ".TIF"},
           {111, kButtonClass, kCheck, 150, 80, 30, 10, ".TGA"},
           {112, kButtonClass, kCheck, 150, 90, 30, 10, ".PCD"},
           {1, kButtonClass, kButton, 10, 108, 80, 14, "Associate Files"},
           {113, kButtonClass, kDefault, 100, 108, 30, 14, "Skip"},
           {2, kButtonClass, kButton, 140, 108, 40, 14, "Exit"},
       }},
  };
  return tables;
}

std::vector<pe::Resource> ResourcesOf(const std::string& path) {
  pe::Image image;
  std::vector<pe::Resource> resources;
  std::string error;
  EXPECT_TRUE(pe::LoadFile(path, &image, &error)) << path << ": " << error;
  EXPECT_TRUE(pe::ReadResources(image, &resources, &error)) << path << ": " << error;
  return resources;
}

std::vector<const pe::Resource*> OfType(const std::vector<pe::Resource>& all, uint32_t type) {
  std::vector<const pe::Resource*> found;
  for (const pe::Resource& r : all)
    if (r.type == type) found.push_back(&r);
  return found;
}

}  // namespace

TEST(DialogTemplates, InstallerHoldsTheFiveTemplatesInUsEnglishOnly) {
  std::vector<pe::Resource> all = ResourcesOf(BuildPath("install.exe"));
  std::vector<uint32_t> ids;
  for (const pe::Resource* r : OfType(all, 5)) {
    ids.push_back(r->id);
    EXPECT_EQ(r->language, 0x0409u) << "template " << r->id;
    EXPECT_TRUE(r->idName.empty()) << "a named template: " << r->idName;
  }
  EXPECT_EQ(ids, (std::vector<uint32_t>{200, 210, 220, 230, 240}));
}

TEST(DialogTemplates, EveryTemplateMatchesItsTableFieldByField) {
  std::vector<pe::Resource> all = ResourcesOf(BuildPath("install.exe"));
  for (const ExpectedTemplate& want : Tables()) {
    SCOPED_TRACE("template " + std::to_string(want.id));
    const pe::Resource* resource = pe::FindNumericResource(all, 5, want.id);
    ASSERT_NE(resource, nullptr);
    Template got;
    ASSERT_TRUE(ParseTemplate(resource->data, &got)) << "template ends early";
    // The classic form: an extended template would begin with 1, 0xFFFF.
    EXPECT_NE(resource->data.size() >= 4 && resource->data[0] == 1 && resource->data[2] == 0xFF, true);
    EXPECT_EQ(got.style, 0x10C800C0u);
    EXPECT_EQ(got.exStyle, 0u);
    EXPECT_EQ(got.x, want.x);
    EXPECT_EQ(got.y, want.y);
    EXPECT_EQ(got.cx, want.cx);
    EXPECT_EQ(got.cy, want.cy);
    EXPECT_EQ(got.menu.ordinal, 0) << "menu";
    EXPECT_EQ(got.menu.text, "") << "menu";
    EXPECT_EQ(got.cls.ordinal, 0) << "dialog class";
    EXPECT_EQ(got.cls.text, "") << "dialog class";
    EXPECT_EQ(got.caption, want.caption);
    EXPECT_EQ(got.pointSize, 11);
    EXPECT_EQ(got.face, "Arial");
    ASSERT_EQ(got.items.size(), want.items.size());
    for (size_t i = 0; i < want.items.size(); ++i) {
      SCOPED_TRACE("control #" + std::to_string(i + 1));
      const Item& g = got.items[i];
      const Expected& w = want.items[i];
      EXPECT_EQ(g.id, w.id);
      EXPECT_EQ(g.cls.ordinal, w.cls) << "class stored as \"" << g.cls.text << "\"";
      EXPECT_EQ(g.style, w.style) << std::hex << "got 0x" << g.style << ", want 0x" << w.style;
      EXPECT_EQ(g.exStyle, 0u);
      EXPECT_EQ(g.x, w.x);
      EXPECT_EQ(g.y, w.y);
      EXPECT_EQ(g.cx, w.cx);
      EXPECT_EQ(g.cy, w.cy);
      if (w.text == nullptr) {
        EXPECT_EQ(g.title.ordinal, 100) << "icon control names \"" << g.title.text << "\"";
      } else {
        EXPECT_EQ(g.title.ordinal, 0);
        EXPECT_EQ(g.title.text, w.text);
      }
      EXPECT_EQ(g.extra, 0) << "creation data";
    }
  }
}

TEST(DialogTemplates, GroupIconHundredIsTheEyeInTwoSizes) {
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
  EXPECT_EQ(sizes, (std::vector<int>{32, 16}));
}

TEST(DialogTemplates, TestProgramCarriesTheInstallersTemplates) {
  // The dialog tests run the templates from their own module; they must be the
  // installer's, byte for byte.
  std::vector<pe::Resource> installer = ResourcesOf(BuildPath("install.exe"));
  char self[MAX_PATH];
  ASSERT_GT(GetModuleFileNameA(nullptr, self, sizeof self), 0u);
  std::vector<pe::Resource> tests = ResourcesOf(self);
  for (const ExpectedTemplate& want : Tables()) {
    const pe::Resource* a = pe::FindNumericResource(installer, 5, want.id);
    const pe::Resource* b = pe::FindNumericResource(tests, 5, want.id);
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr) << "template " << want.id << " missing from the test program";
    EXPECT_EQ(a->data, b->data) << "template " << want.id;
  }
  EXPECT_EQ(pe::FindNumericResource(tests, 512, 301), nullptr) << "the test program carries no payload";
}
