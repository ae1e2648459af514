#pragma once
// Scenario values <-> K7 event bytes <-> scenario characters. The encoder writes
// exactly what the converter reads back, including the phases of its byte stream, and
// says where a scenario may be cut to run over into the next message.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "tools/gen/ScenarioTable.h"

namespace skylog::gen {

struct ScenarioValues {
    int year = 2005, month = 1, day = 1;  // four-digit year
    int hour = 0, minute = 0, second = 0;
    uint8_t byte3 = 0;  // the small byte (0..63) or the raw byte (64..127) of the layout
    std::vector<uint16_t> words;
    std::vector<uint8_t> byteValues;
    uint8_t endMarker = 0xFE;  // anything else is a damaged scenario
    // The year travels as its value modulo 20; 20 or 40 may be added (0..2 here), the
    // receiver takes the candidate year nearest to the message's.
    int yearCodeTwenties = 0;
};

// The event the converter builds from these values: unwritten bytes 0xFF, the trailer
// (0xFE, length) written last, over whatever a run put there.
// Throws std::invalid_argument when the values do not fit the layout.
[[nodiscard]] std::vector<uint8_t> EventBytesFromValues(const ScenarioLayout& layout,
                                                        const ScenarioValues& values);

// The values that give this event, or nothing when no scenario of the layout can give
// it (wrong type or length, a byte value that is neither 00xx below 0x80 nor FFFC).
// A FFFC byte value comes back as 0x80; the trailer is not checked.
[[nodiscard]] std::optional<ScenarioValues> ValuesFromEventBytes(const ScenarioLayout& layout,
                                                                 std::span<const uint8_t> event);

struct EncodedScenario {
    std::string text;  // the marker followed by its fields
    // Character positions (from the marker) where the text may be cut so that the
    // converter, finding the rest at index 17 of the next message, reads the same
    // event: a field boundary (a group boundary within the byte stream) where the
    // first field that runs short is not the scenario's last field.
    std::vector<size_t> cutPoints;
};

// Throws std::invalid_argument when the values do not fit the layout or would produce
// a character outside 64..127 after the marker.
[[nodiscard]] EncodedScenario EncodeScenario(const ScenarioLayout& layout,
                                             const ScenarioValues& values);

// STX, "1", the bytes in uppercase hex, ETB, and the XOR checksum in two hex digits:
// the form in which an event is handed over.
[[nodiscard]] std::string FramedEventText(std::span<const uint8_t> event);
[[nodiscard]] std::string EventHex(std::span<const uint8_t> event);

}  // namespace skylog::gen
