#pragma once
// The reader's line loop over the bytes of one file: cuts the bytes into lines,
// classifies each line (station name, header, body), files blocks under their
// beacons, appends body lines and checks the order of the sections. Internal to the
// reader; TDecodFile::ReadBuffer runs it.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "Common/DateTime.h"

namespace skylog {

class TDecodFile;
class TDCPList;
class TDCP;

class TLineLoop {
public:
    // The reader and the beacon list must outlive the loop; beacons may be null (no
    // beacon is then ever found). storedDay: the bytes are a daily message file's,
    // whose body lines have no length limit.
    TLineLoop(TDecodFile& reader, TDCPList* beacons, bool dayFirst, bool storedDay = false);

    // Returns the number of lines read (empty lines are not counted).
    int32_t Run(std::string_view bytes);

private:
    static constexpr int32_t kNoSection = -1;

    void CutLine(std::string_view segment, bool hasCarriageReturn);
    void HandleLine(std::string_view line);

    void ReadAtHeader(std::string_view line);
    [[nodiscard]] bool ReadFramedGoesLine(std::string_view line);
    [[nodiscard]] bool ReadGoesHeader(std::string_view line, std::string_view header);
    void ReadBruHeader(std::string_view line);
    // The date and time fields of an "at" or BRU header as three numbers each; false
    // after recording error 4 and/or 5 (quoting the field) and closing the block.
    [[nodiscard]] bool ReadDateAndTimeFields(std::string_view dateText, std::string_view timeText, char timeSeparator,
                                             std::array<int32_t, 3>& date, std::array<int32_t, 3>& time);
    // The moment a header names, from its date (none when it does not exist) and time of
    // day. When either does not exist: error 4 or 5, quoting dateText() or timeText()
    // (made only then), the block is closed and nothing is returned.
    template <class DateText, class TimeText>
    [[nodiscard]] std::optional<TDateTime> HeaderMoment(std::optional<TDateTime> date, int32_t hour, int32_t minute,
                                                        int32_t second, const DateText& dateText,
                                                        const TimeText& timeText);
    void HandleBodyLine(std::string_view line);
    void HandleGoesBodyLine(std::string_view line);
    void AppendBodyLine(std::string_view line);
    void CheckOrder(std::string_view line);

    void FileBlock(std::string header, TDateTime date, int32_t announcedLength);
    void CloseBlock();
    [[nodiscard]] TDCP* FindByNumber(std::string_view number) const;
    [[nodiscard]] TDCP* FindByName(std::string_view name) const;
    void AddError(int32_t code, std::string_view s1 = {}, std::string_view s2 = {},
                  std::string_view s3 = {});

    TDecodFile& reader_;
    TDCPList* beacons_;
    const bool dayFirst_;
    const size_t bodyLineLimit_;  // a body line of this length or more is ignored

    int32_t lineNumber_ = 0;
    int32_t section_ = kNoSection;   // section of the line being handled
    int32_t expectedSection_ = 0;
    // Body bytes pending while no block is open. They never reach a block (opening
    // one empties them), so only their count is kept; it bounds the lines accepted
    // as the station's 4096-byte buffer did.
    size_t pendingCount_ = 0;
    std::string_view goesBodyText_;  // body text of the current GOES header line

    std::string lineScratch_;            // a line with carriage returns dropped
    std::string goesScratch_;            // a GOES body line with its end marker
    std::vector<std::string_view> fields_;
};

}  // namespace skylog
