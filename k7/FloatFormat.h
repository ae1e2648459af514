#pragma once
// Fixed-notation numbers as the host shows them: rounded to a number of significant
// digits first (precision), then written with a given number of decimals and the
// host's decimal separator. Values with more integer digits than the precision fall
// back to scientific notation ("1,67772E+7").

#include <string>

namespace skylog {

[[nodiscard]] std::string FormatFixed(long double value, int decimals, int precision, char separator);

}  // namespace skylog
