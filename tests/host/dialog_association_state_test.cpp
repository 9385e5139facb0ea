#include "dialogs/association_state.h"

#include <gtest/gtest.h>

#include <climits>

TEST(AssociationState, ReadsSignedDecimals) {
  EXPECT_EQ(AssociationState("0"), 0);
  EXPECT_EQ(AssociationState("1"), 1);
  EXPECT_EQ(AssociationState("256"), 256);
  EXPECT_EQ(AssociationState("-1"), -1);
  EXPECT_EQ(AssociationState("+7"), 7);
  EXPECT_EQ(AssociationState("007"), 7);
  EXPECT_EQ(AssociationState("2147483647"), INT_MAX);
  EXPECT_EQ(AssociationState("-2147483648"), INT_MIN);
}

TEST(AssociationState, SkipsLeadingWhiteSpaceAndStopsAtTheFirstNonDigit) {
  EXPECT_EQ(AssociationState(" \t\n\v\f\r42"), 42);
  EXPECT_EQ(AssociationState("  -3"), -3);
  EXPECT_EQ(AssociationState("12abc"), 12);
  EXPECT_EQ(AssociationState("1 2"), 1);
  EXPECT_EQ(AssociationState("3.9"), 3);
  // White space ends at the sign: none is allowed between sign and digits.
  EXPECT_EQ(AssociationState("- 5"), 0);
  // 0x08 and 0x0E lie just outside the white-space range; 0xA0 is no space either.
  EXPECT_EQ(AssociationState("\x08" "5"), 0);
  EXPECT_EQ(AssociationState("\x0E" "5"), 0);
  EXPECT_EQ(AssociationState("\xA0" "5"), 0);
}

TEST(AssociationState, NoDigitsGiveZero) {
  for (const char* text : {"", "yes", "+", "-", "--1", "+-1", " ", "x1"}) {
    EXPECT_EQ(AssociationState(text), 0) << "'" << text << "'";
  }
  EXPECT_EQ(AssociationState(nullptr), 0);
}

TEST(AssociationState, ValuesBeyondThirtyTwoBitsWrapWithoutOverflow) {
  // Built with the sanitizers, a signed overflow here would stop the test.
  EXPECT_EQ(AssociationState("2147483648"), INT_MIN);
  EXPECT_EQ(AssociationState("4294967295"), -1);
  EXPECT_EQ(AssociationState("4294967296"), 0);
  EXPECT_EQ(AssociationState("4294967553"), 257);
  EXPECT_EQ(AssociationState("-4294967297"), -1);
  EXPECT_EQ(AssociationState("99999999999999999999"), 1661992959);  // 10^20 mod 2^32
}
