#pragma once
// Date-times are counted in days since 30 December 1899 00:00 (local time); the
// fraction is the time of day and 0.0 means "no date". Days compare by cutting to
// whole days. Dates before the epoch are negative with a positive time fraction
// taken as an absolute value, as the files written by earlier installations expect.

#include <cmath>
#include <optional>
#include <string>
#include <string_view>

namespace skylog {

using TDateTime = double;

constexpr double kMinutesPerDay = 1440.0;
constexpr double kSecondsPerDay = 86400.0;
constexpr double kMSecsPerDay = 86400000.0;

[[nodiscard]] bool IsLeapYear(int year);
[[nodiscard]] int DaysInMonth(int year, int month);

// Refuses dates and times that do not exist (no wrap-around): month 13, 30 February,
// hour 24, minute 60.
[[nodiscard]] bool TryEncodeDate(int year, int month, int day, TDateTime& out);
[[nodiscard]] inline bool TryEncodeTime(int hour, int minute, int second, int msec, TDateTime& out) {
    if (hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59 ||
        msec < 0 || msec > 999)
        return false;
    out = (hour * 3600000.0 + minute * 60000.0 + second * 1000.0 + msec) / kMSecsPerDay;
    return true;
}
[[nodiscard]] std::optional<TDateTime> EncodeDateTime(int year, int month, int day, int hour = 0,
                                                      int minute = 0, int second = 0);

struct DateParts {
    int year = 1899, month = 12, day = 30;
};
struct TimeParts {
    int hour = 0, minute = 0, second = 0, msec = 0;
};
[[nodiscard]] DateParts DecodeDate(TDateTime value);
[[nodiscard]] TimeParts DecodeTime(TDateTime value);

// Whole day of a date-time (the time of day cut off). A time of day that rounds to
// midnight (within half a millisecond) belongs to the next day.
[[nodiscard]] inline TDateTime DateOf(TDateTime value) {
    const double whole = std::trunc(value);
    const double frac = std::fabs(value - whole);
    long days = static_cast<long>(whole);
    if (frac * kMSecsPerDay >= kMSecsPerDay - 0.5) days += value < 0 ? -1 : 1;
    return static_cast<double>(days);
}
// Adds a time of day to a date, the way the day-count representation combines them.
[[nodiscard]] inline TDateTime CombineDateTime(TDateTime date, TDateTime timeOfDay) {
    return date < 0 ? date - timeOfDay : date + timeOfDay;
}
// The encoders, the day cut and the combination are inline: reading a message calls
// them for its header, its head times and every scenario and event it carries.

// Fixed forms used in files: "dd/mm/yyyy", "hh:nn:ss".
[[nodiscard]] std::string FormatDateDMY(TDateTime value);
[[nodiscard]] std::string FormatTimeHMS(TDateTime value);
// Parse "dd/mm/yyyy" (numbers of any width separated by '/') and "hh:nn:ss".
[[nodiscard]] std::optional<TDateTime> ParseDateDMY(std::string_view text);
[[nodiscard]] std::optional<TDateTime> ParseTimeHMS(std::string_view text);
// ISO forms for the command line: "YYYY-MM-DD" and "YYYY-MM-DD hh:mm[:ss]".
[[nodiscard]] std::optional<TDateTime> ParseIsoDate(std::string_view text);
[[nodiscard]] std::optional<TDateTime> ParseIsoDateTime(std::string_view text);
[[nodiscard]] std::string FormatIsoDate(TDateTime value);

// The short date and long time formats of the texts the engine writes (labels,
// reports, task dates): the French ones, dd/mm/yyyy and hh:nn:ss. A window that shows
// a date in the user's locale formats it itself.
[[nodiscard]] std::string FormatShortDate(TDateTime value);
[[nodiscard]] std::string FormatLongTime(TDateTime value);

}  // namespace skylog
