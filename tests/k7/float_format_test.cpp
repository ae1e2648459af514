#include <gtest/gtest.h>

#include "k7/FloatFormat.h"

namespace skylog {
namespace {

TEST(FormatFixed, DecimalsAndSeparator) {
    EXPECT_EQ(FormatFixed(0.0L, 0, 6, ','), "0");
    EXPECT_EQ(FormatFixed(0.0L, 2, 6, ','), "0,00");
    EXPECT_EQ(FormatFixed(870.0L, 0, 6, ','), "870");
    EXPECT_EQ(FormatFixed(12.345L, 2, 6, '.'), "12.35");
    EXPECT_EQ(FormatFixed(-40.0L, 1, 6, ','), "-40,0");
    EXPECT_EQ(FormatFixed(6.0L, 1, 6, ','), "6,0");
}

TEST(FormatFixed, RoundsHalfAwayFromZero) {
    EXPECT_EQ(FormatFixed(0.5L, 0, 6, ','), "1");
    EXPECT_EQ(FormatFixed(2.5L, 0, 6, ','), "3");
    EXPECT_EQ(FormatFixed(-0.5L, 0, 6, ','), "-1");
    EXPECT_EQ(FormatFixed(0.4L, 0, 6, ','), "0");
    EXPECT_EQ(FormatFixed(-0.04L, 1, 6, ','), "0,0");  // no "-0,0"
    EXPECT_EQ(FormatFixed(9.96L, 1, 6, ','), "10,0");
    EXPECT_EQ(FormatFixed(999999.6L, 0, 6, ','), "1E+6");
}

TEST(FormatFixed, PrecisionLimitsSignificantDigits) {
    // A float near 6513.3 shows as 6513.3 with one decimal.
    EXPECT_EQ(FormatFixed(static_cast<float>(6513.3L), 1, 6, ','), "6513,3");
    // Six significant digits: the seventh prints as zero.
    EXPECT_EQ(FormatFixed(12345.678L, 2, 6, ','), "12345,70");
    EXPECT_EQ(FormatFixed(123456.0L, 0, 6, ','), "123456");
    // More integer digits than the precision: scientific.
    EXPECT_EQ(FormatFixed(16777215.0L, 0, 6, ','), "1,67772E+7");
}

}  // namespace
}  // namespace skylog
