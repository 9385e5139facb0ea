#include "shell/registry_registration.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "common/bounded_text.h"
#include "common/installer_state.h"
#include "exports/exported_helpers.h"
#include "shell/product_texts.h"
#include "test_support.h"

using namespace testing_support;

namespace {

const char* const kExtensions[] = {".gif", ".jpg", ".pcx", ".png", ".bmp", ".rle", ".dib", ".tif", ".tga", ".pcd"};
const char kProgram[] = "C:\\Program Files\\Lumivora\\PROGRAM.EXE";
const char kUninstall[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Lumivora";

void DeleteTouchedKeys() {
  DeleteProductKeys();
  for (const char* extension : kExtensions) DeleteRegistryTree(HKEY_CLASSES_ROOT, extension);
}

void SetDefault(const char* key, const char* value) {
  HKEY handle;
  ASSERT_EQ(RegCreateKeyA(HKEY_CLASSES_ROOT, key, &handle), ERROR_SUCCESS);
  RegSetValueA(handle, nullptr, REG_SZ, value, lstrlenA(value));
  RegCloseKey(handle);
}

std::string Saved(const char* extension) {
  return ClassesDefault(std::string("Lumivora\\license\\install\\") + extension);
}

class RegistryRegistrationTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetInstallerState();
    DeleteTouchedKeys();
    CopyBounded(MainProgramPath, sizeof MainProgramPath, kProgram);
  }
  void TearDown() override {
    DeleteTouchedKeys();
    WindowsFamilyCache = 0xFF;
  }
  // What the install sequence does with its work buffer.
  void Register(bool associate) {
    char workBuffer[kPathSize];
    RegisterFileClass(workBuffer);
    if (associate) AssociateExtensions(workBuffer);
    RegisterUninstallEntry();
  }
};

}  // namespace

TEST_F(RegistryRegistrationTest, AssociationKeepsEachPreviousClassThatIsNotOurs) {
  SetDefault(".jpg", "Lumivora");
  SetDefault(".png", "lumivora");
  SetDefault(".bmp", "Paint.Picture");
  SetDefault(".pcx", "pcxfile");
  for (int i = 0; i < kAssociationCount; ++i) AssociationFlags[i] = 1;
  AssociationFlags[2] = 0;  // .pcx

  char workBuffer[kPathSize];
  AssociateExtensions(workBuffer);

  // Every flagged extension is ours; .pcx, not flagged, keeps its class.
  for (const char* extension : kExtensions) {
    if (std::string(extension) == ".pcx") continue;
    EXPECT_EQ(ClassesDefault(extension), "Lumivora") << extension;
  }
  EXPECT_EQ(ClassesDefault(".pcx"), "pcxfile");

  std::vector<std::string> saved = SubkeyNames(HKEY_CLASSES_ROOT, "Lumivora\\license\\install");
  std::sort(saved.begin(), saved.end());
  EXPECT_EQ(saved, (std::vector<std::string>{".bmp", ".dib", ".gif", ".pcd", ".png", ".rle", ".tga", ".tif"}));
  EXPECT_EQ(Saved(".gif"), "");  // no key before: the empty class is kept
  EXPECT_EQ(Saved(".png"), "lumivora");
  EXPECT_EQ(Saved(".bmp"), "Paint.Picture");
  EXPECT_EQ(ClassesDefault("Lumivora"), "Lumivora");
}

TEST_F(RegistryRegistrationTest, EachFlagStandsForItsExtensionInTheFixedOrder) {
  char workBuffer[kPathSize];
  for (int i = 0; i < kAssociationCount; ++i) {
    DeleteTouchedKeys();
    for (int j = 0; j < kAssociationCount; ++j) AssociationFlags[j] = j == i;
    AssociateExtensions(workBuffer);
    for (int j = 0; j < kAssociationCount; ++j) {
      EXPECT_EQ(KeyExists(HKEY_CLASSES_ROOT, kExtensions[j]), j == i) << "flag " << i << ", " << kExtensions[j];
    }
  }
}

TEST_F(RegistryRegistrationTest, ASecondRunKeepsThePreviousClassOfTheFirst) {
  SetDefault(".bmp", "Paint.Picture");
  AssociationFlags[0] = 1;  // .gif, without a key
  AssociationFlags[4] = 1;  // .bmp
  Register(true);
  Register(true);
  EXPECT_EQ(Saved(".bmp"), "Paint.Picture");
  EXPECT_EQ(Saved(".gif"), "");
  EXPECT_EQ(ClassesDefault(".bmp"), "Lumivora");
  EXPECT_EQ(ClassesDefault(".gif"), "Lumivora");
}

TEST_F(RegistryRegistrationTest, AValueThatWouldNotFitIsNotWrittenAtAll) {
  WindowsFamilyCache = 2;
  // 257 characters: with ",0" and the NUL the icon fills the 260 bytes exactly; the
  // open command and the uninstall command are longer.
  std::string path = "C:\\" + std::string(248, 'L') + "\\P.EXE";
  ASSERT_EQ(path.size(), 257u);
  CopyBounded(MainProgramPath, sizeof MainProgramPath, path.c_str());
  Register(false);
  EXPECT_EQ(ClassesDefault("Lumivora\\DefaultIcon"), path + ",0");
  EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, "Lumivora\\shell"));
  std::string value;
  EXPECT_FALSE(ReadNamedValue(HKEY_LOCAL_MACHINE, kUninstall, "UninstallString", &value)) << value;

  // The entry still names the product: a string, stored with its NUL.
  HKEY entry;
  ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, kUninstall, 0, KEY_READ, &entry), ERROR_SUCCESS);
  char name[32] = {};
  DWORD type = 0;
  DWORD size = sizeof name;
  EXPECT_EQ(RegQueryValueExA(entry, "DisplayName", nullptr, &type, reinterpret_cast<BYTE*>(name), &size),
            ERROR_SUCCESS);
  RegCloseKey(entry);
  EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(std::string(name, size), std::string("Lumivora", 9));
}

TEST_F(RegistryRegistrationTest, TheVersionAndPublisherAreWrittenOnlyWhenTheInstallerCarriesThem) {
  // This test program carries no resource 512/302: neither value, not even empty.
  LoadProductTexts();
  Register(false);
  std::string value;
  EXPECT_FALSE(ReadNamedValue(HKEY_LOCAL_MACHINE, kUninstall, "DisplayVersion", &value)) << value;
  EXPECT_FALSE(ReadNamedValue(HKEY_LOCAL_MACHINE, kUninstall, "Publisher", &value)) << value;
  EXPECT_TRUE(ReadNamedValue(HKEY_LOCAL_MACHINE, kUninstall, "QuietUninstallString", &value));
  EXPECT_EQ(value, "\"" + std::string(kProgram) + "\" . -u -silent");

  CopyBounded(ProductVersion, sizeof ProductVersion, "2.1.0");
  Register(false);
  ProductVersion[0] = '\0';
  EXPECT_TRUE(ReadNamedValue(HKEY_LOCAL_MACHINE, kUninstall, "DisplayVersion", &value));
  EXPECT_EQ(value, "2.1.0");
  EXPECT_FALSE(ReadNamedValue(HKEY_LOCAL_MACHINE, kUninstall, "Publisher", &value)) << value;
  Register(false);
  EXPECT_FALSE(ReadNamedValue(HKEY_LOCAL_MACHINE, kUninstall, "DisplayVersion", &value)) << "the earlier one's " << value;
}
