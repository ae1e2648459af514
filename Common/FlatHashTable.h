#pragma once
// Entries found by a 64-bit hash, in one flat array (open addressing, linear probing,
// at most half full): the indexes of an import hold an entry per message, stored line
// or K7 event, and a node per entry costs an allocation and a cache miss each. Several
// entries may share a hash; the caller tells which one it means. Entries are only
// added, until clear().

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

namespace skylog {

template <class Entry>
class TFlatHashTable {
public:
    // The entry of that hash for which same(entry) holds, or null.
    template <class Same>
    [[nodiscard]] const Entry* Find(uint64_t hash, Same&& same) const {
        if (slots_.empty()) return nullptr;
        const Slot& slot = slots_[Probe(slots_, Key(hash), same)];
        return slot.key != 0 ? &slot.entry : nullptr;
    }
    template <class Same>
    [[nodiscard]] Entry* Find(uint64_t hash, Same&& same) {
        return const_cast<Entry*>(std::as_const(*this).Find(hash, same));
    }
    // That entry, or a new value-initialised one when there is none (second: true).
    template <class Same>
    std::pair<Entry*, bool> Insert(uint64_t hash, Same&& same) {
        if ((used_ + 1) * 2 > slots_.size()) Grow();
        Slot& slot = slots_[Probe(slots_, Key(hash), same)];
        if (slot.key != 0) return {&slot.entry, false};
        slot.key = Key(hash);
        ++used_;
        return {&slot.entry, true};
    }
    // f(hash, entry) for each entry, in no particular order.
    template <class F>
    void ForEach(F&& f) const {
        for (const Slot& slot : slots_)
            if (slot.key != 0) f(slot.key, slot.entry);
    }
    void clear() {
        std::vector<Slot>().swap(slots_);
        used_ = 0;
    }
    [[nodiscard]] size_t size() const { return used_; }

private:
    struct Slot {
        uint64_t key = 0;  // 0: free
        Entry entry{};
    };
    // Hash 0 marks a free slot: it is stored as 1, which only merges two hashes whose
    // entries the caller tells apart anyway.
    static uint64_t Key(uint64_t hash) { return hash == 0 ? 1 : hash; }

    // The slot holding the entry, or the free slot where it belongs.
    template <class Same>
    static size_t Probe(const std::vector<Slot>& slots, uint64_t key, Same&& same) {
        const size_t mask = slots.size() - 1;
        // Mixed, so that hashes differing only in some of their bits spread out.
        size_t i = static_cast<size_t>((key * 0x9E3779B97F4A7C15ull) >> 20) & mask;
        while (slots[i].key != 0 && (slots[i].key != key || !same(slots[i].entry))) i = (i + 1) & mask;
        return i;
    }
    void Grow() {
        std::vector<Slot> bigger(slots_.empty() ? 16 : slots_.size() * 2);
        for (Slot& slot : slots_)
            if (slot.key != 0) bigger[Probe(bigger, slot.key, [](const Entry&) { return false; })] = std::move(slot);
        slots_.swap(bigger);
    }

    std::vector<Slot> slots_;  // size a power of two, at most half used
    size_t used_ = 0;
};

}  // namespace skylog
