#pragma once
// Text files cut into lines: each CR, LF or CR LF ends a line, and text after the last
// line end is a line too. The line ends are not part of the lines.

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <string_view>
#include <vector>

namespace skylog {

// Calls f(line) for each line of the text, in order, empty lines included. The next CR
// and the next LF are each looked for with memchr: lines are mostly long (the bodies of
// the daily files).
template <class F>
void ForEachLine(std::string_view text, F&& f) {
    const char* const begin = text.data();
    const char* const end = begin + text.size();
    const auto next = [end](const char* from, char c) {
        const void* at = from < end ? std::memchr(from, c, static_cast<size_t>(end - from)) : nullptr;
        return at != nullptr ? static_cast<const char*>(at) : end;
    };
    const char* start = begin;
    const char* cr = next(start, '\r');
    const char* lf = next(start, '\n');
    while (cr != end || lf != end) {
        const char* lineEnd = std::min(cr, lf);
        f(std::string_view(start, static_cast<size_t>(lineEnd - start)));
        start = lineEnd + 1;
        if (*lineEnd == '\r' && start < end && *start == '\n') ++start;
        if (cr < start) cr = next(start, '\r');
        if (lf < start) lf = next(start, '\n');
    }
    if (start < end) f(std::string_view(start, static_cast<size_t>(end - start)));
}

// The lines of the text, as views into it.
[[nodiscard]] inline std::vector<std::string_view> SplitLines(std::string_view text) {
    std::vector<std::string_view> lines;
    ForEachLine(text, [&lines](std::string_view line) { lines.push_back(line); });
    return lines;
}

}  // namespace skylog
