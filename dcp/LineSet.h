#pragma once
// A set of lines (byte strings), for the header lines of daily files: the bytes of every
// line go one after the other into large blocks, and a flat table holds the hash and
// the place of each. A long import keeps a line per stored message; as a node and a
// string each, they took twice the memory and two allocations per line.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

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
    [[nodiscard]] size_t size() const { return used_; }
    [[nodiscard]] bool empty() const { return used_ == 0; }

private:
    struct Slot {
        uint64_t hash = 0;
        const char* line = nullptr;  // its length (4 bytes) then its bytes; null: free
    };
    [[nodiscard]] static std::string_view LineAt(const char* stored);
    // The slot holding the line, or the free slot where it belongs.
    [[nodiscard]] size_t Find(std::string_view line, uint64_t hash) const;
    void Place(Slot slot);
    void Grow();
    [[nodiscard]] const char* Store(std::string_view line);
    static const char* Write(char* at, std::string_view line);

    std::vector<Slot> slots_;  // size a power of two, at most three quarters used
    size_t used_ = 0;
    std::vector<std::unique_ptr<char[]>> blocks_;
    char* free_ = nullptr;  // unused part of the last block
    size_t freeSize_ = 0;
    size_t blockSize_ = 0;  // of the last block taken
};

}  // namespace skylog
