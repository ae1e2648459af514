#pragma once
// The run journal: one line per import, collection, rebuild or task run, appended to
// skylog.log in the working directory, so that what unattended runs did can be read
// afterwards. Lines are tab-separated: the time the run ended, what ran, then the
// counts of TRunCounts and the exit status. The file keeps its last kRunJournalLines
// lines (docs/scheduling.md).

#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>

#include "Common/DateTime.h"

namespace skylog {

inline constexpr const char* kRunJournalName = "skylog.log";
inline constexpr size_t kRunJournalLines = 10000;

// What reading and decoding message files came to, added up as a run goes on.
struct TRunCounts {
    int64_t Files = 0;           // message files read
    int64_t Messages = 0;        // messages filed under a beacon
    int64_t ReaderErrors = 0;    // error records of the reader
    int64_t Scenarios = 0;       // scenarios decoded
    int64_t FaultyMessages = 0;  // messages whose decoding found an error
    // Messages of beacons that are not defined, by the name or number their header gave.
    std::map<std::string, int64_t> UndefinedBeacons;
    // The days (whole TDateTime days) of the messages whose decoding found an error.
    std::set<int32_t> FaultyDays;

    TRunCounts& operator+=(const TRunCounts& other);
};

struct TRunRecord {
    TDateTime Time = 0;  // when the run ended
    std::string What;    // the command ("import") or the task
    TRunCounts Counts;
    int Status = 0;      // exit status: 0 success, 1 failure
};

// The record's line, without its line break.
[[nodiscard]] std::string RunJournalLine(const TRunRecord& record);

// Appends the record's line to the journal of the working directory, then, once the
// journal has grown a tenth past kRunJournalLines, cuts it to its last
// kRunJournalLines lines (a new file put in place by rename). Programs appending at
// the same time take turns. A line is written whole or not at all. Never throws: a
// journal that cannot be written must not fail the run it records; the reason is
// returned instead.
[[nodiscard]] std::optional<std::string> AppendToRunJournal(std::string_view workDir, const TRunRecord& record);

}  // namespace skylog
