#pragma once
// Looking for the first byte of a class in a long run of bytes: line ends in a file,
// bit 7 in a file to rewrite, scenario markers in a message body. Those bytes are rare,
// and eight bytes are passed over at a time while none of them is one.

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace skylog {

namespace byte_scan {

constexpr uint64_t kOnes = 0x0101010101010101ull;
constexpr uint64_t kHighBits = 0x8080808080808080ull;

// The first position from `from` on whose byte the word test flags, or the size.
// flagged(word) sets bit 7 of each byte of the word (byte k from bits 8k to 8k + 7) that
// is of the class, and may set it wrongly only above a byte that is.
template <class Flagged, class IsOfClass>
size_t Find(std::string_view bytes, size_t from, Flagged flagged, IsOfClass isOfClass) {
    size_t i = from;
    if constexpr (std::endian::native == std::endian::little) {
        for (uint64_t word = 0; i < bytes.size() && bytes.size() - i >= sizeof word; i += sizeof word) {
            std::memcpy(&word, bytes.data() + i, sizeof word);
            if (const uint64_t flags = flagged(word); flags != 0)
                return i + static_cast<size_t>(std::countr_zero(flags)) / 8;
        }
    }
    while (i < bytes.size() && !isOfClass(static_cast<uint8_t>(bytes[i]))) ++i;
    return i < bytes.size() ? i : bytes.size();
}

}  // namespace byte_scan

// The first position from `from` on whose byte is below `limit` (1 to 128), or the
// size of the bytes.
[[nodiscard]] inline size_t FindByteBelow(std::string_view bytes, size_t from, uint8_t limit) {
    using namespace byte_scan;
    // A byte below the limit borrows in the subtraction and has bit 7 clear; a borrow
    // only flags the bytes above the one that made it.
    return Find(
        bytes, from, [limit](uint64_t word) { return (word - kOnes * limit) & ~word & kHighBits; },
        [limit](uint8_t byte) { return byte < limit; });
}

// The first position from `from` on whose byte has bit 7 set, or the size of the bytes.
[[nodiscard]] inline size_t FindHighByte(std::string_view bytes, size_t from) {
    using namespace byte_scan;
    return Find(
        bytes, from, [](uint64_t word) { return word & kHighBits; }, [](uint8_t byte) { return byte >= 0x80; });
}

}  // namespace skylog
