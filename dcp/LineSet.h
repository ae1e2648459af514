#pragma once
// A set of lines (byte strings), for the header lines of daily files: the bytes of every
// line go one after the other into large blocks, and a flat table holds the hash and
// the place of each, so that a line costs no allocation of its own.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "Common/FlatHashTable.h"

namespace skylog {

class TLineSet {
public:
    // False when the line was already there.
    bool insert(std::string_view line);
    [[nodiscard]] bool contains(std::string_view line) const;
    // Every line of other comes in (its blocks are taken over, nothing is copied);
    // other is left empty.
    void merge(TLineSet& other);
    void clear();
    [[nodiscard]] size_t size() const { return lines_.size(); }
    [[nodiscard]] bool empty() const { return lines_.size() == 0; }

private:
    // A stored line: its length (4 bytes) then its bytes.
    [[nodiscard]] static std::string_view LineAt(const char* stored);
    [[nodiscard]] const char* Store(std::string_view line);

    TFlatHashTable<const char*> lines_;
    std::vector<std::unique_ptr<char[]>> blocks_;
    char* free_ = nullptr;  // unused part of the last block
    size_t freeSize_ = 0;
    size_t blockSize_ = 0;  // of the last block taken
};

}  // namespace skylog
