#include "k7/FloatFormat.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "Common/RunObjects.h"

namespace skylog {

namespace {

bool OnlyZeros(const std::string& text) {
    for (char c : text)
        if (c >= '1' && c <= '9') return false;
    return true;
}

}  // namespace

std::string FormatFixed(long double value, int decimals, int precision) {
    return FormatFixed(value, decimals, precision, DecimalSeparator());
}

std::string FormatFixed(long double value, int decimals, int precision, char separator) {
    if (std::isnan(value)) return "NAN";
    if (std::isinf(value)) return value < 0 ? "-INF" : "INF";
    if (precision < 1) precision = 1;
    if (precision > 18) precision = 18;
    if (decimals < 0) decimals = 0;
    if (decimals > 18) decimals = 18;

    // Significant digits first: "d.ddddde+XX".
    char sci[64];
    std::snprintf(sci, sizeof sci, "%.*Le", precision - 1, value);
    const std::string sciText(sci);
    const size_t ePos = sciText.find('e');
    const int exponent = std::atoi(sciText.c_str() + ePos + 1);
    const bool negative = sciText[0] == '-';
    std::string digits;
    for (size_t i = 0; i < ePos; ++i)
        if (sciText[i] >= '0' && sciText[i] <= '9') digits += sciText[i];

    std::string out;
    if (value != 0 && exponent + 1 > precision) {
        // Too many integer digits for the precision: scientific form.
        while (digits.size() > 1 && digits.back() == '0') digits.pop_back();
        out = digits.substr(0, 1);
        if (digits.size() > 1) out += separator + digits.substr(1);
        out += "E+" + std::to_string(exponent);
        return negative ? "-" + out : out;
    }

    if (value == 0 || exponent + 1 + decimals < precision) {
        // The decimals are the tighter limit: plain rounding to them.
        char fixed[128];
        std::snprintf(fixed, sizeof fixed, "%.*Lf", decimals, value);
        out = fixed;
    } else {
        // The precision is the tighter limit: digits beyond it print as zeros.
        std::string intPart, fracPart;
        if (exponent >= 0) {
            for (int i = 0; i <= exponent; ++i)
                intPart += i < static_cast<int>(digits.size()) ? digits[static_cast<size_t>(i)] : '0';
        } else {
            intPart = "0";
        }
        for (int k = 1; k <= decimals; ++k) {
            const int index = exponent + k;
            fracPart += (index >= 0 && index < static_cast<int>(digits.size()))
                            ? digits[static_cast<size_t>(index)]
                            : '0';
        }
        out = (negative ? "-" : "") + intPart;
        if (decimals > 0) out += "." + fracPart;
    }
    if (out[0] == '-' && OnlyZeros(out)) out.erase(0, 1);
    const size_t dot = out.find('.');
    if (dot != std::string::npos) out[dot] = separator;
    return out;
}

}  // namespace skylog
