#include <gtest/gtest.h>

#include "exports/exported_helpers.h"
#include "test_support.h"

using namespace testing_support;

namespace {

int versionCalls = 0;
DWORD WINAPI CountingGetVersion() {
  ++versionCalls;
  return 0xC0000004u;  // Windows 95
}

// Runs a copy of the probe program under its own name, with Wine told to report
// `version` to that name only, and returns what DetectWindows said there.
std::string FamilyUnder(const char* version) {
  ScratchDir dir(std::string("probe-") + version);
  std::string exeName = std::string("probe_") + version + ".exe";
  std::string exe = dir / exeName;
  EXPECT_TRUE(CopyFileA(BuildPath("tests/version_probe.exe").c_str(), exe.c_str(), FALSE));
  std::string appKey = "Software\\Wine\\AppDefaults\\" + exeName;
  HKEY key;
  EXPECT_EQ(RegCreateKeyA(HKEY_CURRENT_USER, appKey.c_str(), &key), ERROR_SUCCESS);
  RegSetValueExA(key, "Version", 0, REG_SZ, reinterpret_cast<const BYTE*>(version), lstrlenA(version) + 1);
  RegCloseKey(key);
  std::string output;
  DWORD code = 1;
  EXPECT_TRUE(RunProcess("\"" + exe + "\"", &output, &code));
  DeleteRegistryTree(HKEY_CURRENT_USER, appKey);
  EXPECT_EQ(code, 0u) << output;
  return output;
}

}  // namespace

TEST(DetectWindows, AsksTheSystemOncePerProcess) {
  ImportPatch patch("kernel32.dll", "GetVersion", reinterpret_cast<void*>(&CountingGetVersion));
  ASSERT_TRUE(patch.ok());
  WindowsFamilyCache = 0xFF;
  versionCalls = 0;
  EXPECT_EQ(DetectWindows(), 1u);
  EXPECT_EQ(DetectWindows(), 1u);
  EXPECT_EQ(versionCalls, 1);
  EXPECT_EQ(WindowsFamilyCache, 1);
}

TEST(DetectWindows, TellsTheFamilyOfTheWindowsWineImitates) {
  EXPECT_EQ(FamilyUnder("win7").substr(0, 8), "family=2");
  EXPECT_EQ(FamilyUnder("winxp").substr(0, 8), "family=2");
  EXPECT_EQ(FamilyUnder("win95").substr(0, 8), "family=1");
  EXPECT_EQ(FamilyUnder("win31").substr(0, 8), "family=0");
}
