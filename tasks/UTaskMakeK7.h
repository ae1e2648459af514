#pragma once
// Task type 1: rebuilds the K7 files of the last few days from the daily message
// files, since messages of a day keep arriving after it.

#include <cstdint>
#include <optional>
#include <string>

#include "tasks/TaskMakeK7Run.h"
#include "tasks/UTasks.h"

namespace skylog {


class TTaskMakeK7 : public TTask {
public:
    TTaskMakeK7();

    int32_t NbDayToBuild = 3;
    bool FromSpecialDate = false;
    TDateTime SpecialDate = 0;  // date only; 0 = none

    void Assign(const TTask& source) override;
    [[nodiscard]] std::string GetDescription() const override;
    [[nodiscard]] std::string GetName() const override;
    void Execute(TTaskServices& services) override;
    void Configure(TTaskServices& services) override;
    void SaveToIni(TIniFile& ini, std::string_view section) const override;
    void LoadFromIni(const TIniFile& ini, std::string_view section) override;

    // The rebuild with this task's parameters and the run's services, counted from
    // the services' clock unless a special date is set; Execute runs it.
    TMakeK7Result RunNow(TTaskServices& services) const;
};

// The parameter dialog's check of the day count: the warning to show, or nothing when
// the text is a whole number of at least 1.
[[nodiscard]] std::optional<std::string> DayCountError(std::string_view text);

// Stores the dialog's values after OK: without a special date, SpecialDate is 0 whatever
// the date picker shows; with one, the picker's day without its time.
void StoreMakeK7Params(int32_t nbDayToBuild, bool fromSpecialDate, TDateTime pickerDate, TTaskMakeK7& task);

}  // namespace skylog
