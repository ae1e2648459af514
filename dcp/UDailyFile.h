#pragma once
// Daily message files: WorkDir + "DataDCP/<beacon folder>/YYYY_MM_DD.DCP", one record
// per stored block: the header line, CR LF, the body, CR LF. A body holds no line
// break, so each record is two lines and the file reads back as a ".DCP" input of the
// message file reader (docs/formats/daily-message-files.md).

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "Common/DateTime.h"
#include "dcp/LineSet.h"

namespace skylog {


inline constexpr std::string_view kDailyFolder = "DataDCP";
inline constexpr std::string_view kRecordLineEnd = "\r\n";

// "YYYY_MM_DD.DCP" of the day of a date.
[[nodiscard]] std::string DailyFileName(TDateTime date);
// WorkDir + "DataDCP/" + folder name (already made safe).
[[nodiscard]] std::string DailyFolderPath(const std::string& workDir, std::string_view folderName);
// The folder of a beacon's daily files: its name made safe (never empty, ".", "..",
// nor containing "/").
[[nodiscard]] std::string BeaconFolderName(std::string_view beaconName);
// Moves the daily files of a beacon that is renamed from one folder of workDir's
// DataDCP to another, so that its stored messages follow it. Nothing to do when the
// old folder does not exist. Refused (the message, nothing moved) when the new folder
// already holds files; throws FileError when the folder cannot be moved.
[[nodiscard]] std::optional<std::string> MoveDailyFolder(std::string_view workDir, std::string_view fromFolder,
                                                         std::string_view toFolder);

// The journal of an append to a daily file: beside it, named "." + its name +
// ".journal", holding the file's size before the append (decimal, then a line feed).
// It is written before a batch of records is appended and removed once they all are,
// so a journal left behind means that an append was killed: whatever it wrote is cut
// off at the next look at the file (RepairKilledAppend). Under the working directory
// lock, like every append.
[[nodiscard]] std::string AppendJournalPath(std::string_view dailyFile);
// Cuts the daily file back to the size its journal holds and removes the journal, when
// one was left. True when the file was cut. A journal that is not whole was left before
// its append began, and is only removed.
bool RepairKilledAppend(const std::string& dailyFile);

// The stored lines of the daily files, so that the duplicate test of a block does not
// read its file again: a file is read when it is first asked about and again only when
// its size differs from the one known (another program appended to it).
class TDailyFileIndex {
public:
    // True when a line of the file equals the header without regard to letter case.
    // False for a missing file. What a killed append left is cut off when the file is
    // read (RepairKilledAppend), so call it, and Append, under the working directory
    // lock. Throws FileError when the file cannot be read.
    // sizeKnown: the caller has held the lock since this index last looked at the file
    // or appended to it, so that nobody else changed it: the file is not looked at.
    [[nodiscard]] bool Contains(const std::string& path, std::string_view header, bool sizeKnown = false);

    // Appends the record with a single write, after a line break when the file does not
    // end with one (a last record without its line end is kept, and must not swallow
    // the next header), under the journal of the append. False when the file cannot be
    // opened or created; throws FileError when writing fails (the file is then cut back
    // to its former size).
    // lines, when given, are the record's lines that hold a space, in upper case, as
    // the caller already found them: the index takes them (the set is left empty)
    // instead of splitting the record again.
    [[nodiscard]] bool Append(const std::string& path, std::string_view record,
                              TLineSet* lines = nullptr);
    // The same for a record, or several, given as pieces written one after the other;
    // lines (required) are their lines holding a space, in upper case.
    [[nodiscard]] bool Append(const std::string& path, std::span<const std::string_view> pieces,
                              TLineSet& lines);

    void Clear() { files_.clear(); }

    // Bytes [from, to) of a file.
    struct Range {
        uint64_t from = 0;
        uint64_t to = 0;
    };

private:
    struct Entry {
        uint64_t size = 0;
        TLineSet lines;  // upper case, only those holding a space
        // Byte ranges of the file whose lines were indexed, in the order they were.
        std::vector<Range> indexed;
    };
    [[nodiscard]] static bool holdsSpacelessLine(const std::string& path, const Entry& entry,
                                                 std::string_view header);
    void noteAppended(const std::string& path, Range appended, TLineSet& lines);
    std::unordered_map<std::string, Entry> files_;
    std::string writeBuffer_;  // records copied together for one write, kept for the next
};

}  // namespace skylog
