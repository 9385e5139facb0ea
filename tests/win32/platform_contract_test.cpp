// What the oldest Windows the installer runs on will load: the built install.exe and
// the sample program import only system DLLs of their first releases, and only
// functions that Windows 95, NT 3.51 and Win32s all have (platform_functions.txt).
// Wine has every DLL and function of later releases, so only this check catches an
// image that would not start there.
#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <sstream>

#include "test_support.h"
#include "tools/pe_image/pe_image.h"

using testing_support::BuildPath;

namespace {

std::string Upper(std::string text) {
  for (char& c : text) {
    if (c >= 'a' && c <= 'z') c = (char)(c - 'a' + 'A');
  }
  return text;
}

// "MODULE Function" of every line that is not blank or a comment.
std::set<std::string> PlatformFunctions() {
  std::ifstream table(LMVR_SOURCE_DIR "/tests/win32/platform_functions.txt");
  EXPECT_TRUE(table.good()) << "platform_functions.txt not found";
  std::set<std::string> functions;
  std::string line;
  while (std::getline(table, line)) {
    std::istringstream words(line);
    std::string module, function;
    if (!(words >> module >> function) || module[0] == '#') continue;
    functions.insert(module + " " + function);
  }
  return functions;
}

class PlatformContract : public testing::TestWithParam<const char*> {};

TEST_P(PlatformContract, ImportsOnlyWhatTheOldestWindowsHave) {
  pe::Image image;
  std::string error;
  ASSERT_TRUE(pe::LoadFile(BuildPath(GetParam()), &image, &error)) << error;
  std::vector<pe::Import> imports;
  ASSERT_TRUE(pe::ReadImports(image, &imports, &error)) << error;
  ASSERT_FALSE(imports.empty());

  const std::set<std::string> systemDlls = {"KERNEL32.DLL", "USER32.DLL", "GDI32.DLL", "ADVAPI32.DLL", "SHELL32.DLL"};
  const std::set<std::string> allowed = PlatformFunctions();
  for (const pe::Import& import : imports) {
    std::string module = Upper(import.module);
    EXPECT_TRUE(systemDlls.count(module)) << "imports " << import.function << " from " << import.module
                                          << ", which is no system DLL of Windows 95, NT 3.51 or Win32s";
    std::string key = module.substr(0, module.rfind(".DLL")) + " " + import.function;
    EXPECT_TRUE(allowed.count(key)) << "imports " << key
                                    << ", which is not listed as present on Windows 95, NT 3.51 and Win32s";
  }
}

TEST_P(PlatformContract, HasTheHeaderAnOldLoaderAccepts) {
  pe::Image image;
  std::string error;
  ASSERT_TRUE(pe::LoadFile(BuildPath(GetParam()), &image, &error)) << error;
  EXPECT_EQ(image.machine, 0x14C);
  EXPECT_EQ(image.magic, 0x10B);
  EXPECT_EQ(image.subsystem, 2);
  // Windows 95 and NT 3.51 run images that ask for at most version 4.0.
  EXPECT_EQ(image.majorSubsystemVersion * 100 + image.minorSubsystemVersion, 400);
  EXPECT_LE(image.majorOsVersion * 100 + image.minorOsVersion, 400);
  // Win32s loads every program into one shared address space: it needs relocations.
  EXPECT_EQ(image.characteristics & 0x0001, 0) << "relocations stripped";
  ASSERT_GT(image.directories.size(), 5u);
  EXPECT_NE(image.directories[5].second, 0u) << "no base relocation table";
}

INSTANTIATE_TEST_SUITE_P(BuiltImages, PlatformContract, testing::Values("install.exe", "examples/product/LUMIVORA.EXE"),
                         [](const testing::TestParamInfo<const char*>& info) {
                           return info.index == 0 ? std::string("Installer") : std::string("SampleProgram");
                         });

}  // namespace
