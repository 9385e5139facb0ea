// The built install.exe, read as a file: what kind of image it is, what it exports
// and imports.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>

#include "test_support.h"
#include "tools/pe_image/pe_image.h"

using testing_support::BuildPath;

namespace {

pe::Image LoadInstaller() {
  pe::Image image;
  std::string error;
  EXPECT_TRUE(pe::LoadFile(BuildPath("install.exe"), &image, &error)) << error;
  return image;
}

}  // namespace

TEST(InstallerImage, IsA32BitGuiProgramWithRelocationsAndNoTimeStamp) {
  pe::Image image = LoadInstaller();
  EXPECT_EQ(image.machine, 0x14C);  // i386
  EXPECT_EQ(image.magic, 0x10B);    // PE32
  EXPECT_EQ(image.subsystem, 2);    // Windows GUI
  EXPECT_EQ(image.characteristics & 0x2000, 0) << "must be a program, not a DLL";
  ASSERT_GT(image.directories.size(), 5u);
  EXPECT_NE(image.directories[5].first, 0u) << "no base relocation table";
  EXPECT_EQ(image.characteristics & 0x0001, 0) << "relocations stripped";
  EXPECT_EQ(image.timeDateStamp, 0u);
}

TEST(InstallerImage, ExportsTheTwoHelpersUnderTheirDecoratedNames) {
  pe::Image image = LoadInstaller();
  pe::Exports exports;
  std::string error;
  ASSERT_TRUE(pe::ReadExports(image, &exports, &error)) << error;
  EXPECT_EQ(exports.moduleName, "lmvr.ent");
  EXPECT_EQ(exports.ordinalBase, 1u);
  EXPECT_EQ(exports.functionCount, 2u);
  EXPECT_EQ(exports.nameCount, 2u);
  ASSERT_EQ(exports.names.size(), 2u);
  EXPECT_EQ(exports.names[0], (std::pair<std::string, uint32_t>("_DetectWindows@0", 1)));
  EXPECT_EQ(exports.names[1], (std::pair<std::string, uint32_t>("_lstrcmpni@12", 2)));
  for (uint32_t rva : exports.functionRvas) EXPECT_GE(pe::OffsetOf(image, rva), 0) << "export points nowhere";
  EXPECT_NE(exports.functionRvas[0], exports.functionRvas[1]);
}

TEST(InstallerImage, ImportsOnlySystemLibraries) {
  pe::Image image = LoadInstaller();
  std::vector<std::string> modules;
  std::string error;
  ASSERT_TRUE(pe::ReadImportedModules(image, &modules, &error)) << error;
  const std::vector<std::string> allowed = {"kernel32.dll", "user32.dll", "gdi32.dll", "advapi32.dll", "msvcrt.dll"};
  EXPECT_FALSE(modules.empty());
  for (std::string m : modules) {
    std::transform(m.begin(), m.end(), m.begin(), [](unsigned char c) { return (char)std::tolower(c); });
    EXPECT_NE(std::find(allowed.begin(), allowed.end(), m), allowed.end()) << "imports " << m;
  }
}

TEST(InstallerImage, AnotherModuleFindsTheExportsByNameAndOrdinal) {
  // Wine 8 neither relocates nor resolves the imports of an EXE loaded this way, so
  // only lstrcmpni, which touches no import and no global, is called.
  HMODULE module = LoadLibraryExA(BuildPath("install.exe").c_str(), nullptr, DONT_RESOLVE_DLL_REFERENCES);
  ASSERT_NE(module, nullptr);
  FARPROC byName = GetProcAddress(module, "_lstrcmpni@12");
  FARPROC byOrdinal = GetProcAddress(module, MAKEINTRESOURCEA(2));
  EXPECT_NE(byName, nullptr);
  EXPECT_EQ(byName, byOrdinal);
  EXPECT_EQ(GetProcAddress(module, "_DetectWindows@0"), GetProcAddress(module, MAKEINTRESOURCEA(1)));
  EXPECT_NE(GetProcAddress(module, "_DetectWindows@0"), nullptr);
  if (byName != nullptr) {
    auto compare = reinterpret_cast<int(__stdcall*)(const char*, const char*, unsigned long)>(
        reinterpret_cast<void*>(byName));
    EXPECT_EQ(compare("abc", "ABD", 3), -1);
    EXPECT_EQ(compare("abc", "ABD", 65538), 0);
  }
  FreeLibrary(module);
}
