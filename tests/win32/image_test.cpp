// The built install.exe, read as a file: what kind of image it is and what it
// exports (what it imports: platform_contract_test.cpp).
#include <gtest/gtest.h>

#include "test_support.h"
#include "tools/pe_image/pe_image.h"

using testing_support::BuildPath;

namespace {

// The exported names: i686 decorates the standard calling convention; x86-64, which
// has one calling convention, exports the plain names (the 64-bit twin).
#ifdef LMVR_TWIN
const char kDetectWindowsName[] = "DetectWindows";
const char kLstrcmpniName[] = "lstrcmpni";
#else
const char kDetectWindowsName[] = "_DetectWindows@0";
const char kLstrcmpniName[] = "_lstrcmpni@12";
#endif

pe::Image LoadInstaller() {
  pe::Image image;
  std::string error;
  EXPECT_TRUE(pe::LoadFile(BuildPath("install.exe"), &image, &error)) << error;
  return image;
}

}  // namespace

TEST(InstallerImage, IsAProgramWithNoTimeStamp) {
  // Machine, subsystem and relocations: platform_contract_test.cpp.
  pe::Image image = LoadInstaller();
  EXPECT_EQ(image.characteristics & 0x2000, 0) << "must be a program, not a DLL";
  EXPECT_EQ(image.timeDateStamp, 0u);
}

TEST(InstallerImage, ExportsTheTwoHelpersUnderTheirNamesAndOrdinals) {
  pe::Image image = LoadInstaller();
  pe::Exports exports;
  std::string error;
  ASSERT_TRUE(pe::ReadExports(image, &exports, &error)) << error;
  EXPECT_EQ(exports.moduleName, "lmvr.ent");
  EXPECT_EQ(exports.ordinalBase, 1u);
  EXPECT_EQ(exports.functionCount, 2u);
  EXPECT_EQ(exports.nameCount, 2u);
  ASSERT_EQ(exports.names.size(), 2u);
  EXPECT_EQ(exports.names[0], (std::pair<std::string, uint32_t>(kDetectWindowsName, 1)));
  EXPECT_EQ(exports.names[1], (std::pair<std::string, uint32_t>(kLstrcmpniName, 2)));
  for (uint32_t rva : exports.functionRvas) EXPECT_GE(pe::OffsetOf(image, rva), 0) << "export points nowhere";
  EXPECT_NE(exports.functionRvas[0], exports.functionRvas[1]);
}

TEST(InstallerImage, AnotherModuleFindsTheExportsByNameAndOrdinal) {
  // Wine 8 neither relocates nor resolves the imports of an EXE loaded this way, so
  // only lstrcmpni, which touches no import and no global, is called.
  HMODULE module = LoadLibraryExA(BuildPath("install.exe").c_str(), nullptr, DONT_RESOLVE_DLL_REFERENCES);
  ASSERT_NE(module, nullptr);
  FARPROC byName = GetProcAddress(module, kLstrcmpniName);
  FARPROC byOrdinal = GetProcAddress(module, MAKEINTRESOURCEA(2));
  EXPECT_NE(byName, nullptr);
  EXPECT_EQ(byName, byOrdinal);
  EXPECT_EQ(GetProcAddress(module, kDetectWindowsName), GetProcAddress(module, MAKEINTRESOURCEA(1)));
  EXPECT_NE(GetProcAddress(module, kDetectWindowsName), nullptr);
  if (byName != nullptr) {
    auto compare = reinterpret_cast<int(__stdcall*)(const char*, const char*, unsigned long)>(
        reinterpret_cast<void*>(byName));
    EXPECT_EQ(compare("abc", "ABD", 3), -1);
    EXPECT_EQ(compare("abc", "ABD", 65538), 0);
  }
  FreeLibrary(module);
}
