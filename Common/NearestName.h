#pragma once
// Names close to a mistyped one, so that a message can say which name was meant
// (a command, an option, a setting, a beacon).

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace skylog {

// One-character edits (insert, delete, replace, swap of two neighbours) that turn a
// into b; letters compare without regard to case, so "avignon" is 0 from "Avignon".
[[nodiscard]] size_t EditDistance(std::string_view a, std::string_view b);

// How far a typo may lie from the name meant: one edit in a name of up to five
// characters, two beyond (a shorter name would otherwise match nearly anything).
[[nodiscard]] size_t TypoDistance(std::string_view word);

// The first of the nearest candidates when it lies at most maxDistance edits away.
[[nodiscard]] std::optional<std::string> NearestName(std::string_view word, const std::vector<std::string>& candidates,
                                                     size_t maxDistance);
[[nodiscard]] inline std::optional<std::string> NearestName(std::string_view word,
                                                            const std::vector<std::string>& candidates) {
    return NearestName(word, candidates, TypoDistance(word));
}

}  // namespace skylog
