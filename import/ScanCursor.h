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

// "%02d<sep>%02d<sep>%02d": true when all three numbers were read (trailing text is
// not looked at, as with sscanf).
[[nodiscard]] bool ScanThreeNumbers(std::string_view text, char separator, int32_t& first,
                                    int32_t& second, int32_t& third);

}  // namespace skylog
