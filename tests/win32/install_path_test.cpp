#include "options/install_path.h"

#include <gtest/gtest.h>

#include "common/bounded_text.h"
#include "driver/installer_state.h"
#include "test_support.h"

using namespace testing_support;

namespace {

void SetInstallDirectory(const std::string& path) {
  ASSERT_EQ(CopyBounded(InstallDirectory, sizeof InstallDirectory, path.c_str()), 0);
}

}  // namespace

TEST(CreateInstallPath, CreatesEveryLevelAndStripsLeadingBlanks) {
  ScratchDir dir("levels");
  SetInstallDirectory(" \t " + dir.path() + "\\Program Files\\Lumivora ");
  EXPECT_EQ(CreateInstallPath(), 0);
  EXPECT_EQ(std::string(InstallDirectory), dir.path() + "\\Program Files\\Lumivora ");  // trailing blank kept
  EXPECT_TRUE(DirectoryExists(dir / "Program Files"));
  EXPECT_TRUE(DirectoryExists(dir / "Program Files\\Lumivora"));
  EXPECT_EQ(CreateInstallPath(), 0);  // a second run finds every level there
}

TEST(CreateInstallPath, ForwardSlashesAndATrailingSeparator) {
  ScratchDir dir("slashes");
  SetInstallDirectory(dir.path() + "/a/b\\c/");
  EXPECT_EQ(CreateInstallPath(), 0);
  EXPECT_TRUE(DirectoryExists(dir / "a\\b\\c"));
}

TEST(CreateInstallPath, ARelativeNameIsCreatedBelowTheCurrentDirectory) {
  ScratchDir dir("relative");
  char previous[MAX_PATH];
  GetCurrentDirectoryA(sizeof previous, previous);
  ASSERT_TRUE(SetCurrentDirectoryA(dir.path().c_str()));
  SetInstallDirectory("Lumivora\\Sub");
  EXPECT_EQ(CreateInstallPath(), 0);
  SetCurrentDirectoryA(previous);
  EXPECT_TRUE(DirectoryExists(dir / "Lumivora\\Sub"));
  EXPECT_EQ(std::string(InstallDirectory), "Lumivora\\Sub");  // never replaced by the full form
}

TEST(CreateInstallPath, AFullPathOf260CharactersIsRefusedAndNothingIsCreated) {
  // A relative name whose full form, below the current directory, is too long.
  ScratchDir dir("toolong");
  char previous[MAX_PATH];
  GetCurrentDirectoryA(sizeof previous, previous);
  ASSERT_TRUE(SetCurrentDirectoryA(dir.path().c_str()));
  std::string relative = "first\\" + std::string(259 - dir.path().size() - 1 - 6, 'x');
  ASSERT_EQ(dir.path().size() + 1 + relative.size(), 259u);
  SetInstallDirectory(relative);
  EXPECT_EQ(CreateInstallPath(), 0);  // 259 characters still fit
  EXPECT_TRUE(DirectoryExists(dir / "first"));
  RemoveTree(dir / "first");
  SetInstallDirectory(relative + "y");
  EXPECT_EQ(CreateInstallPath(), 1);
  SetCurrentDirectoryA(previous);
  EXPECT_FALSE(DirectoryExists(dir / "first"));
}

TEST(CreateInstallPath, EmptyMeansTheCurrentDirectory) {
  SetInstallDirectory("  ");
  EXPECT_EQ(CreateInstallPath(), 0);
  EXPECT_STREQ(InstallDirectory, "");
}

TEST(CreateInstallPath, AMissingDriveStillResolves) {
  SetInstallDirectory("Q:\\Nowhere\\Lumivora");
  EXPECT_EQ(CreateInstallPath(), 0);
  EXPECT_FALSE(DirectoryExists("Q:\\Nowhere"));
}
