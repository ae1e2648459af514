#include "tools/gen/StationFile.h"

#include <cstdio>
#include <stdexcept>

#include "tools/gen/GenFormat.h"

namespace skylog::gen {

const std::vector<StationFormat>& AllFormats() {
    static const std::vector<StationFormat> formats = {StationFormat::Cnrs, StationFormat::Nasa,
                                                       StationFormat::Dcp, StationFormat::Goes,
                                                       StationFormat::Bru, StationFormat::GoesFramed};
    return formats;
}

std::string_view FormatName(StationFormat format) {
    switch (format) {
        case StationFormat::Cnrs: return "cnrs";
        case StationFormat::Nasa: return "nasa";
        case StationFormat::Dcp: return "dcp";
        case StationFormat::Goes: return "goes";
        case StationFormat::Bru: return "bru";
        case StationFormat::GoesFramed: return "goes-framed";
    }
    return "";
}

std::string_view FormatExtension(StationFormat format) {
    switch (format) {
        case StationFormat::Cnrs: return ".CNRS";
        case StationFormat::Nasa: return ".NASA";
        case StationFormat::Dcp: return ".DCP";
        case StationFormat::Goes: return ".GOES";
        case StationFormat::Bru: return ".BRU";
        case StationFormat::GoesFramed: return ".GOES";
    }
    return "";
}

std::string_view FormatNameTag(StationFormat format) {
    return format == StationFormat::GoesFramed ? "_framed" : "";
}

std::optional<StationFormat> ParseFormatName(std::string_view name) {
    for (StationFormat format : AllFormats()) {
        if (FormatName(format) == name) return format;
    }
    return std::nullopt;
}

namespace {

struct Stamp {
    DateParts date;
    TimeParts time;
};

Stamp Split(TDateTime value) { return {DecodeDate(value), DecodeTime(value)}; }

std::string Format(const char* pattern, int a, int b, int c) {
    char buf[32];
    std::snprintf(buf, sizeof buf, pattern, a, b, c);
    return buf;
}

int DayOfYear(const DateParts& date) {
    TDateTime first = 0, day = 0;
    if (!TryEncodeDate(date.year, 1, 1, first) || !TryEncodeDate(date.year, date.month, date.day, day)) return 0;
    return static_cast<int>(day - first) + 1;
}

std::string_view LineEndBytes(LineEnd lineEnd) {
    switch (lineEnd) {
        case LineEnd::CrLf: return "\r\n";
        case LineEnd::Lf: return "\n";
        case LineEnd::Nul: return std::string_view("\0", 1);
    }
    return "\r\n";
}

// Bit 7 on every fifth character: the reader clears it before anything else, so the
// message must come through unchanged.
std::string WithHighBits(std::string text) {
    for (size_t i = 2; i < text.size(); i += 5) text[i] = static_cast<char>(text[i] | 0x80);
    return text;
}

}  // namespace

std::string AtHeaderLine(std::string_view number, TDateTime date, int announcedLength, bool dayFirst,
                         char indicator, HeaderDefect defect) {
    const Stamp s = Split(date);
    const int yy = s.date.year % 100;
    std::string dateText = dayFirst ? Format("%02d/%02d/%02d", s.date.day, s.date.month, yy)
                                    : Format("%02d/%02d/%02d", s.date.month, s.date.day, yy);
    if (defect == HeaderDefect::BadDate) dateText = Format("%02d/%02d/%02d", 31, 2, yy);
    const int hour = defect == HeaderDefect::BadTime ? 25 : s.time.hour;
    std::string line(number);
    line += kAtHeaderMiddle;
    line += dateText;
    line += ' ';
    line += Format("%02d:%02d:%02d", hour, s.time.minute, s.time.second);
    line += " UTC ";
    line += std::to_string(announcedLength);
    line += "BT ";
    line.push_back(indicator);
    return line;
}

std::string GoesHeader(std::string_view address, TDateTime date, char reception, int messageLength,
                       HeaderDefect defect) {
    if (address.size() != kGoesAddressLength || address.find(' ') != std::string_view::npos) {
        throw std::invalid_argument("a GOES address has 8 characters");
    }
    if (messageLength < 0 || messageLength > 99999) throw std::invalid_argument("GOES length beyond 5 digits");
    const Stamp s = Split(date);
    const int hour = defect == HeaderDefect::None ? s.time.hour : 25;
    char buf[64];
    std::snprintf(buf, sizeof buf, "%s%02d%03d%02d%02d%02d%c44+0NN195EDB%05d", std::string(address).c_str(),
                  s.date.year % 100, DayOfYear(s.date), hour, s.time.minute, s.time.second, reception,
                  messageLength);
    return buf;
}

std::string BruProgLine(int programNumber, std::string_view name, TDateTime date, HeaderDefect defect) {
    if (name.empty() || name.find(' ') != std::string_view::npos) {
        throw std::invalid_argument("a BRU beacon name is one word");
    }
    const Stamp s = Split(date);
    const int yy = s.date.year % 100;
    std::string line(kBruHeaderPrefix);
    line += ' ';
    line += std::to_string(programNumber);
    line += ' ';
    line += name;
    line += ' ';
    line += defect == HeaderDefect::BadDate ? Format("%02d/%02d/%02d", 31, 2, yy)
                                            : Format("%02d/%02d/%02d", s.date.day, s.date.month, yy);
    line += ' ';
    line += Format("%02d-%02d-%02d", defect == HeaderDefect::BadTime ? 25 : s.time.hour, s.time.minute,
                   s.time.second);
    return line;
}

std::string StationNameLine(StationFormat format, std::string_view number, std::string_view name) {
    std::string line(kStationNamePrefix);
    line += number;
    line += format == StationFormat::Nasa ? " NASA/" : " F/";
    line += name;
    return line;
}

std::vector<std::string> WrapBody(std::string_view body, size_t width) {
    std::vector<std::string> lines;
    if (width == 0) width = body.size() == 0 ? 1 : body.size();
    for (size_t at = 0; at < body.size(); at += width) {
        std::string piece(body.substr(at, width));
        if (piece == kVgtm && !lines.empty()) {
            lines.back() += piece;
        } else {
            lines.push_back(std::move(piece));
        }
    }
    return lines;
}

namespace {

class FileWriter {
public:
    explicit FileWriter(const FileStyle& style) : style_(style), end_(LineEndBytes(style.lineEnd)) {}
    void Line(std::string_view text) {
        out_ += text;
        out_ += end_;
    }
    void Body(std::string_view body, bool highBits) {
        for (const std::string& line : WrapBody(body, style_.lineWidth)) {
            Line(highBits ? WithHighBits(line) : line);
        }
    }
    [[nodiscard]] const std::string& Bytes() const { return out_; }

private:
    const FileStyle& style_;
    std::string_view end_;
    std::string out_;
};

void WriteGoesMessage(FileWriter& writer, const StationMessage& m, const FileStyle& style) {
    // The station does not pass the end marker on: it ends the message with its own
    // mark, which the reader turns back into the end marker. Bytes after the end
    // marker follow the mark and are dropped on reading.
    std::string core = m.body;
    std::string after;
    bool ended = false;
    const size_t marker = m.body.rfind(kEndMarker);
    if (marker != std::string::npos && m.body.size() - marker - kEndMarker.size() <= kEndMarkerSearchSpan) {
        core = m.body.substr(0, marker);
        after = m.body.substr(marker + kEndMarker.size());
        ended = true;
    }
    if (core.find(kGoesEndMark) != std::string::npos) throw std::invalid_argument("GOES body holding its end mark");

    std::string lastPiece;
    const bool threeChar = ended && m.goesEnd == GoesEndStyle::ThreeCharLine && core.size() > 2;
    if (threeChar) {
        lastPiece = core.substr(core.size() - 2);
        core.resize(core.size() - 2);
    }
    std::vector<std::string> lines = WrapBody(core, style.lineWidth);
    if (lines.empty()) lines.emplace_back();
    for (size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].size() == 3 && lines[i][2] == ' ' && !(i + 1 == lines.size() && !threeChar)) {
            throw std::invalid_argument("GOES body line that reads as an end mark");
        }
        if (m.highBits) lines[i] = WithHighBits(lines[i]);
    }
    if (ended && !threeChar) {
        lines.back() += kGoesEndMark;
        lines.back() += after;
    }
    const std::string header =
        GoesHeader(m.beaconNumber, m.date, m.goesReception, static_cast<int>(m.body.size()), m.headerDefect);
    // The reader drops the bytes 0x00 to 0x20 at the start of the header line's body
    // text: a body starting with one starts on the next line, which is taken as it
    // stands. DEL (cyclic number 63) is data and stays on the header line.
    const auto first = static_cast<uint8_t>(lines.front().empty() ? 'A' : lines.front()[0] & 0x7F);
    const bool ownLine = first <= ' ';
    if (ownLine) writer.Line(header);
    for (size_t i = 0; i < lines.size(); ++i) writer.Line(i == 0 && !ownLine ? header + lines[i] : lines[i]);
    if (threeChar) writer.Line(lastPiece + " ");
}

