#pragma once
// Pure readers and writers of the header lines of ground-station files: no beacon
// list, no blocks, no state.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace skylog {

// The fields of a line separated by runs of spaces (as Split with kSplitMerge), as
// views into the line. Reuses the vector's storage.
void SplitFields(std::string_view line, std::vector<std::string_view>& fields);

// True when the line's third space-separated field is exactly "at": the mark of a
// plain header line. Looks at the first three fields only.
[[nodiscard]] bool IsAtHeaderCandidate(std::string_view line);

// Station name line of .CNRS/.NASA files: "0000" at the start, "F/" or "NASA/" in it.
[[nodiscard]] bool IsStationNameLine(std::string_view line);

// The fields of a GOES header that reading uses; the others are read and discarded.
struct TGoesHeader {
    std::string_view Address;
    int32_t Year = 0;       // within the century
    int32_t DayOfYear = 0;  // 1 for 1 January
    int32_t Hour = 0;
    int32_t Minute = 0;
    int32_t Second = 0;
    char Reception = 0;
    int32_t Length = 0;
};

// Reads "%8s%02d%03d%02d%02d%02d%c%02d%02d%c%c%03d%c%02s%05d" from the start of the
// line; nothing unless all fifteen conversions succeed.
[[nodiscard]] std::optional<TGoesHeader> ScanGoesHeader(std::string_view line);

// True when the line holds one of the station's status texts anywhere.
[[nodiscard]] bool HasGoesStatusText(std::string_view line);

// The body text carried by a GOES header line: from character 38 on, leading bytes
// 0x00 to 0x20 (white space and control characters) removed, then a leading "VGTM"
// and the same bytes after it.
[[nodiscard]] std::string_view GoesHeaderBodyText(std::string_view line);

// The body of a framed GOES message, from what follows its header: the announced
// number of characters when a closing byte (STX, ETX) follows them, otherwise
// everything up to the first closing byte (or the end).
[[nodiscard]] std::string_view FramedGoesBody(std::string_view afterHeader, int32_t announced);

// The "at" header line built for a GOES or BRU block:
// Number + "-ALL           0 at " + date + " " + hh:nn:ss + " UTC " + length + "BT " + o|x.
// The date is "dd/mm/yy" when dayFirst, "mm/dd/yy" otherwise, so that the header reads
// back to the same date with the same DCPDateNew setting.
[[nodiscard]] std::string BuildAtHeader(std::string_view number, int32_t year, int32_t month,
                                        int32_t day, int32_t hour, int32_t minute, int32_t second,
                                        bool dayFirst, int32_t length, bool goodReception);

}  // namespace skylog
