#include "import/ScanCursor.h"

namespace skylog {

bool ScanThreeNumbers(std::string_view text, char separator, int32_t& first, int32_t& second,
                      int32_t& third) {
    TScanCursor cursor(text);
    return cursor.Int(2, first) && cursor.Literal(separator) && cursor.Int(2, second) &&
           cursor.Literal(separator) && cursor.Int(2, third);
}

}  // namespace skylog
