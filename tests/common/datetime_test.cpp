#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <tuple>

#include "Common/DateTime.h"

namespace skylog {
namespace {

TEST(DateTime, EpochKnownDaysAndDatesThatDoNotExist) {
    const std::tuple<int, int, int, double> known[] = {
        {1899, 12, 30, 0.0}, {1900, 1, 1, 2.0}, {2005, 3, 1, 38412.0}, {2005, 3, 7, 38418.0}};
    for (const auto& [y, m, day, value] : known) {
        TDateTime d = -1;
        EXPECT_TRUE(TryEncodeDate(y, m, day, d) && d == value) << y << "-" << m << "-" << day;
    }
    TDateTime d = 0;
    const std::tuple<int, int, int> missing[] = {{2005, 2, 30}, {2005, 13, 1}, {2005, 4, 31}, {2005, 1, 0},
                                                 {1900, 2, 29}};
    for (const auto& [y, m, day] : missing) EXPECT_FALSE(TryEncodeDate(y, m, day, d)) << y << "-" << m << "-" << day;
    EXPECT_TRUE(TryEncodeDate(2004, 2, 29, d));
    EXPECT_TRUE(TryEncodeDate(2000, 2, 29, d));
    const std::tuple<int, int, int> badTimes[] = {{24, 0, 0}, {0, 60, 0}, {0, 0, 60}, {-1, 0, 0}};
    for (const auto& [h, n, s] : badTimes) EXPECT_FALSE(TryEncodeTime(h, n, s, 0, d)) << h << ":" << n << ":" << s;
}

// On both sides of the epoch: no day skipped or repeated, and each decodes back to
// itself up to its last second.
TEST(DateTime, EveryDayFollowsTheDayBeforeAndDecodesBack) {
    TDateTime before = 0;
    ASSERT_TRUE(TryEncodeDate(1879, 12, 31, before));
    for (int y = 1880; y <= 2120; ++y)
        for (int m = 1; m <= 12; ++m)
            for (int day = 1; day <= DaysInMonth(y, m); ++day) {
                TDateTime d = 0;
                ASSERT_TRUE(TryEncodeDate(y, m, day, d));
                ASSERT_EQ(d, before + 1) << y << "-" << m << "-" << day;
                before = d;
                const TDateTime last = *EncodeDateTime(y, m, day, 23, 59, 59);
                const DateParts p = DecodeDate(last);
                const TimeParts t = DecodeTime(last);
                ASSERT_TRUE(p.year == y && p.month == m && p.day == day && t.hour == 23 && t.minute == 59 &&
                            t.second == 59)
                    << y << "-" << m << "-" << day;
            }
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

TEST(DateTime, FixedIsoAndDisplayForms) {
    EXPECT_EQ(ParseDateDMY("01/03/2005"), 38412.0);
    EXPECT_FALSE(ParseDateDMY("31/02/2005"));
    EXPECT_FALSE(ParseDateDMY("1/3"));
    EXPECT_EQ(FormatTimeHMS(*ParseTimeHMS("23:59:00")), "23:59:00");
    EXPECT_FALSE(ParseTimeHMS("25:00:00"));
    const auto iso = ParseIsoDateTime("2005-03-07 14:02");
    ASSERT_TRUE(iso);
    EXPECT_EQ(FormatDateDMY(*iso) + " " + FormatTimeHMS(*iso), "07/03/2005 14:02:00");
    EXPECT_EQ(FormatIsoDate(*iso), "2005-03-07");
    EXPECT_EQ(DateOf(*iso), 38418.0);
    EXPECT_FALSE(ParseIsoDate("2005-02-29"));
    EXPECT_EQ(FormatDateDMY(0.0), "30/12/1899");
    // Without a formatter of the windows, the display forms are the fixed ones.
    EXPECT_EQ(FormatShortDate(38418.5) + " " + FormatLongTime(38418.5), "07/03/2005 12:00:00");
}

}  // namespace
}  // namespace skylog
