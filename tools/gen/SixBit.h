#pragma once
// 6-bit text: a character carries six bits as value + 64, so that every data
// character lies in 64..127 and none can be taken for a scenario marker (17..63).
// Four characters carry three bytes.

#include <array>
#include <cstdint>
#include <span>
#include <string>

namespace skylog::gen {

// The character of a 6-bit value (value must be 0..63).
[[nodiscard]] char SixBitChar(int value);
[[nodiscard]] bool IsSixBitChar(uint8_t c);

// Three bytes as the four characters that unpack to them.
[[nodiscard]] std::array<char, 4> PackGroup(uint8_t b0, uint8_t b1, uint8_t b2);

// A byte stream as consecutive groups; a last group that is not full is padded with
// zero bytes.
[[nodiscard]] std::string PackByteStream(std::span<const uint8_t> bytes);

}  // namespace skylog::gen
