#pragma once
// Constants of the messages the generator writes. They are kept here, apart from the
// reader's own constants, so that the generator stays an independent inverse of the
// import: a mistake on one side shows up as a failed round trip instead of cancelling
// itself out.

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace skylog::gen {

// A 6-bit character carries value + 64; bytes 17..63 start scenarios.
constexpr uint8_t kSixBitOffset = 0x40;
constexpr uint8_t kFirstMarkerByte = 17;
constexpr uint8_t kLastMarkerByte = 63;

// Message body: fixed head, scenarios, declared length (2 characters), end marker.
constexpr size_t kHeadLength = 17;
constexpr std::string_view kEndMarker = "\x04]Jc";
// The decoder looks for the end marker among the last ten bytes only.
constexpr size_t kEndMarkerSearchSpan = 10;
constexpr int kMaxDeclaredLength = 64 * 64 - 1;
constexpr std::string_view kNoData = "NO DATA";
// A first body piece holding this text within its first 16 bytes is cut after it.
constexpr std::string_view kVgtm = "VGTM";
constexpr size_t kVgtmSearchSpan = 16;

// K7 event trailer.
constexpr uint8_t kEventEndMarker = 0xFE;
constexpr uint8_t kUnwrittenEventByte = 0xFF;
// A byte value of 128 or more reaches the K7 event as this 16-bit value.
constexpr uint16_t kLargeByteValue = 0xFFFC;

// "at" header line as stations and the reader write it.
constexpr std::string_view kAtHeaderMiddle = "-ALL           0 at ";

// GOES: fixed-width header of 37 characters, body from character 38.
constexpr size_t kGoesHeaderLength = 37;
constexpr size_t kGoesAddressLength = 8;
constexpr std::string_view kGoesEndMark = " X*";
constexpr char kGoesGoodReception = 'G';
// A framed GOES message starts with SOH; STX or ETX (StationFile.h) follows its body.
constexpr char kGoesFrameStart = '\x01';

// Station name lines of .CNRS and .NASA files.
constexpr std::string_view kStationNamePrefix = "0000";

constexpr std::string_view kBruHeaderPrefix = "Prog:";

}  // namespace skylog::gen
