#include "platform/numeric.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using platform::numericValue;
using platform::roundToInt32;

TEST(NumericValue, TakesTheLeadingNumberAndIgnoresBlanks)
{
    EXPECT_EQ(numericValue(u"425"), 425);
    EXPECT_EQ(numericValue(u" 425 "), 425);
    EXPECT_EQ(numericValue(u"1 0 2 4"), 1024);
    EXPECT_EQ(numericValue(u"\t321\r\n"), 321);
    EXPECT_EQ(numericValue(u"0999"), 999);
    EXPECT_EQ(numericValue(u"12abc"), 12);
    EXPECT_EQ(numericValue(u"-3.5x"), -3.5);
    EXPECT_EQ(numericValue(u"+7"), 7);
    EXPECT_EQ(numericValue(u".5"), 0.5);
    EXPECT_EQ(numericValue(u"1.5.3"), 1.5);
    EXPECT_EQ(numericValue(u"1e3"), 1000);
    EXPECT_EQ(numericValue(u"2E"), 2);
}

TEST(NumericValue, TextWithoutLeadingNumberIsZero)
{
    EXPECT_EQ(numericValue(u""), 0);
    EXPECT_EQ(numericValue(u"   "), 0);
    EXPECT_EQ(numericValue(u"abc"), 0);
    EXPECT_EQ(numericValue(u"-"), 0);
    EXPECT_EQ(numericValue(u"."), 0);
    EXPECT_EQ(numericValue(u"x12"), 0);
    EXPECT_EQ(numericValue(u"１２"), 0); // full-width digits are not digits here
}

TEST(RoundToInt32, RoundsHalvesToTheEvenNeighbour)
{
    EXPECT_EQ(roundToInt32(212.5), 212);
    EXPECT_EQ(roundToInt32(318.5), 318);
    EXPECT_EQ(roundToInt32(319.5), 320);
    EXPECT_EQ(roundToInt32(-2.5), -2);
    EXPECT_EQ(roundToInt32(0.49999999), 0);
    EXPECT_EQ(roundToInt32(682.66), 683);
}

TEST(RoundToInt32, OutsideThe32BitRangeHasNoValue)
{
    EXPECT_EQ(roundToInt32(2147483647.4), 2147483647);
    EXPECT_EQ(roundToInt32(-2147483648.4), -2147483647 - 1);
    EXPECT_EQ(roundToInt32(2147483647.5), std::nullopt); // rounds to 2^31
    EXPECT_EQ(roundToInt32(1e20), std::nullopt);
    EXPECT_EQ(roundToInt32(std::numeric_limits<double>::infinity()), std::nullopt);
    EXPECT_EQ(roundToInt32(std::nan("")), std::nullopt);
}
