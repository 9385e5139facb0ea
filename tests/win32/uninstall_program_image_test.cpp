// The sample program with the uninstall kit linked in, read as a file: it must load
// on Windows 95, NT 3.51 and Win32s, none of which has a C runtime DLL. Wine has
// every DLL, so only the import table shows a wrong one.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>

#include "test_support.h"
#include "tools/pe_image/pe_image.h"

TEST(UninstallProgramImage, ImportsOnlyTheSystemsOwnLibraries) {
  pe::Image image;
  std::string error;
  ASSERT_TRUE(pe::LoadFile(testing_support::BuildPath("examples/product/LUMIVORA.EXE"), &image, &error)) << error;
  std::vector<std::string> modules;
  ASSERT_TRUE(pe::ReadImportedModules(image, &modules, &error)) << error;
  for (std::string& m : modules) {
    std::transform(m.begin(), m.end(), m.begin(), [](unsigned char c) { return (char)std::tolower(c); });
  }
  std::sort(modules.begin(), modules.end());
  EXPECT_EQ(modules, (std::vector<std::string>{"advapi32.dll", "gdi32.dll", "kernel32.dll", "user32.dll"}));
}
