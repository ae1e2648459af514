#pragma once
// A value per 64-bit hash in one flat table (open addressing, linear probing): the
// header index of a beacon takes one entry per block read, and a node per entry in a
// standard unordered map cost more than the lookups themselves. Entries are never
// removed; a value can be set back to its default.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace skylog {

template <class Value>
class THashTable {
public:
    // The value of a hash, a default one when the hash was never looked up.
    [[nodiscard]] Value& operator[](uint64_t hash) {
        if ((used_ + 1) * 2 > slots_.size()) Grow();
        Slot& slot = slots_[Probe(slots_, Key(hash))];
        if (slot.key == 0) {
            slot.key = Key(hash);
            ++used_;
        }
        return slot.value;
    }
    void clear() {
        slots_.clear();
        used_ = 0;
    }
    [[nodiscard]] size_t size() const { return used_; }

private:
    struct Slot {
        uint64_t key = 0;  // 0: free
        Value value{};
    };
    // Hash 0 marks a free slot: it is stored as 1, which only merges the entries of two
    // hashes that the caller must already treat as possibly shared (equal hashes).
    static uint64_t Key(uint64_t hash) { return hash == 0 ? 1 : hash; }

    // The slot holding the key, or the free slot where it belongs.
    static size_t Probe(const std::vector<Slot>& slots, uint64_t key) {
        const size_t mask = slots.size() - 1;
        // Mixed, so that hashes differing only in their low bits spread out.
        size_t i = static_cast<size_t>((key * 0x9E3779B97F4A7C15ull) >> 20) & mask;
        while (slots[i].key != 0 && slots[i].key != key) i = (i + 1) & mask;
        return i;
    }
    void Grow() {
        std::vector<Slot> bigger(slots_.empty() ? 64 : slots_.size() * 2);
        for (Slot& slot : slots_)
            if (slot.key != 0) bigger[Probe(bigger, slot.key)] = std::move(slot);
        slots_.swap(bigger);
    }

    std::vector<Slot> slots_;  // size a power of two, at most half used
    size_t used_ = 0;
};

}  // namespace skylog
