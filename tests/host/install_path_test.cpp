#include "options/install_path.h"

#include <gtest/gtest.h>

#include "common/room_arithmetic.h"
#include "payload/archive_format.h"

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

// The room check goes up one level at a time to the nearest that exists; "" for none.
TEST(DirectoryLevels, CuttingTheLastLevelKeepsItsSeparatorAndStopsAtTheRoot) {
  using Cut = std::pair<std::string, std::string>;
  for (auto [path, cut] : {Cut{"C:\\Program Files\\Lumivora\\", "C:\\Program Files\\"}, Cut{"C:\\A\\", "C:\\"},
                           Cut{"C:/a/b\\c/", "C:/a/b\\"}, Cut{"\\\\server\\share\\d\\", "\\\\server\\share\\"},
                           Cut{"C:\\", ""}, Cut{"C:", ""}, Cut{"\\", ""}, Cut{"", ""}}) {
    std::string was = path;
    EXPECT_EQ(CutLastLevel(&path[0]), !cut.empty()) << was;
    EXPECT_EQ(path.c_str(), cut.empty() ? was : cut);
  }
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

// What a product needs on a drive: every file rounded up to the drive's unit, one unit
// for the options file, nothing subtracted for files replaced (they stay set aside
// until the copy has succeeded); shown in kilobytes towards refusal.
TEST(RoomNeeded, RoundsEveryFileUpToTheDrivesUnit) {
  RoomTable table;
  ClearRoomTable(&table);
  EXPECT_EQ(RoomNeeded(&table, 512), 512u) << "an empty product still writes its options file";
  for (uint32_t size : {0u, 1u, 4096u, 4097u, 0x7FFFFFFFu}) AddFileToRoom(&table, size);
  const uint64_t big = 0x80000000ull;  // the largest file, rounded up to any unit up to 2 GB
  const std::pair<uint32_t, uint64_t> cases[] = {
      {512, 512 + 4096 + 4608 + big + 512},
      {4096, 4096 + 4096 + 8192 + big + 4096},
      {0, 4096 + 4096 + 8192 + big + 4096},     // not known: 4 KB
      {3000, 4096 + 4096 + 8192 + big + 4096},  // no power of two: the next one
      // Past the table's 2 MB each of the five files may take 6 MB more: high by the
      // 12 MB of the empty and the 2 GB file, never low.
      {8u << 20, 3 * (2u << 20) + big + 5 * (6ull << 20) + (8u << 20)},
  };
  for (const auto& [unit, needed] : cases) EXPECT_EQ(RoomNeeded(&table, unit), needed) << unit;
  EXPECT_EQ(KilobytesUp(1), 1);
  EXPECT_EQ(KilobytesDown(2047), 1);
  EXPECT_EQ(KilobytesDown((5ull << 30) + 1023), 5l << 20) << "past 32 bits of bytes";
  EXPECT_EQ(KilobytesDown(5ull << 40), 0x7FFFFFFF) << "5 TB free";
}

TEST(SetAsidePath, InTheTargetsFolderUnderTheEntrysNumber) {
  char out[40];
  ASSERT_EQ(SetAsidePath("C:\\P\\ENGLISH\\INDEX.HTM", 0x2AF, 0, out, sizeof out), 0);
  EXPECT_STREQ(out, "C:\\P\\ENGLISH\\~LMV02AF.TMP");
  ASSERT_EQ(SetAsidePath("C:\\P\\INDEX.HTM", 0x2AF, kSetAsideNames - 1, out, sizeof out), 0);
  EXPECT_STREQ(out, "C:\\P\\~LMV02AF.T0F") << "the last of the entry's further names";
  EXPECT_EQ(SetAsidePath("C:\\Program Files\\Lumivora\\LUMIVORA.EXE", 1, 0, out, 30), -1) << "cut, never past";
}
