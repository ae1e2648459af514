#include "import/ScanCursor.h"

namespace skylog {

bool ScanThreeNumbers(std::string_view text, char separator, int32_t& first, int32_t& second,
                      int32_t& third) {
    // The usual text, "dd/mm/yy" (or "hh:mm:ss"), read at once: two digits, the
    // separator, two digits, the separator, two digits. The general reading gives the
    // same numbers for it.
    const auto digit = [&text](size_t i) { return text[i] >= '0' && text[i] <= '9'; };
    if (text.size() >= 8 && digit(0) && digit(1) && text[2] == separator && digit(3) && digit(4) &&
        text[5] == separator && digit(6) && digit(7)) {
        const auto pair = [&text](size_t i) { return (text[i] - '0') * 10 + (text[i + 1] - '0'); };
        first = pair(0);
        second = pair(3);
        third = pair(6);
        return true;
    }
    TScanCursor cursor(text);
    return cursor.Int(2, first) && cursor.Literal(separator) && cursor.Int(2, second) &&
           cursor.Literal(separator) && cursor.Int(2, third);
}

}  // namespace skylog
