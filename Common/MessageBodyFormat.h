#pragma once
// The layout of a message body as the beacons send it: what first-level decoding
// reads, where the scenario converter starts, and the end marker that the GOES reader
// puts back for a station's end-of-message mark. Described for users in
// docs/formats/message-body.md.

#include <cstdint>
#include <string_view>

namespace skylog::body {

// Bytes 0 to 16: cyclic number, instrument time, instrument type, parameter block,
// instrument number, beacon time. Scenario data starts right after.
constexpr int32_t kHeadLength = 17;
constexpr int32_t kCyclicNumberAt = 0;
constexpr int32_t kInstrumentTimeAt = 1;    // hours, minutes, seconds
constexpr int32_t kInstrumentTypeAt = 4;    // two low nibbles, high first
constexpr int32_t kParametersAt = 6;        // six bytes
constexpr int32_t kInstrumentNumberAt = 12; // two low nibbles, high first
constexpr int32_t kBeaconTimeAt = 14;       // seconds, minutes, hours

// A 6-bit character is a byte from 64 to 127 carrying the value byte - 64.
constexpr uint8_t kSixBitFirst = 64;
constexpr uint8_t kSixBitLast = 127;
// A byte from 17 to 63 in the scenario data starts a scenario.
constexpr uint8_t kFirstScenarioMarker = 17;
constexpr uint8_t kLastScenarioMarker = 63;

// The end marker, looked for among the last ten bytes; the two bytes before it are the
// byte count the instrument declares, as two 6-bit characters, high first.
constexpr std::string_view kEndMarker = "\x04]Jc";
constexpr int32_t kEndMarkerSearch = 10;
constexpr int32_t kDeclaredLengthSize = 2;

// A body that begins with this text (any letter case) and is longer carries no data.
constexpr std::string_view kNoData = "NO DATA";

}  // namespace skylog::body
