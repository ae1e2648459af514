#include "tasks/TaskForm.h"

#include <algorithm>
#include <cmath>

#include "Common/UUtils.h"
#include "tasks/UTasks.h"

namespace skylog {

namespace {

constexpr double kHoursPerDay = 24;

int roundedCount(double value) {
    // A hand-edited period of absurd length stays within what the box can show.
    return static_cast<int>(std::min(std::floor(value + 0.5), 1e9));
}

}  // namespace

TPeriodShown PeriodShownOf(double periodicity) {
    if (IsSingleCallPeriod(periodicity)) return {TPeriodUnit::Unique, kPeriodMinimum};
    if (periodicity < 1 / kHoursPerDay)
        return {TPeriodUnit::Minute, roundedCount(periodicity * kMinutesPerDay)};
    if (periodicity < 1) return {TPeriodUnit::Heure, roundedCount(periodicity * kHoursPerDay)};
    return {TPeriodUnit::Jour, roundedCount(periodicity)};
}

int PeriodMaximum(TPeriodUnit unit) {
    switch (unit) {
        case TPeriodUnit::Minute:
            return 59;
        case TPeriodUnit::Heure:
            return 23;
        case TPeriodUnit::Jour:
            return 1000;
        case TPeriodUnit::Unique:
            break;
    }
    return kFreshPeriodMaximum;
}

int PeriodDefaultNumber(TPeriodUnit unit) {
    switch (unit) {
        case TPeriodUnit::Minute:
            return 30;
        case TPeriodUnit::Heure:
            return 3;
        case TPeriodUnit::Jour:
        case TPeriodUnit::Unique:
            break;
    }
    return 1;
}

int ClampPeriodNumber(int number, TPeriodUnit unit) {
    return std::clamp(number, kPeriodMinimum, PeriodMaximum(unit));
}

std::string BoundPeriodText(std::string_view text, TPeriodUnit unit) {
    const auto number = ParseInt32(Trim(text));
    if (!number) return std::string(text);
    return std::to_string(ClampPeriodNumber(*number, unit));
}

double PeriodicityOf(TPeriodUnit unit, int number) {
    switch (unit) {
        case TPeriodUnit::Minute:
            return number / kMinutesPerDay;
        case TPeriodUnit::Heure:
            return number / kHoursPerDay;
        case TPeriodUnit::Jour:
            return number;
        case TPeriodUnit::Unique:
            break;
    }
    return 0;
}

TDateTime DefaultNextCall(TDateTime now) {
    // Whole minutes counted from the day's start, so that rounding cannot step back.
    const TDateTime day = DateOf(now);
    const double minutes = std::floor((now - day) * kMinutesPerDay + 1e-6) + 5;
    return day + minutes / kMinutesPerDay;
}

TScheduleReading ReadSchedule(const TScheduleTexts& texts, TDateTime now) {
    TScheduleReading reading;
    int number = kPeriodMinimum;
    if (texts.Unit != TPeriodUnit::Unique) {
        const auto typed = ParseInt32(Trim(texts.Number));
        if (!typed) {
            reading.Refusal = TFormRefusal<TScheduleBox>{TScheduleBox::Number, kPeriodNotANumber};
            return reading;
        }
        number = ClampPeriodNumber(*typed, texts.Unit);
    }
    const TDateTime timeOfDay = texts.Time - std::floor(texts.Time);
    const TDateTime next = CombineDateTime(DateOf(texts.Date), timeOfDay);
    if (next < now) {
        reading.Refusal = TFormRefusal<TScheduleBox>{TScheduleBox::Date, kNextCallInPast};
        return reading;
    }
    reading.Schedule = TSchedule{next, PeriodicityOf(texts.Unit, number)};
    return reading;
}

bool ShouldAskToActivate(const TTasksList& tasks, bool automode) {
    if (automode) return false;
    for (size_t i = 0; i < tasks.Count(); ++i)
        if (tasks.At(i)->NextCall != 0) return true;
    return false;
}

}  // namespace skylog
