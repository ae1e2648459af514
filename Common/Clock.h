#pragma once
// The clock of a run. The engine asks the run's clock for "now" (task schedules, the
// reference year of undated messages), so that a test or the command line
// (SKYLOG_NOW) can fix the time of one run without touching another.

#include "Common/DateTime.h"

namespace skylog {

class IClock {
public:
    virtual ~IClock() = default;
    [[nodiscard]] virtual TDateTime Now() const = 0;
};

// The local date and time of the system (CurrentDateTime).
class TSystemClock final : public IClock {
public:
    [[nodiscard]] TDateTime Now() const override;
};

// Always the time it was given, until given another.
class TFixedClock final : public IClock {
public:
    explicit TFixedClock(TDateTime now) : now_(now) {}
    [[nodiscard]] TDateTime Now() const override { return now_; }
    void Set(TDateTime now) { now_ = now; }

private:
    TDateTime now_;
};

}  // namespace skylog
