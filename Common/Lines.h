#pragma once
// Text files cut into lines: each CR, LF or CR LF ends a line, and text after the last
// line end is a line too. The line ends are not part of the lines.

#include <cstddef>
#include <string_view>
#include <vector>

#include "Common/ByteScan.h"

namespace skylog {

// Calls f(line) for each line of the text, in order, empty lines included.
template <class F>
void ForEachLine(std::string_view text, F&& f) {
    size_t start = 0;
    for (size_t i = FindByteBelow(text, 0, '\r' + 1); i < text.size(); i = FindByteBelow(text, i + 1, '\r' + 1)) {
        const char c = text[i];
        if (c != '\r' && c != '\n') continue;
        f(text.substr(start, i - start));
        if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        start = i + 1;
    }
    if (start < text.size()) f(text.substr(start));
}

// The lines of the text, as views into it.
[[nodiscard]] inline std::vector<std::string_view> SplitLines(std::string_view text) {
    std::vector<std::string_view> lines;
    ForEachLine(text, [&lines](std::string_view line) { lines.push_back(line); });
    return lines;
}

}  // namespace skylog
