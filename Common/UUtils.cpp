#include "Common/UUtils.h"

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cstring>
#include <ctime>
#include <filesystem>

namespace skylog {

namespace fs = std::filesystem;

StringList Split(std::string_view text, char separator, int flags) {
    StringList fields;
    std::string current;
    const bool merge = (flags & kSplitMerge) != 0;
    for (size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c != separator) {
            current.push_back(c);
        } else if (!merge) {
            fields.push_back(std::move(current));
            current.clear();
        } else if (i != 0 && text[i - 1] != separator) {
            fields.push_back(std::move(current));
            current.clear();
        }
    }
    if (!current.empty()) fields.push_back(std::move(current));
    return fields;
}

std::string IncludeBackslash(std::string_view path) {
    std::string result(path);
    if (!result.empty() && result.back() != kPathSeparator) result.push_back(kPathSeparator);
    return result;
}

bool WordToHex(uint16_t value, char out[4]) {
    for (int i = 0; i < 4; ++i) out[i] = NibbleToHex((value >> (12 - 4 * i)) & 0x0F);
    return true;
}

std::string ByteToHexString(uint8_t value) {
    char buf[2];
    ByteToHex(value, buf);
    return std::string(buf, 2);
}

uint16_t HexToWord(std::string_view text) {
    size_t n = std::min<size_t>(text.size(), 4);
    unsigned value = 0;
    for (size_t i = 0; i < n; ++i) value = value * 16 + static_cast<unsigned>(HexDigitValue(text[i]));
    return static_cast<uint16_t>(value);
}



std::string BytesToHex(const uint8_t* data, size_t size) {
    std::string out(size * 2, '0');
    for (size_t i = 0; i < size; ++i) ByteToHex(data[i], &out[2 * i]);
    return out;
}

bool MatchesMask(std::string_view name, std::string_view mask) {
    // "*.*" is the Windows idiom for every file, extension or not.
    if (mask == "*.*") return true;
    auto lower = [](char c) {
        return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
    };
    // Iterative wildcard match with single backtracking point: linear in practice.
    size_t n = 0, m = 0, starM = std::string_view::npos, starN = 0;
    while (n < name.size()) {
        if (m < mask.size() && (mask[m] == '?' || lower(mask[m]) == lower(name[n]))) {
            ++n;
            ++m;
        } else if (m < mask.size() && mask[m] == '*') {
            starM = m++;
            starN = n;
        } else if (starM != std::string_view::npos) {
            m = starM + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (m < mask.size() && mask[m] == '*') ++m;
    return m == mask.size();
}

std::optional<StringList> ListFiles(std::string_view folder, std::string_view mask,
                                    int /*attributeFilter*/) {
    if (folder.empty()) return std::nullopt;
    StringList names;
    std::error_code ec;
    fs::directory_iterator it(fs::path(std::string(folder)), ec);
    if (ec) return names;
    for (const auto& entry : it) {
        std::error_code typeEc;
        if (!entry.is_regular_file(typeEc)) continue;
        std::string name = entry.path().filename().string();
        if (name.empty() || name[0] == '.') continue;  // hidden files, as the search skipped them
        if (MatchesMask(name, mask)) names.push_back(std::move(name));
    }
    std::sort(names.begin(), names.end());
    return names;
}

TDateTime CurrentDateTime() {
    auto now = std::chrono::system_clock::now();
    std::time_t seconds = std::chrono::system_clock::to_time_t(now);
    auto msec = std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()) % 1000;
    std::tm local{};
    localtime_r(&seconds, &local);
    TDateTime date = 0, time = 0;
    (void)TryEncodeDate(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, date);
    (void)TryEncodeTime(local.tm_hour, local.tm_min, std::min(local.tm_sec, 59),
                        static_cast<int>(msec.count()), time);
    return CombineDateTime(date, time);
}

std::string QuotedLine(std::string_view line) {
    size_t end = 0;
    for (size_t characters = 0; end < line.size(); ++end) {
        // A character starts at every byte that is not a UTF-8 continuation byte.
        if ((static_cast<uint8_t>(line[end]) & 0xC0) != 0x80 && characters++ == kQuotedLineMax) break;
    }
    if (end == line.size()) return std::string(line);
    return std::string(line.substr(0, end)) + "…";
}

std::string Trim(std::string_view text) {
    size_t b = 0, e = text.size();
    while (b < e && (text[b] == ' ' || text[b] == '\t' || text[b] == '\r' || text[b] == '\n')) ++b;
    while (e > b && (text[e - 1] == ' ' || text[e - 1] == '\t' || text[e - 1] == '\r' ||
                     text[e - 1] == '\n'))
        --e;
    return std::string(text.substr(b, e - b));
}

std::string ToUpperAscii(std::string_view text) {
    std::string out;
    ToUpperAsciiInto(out, text);
    return out;
}

void ToUpperAsciiInto(std::string& out, std::string_view text) {
    out.assign(text);
    // Eight bytes at a time: every header of an import is upper-cased for the duplicate
    // test of its daily file. Bit 7 of a byte marks it as a lower-case letter: set by
    // the sum that passes 'a' - 1, cleared by the one that passes 'z', and never for a
    // byte above 127. No sum carries into the next byte.
    constexpr uint64_t kOnes = 0x0101010101010101ull;
    constexpr uint64_t kHigh = 0x8080808080808080ull;
    size_t i = 0;
    for (; out.size() - i >= 8; i += 8) {
        uint64_t word = 0;
        std::memcpy(&word, out.data() + i, 8);
        const uint64_t low = word & ~kHigh;
        const uint64_t lower = (low + (0x80 - 'a') * kOnes) & ~(low + (0x80 - 'z' - 1) * kOnes) & ~word & kHigh;
        word ^= lower >> 2;  // 0x80 >> 2 is the case bit
        std::memcpy(out.data() + i, &word, 8);
    }
    for (; i < out.size(); ++i)
        if (out[i] >= 'a' && out[i] <= 'z') out[i] = static_cast<char>(out[i] - 32);
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'a' && x <= 'z') x = static_cast<char>(x - 32);
        if (y >= 'a' && y <= 'z') y = static_cast<char>(y - 32);
        if (x != y) return false;
    }
    return true;
}

std::optional<int32_t> ParseInt32(std::string_view text) {
    // Up to nine plain digits, the usual text (the byte count of every message header),
    // cannot overflow and need no trimming.
    if (!text.empty() && text.size() <= 9 &&
        std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        int32_t value = 0;
        for (const char c : text) value = value * 10 + (c - '0');
        return value;
    }
    std::string trimmed = Trim(text);
    std::string_view t = trimmed;
    // One sign at most: from_chars would take the '-' of "+-5".
    if (!t.empty() && t[0] == '+') {
        t.remove_prefix(1);
        if (!t.empty() && t[0] == '-') return std::nullopt;
    }
    if (t.empty()) return std::nullopt;
    int32_t value = 0;
    auto [ptr, ec] = std::from_chars(t.data(), t.data() + t.size(), value);
    if (ec != std::errc() || ptr != t.data() + t.size()) return std::nullopt;
    return value;
}

}  // namespace skylog
