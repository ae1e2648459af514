#include "import/LineLoop.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <limits>
#include <memory>

#include "Common/ByteScan.h"
#include "Common/Encoding.h"
#include "Common/MessageBodyFormat.h"
#include "Common/UUtils.h"
#include "dcp/UDCPList.h"
#include "import/GroundStationFormat.h"
#include "import/HeaderLines.h"
#include "import/ScanCursor.h"
#include "import/UDecodFile.h"

namespace skylog {

namespace {

constexpr int32_t kMaxBodyReserve = 4096;

// Error texts are UTF-8; a line keeps its Windows-1252 bytes when bit 7 could not be
// cleared on disk.
std::string ErrorText(std::string_view text) {
    for (char c : text) {
        if (static_cast<unsigned char>(c) >= 0x80) return Cp1252ToUtf8(text);
    }
    return std::string(text);
}

}  // namespace

TLineLoop::TLineLoop(TDecodFile& reader, TDCPList* beacons, bool dayFirst, bool storedDay)
    : reader_(reader),
      beacons_(beacons),
      dayFirst_(dayFirst),
      bodyLineLimit_(storedDay ? std::numeric_limits<size_t>::max() : kPendingBufferSize) {}

int32_t TLineLoop::Run(std::string_view bytes) {
    size_t start = 0;
    bool hasCarriageReturn = false;
    // Only a line feed, a NUL or a carriage return (all below 14) matter here.
    for (size_t i = FindByteBelow(bytes, 0, '\r' + 1); i < bytes.size(); i = FindByteBelow(bytes, i + 1, '\r' + 1)) {
        const char c = bytes[i];
        if (c == '\n' || c == '\0') {
            CutLine(bytes.substr(start, i - start), hasCarriageReturn);
            start = i + 1;
            hasCarriageReturn = false;
        } else if (c == '\r') {
            hasCarriageReturn = true;
        }
    }
    CutLine(bytes.substr(start), hasCarriageReturn);
    return lineNumber_;
}

void TLineLoop::CutLine(std::string_view segment, bool hasCarriageReturn) {
    if (hasCarriageReturn) {
        while (!segment.empty() && segment.back() == '\r') segment.remove_suffix(1);
        if (segment.find('\r') != std::string_view::npos) {
            lineScratch_.clear();
            for (char c : segment) {
                if (c != '\r') lineScratch_.push_back(c);
            }
            segment = lineScratch_;
        }
    }
    if (segment.empty()) return;
    ++lineNumber_;
    HandleLine(segment);
}

void TLineLoop::HandleLine(std::string_view line) {
    section_ = kNoSection;
    goesBodyText_ = {};
    const int32_t format = reader_.Format;

    if (format == kFormatStation && IsStationNameLine(line)) {
        section_ = kSectionStationName;
        pendingCount_ = 0;
        CloseBlock();
    }
    if (format == kFormatGoes) {
        // A framed message is the whole line.
        if (ReadFramedGoesLine(line)) return;
        if (ReadGoesHeader(line, line) && reader_.CurrentBlock != nullptr) goesBodyText_ = GoesHeaderBodyText(line);
    }
    if (format == kFormatBru && line.starts_with(kBruHeaderPrefix)) ReadBruHeader(line);
    if (IsAtHeaderCandidate(line)) {
        section_ = kSectionHeader;
        ReadAtHeader(line);
    }
    if (section_ == kNoSection || !goesBodyText_.empty()) {
        HandleBodyLine(line);
        section_ = kSectionBody;
    }
    CheckOrder(line);
}

void TLineLoop::CheckOrder(std::string_view line) {
    if (reader_.CheckOrder && expectedSection_ != 0 && expectedSection_ != section_) {
        AddError(kErrorOrder, std::to_string(expectedSection_), std::to_string(section_), line);
    }
    expectedSection_ = section_ + 1 == 3 ? 0 : section_ + 1;
}

namespace {

std::optional<TDateTime> CalendarDate(int32_t year, int32_t month, int32_t day) {
    TDateTime date = 0;
    return TryEncodeDate(year, month, day, date) ? std::optional(date) : std::nullopt;
}

}  // namespace

bool TLineLoop::ReadDateAndTimeFields(std::string_view dateText, std::string_view timeText, char timeSeparator,
                                      std::array<int32_t, 3>& date, std::array<int32_t, 3>& time) {
    const bool dateRead = ScanThreeNumbers(dateText, '/', date[0], date[1], date[2]);
    if (!dateRead) AddError(kErrorDate, dateText);
    const bool timeRead = ScanThreeNumbers(timeText, timeSeparator, time[0], time[1], time[2]);
    if (!timeRead) AddError(kErrorTime, timeText);
    if (dateRead && timeRead) return true;
    CloseBlock();
    return false;
}

template <class DateText, class TimeText>
std::optional<TDateTime> TLineLoop::HeaderMoment(std::optional<TDateTime> date, int32_t hour, int32_t minute,
                                                 int32_t second, const DateText& dateText, const TimeText& timeText) {
    TDateTime time = 0;
    if (!date) {
        AddError(kErrorDate, dateText());
    } else if (!TryEncodeTime(hour, minute, second, 0, time)) {
        AddError(kErrorTime, timeText());
    } else {
        return CombineDateTime(*date, time);
    }
    CloseBlock();
    return std::nullopt;
}

void TLineLoop::ReadAtHeader(std::string_view line) {
    SplitFields(line, fields_);
    if (fields_.size() != kAtHeaderFieldCount) {
        AddError(kErrorHeaderFields);
        CloseBlock();
        return;
    }
    const std::string_view identifier = fields_[0].substr(0, fields_[0].find('-'));
    reader_.CurrentBeacon = FindByNumber(identifier);
    if (reader_.CurrentBeacon == nullptr) {
        AddError(kErrorUnknownBeacon, identifier, line);
        CloseBlock();
        return;
    }
    const std::string_view dateText = fields_[3];
    const std::string_view timeText = fields_[4];
    std::array<int32_t, 3> date{}, time{};
    if (!ReadDateAndTimeFields(dateText, timeText, ':', date, time)) return;
    const auto [first, second, year] = date;
    const std::optional<TDateTime> moment =
        HeaderMoment(CalendarDate(ExpandYear(year), dayFirst_ ? second : first, dayFirst_ ? first : second), time[0],
                     time[1], time[2], [dateText] { return dateText; }, [timeText] { return timeText; });
    if (!moment) return;

    // A count that is not a decimal number ("BT" alone) announces nothing.
    const std::string_view count = fields_[6];
    const std::optional<int32_t> announced =
        count.size() > 2 ? ParseInt32(count.substr(0, count.size() - 2)) : std::nullopt;
    FileBlock(std::string(line), *moment, announced.value_or(0));
}

// The whole message on one line: SOH, the header, the body of the announced length,
// STX or ETX. The body is taken as it stands, whatever its length; what follows the
// closing byte on the line is dropped, and the message ends with the line.
bool TLineLoop::ReadFramedGoesLine(std::string_view line) {
    if (!line.starts_with(kGoesFrameStart) || !ReadGoesHeader(line, line.substr(kGoesFrameStart.size())))
        return false;
    if (TDCPDataBloc* block = reader_.CurrentBlock) {
        const std::string_view afterHeader =
            line.substr(std::min(line.size(), kGoesFrameStart.size() + kGoesHeaderLength));
        block->AddBody(FramedGoesBody(afterHeader, block->AnnouncedLength));
        CloseBlock();
    }
    return true;
}

// A GOES header at the start of text (the line itself, or what follows SOH). False when
// the text does not read as one: the line is then a body line. Otherwise the line is a
// header line: its block is filed and open, or an error was recorded and no block is.
bool TLineLoop::ReadGoesHeader(std::string_view line, std::string_view text) {
    const std::optional<TGoesHeader> header = ScanGoesHeader(text);
    if (!header || HasGoesStatusText(line)) return false;

    section_ = kSectionHeader;
    reader_.CurrentBeacon = FindByNumber(header->Address);
    if (reader_.CurrentBeacon == nullptr) {
        AddError(kErrorUnknownBeacon, header->Address, line);
        CloseBlock();
        return true;
    }

    const int32_t year = ExpandYear(header->Year);
    // A day number outside its year would file the message under another year's day.
    const int32_t daysInYear = IsLeapYear(year) ? 366 : 365;
    const std::optional<TDateTime> newYear = CalendarDate(year, 1, 1);
    const std::optional<TDateTime> moment = HeaderMoment(
        newYear && header->DayOfYear >= 1 && header->DayOfYear <= daysInYear
            ? std::optional(*newYear + header->DayOfYear - 1)
            : std::nullopt,
        header->Hour, header->Minute, header->Second,
        [&] { return std::to_string(year) + " JDay=" + std::to_string(header->DayOfYear); },
        [&] {
            return std::to_string(header->Hour) + ":" + std::to_string(header->Minute) + ":" +
                   std::to_string(header->Second);
        });
    if (!moment) return true;

    const DateParts day = DecodeDate(*moment);
    FileBlock(BuildAtHeader(reader_.CurrentBeacon->Number, day.year, day.month, day.day, header->Hour,
                            header->Minute, header->Second, dayFirst_, header->Length,
                            header->Reception == kGoesGoodReception),
              *moment, header->Length);
    return true;
}

void TLineLoop::ReadBruHeader(std::string_view line) {
    section_ = kSectionHeader;
    SplitFields(line, fields_);
    if (fields_.size() != kBruHeaderFieldCount) {
        AddError(kErrorHeaderFields);
        CloseBlock();
        return;
    }
    const std::string_view name = fields_[2];
    reader_.CurrentBeacon = FindByName(name);
    if (reader_.CurrentBeacon == nullptr) {
        AddError(kErrorUnknownBeacon, name, line);
        CloseBlock();
        return;
    }
    const std::string_view dateText = fields_[3];
    const std::string_view timeText = fields_[4];
    std::array<int32_t, 3> date{}, time{};
    if (!ReadDateAndTimeFields(dateText, timeText, '-', date, time)) return;
    const auto [day, month, year] = date;
    const auto [hour, minute, second] = time;
    const std::optional<TDateTime> moment =
        HeaderMoment(CalendarDate(ExpandYear(year), month, day), hour, minute, second,
                     [dateText] { return dateText; }, [timeText] { return timeText; });
    if (!moment) return;
    FileBlock(BuildAtHeader(reader_.CurrentBeacon->Number, ExpandYear(year), month, day, hour, minute, second,
                            dayFirst_, 0, true),
              *moment, 0);
}

void TLineLoop::HandleBodyLine(std::string_view line) {
    if (reader_.Format == kFormatGoes) {
        HandleGoesBodyLine(line);
    } else {
        AppendBodyLine(line);
    }
}

void TLineLoop::HandleGoesBodyLine(std::string_view line) {
    std::string_view text = goesBodyText_.empty() ? line : goesBodyText_;
    goesBodyText_ = {};
    bool messageEnds = false;
    const size_t mark = text.find(kGoesEndMark);
    if (mark != std::string_view::npos) {
        goesScratch_.assign(text.substr(0, mark)).append(body::kEndMarker);
        messageEnds = true;
    } else if (text.size() == 3 && text[2] == ' ') {
        goesScratch_.assign(text.substr(0, 2)).append(body::kEndMarker);
        messageEnds = true;
    }
    AppendBodyLine(messageEnds ? std::string_view(goesScratch_) : text);
    if (messageEnds) CloseBlock();
}

void TLineLoop::AppendBodyLine(std::string_view line) {
    if (line.empty() || line == kVgtm || line.size() + pendingCount_ >= bodyLineLimit_) return;
    if (reader_.CurrentBlock != nullptr) {
        // A block is only ever opened with nothing pending, so the line goes straight in.
        reader_.CurrentBlock->AddBody(line);
    } else {
        pendingCount_ += line.size();
    }
}

void TLineLoop::FileBlock(std::string header, TDateTime date, int32_t announcedLength) {
    auto block = std::make_unique<TDCPDataBloc>(reader_.CurrentBeacon);
    block->Header = std::move(header);
    if (beacons_ != nullptr) block->Source = beacons_->FileSource();
    TDCPDataBloc* filed = reader_.CurrentBeacon->AddBlock(std::move(block));
    filed->Date = date;
    filed->AnnouncedLength = announcedLength;
    // The body usually arrives as several lines: room for the announced count saves
    // the reallocations of growing it line by line (a false count only costs room).
    if (announcedLength > 0)
        filed->Body.reserve(static_cast<size_t>(std::min<int32_t>(announcedLength, kMaxBodyReserve)));
    pendingCount_ = 0;
    reader_.CurrentBlock = filed;
    ++reader_.BlocksFiled;
}

void TLineLoop::CloseBlock() {
    reader_.CurrentBlock = nullptr;
}

TDCP* TLineLoop::FindByNumber(std::string_view number) const {
    return beacons_ != nullptr ? beacons_->FindByNumber(number) : nullptr;
}

TDCP* TLineLoop::FindByName(std::string_view name) const {
    return beacons_ != nullptr ? beacons_->FindByName(name) : nullptr;
}

void TLineLoop::AddError(int32_t code, std::string_view s1, std::string_view s2,
                         std::string_view s3) {
    reader_.Errors.push_back(
        TDecodFileError{code, lineNumber_, ErrorText(s1), ErrorText(s2), ErrorText(s3)});
}

}  // namespace skylog
