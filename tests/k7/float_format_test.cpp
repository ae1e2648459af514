#include <gtest/gtest.h>

#include "k7/FloatFormat.h"

namespace skylog {
namespace {

TEST(FormatFixed, DecimalsRoundingAndPrecision) {
    const struct {
        long double value;
        int decimals;
        const char* text;
    } cases[] = {
        {0.0L, 0, "0"}, {0.0L, 2, "0,00"}, {870.0L, 0, "870"}, {-40.0L, 1, "-40,0"},
        // Half away from zero, on the decimal digits.
        {0.5L, 0, "1"}, {2.5L, 0, "3"}, {-0.5L, 0, "-1"}, {0.4L, 0, "0"}, {9.96L, 1, "10,0"},
        {-0.04L, 1, "0,0"},  // no "-0,0"
        // Six significant digits: the seventh prints as zero; more integer digits: scientific.
        {12345.678L, 2, "12345,70"}, {123456.0L, 0, "123456"}, {999999.6L, 0, "1E+6"},
        {16777215.0L, 0, "1,67772E+7"},
        {static_cast<float>(6513.3L), 1, "6513,3"},  // a float shows as the decimal it stands for
    };
    for (const auto& c : cases)
        EXPECT_EQ(FormatFixed(c.value, c.decimals, 6, ','), c.text) << static_cast<double>(c.value);
    EXPECT_EQ(FormatFixed(12.345L, 2, 6, '.'), "12.35");
}

}  // namespace
}  // namespace skylog
