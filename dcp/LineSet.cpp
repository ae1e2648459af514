#include "dcp/LineSet.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <stdexcept>
#include <utility>

#include "Common/UUtils.h"

namespace skylog {

namespace {

constexpr size_t kFirstBlockSize = 512;
constexpr size_t kMaxBlockSize = size_t{64} << 10;
constexpr size_t kLengthSize = sizeof(uint32_t);

size_t StartOf(uint64_t hash, size_t mask) {
    // Mixed again, so that hashes differing only in their high bits spread out too.
    return static_cast<size_t>((hash * 0x9E3779B97F4A7C15ull) >> 20) & mask;
}

}  // namespace

std::string_view TLineSet::LineAt(const char* stored) {
    uint32_t length = 0;
    std::memcpy(&length, stored, kLengthSize);
    return {stored + kLengthSize, length};
}

size_t TLineSet::Find(std::string_view line, uint64_t hash) const {
    const size_t mask = slots_.size() - 1;
    size_t i = StartOf(hash, mask);
    while (slots_[i].line != nullptr && (slots_[i].hash != hash || LineAt(slots_[i].line) != line)) i = (i + 1) & mask;
    return i;
}

bool TLineSet::contains(std::string_view line) const {
    if (used_ == 0) return false;
    return slots_[Find(line, HashBytes(line))].line != nullptr;
}

bool TLineSet::insert(std::string_view line) {
    if ((used_ + 1) * 4 > slots_.size() * 3) Grow();
    const uint64_t hash = HashBytes(line);
    Slot& slot = slots_[Find(line, hash)];
    if (slot.line != nullptr) return false;
    slot = Slot{hash, Store(line)};
    ++used_;
    return true;
}

const char* TLineSet::Store(std::string_view line) {
    if (line.size() > std::numeric_limits<uint32_t>::max()) throw std::length_error("line too long");
    const size_t need = kLengthSize + line.size();
    if (need > freeSize_) {
        // Blocks double from a small one, so that the many sets holding a few lines
        // (one per daily file) stay small; a line larger than a quarter of the largest
        // block gets a block of its own, so that the rest of the current block is kept.
        if (need > kMaxBlockSize / 4) {
            blocks_.push_back(std::make_unique_for_overwrite<char[]>(need));
            return Write(blocks_.back().get(), line);
        }
        blockSize_ = std::min(kMaxBlockSize, blockSize_ == 0 ? kFirstBlockSize : 2 * blockSize_);
        blockSize_ = std::max(blockSize_, need);
        blocks_.push_back(std::make_unique_for_overwrite<char[]>(blockSize_));
        free_ = blocks_.back().get();
        freeSize_ = blockSize_;
    }
    const char* stored = Write(free_, line);
    free_ += need;
    freeSize_ -= need;
    return stored;
}

const char* TLineSet::Write(char* at, std::string_view line) {
    const auto length = static_cast<uint32_t>(line.size());
    std::memcpy(at, &length, kLengthSize);
    std::memcpy(at + kLengthSize, line.data(), line.size());
    return at;
}

void TLineSet::Place(Slot slot) {
    const size_t mask = slots_.size() - 1;
    size_t i = StartOf(slot.hash, mask);
    while (slots_[i].line != nullptr) i = (i + 1) & mask;
    slots_[i] = slot;
}

void TLineSet::Grow() {
    std::vector<Slot> old(slots_.empty() ? 16 : slots_.size() * 2);
    old.swap(slots_);
    for (const Slot& slot : old)
        if (slot.line != nullptr) Place(slot);
}

void TLineSet::merge(TLineSet& other) {
    if (&other == this || other.used_ == 0) return;
    if (used_ == 0 && blocks_.empty()) {
        std::swap(slots_, other.slots_);
        std::swap(used_, other.used_);
        std::swap(blocks_, other.blocks_);
        std::swap(free_, other.free_);
        std::swap(freeSize_, other.freeSize_);
        std::swap(blockSize_, other.blockSize_);
        other.clear();
        return;
    }
    // The other set's blocks come along: its lines stay where they are.
    for (auto& block : other.blocks_) blocks_.push_back(std::move(block));
    for (const Slot& slot : other.slots_) {
        if (slot.line == nullptr) continue;
        if ((used_ + 1) * 4 > slots_.size() * 3) Grow();
        const size_t i = Find(LineAt(slot.line), slot.hash);
        if (slots_[i].line != nullptr) continue;
        slots_[i] = slot;
        ++used_;
    }
    other.clear();
}

void TLineSet::clear() {
    std::vector<Slot>().swap(slots_);
    used_ = 0;
    blocks_.clear();
    free_ = nullptr;
    freeSize_ = 0;
    blockSize_ = 0;
}

}  // namespace skylog
