#include "k7/FloatFormat.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>


namespace skylog {

namespace {

// Extended values carry 18 significant decimal digits.
constexpr int kSignificantDigits = 18;

}  // namespace

// Rounds half away from zero on the decimal digits, as the host's formatting does.
std::string FormatFixed(long double value, int decimals, int precision, char separator) {
    if (std::isnan(value)) return "NAN";
    if (std::isinf(value)) return value < 0 ? "-INF" : "INF";
    precision = std::clamp(precision, 1, kSignificantDigits);
    decimals = std::clamp(decimals, 0, kSignificantDigits);

    const bool negative = value < 0;
    std::string digits;
    int exponent = 0;
    if (value != 0) {
        char scientific[64];
        std::snprintf(scientific, sizeof scientific, "%.*Le", kSignificantDigits - 1, std::fabs(value));
        const std::string text(scientific);
        const size_t ePos = text.find('e');
        for (size_t i = 0; i < ePos; ++i)
            if (text[i] >= '0' && text[i] <= '9') digits += text[i];
        exponent = std::atoi(text.c_str() + ePos + 1);
    }

    // Significant digits kept: the precision or the decimals, whichever ends first.
    const int keep = std::min(precision, exponent + 1 + decimals);
    std::string kept;
    if (keep >= 0 && !digits.empty()) {
        const size_t count = static_cast<size_t>(keep);
        kept = digits.substr(0, count);
        if (count < digits.size() && digits[count] >= '5') {
            int i = keep - 1;
            while (i >= 0 && kept[static_cast<size_t>(i)] == '9') kept[static_cast<size_t>(i--)] = '0';
            if (i < 0) {
                kept.insert(kept.begin(), '1');
                ++exponent;
            } else {
                ++kept[static_cast<size_t>(i)];
            }
        }
    }
    const bool zero = kept.find_first_not_of('0') == std::string::npos;

    if (!zero && exponent + 1 > precision) {
        // More integer digits than the precision allows: scientific form.
        while (kept.size() > 1 && kept.back() == '0') kept.pop_back();
        std::string out = negative ? "-" : "";
        out += kept[0];
        if (kept.size() > 1) out += separator + kept.substr(1);
        return out + "E+" + std::to_string(exponent);
    }

    auto digitAt = [&](int position) {
        return (!zero && position >= 0 && position < static_cast<int>(kept.size()))
                   ? kept[static_cast<size_t>(position)]
                   : '0';
    };
    std::string out = (negative && !zero) ? "-" : "";
    if (zero || exponent < 0) {
        out += '0';
    } else {
        for (int p = 0; p <= exponent; ++p) out += digitAt(p);
    }
    if (decimals > 0) {
        out += separator;
        for (int k = 1; k <= decimals; ++k) out += digitAt(exponent + k);
    }
    return out;
}

}  // namespace skylog
