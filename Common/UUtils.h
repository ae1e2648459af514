#pragma once
// Small stateless helpers shared by every part of the engine, so that the same
// input gives the same result everywhere (a year 80 is 2080 in a header, in a
// scenario date and in a date field alike).

#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "Common/DateTime.h"

namespace skylog {

using StringList = std::vector<std::string>;

// 0..80 -> 2000..2080, 81..99 -> 1981..1999, anything else unchanged.
[[nodiscard]] inline int32_t ExpandYear(int32_t year) {
    if (year >= 0 && year <= 80) return year + 2000;
    if (year >= 81 && year <= 99) return year + 1900;
    return year;
}

constexpr int kSplitMerge = 1;  // flag bit 0: runs of separators count as one
// Without merging, every separator closes a field (even an empty one); the last field
// is kept only when it is not empty. With merging, leading, trailing and repeated
// separators produce no field.
[[nodiscard]] StringList Split(std::string_view text, char separator, int flags = 0);

constexpr char kPathSeparator = '/';
// Appends the path separator unless the path is empty or already ends with one.
[[nodiscard]] std::string IncludeBackslash(std::string_view path);

// A 64-bit hash of bytes for in-memory tables, eight bytes per step: the tables of an
// import hash every event and header. Not stable across versions: never store it.
[[nodiscard]] inline uint64_t HashBytes(std::string_view bytes) {
    constexpr uint64_t kMul = 0x9E3779B97F4A7C15ull;
    const char* p = bytes.data();
    size_t n = bytes.size();
    uint64_t h = n * kMul;
    for (; n >= 8; p += 8, n -= 8) {
        uint64_t word = 0;
        std::memcpy(&word, p, 8);
        h = (h ^ word) * kMul;
        h ^= h >> 29;
    }
    if (n > 0) {
        uint64_t word = 0;
        std::memcpy(&word, p, n);
        h = (h ^ word) * kMul;
    }
    h ^= h >> 32;
    h *= 0xD6E8FEB86659FD93ull;
    return h ^ (h >> 32);
}

// Visits items[0], items[1], ... in order. The blocks whose records a flush gathers were
// made long before and lie scattered in memory: the pointee of items[i + 8] and, through
// fetchParts, what items[i + 4] points to are requested from memory meanwhile, so that
// the waits overlap (a gain measured only there, docs/benchmarks.md). The items are
// pointers (raw or smart), none of them null; visit may reset items[i].
template <class Items, class FetchParts, class Visit>
void VisitFetchingAhead(Items&& items, FetchParts&& fetchParts, Visit&& visit) {
    constexpr size_t kObjectsAhead = 8;
    constexpr size_t kPartsAhead = 4;
    const size_t count = items.size();
    for (size_t i = 0; i < count; ++i) {
        if (i + kObjectsAhead < count) __builtin_prefetch(&*items[i + kObjectsAhead]);
        if (i + kPartsAhead < count) fetchParts(*items[i + kPartsAhead]);
        visit(items[i]);
    }
}

// Requests every cache line of size bytes at data from memory: a message body is read
// through, and asking only for its first line left the others to wait for.
inline void PrefetchRange(const void* data, size_t size) {
    constexpr size_t kLine = 64;
    const auto* bytes = static_cast<const char*>(data);
    for (size_t at = 0; at < size; at += kLine) __builtin_prefetch(bytes + at);
}

// Inline: called per byte in the event and K7 loops.
[[nodiscard]] inline char NibbleToHex(int nibble) {
    nibble &= 0x0F;
    return static_cast<char>(nibble < 10 ? '0' + nibble : 'A' + nibble - 10);
}
// Lower-case letters count as upper case; any non-hex character gives a meaningless
// value (its code minus 48), never an error.
[[nodiscard]] inline int HexDigitValue(char c) {
    int code = static_cast<unsigned char>(c);
    if (code >= 'a') code -= 32;
    if (code >= 'A' && code <= 'F') return code - 'A' + 10;
    return code - 48;
}
inline bool ByteToHex(uint8_t value, char out[2]) {
    out[0] = NibbleToHex(value >> 4);
    out[1] = NibbleToHex(value & 0x0F);
    return true;
}
bool WordToHex(uint16_t value, char out[4]);
[[nodiscard]] std::string ByteToHexString(uint8_t value);
[[nodiscard]] inline uint8_t HexToByte(std::string_view text) {
    if (text.size() < 2) return 0;
    return static_cast<uint8_t>(HexDigitValue(text[0]) * 16 + HexDigitValue(text[1]));
}
[[nodiscard]] uint16_t HexToWord(std::string_view text);
// Inline, as ExpandYear: decoding calls them for every date and time of every scenario.
[[nodiscard]] inline uint8_t ByteToBCD(uint8_t value) { return static_cast<uint8_t>((value / 10) * 16 + value % 10); }
[[nodiscard]] inline uint8_t BCDToByte(uint8_t value) {
    return static_cast<uint8_t>((value >> 4) * 10 + (value & 0x0F));
}

// Uppercase hex of a byte sequence, two characters per byte.
[[nodiscard]] std::string BytesToHex(const uint8_t* data, size_t size);

// Wildcard match of a file name against a mask with * and ?, without regard to case
// (as the Windows search did: x.cnrs matches *.CNRS). "*.*" matches every name.
[[nodiscard]] bool MatchesMask(std::string_view name, std::string_view mask);

// Plain files of a folder whose names match the mask, sorted by name. An empty folder
// name gives no list (std::nullopt), a missing folder an empty one. The attribute
// filter of the original interface has no meaning here: only regular, non-hidden
// files are ever listed.
[[nodiscard]] std::optional<StringList> ListFiles(std::string_view folder, std::string_view mask,
                                                  int attributeFilter = 0);

// The current local date and time of the system. The engine asks its run's clock
// instead (Common/Clock.h), which a test or the command line may fix.
[[nodiscard]] TDateTime CurrentDateTime();

// Trims ASCII white space at both ends.
[[nodiscard]] std::string Trim(std::string_view text);
[[nodiscard]] std::string ToUpperAscii(std::string_view text);
// The same into a buffer used again, so that a loop over many lines allocates nothing.
void ToUpperAsciiInto(std::string& out, std::string_view text);
[[nodiscard]] bool EqualsNoCase(std::string_view a, std::string_view b);
// Decimal integer of the whole text (optional sign), or nothing.
[[nodiscard]] std::optional<int32_t> ParseInt32(std::string_view text);

// A line of a file as a message quotes it: its first kQuotedLineMax characters
// (UTF-8), then "…" when it is longer, so that a damaged file of one huge line does
// not fill a terminal or a message box.
inline constexpr size_t kQuotedLineMax = 200;
[[nodiscard]] std::string QuotedLine(std::string_view line);

}  // namespace skylog
