#include "options/install_path.h"

#include <gtest/gtest.h>

#include <vector>

#include "common/bounded_text.h"
#include "common/installer_state.h"
#include "test_support.h"

using namespace testing_support;

namespace {

void SetInstallDirectory(const std::string& path) {
  ASSERT_EQ(CopyBounded(InstallDirectory, sizeof InstallDirectory, path.c_str()), 0);
}

}  // namespace

TEST(CreateInstallPath, CreatesEveryLevelOfWhatItIsGiven) {
  ScratchDir dir("levels");
  const std::string d = dir.path();
  char previous[MAX_PATH];
  GetCurrentDirectoryA(sizeof previous, previous);
  ASSERT_TRUE(SetCurrentDirectoryA(d.c_str()));
  const struct {
    std::string given;
    std::string kept;                // InstallDirectory afterwards
    std::vector<std::string> made;  // below the scratch folder
  } cases[] = {
      // Leading blanks are stripped, a trailing one is kept.
      {" \t " + d + "\\Program Files\\Lumivora ", d + "\\Program Files\\Lumivora ",
       {"Program Files", "Program Files\\Lumivora"}},
      {d + "/a/b\\c/", d + "/a/b\\c/", {"a\\b\\c"}},
      // Below the current directory, and never replaced by the full form.
      {"Lumivora\\Sub", "Lumivora\\Sub", {"Lumivora\\Sub"}},
      // Empty means the current directory.
      {"  ", "", {}},
      // A drive that does not exist still resolves.
      {"Q:\\Nowhere\\Lumivora", "Q:\\Nowhere\\Lumivora", {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE("'" + c.given + "'");
    SetInstallDirectory(c.given);
    EXPECT_EQ(CreateInstallPath(), 0);
    EXPECT_EQ(std::string(InstallDirectory), c.kept);
    for (const std::string& made : c.made) EXPECT_TRUE(DirectoryExists(dir / made)) << made;
    EXPECT_EQ(CreateInstallPath(), 0) << "a second run finds every level there";
  }
  SetCurrentDirectoryA(previous);
  EXPECT_FALSE(DirectoryExists("Q:\\Nowhere"));
}

TEST(CreateInstallPath, AFullPathTooDeepForItsFilesIsRefusedAndNothingIsCreated) {
  // A relative name whose full form, below the current directory, is too long: with
  // "\lmvr.opt" below it, 127 characters still fit.
  ScratchDir dir("toolong");
  char previous[MAX_PATH];
  GetCurrentDirectoryA(sizeof previous, previous);
  ASSERT_TRUE(SetCurrentDirectoryA(dir.path().c_str()));
  std::string relative = "first\\" + std::string(118 - dir.path().size() - 1 - 6, 'x');
  ASSERT_EQ(dir.path().size() + 1 + relative.size(), 118u);
  SetInstallDirectory(relative);
  EXPECT_EQ(CreateInstallPath(), 0);
  EXPECT_TRUE(DirectoryExists(dir / "first"));
  RemoveTree(dir / "first");
  SetInstallDirectory(relative + "y");
  EXPECT_EQ(CreateInstallPath(), 1);
  SetCurrentDirectoryA(previous);
  EXPECT_FALSE(DirectoryExists(dir / "first"));
}
