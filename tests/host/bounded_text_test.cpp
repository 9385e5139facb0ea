#include "common/bounded_text.h"

#include <gtest/gtest.h>

#include <cstring>

TEST(BoundedText, CopyCutsAndNeverWritesPastTheBuffer) {
  char buf[8];
  std::memset(buf, 'x', sizeof buf);
  EXPECT_EQ(CopyBounded(buf, 5, "abcdefgh"), -1);
  EXPECT_STREQ(buf, "abcd");
  EXPECT_EQ(buf[5], 'x');  // untouched beyond the given size
  EXPECT_EQ(CopyBounded(buf, 5, "abcd"), 0);
  EXPECT_STREQ(buf, "abcd");
  EXPECT_EQ(CopyBounded(buf, 0, "a"), -1);
  EXPECT_EQ(buf[0], 'a');
}

TEST(BoundedText, AppendAndJoinPathInsertOneSeparator) {
  char buf[32] = "C:\\Program Files";
  EXPECT_EQ(JoinPath(buf, sizeof buf, "Lumivora"), 0);
  EXPECT_STREQ(buf, "C:\\Program Files\\Lumivora");
  for (const char* dir : {"D:\\", "D:", "/tmp/"}) {
    char b[16];
    CopyBounded(b, sizeof b, dir);
    JoinPath(b, sizeof b, "x");
    EXPECT_EQ(std::string(b), std::string(dir) + "x");
  }
  char small[6] = "ab";
  EXPECT_EQ(AppendBounded(small, sizeof small, "cdefg"), -1);
  EXPECT_STREQ(small, "abcde");
}

TEST(BoundedText, FormatHandlesTheInstallersConversions) {
  char buf[64];
  EXPECT_EQ(FormatBounded(buf, sizeof buf, "occupy %ldK", 3984L), 0);
  EXPECT_STREQ(buf, "occupy 3984K");
  FormatBounded(buf, sizeof buf, "(%d) %s %u%%", -1, "C:\\A", 37u);
  EXPECT_STREQ(buf, "(-1) C:\\A 37%");
  FormatBounded(buf, sizeof buf, "%ld|%c|%x", -2147483647L - 1, 'Q');
  EXPECT_STREQ(buf, "-2147483648|Q|%x");
  FormatBounded(buf, sizeof buf, "end%");
  EXPECT_STREQ(buf, "end%");
}

TEST(BoundedText, FormatCutsLongOutput) {
  char buf[10];
  std::memset(buf, 'x', sizeof buf);
  EXPECT_EQ(FormatBounded(buf, 8, "%s=%d", "a long name", 12345), -1);
  EXPECT_STREQ(buf, "a long ");
  EXPECT_EQ(buf[8], 'x');
}
