#pragma once
// A small encoder of message bodies for the decoding tests: a fixed head, scenarios
// packed as 6-bit characters, the declared count and the end marker.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace skylog::test {

inline char SixBit(int value) { return static_cast<char>(0x40 + (value & 0x3F)); }

// Three bytes per group of four characters; a last partial group is padded with
// zero bits.
inline std::string PackBytes(const std::vector<uint8_t>& bytes) {
    std::string out;
    for (size_t i = 0; i < bytes.size(); i += 3) {
        const size_t left = bytes.size() - i;
        const int b0 = bytes[i];
        const int b1 = left > 1 ? bytes[i + 1] : 0;
        const int b2 = left > 2 ? bytes[i + 2] : 0;
        out += {SixBit(b0 >> 2), SixBit(((b0 & 3) << 4) | (b1 >> 4)), SixBit(((b1 & 15) << 2) | (b2 >> 6)),
                SixBit(b2)};
    }
    return out;
}

inline uint8_t Bcd(int value) { return static_cast<uint8_t>((value / 10) * 16 + value % 10); }

struct HeadSpec {
    int cyclic = 1;
    int hour = 10, minute = 20, second = 30;
    uint8_t type = 0xA0;
    int instrument = 45;
    int dcpHour = 12, dcpMinute = 0, dcpSecond = 5;
};

// Parameter block all '@'; the type and instrument as two 4-bit characters each.
inline std::string EncodeHead(const HeadSpec& h) {
    const auto nibble = [](int value) { return static_cast<char>(0x40 | (value & 15)); };
    return {SixBit(h.cyclic),       SixBit(h.hour),          SixBit(h.minute),     SixBit(h.second),
            nibble(h.type >> 4),    nibble(h.type),          '@', '@', '@', '@', '@', '@',
            nibble(h.instrument >> 4), nibble(h.instrument), SixBit(h.dcpSecond),  SixBit(h.dcpMinute),
            SixBit(h.dcpHour)};
}

// Declared byte count, then the end marker.
inline std::string EncodeTail(int declared) { return {SixBit(declared >> 6), SixBit(declared), '\x04', ']', 'J', 'c'}; }

inline std::vector<uint16_t> Words(int count, uint16_t first = 0x0100) {
    std::vector<uint16_t> words;
    for (int i = 0; i < count; ++i) words.push_back(static_cast<uint16_t>(first + i));
    return words;
}

// A scenario of code 63 unless told otherwise.
struct ScnSpec {
    char marker = 63;
    int yearCode = 5, month = 3, day = 7;
    int hour = 11, minute = 22, second = 33;
    std::optional<char> extraChar;     // one-character field after the date
    bool withTime = true;              // false for the layouts with a zero time
    std::vector<uint16_t> words = Words(9);  // byte stream: 16-bit values
    std::vector<uint8_t> byteValues;   // byte stream: single bytes (after the words)
    std::optional<uint8_t> endMarker = 0xFE;
};

inline std::string EncodeScenario(const ScnSpec& s) {
    std::string out;
    out += s.marker;
    out += SixBit(s.yearCode);
    out += SixBit(s.month);
    out += SixBit(s.day);
    if (s.extraChar) out += *s.extraChar;
    if (s.withTime) out += PackBytes({Bcd(s.hour), Bcd(s.minute), Bcd(s.second)});
    std::vector<uint8_t> stream;
    for (uint16_t w : s.words) {
        stream.push_back(static_cast<uint8_t>(w >> 8));
        stream.push_back(static_cast<uint8_t>(w & 0xFF));
    }
    stream.insert(stream.end(), s.byteValues.begin(), s.byteValues.end());
    if (s.endMarker) stream.push_back(*s.endMarker);
    out += PackBytes(stream);
    return out;
}

// A whole body: head, scenario text, count and end marker.
inline std::string EncodeBody(const HeadSpec& head, const std::string& scenario) {
    const std::string out = EncodeHead(head) + scenario;
    return out + EncodeTail(static_cast<int>(out.size()));
}

}  // namespace skylog::test
