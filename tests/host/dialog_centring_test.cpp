#include "dialogs/dialog_centring.h"

#include <gtest/gtest.h>

#include <climits>

TEST(DialogCentring, SplitsTheFreeRoomEvenly) {
  EXPECT_EQ(CentredCoordinate(1024, 0, 400), 312);
  // Where the window starts does not matter, only its extent.
  EXPECT_EQ(CentredCoordinate(1024, 500, 900), 312);
  EXPECT_EQ(CentredCoordinate(1024, -300, 100), 312);
  EXPECT_EQ(CentredCoordinate(768, 0, 768), 0);
  // An odd remainder is dropped: 1 free pixel gives 0.
  EXPECT_EQ(CentredCoordinate(1024, 0, 1023), 0);
  EXPECT_EQ(CentredCoordinate(1024, 0, 1021), 1);
}

TEST(DialogCentring, WiderThanTheScreenTruncatesTowardZero) {
  EXPECT_EQ(CentredCoordinate(1024, 0, 1027), -1);  // -3 / 2, not -2
  EXPECT_EQ(CentredCoordinate(1024, 0, 1025), 0);   // -1 / 2
  EXPECT_EQ(CentredCoordinate(640, 10, 1290), -320);
  EXPECT_EQ(CentredCoordinate(0, 0, 5), -2);
}

TEST(DialogCentring, ExtremeRectanglesNeitherOverflowNorWrap) {
  EXPECT_EQ(CentredCoordinate(INT_MAX, INT_MIN, INT_MIN), INT_MAX / 2);
  EXPECT_EQ(CentredCoordinate(0, INT_MIN, INT_MAX), -INT_MAX);  // -(2^32 - 1) / 2
  // (-2^31 - (2^32 - 1)) / 2 lies below INT_MIN, and its mirror above INT_MAX.
  EXPECT_EQ(CentredCoordinate(INT_MIN, INT_MIN, INT_MAX), INT_MIN);
  EXPECT_EQ(CentredCoordinate(INT_MAX, INT_MAX, INT_MIN), INT_MAX);
}
