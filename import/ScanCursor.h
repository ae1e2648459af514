#pragma once
// Reads text the way the C library's scanf conversions do, one conversion at a time,
// so that header fields written for C readers are accepted and refused exactly as
// those readers did: %Nd and %Ns skip leading white space (which does not count in
// the width), %c does not; a width caps the characters read, sign included.

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace skylog {

class TScanCursor {
public:
    explicit TScanCursor(std::string_view text) : text_(text) {}

    // %Nd: optional sign, then at least one decimal digit, N characters at most.
    [[nodiscard]] bool Int(size_t width, int32_t& out);
    // %Ns: at least one and at most N characters that are not white space.
    [[nodiscard]] bool String(size_t width, std::string_view& out);
    // %c: the next character, whatever it is.
    [[nodiscard]] bool Char(char& out);
    // An ordinary character of the format: must be the next character.
    [[nodiscard]] bool Literal(char c);

    [[nodiscard]] size_t Position() const { return pos_; }

private:
    void SkipSpace();

    std::string_view text_;
    size_t pos_ = 0;
};

// Inline: the reader scans the header fields of every message with them.
namespace scan_detail {

// The C locale's isspace, without the locale lookup.
inline bool IsCSpace(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}

inline bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

}  // namespace scan_detail

inline void TScanCursor::SkipSpace() {
    while (pos_ < text_.size() && scan_detail::IsCSpace(text_[pos_])) ++pos_;
}

inline bool TScanCursor::Int(size_t width, int32_t& out) {
    SkipSpace();
    size_t left = width;
    bool negative = false;
    if (pos_ < text_.size() && left > 0 && (text_[pos_] == '+' || text_[pos_] == '-')) {
        negative = text_[pos_] == '-';
        ++pos_;
        --left;
    }
    // Widths here are at most a few digits, so the value cannot overflow for widths
    // up to 9; wider fields are capped rather than wrapped.
    int64_t value = 0;
    size_t digits = 0;
    while (left > 0 && pos_ < text_.size() && scan_detail::IsDigit(text_[pos_])) {
        if (value < 1000000000) value = value * 10 + (text_[pos_] - '0');
        ++pos_;
        --left;
        ++digits;
    }
    if (digits == 0) return false;
    out = static_cast<int32_t>(negative ? -value : value);
    return true;
}

inline bool TScanCursor::String(size_t width, std::string_view& out) {
    SkipSpace();
    const size_t start = pos_;
    while (pos_ - start < width && pos_ < text_.size() && !scan_detail::IsCSpace(text_[pos_])) ++pos_;
    if (pos_ == start) return false;
    out = text_.substr(start, pos_ - start);
    return true;
}

inline bool TScanCursor::Char(char& out) {
    if (pos_ >= text_.size()) return false;
    out = text_[pos_++];
    return true;
}

inline bool TScanCursor::Literal(char c) {
    if (pos_ >= text_.size() || text_[pos_] != c) return false;
    ++pos_;
    return true;
}

// "%02d<sep>%02d<sep>%02d": true when all three numbers were read (trailing text is
// not looked at, as with sscanf).
[[nodiscard]] bool ScanThreeNumbers(std::string_view text, char separator, int32_t& first,
                                    int32_t& second, int32_t& third);

}  // namespace skylog
