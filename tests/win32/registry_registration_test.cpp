#include "shell/registry_registration.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "common/bounded_text.h"
#include "driver/installer_state.h"
#include "exports/exported_helpers.h"
#include "test_support.h"

using namespace testing_support;

namespace {

const char* const kExtensions[] = {".gif", ".jpg", ".pcx", ".png", ".bmp", ".rle", ".dib", ".tif", ".tga", ".pcd"};
const char kProgram[] = "C:\\Program Files\\Lumivora\\PROGRAM.EXE";
const char kUninstall[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Lumivora";
const char kChildVariable[] = "LMVR_REGISTRY_CHILD";

void DeleteTouchedKeys() {
  DeleteProductKeys();
  for (const char* extension : kExtensions) DeleteRegistryTree(HKEY_CLASSES_ROOT, extension);
}

std::string Default(const std::string& key) {
  std::string value = "<missing>";
  ReadDefaultValue(HKEY_CLASSES_ROOT, key, &value);
  return value;
}

void SetDefault(const char* key, const char* value) {
  HKEY handle;
  ASSERT_EQ(RegCreateKeyA(HKEY_CLASSES_ROOT, key, &handle), ERROR_SUCCESS);
  RegSetValueA(handle, nullptr, REG_SZ, value, lstrlenA(value));
  RegCloseKey(handle);
}

std::string Saved(const char* extension) { return Default(std::string("Lumivora\\license\\install\\") + extension); }

// The extension keys the code under test creates below HKEY_CLASSES_ROOT, in order.
std::vector<std::string> extensionKeysCreated;
void* originalRegCreateKeyA = nullptr;
LONG WINAPI RecordingRegCreateKeyA(HKEY root, LPCSTR name, PHKEY result) {
  if (root == HKEY_CLASSES_ROOT && name != nullptr && name[0] == '.') extensionKeysCreated.push_back(name);
  return reinterpret_cast<decltype(&RegCreateKeyA)>(originalRegCreateKeyA)(root, name, result);
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

TEST_F(RegistryRegistrationTest, WithoutAssociationsTheClassAndUninstallEntryAreStillWritten) {
  WindowsFamilyCache = 2;  // Windows NT
  SetDefault(".gif", "giffile");
  Register(true);  // every flag is clear

  EXPECT_EQ(Default("Lumivora"), "Lumivora");
  EXPECT_EQ(Default("Lumivora\\DefaultIcon"), "C:\\Program Files\\Lumivora\\PROGRAM.EXE,0");
  EXPECT_EQ(Default("Lumivora\\shell\\open\\command"), "C:\\Program Files\\Lumivora\\PROGRAM.EXE \"%1\"");
  EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, "Lumivora\\license"));
  EXPECT_EQ(Default(".gif"), "giffile");
  for (const char* extension : kExtensions) {
    if (std::string(extension) == ".gif") continue;
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, extension)) << extension;
  }

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
  std::string uninstall;
  EXPECT_TRUE(ReadNamedValue(HKEY_LOCAL_MACHINE, kUninstall, "UninstallString", &uninstall));
  EXPECT_EQ(uninstall, "C:\\Program Files\\Lumivora\\PROGRAM.EXE . -u");
}

// Runs a copy of this test program under Wine's winxp, win95 and win31 settings, where
// it registers the class with the first answer its DetectWindows ever gives.
TEST(RegistryRegistration, OpenCommandUnderTheWindowsVersionsOfWine) {
  if (std::getenv(kChildVariable) != nullptr) {
    ResetInstallerState();
    CopyBounded(MainProgramPath, sizeof MainProgramPath, kProgram);
    char workBuffer[kPathSize];
    RegisterFileClass(workBuffer);
    return;
  }
  const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
  std::string selfTest = std::string(info->test_suite_name()) + "." + info->name();
  char self[MAX_PATH];
  ASSERT_GT(GetModuleFileNameA(nullptr, self, sizeof self), 0u);
  const struct {
    const char* version;
    const char* command;
  } cases[] = {
      {"winxp", "C:\\Program Files\\Lumivora\\PROGRAM.EXE \"%1\""},
      {"win95", "C:\\Program Files\\Lumivora\\PROGRAM.EXE \"%1\""},
      {"win31", "C:\\Program Files\\Lumivora\\PROGRAM.EXE %1"},
  };
  ScratchDir dir("registry-family");
  for (const auto& c : cases) {
    DeleteProductKeys();
    std::string exeName = std::string("registry_") + c.version + ".exe";
    std::string exe = dir / exeName;
    ASSERT_TRUE(CopyFileA(self, exe.c_str(), FALSE));
    std::string appKey = "Software\\Wine\\AppDefaults\\" + exeName;
    HKEY key;
    ASSERT_EQ(RegCreateKeyA(HKEY_CURRENT_USER, appKey.c_str(), &key), ERROR_SUCCESS);
    RegSetValueExA(key, "Version", 0, REG_SZ, reinterpret_cast<const BYTE*>(c.version), lstrlenA(c.version) + 1);
    RegCloseKey(key);
    SetEnvironmentVariableA(kChildVariable, "1");
    std::string output;
    DWORD code = 1;
    bool ran = RunProcess("\"" + exe + "\" --gtest_filter=" + selfTest, &output, &code);
    SetEnvironmentVariableA(kChildVariable, nullptr);
    DeleteRegistryTree(HKEY_CURRENT_USER, appKey);
    EXPECT_TRUE(ran && code == 0) << c.version << ": " << output;
    EXPECT_EQ(Default("Lumivora\\shell\\open\\command"), c.command) << c.version;
  }
  DeleteProductKeys();
}

