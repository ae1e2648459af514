#pragma once
// Constants of the ground-station message files (.CNRS, .NASA, .DCP, .BRU, .GOES) and
// of the "at" header line in which every block header is stored. Shared by the reader
// and by the code that builds "at" headers for the GOES and BRU formats.
// The layout is described for users in docs/formats/ground-station-files.md.

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace skylog {

constexpr int32_t kFormatUnknown = -1;
constexpr int32_t kFormatDcp = 0;      // .DCP: plain "at" files, also the daily message files
constexpr int32_t kFormatStation = 1;  // .CNRS, .NASA: "at" files with station name lines
constexpr int32_t kFormatBru = 2;      // .BRU: "Prog:" header lines
constexpr int32_t kFormatGoes = 3;     // .GOES: fixed-width headers with the body on the line

// The format of each extension the reader knows (compared without regard to case).
struct ExtensionFormat {
    std::string_view extension;
    int32_t format;
};
constexpr ExtensionFormat kExtensionFormats[] = {
    {".CNRS", kFormatStation}, {".NASA", kFormatStation}, {".DCP", kFormatDcp},
    {".GOES", kFormatGoes},    {".BRU", kFormatBru},
};

// Sections of the order check.
constexpr int32_t kSectionStationName = 0;
constexpr int32_t kSectionHeader = 1;
constexpr int32_t kSectionBody = 2;

// Error codes of the reader.
constexpr int32_t kErrorOrder = 1;
constexpr int32_t kErrorHeaderFields = 2;
constexpr int32_t kErrorUnknownBeacon = 3;
constexpr int32_t kErrorDate = 4;
constexpr int32_t kErrorTime = 5;

// Body bytes pending between lines; a body line that does not fit whole is ignored.
constexpr size_t kPendingBufferSize = 4096;

// A body line made of this text alone carries nothing.
constexpr std::string_view kVgtm = "VGTM";

// Station name lines (.CNRS, .NASA).
constexpr std::string_view kStationNamePrefix = "0000";
constexpr std::string_view kStationNameMarkF = "F/";
constexpr std::string_view kStationNameMarkNasa = "NASA/";

// "at" header line: eight fields separated by runs of spaces.
constexpr size_t kAtHeaderFieldCount = 8;
constexpr std::string_view kAtWord = "at";

// The "at" header built for GOES and BRU blocks: Number + kBuiltHeaderMiddle + date
// + " " + time + " UTC " + length + "BT " + reception indicator.
constexpr std::string_view kBuiltHeaderMiddle = "-ALL           0 at ";

// GOES: the fixed-width header takes the first 37 characters; the body follows.
constexpr size_t kGoesHeaderLength = 37;
constexpr std::string_view kGoesStatusTexts[] = {
    "PDT RECORD IS NOT COMPLETE",
    "MESSAGE OVERLAPPING ASSIGNED TIME WINDOW",
    "DUPLICATE MESSAGE RECEIVED",
    "MESSAGE RECEIVED ON WRONG CHANNEL",
};
constexpr std::string_view kGoesEndMark = " X*";
// A framed GOES message: SOH, the header, the body of the announced length, then one
// of the closing bytes STX or ETX, on one line.
constexpr std::string_view kGoesFrameStart = "\x01";
constexpr std::string_view kGoesFrameEnds = "\x02\x03";
constexpr char kGoesGoodReception = 'G';

// BRU.
constexpr std::string_view kBruHeaderPrefix = "Prog:";
constexpr size_t kBruHeaderFieldCount = 5;

}  // namespace skylog