// SOH, the header, the body whole (end marker and trailing bytes included), STX or ETX.
void WriteFramedGoesMessage(FileWriter& writer, const StationMessage& m, const FileStyle& style) {
    if (m.goesClosing != kFramedGoesStx && m.goesClosing != kFramedGoesEtx)
        throw std::invalid_argument("a framed GOES message closes with STX or ETX");
    std::string line(1, kGoesFrameStart);
    line += GoesHeader(m.beaconNumber, m.date, m.goesReception, static_cast<int>(m.body.size()), m.headerDefect);
    line += m.highBits ? WithHighBits(m.body) : m.body;
    line += m.goesClosing;
    writer.Line(line);
    if (style.blankLines) writer.Line("");
}

}  // namespace

std::string WriteStationFile(StationFormat format, std::span<const StationMessage> messages,
                             const FileStyle& style) {
    FileWriter writer(style);
    const StationMessage* previous = nullptr;
    for (const StationMessage& m : messages) {
        switch (format) {
            case StationFormat::Cnrs:
            case StationFormat::Nasa:
                if (previous == nullptr || previous->beaconNumber != m.beaconNumber) {
                    writer.Line(StationNameLine(format, m.beaconNumber, m.beaconName));
                }
                [[fallthrough]];
            case StationFormat::Dcp:
                writer.Line(AtHeaderLine(m.beaconNumber, m.date, static_cast<int>(m.body.size()), style.dayFirst,
                                         'o', m.headerDefect));
                writer.Body(m.body, m.highBits);
                break;
            case StationFormat::Bru:
                writer.Line(BruProgLine(m.programNumber, m.beaconName, m.date, m.headerDefect));
                writer.Body(m.body, m.highBits);
                break;
            case StationFormat::Goes: WriteGoesMessage(writer, m, style); break;
            case StationFormat::GoesFramed: WriteFramedGoesMessage(writer, m, style); break;
        }
        previous = &m;
    }
    return writer.Bytes();
}

}  // namespace skylog::gen