TEST_F(RegistryRegistrationTest, AssociationKeepsEachPreviousClassThatIsNotOurs) {
  SetDefault(".jpg", "Lumivora");
  SetDefault(".png", "lumivora");
  SetDefault(".bmp", "Paint.Picture");
  SetDefault(".pcx", "pcxfile");
  for (int i = 0; i < kAssociationCount; ++i) AssociationFlags[i] = 1;
  AssociationFlags[2] = 0;  // .pcx

  ImportPatch patch("advapi32.dll", "RegCreateKeyA", reinterpret_cast<void*>(&RecordingRegCreateKeyA));
  ASSERT_TRUE(patch.ok());
  originalRegCreateKeyA = patch.original();
  extensionKeysCreated.clear();
  char workBuffer[kPathSize];
  AssociateExtensions(workBuffer);

  // In the fixed order; .jpg is named again, .pcx is not touched.
  EXPECT_EQ(extensionKeysCreated,
            (std::vector<std::string>{".gif", ".jpg", ".png", ".bmp", ".rle", ".dib", ".tif", ".tga", ".pcd"}));
  for (const char* extension : kExtensions) {
    if (std::string(extension) == ".pcx") continue;
    EXPECT_EQ(Default(extension), "Lumivora") << extension;
  }
  EXPECT_EQ(Default(".pcx"), "pcxfile");

  std::vector<std::string> saved = SubkeyNames(HKEY_CLASSES_ROOT, "Lumivora\\license\\install");
  std::sort(saved.begin(), saved.end());
  EXPECT_EQ(saved, (std::vector<std::string>{".bmp", ".dib", ".gif", ".pcd", ".png", ".rle", ".tga", ".tif"}));
  EXPECT_EQ(Saved(".gif"), "");  // no key before: the empty class is kept
  EXPECT_EQ(Saved(".png"), "lumivora");
  EXPECT_EQ(Saved(".bmp"), "Paint.Picture");
  EXPECT_EQ(Default("Lumivora"), "Lumivora");
}

TEST_F(RegistryRegistrationTest, ASecondRunKeepsThePreviousClassOfTheFirst) {
  SetDefault(".bmp", "Paint.Picture");
  AssociationFlags[0] = 1;  // .gif, without a key
  AssociationFlags[4] = 1;  // .bmp
  Register(true);
  Register(true);
  EXPECT_EQ(Saved(".bmp"), "Paint.Picture");
  EXPECT_EQ(Saved(".gif"), "");
  EXPECT_EQ(Default(".bmp"), "Lumivora");
  EXPECT_EQ(Default(".gif"), "Lumivora");
}

TEST_F(RegistryRegistrationTest, AValueThatWouldNotFitIsNotWrittenAtAll) {
  WindowsFamilyCache = 2;
  // 257 characters: with ",0" and the NUL the icon fills the 260 bytes exactly; the
  // open command and the uninstall command are longer.
  std::string path = "C:\\" + std::string(248, 'L') + "\\P.EXE";
  ASSERT_EQ(path.size(), 257u);
  CopyBounded(MainProgramPath, sizeof MainProgramPath, path.c_str());
  Register(false);
  EXPECT_EQ(Default("Lumivora\\DefaultIcon"), path + ",0");
  EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, "Lumivora\\shell"));
  std::string value;
  EXPECT_TRUE(ReadNamedValue(HKEY_LOCAL_MACHINE, kUninstall, "DisplayName", &value));
  EXPECT_FALSE(ReadNamedValue(HKEY_LOCAL_MACHINE, kUninstall, "UninstallString", &value)) << value;
}
