#pragma once
// Layout of a K7 file: a 256-byte parameter block, then the events back to back.
// Shared by the reader and the writer (UK7File) and described in docs/formats/k7.md.

#include <cstddef>
#include <cstdint>

namespace skylog::k7format {

constexpr size_t kHeaderSize = 256;
constexpr size_t kParamBlocHexLength = 2 * kHeaderSize;

constexpr size_t kInstrumentCodeOffset = 0;
constexpr size_t kIdentOffset = 128;  // 8 ASCII characters, taken when they begin with "SP"
constexpr size_t kIdentLength = 8;
constexpr size_t kHeaderDate1Offset = 144;  // year-1900, month, day, hour, minute, second
constexpr size_t kHeaderDate2Offset = 150;
constexpr int kHeaderYearBase = 1900;
constexpr uint8_t kNoSeconds = 0xFF;

// A ParamBloc text starting with "S" carries an 11-character prefix before the hex.
constexpr size_t kParamPrefixLength = 11;

// Inside an event: byte 0 type, byte 1 length L, ..., byte L-2 end marker, L-1 = L.
constexpr size_t kEventDateOffset = 4;  // six BCD bytes: yy mm dd hh nn ss

}  // namespace skylog::k7format
