#include "options/install_path.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<std::string> Levels(const std::string& full) {
  std::vector<std::string> out;
  size_t position = 3;
  size_t length = 0;
  while (NextDirectoryLevel(full.c_str(), &position, &length)) out.push_back(full.substr(0, length));
  return out;
}

using Strings = std::vector<std::string>;

}  // namespace

TEST(DirectoryLevels, OneLevelPerSeparatorFromOutermostToInnermost) {
  EXPECT_EQ(Levels("C:\\Program Files\\Lumivora"), (Strings{"C:\\Program Files", "C:\\Program Files\\Lumivora"}));
  EXPECT_EQ(Levels("D:\\Apps\\"), (Strings{"D:\\Apps"}));
  EXPECT_EQ(Levels("C:\\"), Strings{});
  EXPECT_EQ(Levels("C:\\Work\\Lumivora"), (Strings{"C:\\Work", "C:\\Work\\Lumivora"}));
  EXPECT_EQ(Levels("\\\\server\\share\\dir"), (Strings{"\\\\server", "\\\\server\\share", "\\\\server\\share\\dir"}));
}

TEST(DirectoryLevels, SlashAndBackslashAlike) {
  EXPECT_EQ(Levels("C:/a/b\\c/"), (Strings{"C:/a", "C:/a/b", "C:/a/b\\c"}));
}

TEST(DirectoryLevels, ShortPathsEndWithoutReadingPastThem) {
  EXPECT_EQ(Levels("C:"), Strings{});
  EXPECT_EQ(Levels(""), Strings{});
  EXPECT_EQ(Levels("C:\\a"), Strings{"C:\\a"});
}

TEST(StripLeadingBlanks, RemovesOnlyLeadingSpacesAndTabs) {
  char text[] = " \t  C:\\Program Files\\Lumivora  ";
  StripLeadingBlanks(text);
  EXPECT_STREQ(text, "C:\\Program Files\\Lumivora  ");
  char blanks[] = " \t ";
  StripLeadingBlanks(blanks);
  EXPECT_STREQ(blanks, "");
}

TEST(InstalledPaths, TheLongestMayHold127Characters) {
  const std::string hundred = "C:\\" + std::string(97, 'd');
  EXPECT_TRUE(InstalledPathsFit(hundred.c_str(), 26));              // 100 + "\" + 26 = 127
  EXPECT_FALSE(InstalledPathsFit((hundred + "e").c_str(), 26));     // 128
  EXPECT_TRUE(InstalledPathsFit((hundred + "\\").c_str(), 26));     // no second "\"
  EXPECT_FALSE(InstalledPathsFit(std::string(119, 'o').c_str(), 7));  // "\lmvr.opt" below it: 128
}
