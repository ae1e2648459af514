#include "import/ScanCursor.h"

namespace skylog {

namespace {

// The C locale's isspace, without the locale lookup.
bool IsCSpace(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

}  // namespace

void TScanCursor::SkipSpace() {
    while (pos_ < text_.size() && IsCSpace(text_[pos_])) ++pos_;
}

bool TScanCursor::Int(size_t width, int32_t& out) {
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
    while (left > 0 && pos_ < text_.size() && IsDigit(text_[pos_])) {
        if (value < 1000000000) value = value * 10 + (text_[pos_] - '0');
        ++pos_;
        --left;
        ++digits;
    }
    if (digits == 0) return false;
    out = static_cast<int32_t>(negative ? -value : value);
    return true;
}

bool TScanCursor::String(size_t width, std::string_view& out) {
    SkipSpace();
    const size_t start = pos_;
    while (pos_ - start < width && pos_ < text_.size() && !IsCSpace(text_[pos_])) ++pos_;
    if (pos_ == start) return false;
    out = text_.substr(start, pos_ - start);
    return true;
}

bool TScanCursor::Char(char& out) {
    if (pos_ >= text_.size()) return false;
    out = text_[pos_++];
    return true;
}

bool TScanCursor::Literal(char c) {
    if (pos_ >= text_.size() || text_[pos_] != c) return false;
    ++pos_;
    return true;
}

bool ScanThreeNumbers(std::string_view text, char separator, int32_t& first, int32_t& second,
                      int32_t& third) {
    TScanCursor cursor(text);
    return cursor.Int(2, first) && cursor.Literal(separator) && cursor.Int(2, second) &&
           cursor.Literal(separator) && cursor.Int(2, third);
}

}  // namespace skylog
