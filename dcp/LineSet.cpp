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

const char* Write(char* at, std::string_view line) {
    const auto length = static_cast<uint32_t>(line.size());
    std::memcpy(at, &length, kLengthSize);
    std::memcpy(at + kLengthSize, line.data(), line.size());
    return at;
}

}  // namespace

std::string_view TLineSet::LineAt(const char* stored) {
    uint32_t length = 0;
    std::memcpy(&length, stored, kLengthSize);
    return {stored + kLengthSize, length};
}

bool TLineSet::contains(std::string_view line) const {
    return lines_.Find(HashBytes(line), [line](const char* stored) { return LineAt(stored) == line; }) != nullptr;
}

bool TLineSet::insert(std::string_view line) {
    const auto [entry, added] =
        lines_.Insert(HashBytes(line), [line](const char* stored) { return LineAt(stored) == line; });
    if (added) *entry = Store(line);
    return added;
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

void TLineSet::merge(TLineSet& other) {
    if (&other == this || other.empty()) return;
    if (empty() && blocks_.empty()) {
        *this = std::move(other);
        other.clear();
        return;
    }
    // The other set's blocks come along: its lines stay where they are.
    for (auto& block : other.blocks_) blocks_.push_back(std::move(block));
    other.lines_.ForEach([this](uint64_t hash, const char* stored) {
        const std::string_view line = LineAt(stored);
        const auto [entry, added] = lines_.Insert(hash, [line](const char* mine) { return LineAt(mine) == line; });
        if (added) *entry = stored;
    });
    other.clear();
}

void TLineSet::clear() {
    lines_.clear();
    blocks_.clear();
    free_ = nullptr;
    freeSize_ = 0;
    blockSize_ = 0;
}

}  // namespace skylog
