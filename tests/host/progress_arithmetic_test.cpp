#include "payload/progress_arithmetic.h"

#include <gtest/gtest.h>

TEST(ProgressArithmetic, PercentageTruncatesAndStopsAt100) {
  EXPECT_EQ(ProgressPercent(0, 1000), 0);
  EXPECT_EQ(ProgressPercent(379, 1000), 37);
  EXPECT_EQ(ProgressPercent(999, 1000), 99);
  EXPECT_EQ(ProgressPercent(1000, 1000), 100);
  // The count of bytes read includes four bytes per entry that the total leaves out.
  EXPECT_EQ(ProgressPercent(1040, 1000), 100);
}

TEST(ProgressArithmetic, LargeArchivesNeedNoWrapOf32Bits) {
  // 100 x 0x7FFFFFFF and 0x7FFFFFFF x width both pass 2^31.
  EXPECT_EQ(ProgressPercent(0x40000000u, 0x7FFFFFFFu), 50);
  EXPECT_EQ(ProgressPercent(0x7FFFFFFFu, 0x7FFFFFFFu), 100);
  EXPECT_EQ(ProgressBarWidth(160, 0x40000000u, 0x7FFFFFFFu), 80);
  EXPECT_EQ(ProgressBarWidth(160, 0xFFFFFFFFu, 0x7FFFFFFFu), 160);
}

TEST(ProgressArithmetic, BarStaysWithinTheControl) {
  EXPECT_EQ(ProgressBarWidth(160, 0, 4000), 0);
  EXPECT_EQ(ProgressBarWidth(160, 1000, 4000), 40);
  EXPECT_EQ(ProgressBarWidth(160, 3999, 4000), 159);
  EXPECT_EQ(ProgressBarWidth(160, 4200, 4000), 160);
  EXPECT_EQ(ProgressBarWidth(0, 100, 4000), 0);
  EXPECT_EQ(ProgressBarWidth(-5, 100, 4000), 0);
}

TEST(ProgressArithmetic, AnEmptyArchiveDrawsNothing) {
  EXPECT_EQ(ProgressPercent(0, 0), 0);
  EXPECT_EQ(ProgressPercent(6, 0), 0);
  EXPECT_EQ(ProgressBarWidth(160, 6, 0), 0);
}
