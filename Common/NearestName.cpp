#include "Common/NearestName.h"

#include <algorithm>

namespace skylog {

namespace {
char lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + ('a' - 'A')) : c; }
}  // namespace

size_t EditDistance(std::string_view a, std::string_view b) {
    // Three rows of the usual table: the swap of neighbours looks two rows back.
    std::vector<size_t> before(b.size() + 1), previous(b.size() + 1), current(b.size() + 1);
    for (size_t j = 0; j <= b.size(); ++j) previous[j] = j;
    for (size_t i = 1; i <= a.size(); ++i) {
        current[0] = i;
        for (size_t j = 1; j <= b.size(); ++j) {
            const size_t cost = lower(a[i - 1]) == lower(b[j - 1]) ? 0 : 1;
            current[j] = std::min({previous[j] + 1, current[j - 1] + 1, previous[j - 1] + cost});
            if (i > 1 && j > 1 && lower(a[i - 1]) == lower(b[j - 2]) && lower(a[i - 2]) == lower(b[j - 1]))
                current[j] = std::min(current[j], before[j - 2] + 1);
        }
        std::swap(before, previous);
        std::swap(previous, current);
    }
    return previous[b.size()];
}

size_t TypoDistance(std::string_view word) { return word.size() <= 5 ? 1 : 2; }

std::optional<std::string> NearestName(std::string_view word, const std::vector<std::string>& candidates,
                                       size_t maxDistance) {
    const std::string* best = nullptr;
    size_t bestDistance = maxDistance + 1;
    for (const std::string& candidate : candidates) {
        // Lengths further apart than that cannot be within reach (and a huge word, a
        // damaged file's line, costs nothing).
        const size_t gap = word.size() > candidate.size() ? word.size() - candidate.size() : candidate.size() - word.size();
        if (gap > maxDistance) continue;
        const size_t distance = EditDistance(word, candidate);
        if (distance < bestDistance) {
            best = &candidate;
            bestDistance = distance;
        }
    }
    if (best == nullptr) return std::nullopt;
    return *best;
}

}  // namespace skylog
