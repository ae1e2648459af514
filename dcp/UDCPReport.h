#pragma once
// First-level error report of message blocks: the byte classes of a decoded body,
// the error codes with their texts, and the statistics rows of one beacon.

#include <cstdint>
#include <string>

#include "Common/UUtils.h"

namespace skylog {

struct TDCPDataError;
class TDCP;

// Class of one body byte, as the body viewer colours it.
enum TByteClass : uint8_t {
    kByteNotExamined = 0,
    kByteValid = 1,          // cyclic number, scenario marker, one-character field
    kByteNoData = 2,
    kByteOutOfRange = 3,
    kByteUnknown = 4,        // instrument type or scenario marker
    kByteMalformed = 5,      // time, end-marker character, scenario value
    kByteParameter = 6,      // parameter, end-marker or count byte
    kByteTime = 7,           // head time, scenario date or time character
    kByteFirstWords = 8,     // first group of a run of 16-bit values
    kByteLaterWords = 9,
    kByteByteValue = 10,
    kByteTrailing = 11,      // after the end marker
};

enum TDCPErrorCode : int32_t {
    kErrTooShort = 100,
    kErrCyclicNumber = 101,
    kErrNoData = 102,
    kErrParameterBytes = 103,
    kErrUnknownInstrument = 104,
    kErrInstrumentTime = 105,
    kErrDCPTime = 106,
    kErrNoAssociation = 107,
    kErrWrongInstrument = 108,
    kErrScnBadEndMarker = 109,
    kErrBadMessageEnd = 110,
    kErrScnBadDate = 111,
    kErrScnImprobableDate = 112,
    kErrScnIncomplete = 113,
};

// Long text, for the error report of the main window.
[[nodiscard]] std::string ErrorText(const TDCPDataError& error);
// Short text, for the statistics report.
[[nodiscard]] std::string ErrorLabel(const TDCPDataError& error);

struct TRgbColour {
    uint8_t Red = 0, Green = 0, Blue = 0;
    friend bool operator==(const TRgbColour&, const TRgbColour&) = default;
};
// Colour of a byte class; unknown classes are gray.
[[nodiscard]] TRgbColour ByteClassColour(int byteClass);

// Appends the statistics rows of one beacon to two parallel lists; the share of
// ignored bytes is written with the host's decimal separator.
void BuildReport(const TDCP& beacon, StringList& labels, StringList& values, char decimalSeparator);

}  // namespace skylog
