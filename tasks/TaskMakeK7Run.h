#pragma once
// The work of one K7 rebuild, apart from its message window: reload the days
// concerned and one day on each side, then write the K7 files of the days concerned.

#include <cstdint>
#include <string>
#include <vector>

#include "Common/DateTime.h"
#include "Common/RunJournal.h"

namespace skylog {

class IProgress;
class IMessageStore;
class IMessageBoxes;

inline constexpr const char* kMakeK7Loading = "Chargement DCP de la journée : ";
inline constexpr const char* kMakeK7Writing = "Enregistrement K7 de la journée : ";
inline constexpr int kMakeK7ProgressMaximum = 100;

struct TMakeK7Result {
    std::vector<TDateTime> LoadedDays;   // in the order loaded
    std::vector<TDateTime> WrittenDays;  // in the order written
    std::vector<std::string> Failures;   // one text per day that failed to load or write
    TRunCounts Counts;                   // what reading the stored days back gave
};

class TMakeK7Run {
public:
    // The store and the reporter must outlive the run.
    TMakeK7Run(int32_t nbDayToBuild, TDateTime start, IMessageStore& store, IMessageBoxes& reporter);

    // The day after the last one rebuilt: SpecialDate + n days when counting from a
    // special date that is set, else now.
    [[nodiscard]] static TDateTime StartOf(int32_t nbDayToBuild, bool fromSpecialDate,
                                           TDateTime specialDate, TDateTime now);

    // A day that fails to load or to write is reported (one warning at the end) and
    // the other days are rebuilt all the same.
    TMakeK7Result Execute(IProgress& progress);

private:
    int32_t nbDayToBuild_;
    TDateTime start_;
    IMessageStore& store_;
    IMessageBoxes& reporter_;
};

}  // namespace skylog
