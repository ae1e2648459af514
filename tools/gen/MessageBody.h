#pragma once
// Message bodies as the instrument and its beacon send them: a 17-byte head,
// scenario characters, the declared length in two characters and the end marker.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "tools/gen/GenFormat.h"

namespace skylog::gen {

struct MessageHead {
    int cyclicNumber = 0;  // 0..63
    int instrumentHour = 0, instrumentMinute = 0, instrumentSecond = 0;
    uint8_t instrumentCode = 0;  // sent in the low nibbles of two characters
    std::array<uint8_t, 6> parameters{};  // six 6-bit values
    int instrumentNumber = 0;  // 0..255, sent in the low nibbles of two characters
    int beaconHour = 0, beaconMinute = 0, beaconSecond = 0;
};

// Parameter block carrying a country number and a district number in the low nibbles.
[[nodiscard]] std::array<uint8_t, 6> ParametersFromCountryDistrict(int country, int district);

// The 17 head characters. Values must fit six bits (a time of 24 or 60 may be sent on
// purpose, to make a malformed head).
[[nodiscard]] std::string EncodeHead(const MessageHead& head);

struct BodyOptions {
    // The declared length defaults to the head and scenario data, that is the index of
    // the declared length itself.
    std::optional<int> declaredLength;
    std::string endMarker = std::string(kEndMarker);  // a damaged marker for defects
    std::string trailing;  // bytes after the end marker (at most 6 to stay findable)
};

// Head + scenario data + declared length + end marker + trailing bytes.
[[nodiscard]] std::string BuildBody(const MessageHead& head, std::string_view scenarioData,
                                    const BodyOptions& options = {});

// The declared length as its two characters.
[[nodiscard]] std::string EncodeDeclaredLength(int length);

}  // namespace skylog::gen
