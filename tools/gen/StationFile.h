#pragma once
// Ground-station message files in their formats (GOES files in two forms), with the
// line lengths, line ends and header lines stations write, and the defects they
// sometimes deliver.

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "Common/DateTime.h"

namespace skylog::gen {

// GoesFramed: ".GOES" files that receiving software writes, each message on one line
// framed by control bytes.
enum class StationFormat { Cnrs, Nasa, Dcp, Goes, Bru, GoesFramed };

[[nodiscard]] const std::vector<StationFormat>& AllFormats();
[[nodiscard]] std::string_view FormatName(StationFormat format);       // "cnrs"
[[nodiscard]] std::string_view FormatExtension(StationFormat format);  // ".CNRS"
// What file names of the format carry before the extension ("_framed"), so that the
// two GOES forms of a set get distinct names.
[[nodiscard]] std::string_view FormatNameTag(StationFormat format);
[[nodiscard]] std::optional<StationFormat> ParseFormatName(std::string_view name);

inline constexpr char kFramedGoesStx = '\x02';
inline constexpr char kFramedGoesEtx = '\x03';

enum class HeaderDefect {
    None,
    BadDate,  // a date that does not exist ("at" and BRU); GOES day numbers cannot be wrong, so GOES gets BadTime
    BadTime,  // hour 25
};

// How a GOES message ends: " X*" after the body, or a last line of two characters and a
// space. Either mark stands for the end marker, which a GOES body does not carry itself.
enum class GoesEndStyle { XStar, ThreeCharLine };

struct StationMessage {
    std::string beaconNumber;  // "at" and GOES headers name the beacon by Number
    std::string beaconName;    // BRU headers and station name lines by Name
    TDateTime date = 0;        // transmission, whole seconds
    std::string body;          // as the decoder is to see it, end marker included
    HeaderDefect headerDefect = HeaderDefect::None;
    char goesReception = 'G';
    GoesEndStyle goesEnd = GoesEndStyle::XStar;
    char goesClosing = kFramedGoesEtx;  // framed GOES: STX or ETX after the body
    bool highBits = false;  // set bit 7 on some body characters (the reader clears it)
    int programNumber = 1;  // BRU, not read
};

enum class LineEnd { CrLf, Lf, Nul };

struct FileStyle {
    size_t lineWidth = 69;  // body characters per line; 0 keeps a body on one line
    LineEnd lineEnd = LineEnd::CrLf;
    bool dayFirst = true;  // "at" dates as dd/mm/yy (the reader's DCPDateNew); mm/dd/yy when false
    bool blankLines = false;  // framed GOES: a blank line after each message
};

// `<Number>-ALL           0 at dd/mm/yy hh:nn:ss UTC <length>BT o`
[[nodiscard]] std::string AtHeaderLine(std::string_view number, TDateTime date, int announcedLength,
                                       bool dayFirst, char indicator = 'o',
                                       HeaderDefect defect = HeaderDefect::None);
// The 37-character GOES header: address (8), yyddd hhmmss, reception code, signal
// strength, frequency offset, modulation index, data quality, channel, spacecraft,
// data source, message length (5).
[[nodiscard]] std::string GoesHeader(std::string_view address, TDateTime date, char reception,
                                     int messageLength, HeaderDefect defect = HeaderDefect::None);
// "Prog: <program> <name> dd/mm/yy hh-nn-ss"
[[nodiscard]] std::string BruProgLine(int programNumber, std::string_view name, TDateTime date,
                                      HeaderDefect defect = HeaderDefect::None);
// "0000<Number> F/<Name>" (.CNRS) or "0000<Number> NASA/<Name>" (.NASA).
[[nodiscard]] std::string StationNameLine(StationFormat format, std::string_view number,
                                          std::string_view name);

// A body cut into lines of `width` characters (0: one line). A piece that would read
// exactly "VGTM" (a line the reader skips) is joined to the one before it.
[[nodiscard]] std::vector<std::string> WrapBody(std::string_view body, size_t width);

// The bytes of a whole file. Throws std::invalid_argument for a message the format
// cannot carry (a GOES address that is not 8 characters, a body with " X*" in it, a
// BRU name with a space).
[[nodiscard]] std::string WriteStationFile(StationFormat format, std::span<const StationMessage> messages,
                                           const FileStyle& style);

}  // namespace skylog::gen
