#include "tools/gen/SixBit.h"

#include <stdexcept>

#include "tools/gen/GenFormat.h"

namespace skylog::gen {

char SixBitChar(int value) {
    if (value < 0 || value > 63) throw std::invalid_argument("6-bit value out of range");
    return static_cast<char>(value + kSixBitOffset);
}

bool IsSixBitChar(uint8_t c) { return c >= kSixBitOffset && c <= 127; }

std::array<char, 4> PackGroup(uint8_t b0, uint8_t b1, uint8_t b2) {
    return {SixBitChar(b0 >> 2), SixBitChar(((b0 & 0x03) << 4) | (b1 >> 4)),
            SixBitChar(((b1 & 0x0F) << 2) | (b2 >> 6)), SixBitChar(b2 & 0x3F)};
}

std::string PackByteStream(std::span<const uint8_t> bytes) {
    std::string out;
    out.reserve((bytes.size() + 2) / 3 * 4);
    for (size_t i = 0; i < bytes.size(); i += 3) {
        const uint8_t b0 = bytes[i];
        const uint8_t b1 = i + 1 < bytes.size() ? bytes[i + 1] : 0;
        const uint8_t b2 = i + 2 < bytes.size() ? bytes[i + 2] : 0;
        const auto group = PackGroup(b0, b1, b2);
        out.append(group.data(), group.size());
    }
    return out;
}

}  // namespace skylog::gen
