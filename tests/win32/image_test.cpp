// The built install.exe, read as a file: what kind of image it is, what it exports
// and the manifest it carries (what it imports: platform_contract_test.cpp).
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

TEST(InstallerImage, TheStubAndTheInstallerAskForAdministratorRightsOnTodaysWindows) {
  for (const char* name : {"install-stub.exe", "install.exe"}) {
    SCOPED_TRACE(name);
    std::string path = BuildPath(name);
    pe::Image image;
    std::vector<pe::Resource> resources;
    std::string error;
    ASSERT_TRUE(pe::LoadFile(path, &image, &error) && pe::ReadResources(image, &resources, &error)) << error;
    const pe::Resource* manifest = pe::FindNumericResource(resources, 24, 1);  // RT_MANIFEST
    ASSERT_NE(manifest, nullptr);
    EXPECT_EQ(manifest->language, 0x0409u);
    std::string text(manifest->data.begin(), manifest->data.end());
    // Per-monitor awareness would have the dialogs redrawn on every move between
    // screens; common controls 6 would draw them with other controls.
    EXPECT_EQ(text.find("dpiAwareness"), std::string::npos) << text;
    EXPECT_EQ(text.find("PerMonitor"), std::string::npos) << text;
    EXPECT_EQ(text.find("Common-Controls"), std::string::npos) << text;

    // The manifest as a loader reads it: Wine's parser of activation contexts.
    ACTCTXA request = {};
    request.cbSize = sizeof request;
    request.dwFlags = ACTCTX_FLAG_RESOURCE_NAME_VALID;
    request.lpSource = path.c_str();
    request.lpResourceName = MAKEINTRESOURCEA(1);
    HANDLE context = CreateActCtxA(&request);
    ASSERT_NE(context, INVALID_HANDLE_VALUE) << "the manifest does not parse: " << GetLastError();
    ACTIVATION_CONTEXT_RUN_LEVEL_INFORMATION level = {};
    SIZE_T size = 0;
    EXPECT_TRUE(QueryActCtxW(0, context, nullptr, RunlevelInformationInActivationContext, &level, sizeof level, &size));
    EXPECT_EQ(level.RunLevel, ACTCTX_RUN_LEVEL_REQUIRE_ADMIN);
    EXPECT_EQ(level.UiAccess, 0u);
    // Vista, 7, 8, 8.1 and 10 (which 11 shares). Only the count is read: the size of
    // an element differs between headers.
    DWORD compatibility[64] = {};
    EXPECT_TRUE(QueryActCtxW(0, context, nullptr, CompatibilityInformationInActivationContext, compatibility,
                             sizeof compatibility, &size));
    EXPECT_EQ(compatibility[0], 5u);
    // DPI aware for the whole system: drawn at the screen's resolution, not stretched.
    WCHAR aware[16] = {};
    EXPECT_TRUE(QueryActCtxSettingsW(0, context, nullptr, L"dpiAware", aware, 16, &size)) << GetLastError();
    EXPECT_EQ(std::wstring(aware), L"true");
    ReleaseActCtx(context);
  }
}
