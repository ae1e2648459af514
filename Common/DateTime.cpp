#include "Common/DateTime.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <vector>

namespace skylog {

namespace {

// Days from 0001-01-01 to 1899-12-30, so that day counts match the epoch.
constexpr int kDateDelta = 693594;

bool parseInt(std::string_view text, int& out) {
    if (text.empty()) return false;
    const char* first = text.data();
    const char* last = text.data() + text.size();
    auto [ptr, ec] = std::from_chars(first, last, out);
    return ec == std::errc() && ptr == last;
}

std::vector<std::string_view> splitOn(std::string_view text, char sep) {
    std::vector<std::string_view> parts;
    size_t start = 0;
    while (true) {
        size_t pos = text.find(sep, start);
        if (pos == std::string_view::npos) {
            parts.push_back(text.substr(start));
            break;
        }
        parts.push_back(text.substr(start, pos - start));
        start = pos + 1;
    }
    return parts;
}

// Days before the first of each month in a common year.
constexpr int kDaysBeforeMonth[13] = {0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334, 365};

}  // namespace

bool IsLeapYear(int year) { return (year % 4 == 0) && (year % 100 != 0 || year % 400 == 0); }

int DaysInMonth(int year, int month) {
    static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12) return 0;
    return (month == 2 && IsLeapYear(year)) ? 29 : kDays[month - 1];
}

bool TryEncodeDate(int year, int month, int day, TDateTime& out) {
    // The month encoded last: the dates of a file's messages and of their scenarios
    // and events are mostly in one month.
    struct Month {
        int year = 0, month = 0;
        long daysBefore = 0;  // days up to the month's first, as counted below
        int length = 0;
    };
    static thread_local Month last;
    if (year != last.year || month != last.month) {
        if (year < 1 || year > 9999 || month < 1 || month > 12) return false;
        const long y = year - 1;
        last = {year, month,
                kDaysBeforeMonth[month - 1] + (month > 2 && IsLeapYear(year) ? 1 : 0) + y * 365 + y / 4 - y / 100 +
                    y / 400,
                DaysInMonth(year, month)};
    }
    if (day < 1 || day > last.length) return false;
    // days counts 0001-01-01 as day 1; the epoch 1899-12-30 is day kDateDelta.
    out = static_cast<double>(last.daysBefore + day - kDateDelta);
    return true;
}


std::optional<TDateTime> EncodeDateTime(int year, int month, int day, int hour, int minute,
                                        int second) {
    TDateTime date = 0, time = 0;
    if (!TryEncodeDate(year, month, day, date)) return std::nullopt;
    if (!TryEncodeTime(hour, minute, second, 0, time)) return std::nullopt;
    return CombineDateTime(date, time);
}

namespace {
// Splits a date-time into whole days and milliseconds of the day, rounding to the
// millisecond so that 14:02:10 does not come back as 14:02:09.999.
void splitDays(TDateTime value, long& days, long& msecs) {
    double whole = std::trunc(value);
    double frac = std::fabs(value - whole);
    msecs = std::lround(frac * kMSecsPerDay);
    days = static_cast<long>(whole);
    if (msecs >= static_cast<long>(kMSecsPerDay)) {
        msecs -= static_cast<long>(kMSecsPerDay);
        days += value < 0 ? -1 : 1;
    }
}
}  // namespace

DateParts DecodeDate(TDateTime value) {
    long days = 0, msecs = 0;
    splitDays(value, days, msecs);
    long t = days + kDateDelta;  // 1 = 0001-01-01
    DateParts parts;
    if (t <= 0) return parts;
    t -= 1;
    long y = 1;
    const long d400 = 146097, d100 = 36524, d4 = 1461;
    y += 400 * (t / d400);
    t %= d400;
    long c = t / d100;
    if (c == 4) c = 3;
    y += 100 * c;
    t -= c * d100;
    y += 4 * (t / d4);
    t %= d4;
    long k = t / 365;
    if (k == 4) k = 3;
    y += k;
    t -= k * 365;
    int month = 1;
    while (t >= DaysInMonth(static_cast<int>(y), month)) {
        t -= DaysInMonth(static_cast<int>(y), month);
        ++month;
    }
    parts.year = static_cast<int>(y);
    parts.month = month;
    parts.day = static_cast<int>(t) + 1;
    return parts;
}

TimeParts DecodeTime(TDateTime value) {
    long days = 0, msecs = 0;
    splitDays(value, days, msecs);
    TimeParts parts;
    parts.hour = static_cast<int>(msecs / 3600000);
    parts.minute = static_cast<int>(msecs / 60000 % 60);
    parts.second = static_cast<int>(msecs / 1000 % 60);
    parts.msec = static_cast<int>(msecs % 1000);
    return parts;
}

// splitDays without rounding the milliseconds: they make a whole day exactly when the
// fraction reaches half a millisecond below one. Called for every event of an import.

std::string FormatDateDMY(TDateTime value) {
    DateParts d = DecodeDate(value);
    char buf[32];
    std::snprintf(buf, sizeof buf, "%02d/%02d/%04d", d.day, d.month, d.year);
    return buf;
}

std::string FormatTimeHMS(TDateTime value) {
    TimeParts t = DecodeTime(value);
    char buf[32];
    std::snprintf(buf, sizeof buf, "%02d:%02d:%02d", t.hour, t.minute, t.second);
    return buf;
}

std::optional<TDateTime> ParseDateDMY(std::string_view text) {
    auto parts = splitOn(text, '/');
    if (parts.size() != 3) return std::nullopt;
    int d = 0, m = 0, y = 0;
    if (!parseInt(parts[0], d) || !parseInt(parts[1], m) || !parseInt(parts[2], y))
        return std::nullopt;
    TDateTime out = 0;
    if (!TryEncodeDate(y, m, d, out)) return std::nullopt;
    return out;
}

std::optional<TDateTime> ParseTimeHMS(std::string_view text) {
    auto parts = splitOn(text, ':');
    if (parts.size() < 2 || parts.size() > 3) return std::nullopt;
    int h = 0, n = 0, s = 0;
    if (!parseInt(parts[0], h) || !parseInt(parts[1], n)) return std::nullopt;
    if (parts.size() == 3 && !parseInt(parts[2], s)) return std::nullopt;
    TDateTime out = 0;
    if (!TryEncodeTime(h, n, s, 0, out)) return std::nullopt;
    return out;
}

std::optional<TDateTime> ParseIsoDate(std::string_view text) {
    auto parts = splitOn(text, '-');
    if (parts.size() != 3) return std::nullopt;
    int y = 0, m = 0, d = 0;
    if (!parseInt(parts[0], y) || !parseInt(parts[1], m) || !parseInt(parts[2], d))
        return std::nullopt;
    TDateTime out = 0;
    if (!TryEncodeDate(y, m, d, out)) return std::nullopt;
    return out;
}

std::optional<TDateTime> ParseIsoDateTime(std::string_view text) {
    size_t sep = text.find_first_of(" T");
    if (sep == std::string_view::npos) return ParseIsoDate(text);
    auto date = ParseIsoDate(text.substr(0, sep));
    auto time = ParseTimeHMS(text.substr(sep + 1));
    if (!date || !time) return std::nullopt;
    return CombineDateTime(*date, *time);
}

std::string FormatIsoDate(TDateTime value) {
    DateParts d = DecodeDate(value);
    char buf[32];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", d.year, d.month, d.day);
    return buf;
}

std::string FormatShortDate(TDateTime value) { return FormatDateDMY(value); }
std::string FormatLongTime(TDateTime value) { return FormatTimeHMS(value); }

}  // namespace skylog
