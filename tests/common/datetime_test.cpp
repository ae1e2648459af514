#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "Common/DateTime.h"

namespace skylog {
namespace {

TEST(DateTime, EpochAndKnownDays) {
    TDateTime d = -1;
    ASSERT_TRUE(TryEncodeDate(1899, 12, 30, d));
    EXPECT_EQ(d, 0.0);
    ASSERT_TRUE(TryEncodeDate(2005, 3, 7, d));
    EXPECT_EQ(d, 38418.0);
    ASSERT_TRUE(TryEncodeDate(1900, 1, 1, d));
    EXPECT_EQ(d, 2.0);
}

TEST(DateTime, RefusesDatesAndTimesThatDoNotExist) {
    TDateTime d = 0;
    EXPECT_FALSE(TryEncodeDate(2005, 2, 30, d));
    EXPECT_FALSE(TryEncodeDate(2005, 13, 1, d));
    EXPECT_FALSE(TryEncodeDate(2005, 4, 31, d));
    EXPECT_FALSE(TryEncodeDate(2005, 1, 0, d));
    EXPECT_TRUE(TryEncodeDate(2004, 2, 29, d));
    EXPECT_FALSE(TryEncodeDate(1900, 2, 29, d));
    EXPECT_TRUE(TryEncodeDate(2000, 2, 29, d));
    EXPECT_FALSE(TryEncodeTime(24, 0, 0, 0, d));
    EXPECT_FALSE(TryEncodeTime(0, 60, 0, 0, d));
    EXPECT_FALSE(TryEncodeTime(0, 0, 60, 0, d));
    EXPECT_FALSE(TryEncodeTime(-1, 0, 0, 0, d));
}

TEST(DateTime, DecodeInvertsEncodeOverManyDays) {
    for (int y : {1899, 1900, 1981, 2000, 2004, 2049, 2080}) {
        for (int m = 1; m <= 12; ++m) {
            for (int day = 1; day <= DaysInMonth(y, m); day += 3) {
                auto value = EncodeDateTime(y, m, day, 23, 59, 59);
                ASSERT_TRUE(value.has_value());
                DateParts p = DecodeDate(*value);
                TimeParts t = DecodeTime(*value);
                EXPECT_EQ(p.year, y);
                EXPECT_EQ(p.month, m);
                EXPECT_EQ(p.day, day);
                EXPECT_EQ(t.hour, 23);
                EXPECT_EQ(t.minute, 59);
                EXPECT_EQ(t.second, 59);
            }
        }
    }
}

TEST(DateTime, EveryDayFollowsTheDayBefore) {
    TDateTime before = 0;
    ASSERT_TRUE(TryEncodeDate(1879, 12, 31, before));
    for (int y = 1880; y <= 2120; ++y)
        for (int m = 1; m <= 12; ++m)
            for (int day = 1; day <= DaysInMonth(y, m); ++day) {
                TDateTime d = 0;
                ASSERT_TRUE(TryEncodeDate(y, m, day, d));
                ASSERT_EQ(d, before + 1) << y << "-" << m << "-" << day;
                before = d;
            }
}

TEST(DateTime, TimeOfDayRoundsToTheMillisecond) {
    auto value = EncodeDateTime(2005, 3, 7, 14, 2, 10);
    ASSERT_TRUE(value);
    EXPECT_EQ(FormatTimeHMS(*value), "14:02:10");
    EXPECT_EQ(FormatDateDMY(*value), "07/03/2005");
    EXPECT_EQ(DateOf(*value), 38418.0);
}

// The day is the one whose milliseconds, rounded, start it: values just below midnight
// belong to the next day, on both sides of the epoch and at every distance from it.
TEST(DateTime, DateOfRoundsToTheMillisecondLikeTheTimeOfDay) {
    auto reference = [](double value) {
        const double whole = std::trunc(value);
        long days = static_cast<long>(whole);
        if (std::lround(std::fabs(value - whole) * kMSecsPerDay) >= static_cast<long>(kMSecsPerDay))
            days += value < 0 ? -1 : 1;
        return static_cast<double>(days);
    };
    std::mt19937_64 random(5);
    for (double day : {0.0, 1.0, -1.0, 38418.0, -693593.0, 2958465.0}) {
        for (double offset : {0.0, 0.5, 1.0, 1.4, 1.5, 1.6, 2.0, 1000.0, 43200000.0}) {
            for (double sign : {1.0, -1.0}) {
                const double near = day + sign * (1.0 - offset / kMSecsPerDay);
                for (double value : {near, std::nextafter(near, 0.0), std::nextafter(near, 1e300),
                                     std::nextafter(near, -1e300)})
                    ASSERT_EQ(DateOf(value), reference(value)) << std::hexfloat << value;
            }
        }
    }
    for (int i = 0; i < 200000; ++i) {
        const double value = std::uniform_real_distribution<double>(-700000.0, 3000000.0)(random);
        ASSERT_EQ(DateOf(value), reference(value)) << std::hexfloat << value;
    }
    EXPECT_EQ(DateOf(38418.0 + (kMSecsPerDay - 0.4) / kMSecsPerDay), 38419.0);
    EXPECT_EQ(DateOf(38418.0 + (kMSecsPerDay - 0.6) / kMSecsPerDay), 38418.0);
}

TEST(DateTime, FixedAndIsoForms) {
    EXPECT_EQ(ParseDateDMY("01/03/2005"), 38412.0);
    EXPECT_FALSE(ParseDateDMY("31/02/2005"));
    EXPECT_FALSE(ParseDateDMY("1/3"));
    auto t = ParseTimeHMS("23:59:00");
    ASSERT_TRUE(t);
    EXPECT_EQ(FormatTimeHMS(*t), "23:59:00");
    EXPECT_FALSE(ParseTimeHMS("25:00:00"));
    auto iso = ParseIsoDateTime("2005-03-07 14:02");
    ASSERT_TRUE(iso);
    EXPECT_EQ(FormatDateDMY(*iso) + " " + FormatTimeHMS(*iso), "07/03/2005 14:02:00");
    EXPECT_EQ(FormatIsoDate(*iso), "2005-03-07");
    EXPECT_FALSE(ParseIsoDate("2005-02-29"));
    EXPECT_EQ(FormatDateDMY(0.0), "30/12/1899");
}

TEST(DateTime, DisplayFormatsCanBeRepointed) {
    EXPECT_EQ(FormatShortDate(38418.5), "07/03/2005");
    SetShortDateFormatter([](TDateTime) { return std::string("autre"); });
    EXPECT_EQ(FormatShortDate(38418.5), "autre");
    SetShortDateFormatter(nullptr);
    EXPECT_EQ(FormatLongTime(38418.5), "12:00:00");
}

}  // namespace
}  // namespace skylog
