#include "exports/exported_helpers.h"

#include <gtest/gtest.h>

TEST(Lstrcmpni, ComparesWithinTheCount) {
  EXPECT_EQ(lstrcmpni("abc", "ABD", 2), 0);
  EXPECT_EQ(lstrcmpni("abc", "ABD", 3), -1);
  EXPECT_EQ(lstrcmpni("ABD", "abc", 3), 1);
  EXPECT_EQ(lstrcmpni("ab", "abc", 5), -1);
  EXPECT_EQ(lstrcmpni("abc", "ab", 5), 1);
  EXPECT_EQ(lstrcmpni("", "", 5), 0);
  EXPECT_EQ(lstrcmpni("Lumivora", "LUMIVORA", 100), 0);
}

TEST(Lstrcmpni, OnlyTheLow16BitsOfTheCountCount) {
  EXPECT_EQ(lstrcmpni("a", "b", 0), 0);
  EXPECT_EQ(lstrcmpni("a", "b", 65536), 0);
  EXPECT_EQ(lstrcmpni("ab", "ac", 65537), 0);  // one character
  EXPECT_EQ(lstrcmpni("ab", "ac", 65538), -1);
  EXPECT_EQ(lstrcmpni("b", "a", 0xFFFF0001u), 1);
}

TEST(Lstrcmpni, FoldsOnlyAsciiLettersToUpperCase) {
  EXPECT_EQ(lstrcmpni("a_", "AB", 2), 1);   // 0x5F sorts after the folded B
  EXPECT_EQ(lstrcmpni("[", "a", 1), 1);     // 0x5B after A
  EXPECT_EQ(lstrcmpni("`", "z", 1), 1);     // 0x60 after Z
  EXPECT_EQ(lstrcmpni("@", "a", 1), -1);    // 0x40 before A
  EXPECT_EQ(lstrcmpni("\xE9", "\xC9", 1), 1);  // bytes above 0x7F are not folded
  EXPECT_EQ(lstrcmpni("\xC9", "\xE9", 1), -1);
  EXPECT_EQ(lstrcmpni("\xFF", "a", 1), 1);  // compared unsigned
}

TEST(WindowsFamily, DecodesTheVersionNumber) {
  EXPECT_EQ(WindowsFamilyFromVersion(0x80000A03u), 0u);  // Win32s on 3.10
  EXPECT_EQ(WindowsFamilyFromVersion(0x80004F03u), 0u);  // 3.79
  EXPECT_EQ(WindowsFamilyFromVersion(0x80005003u), 1u);  // 3.80
  EXPECT_EQ(WindowsFamilyFromVersion(0x80005F03u), 1u);  // 3.95
  EXPECT_EQ(WindowsFamilyFromVersion(0xC0000004u), 1u);  // Windows 95
  EXPECT_EQ(WindowsFamilyFromVersion(0x80000002u), 0u);  // major 2
  EXPECT_EQ(WindowsFamilyFromVersion(0x1DB10106u), 2u);  // NT 6.1
  EXPECT_EQ(WindowsFamilyFromVersion(0x00000A03u), 2u);  // bit 31 clear, whatever else
  EXPECT_EQ(WindowsFamilyFromVersion(0x7FFFFFFFu), 2u);
}
