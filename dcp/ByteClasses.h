#pragma once
// The class of every byte of a message body (kByteNotExamined ... kByteTrailing), four
// bits each: an import holds the classes of every block it read, and a byte for each
// would be a third of its memory.

#include <compare>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <memory>
#include <stdexcept>

namespace skylog {

class TByteClasses {
  public:
    static constexpr uint8_t kMaxClass = 15;

    TByteClasses() = default;
    TByteClasses(const TByteClasses& other) { *this = other; }
    TByteClasses& operator=(const TByteClasses& other) {
        if (this == &other) return *this;
        size_ = other.size_;
        packed_ = size_ > 0 ? std::make_unique<uint8_t[]>(PackedSize(size_)) : nullptr;
        for (size_t i = 0; i < PackedSize(size_); ++i) packed_[i] = other.packed_[i];
        return *this;
    }
    TByteClasses(TByteClasses&&) noexcept = default;
    TByteClasses& operator=(TByteClasses&&) noexcept = default;

    [[nodiscard]] size_t size() const { return size_; }
    [[nodiscard]] bool empty() const { return size_ == 0; }
    [[nodiscard]] uint8_t operator[](size_t i) const { return (packed_[i / 2] >> Shift(i)) & 0x0F; }
    void Set(size_t i, uint8_t byteClass) {
        uint8_t& pair = packed_[i / 2];
        pair =
            static_cast<uint8_t>((pair & ~(0x0F << Shift(i))) | ((byteClass & 0x0F) << Shift(i)));
    }
    // Entries from .. to - 1 take the class; whole bytes are written at once.
    void SetRange(size_t from, size_t to, uint8_t byteClass) {
        if (from >= to) return;
        // Through a local pointer: a store through packed_ would make the compiler read
        // packed_ again after it (a byte may alias anything).
        uint8_t* const packed = packed_.get();
        const auto low = static_cast<uint8_t>(byteClass & 0x0F);
        if ((from & 1) != 0) {
            packed[from / 2] = static_cast<uint8_t>((packed[from / 2] & 0x0F) | low << 4);
            ++from;
        }
        if (((to - from) & 1) != 0) {
            --to;
            packed[to / 2] = static_cast<uint8_t>((packed[to / 2] & 0xF0) | low);
        }
        const auto both = static_cast<uint8_t>(low * 0x11);
        // Most ranges are a scenario field of a few characters, for which a call to
        // memset costs more than the stores (written out: a loop would become one).
        const size_t pairs = (to - from) / 2;
        uint8_t* const first = packed + from / 2;
        if (pairs > 4) {
            std::memset(first, both, pairs);
            return;
        }
        if (pairs > 0) first[0] = both;
        if (pairs > 1) first[1] = both;
        if (pairs > 2) first[2] = both;
        if (pairs > 3) first[3] = both;
    }
    // count entries, all of the given class.
    void assign(size_t count, uint8_t byteClass) {
        if (count > UINT32_MAX) throw std::length_error("too many byte classes");
        const size_t packedSize = PackedSize(count);
        if (packedSize != PackedSize(size_) || !packed_)
            packed_ = count > 0 ? std::make_unique_for_overwrite<uint8_t[]>(packedSize) : nullptr;
        size_ = static_cast<uint32_t>(count);
        const auto both = static_cast<uint8_t>((byteClass & 0x0F) * 0x11);
        if (packedSize > 0) std::memset(packed_.get(), both, packedSize);
    }
    void clear() {
        packed_.reset();
        size_ = 0;
    }
    // Two classes per byte, the first in the low four bits; a last odd entry leaves the
    // high bits of the last byte unused.
    [[nodiscard]] const uint8_t* Packed() const { return packed_.get(); }
    // For writers of whole pairs at once.
    [[nodiscard]] uint8_t* PackedData() { return packed_.get(); }

    class const_iterator {
      public:
        using iterator_category = std::random_access_iterator_tag;
        using value_type = uint8_t;
        using difference_type = std::ptrdiff_t;
        using pointer = void;
        using reference = uint8_t;

        const_iterator() = default;
        const_iterator(const TByteClasses* owner, size_t index) : owner_(owner), index_(index) {}
        uint8_t operator*() const { return (*owner_)[index_]; }
        uint8_t operator[](difference_type n) const { return (*owner_)[Offset(n)]; }
        const_iterator& operator++() { return *this += 1; }
        const_iterator operator++(int) {
            const_iterator before = *this;
            ++*this;
            return before;
        }
        const_iterator& operator--() { return *this -= 1; }
        const_iterator operator--(int) {
            const_iterator before = *this;
            --*this;
            return before;
        }
        const_iterator& operator+=(difference_type n) {
            index_ = Offset(n);
            return *this;
        }
        const_iterator& operator-=(difference_type n) { return *this += -n; }
        friend const_iterator operator+(const_iterator it, difference_type n) { return it += n; }
        friend const_iterator operator+(difference_type n, const_iterator it) { return it += n; }
        friend const_iterator operator-(const_iterator it, difference_type n) { return it -= n; }
        friend difference_type operator-(const const_iterator& a, const const_iterator& b) {
            return static_cast<difference_type>(a.index_) - static_cast<difference_type>(b.index_);
        }
        friend bool operator==(const const_iterator& a, const const_iterator& b) {
            return a.index_ == b.index_;
        }
        friend auto operator<=>(const const_iterator& a, const const_iterator& b) {
            return a.index_ <=> b.index_;
        }

      private:
        [[nodiscard]] size_t Offset(difference_type n) const {
            return static_cast<size_t>(static_cast<difference_type>(index_) + n);
        }
        const TByteClasses* owner_ = nullptr;
        size_t index_ = 0;
    };
    [[nodiscard]] const_iterator begin() const { return {this, 0}; }
    [[nodiscard]] const_iterator end() const { return {this, size_}; }

  private:
    static size_t PackedSize(size_t count) { return (count + 1) / 2; }
    static int Shift(size_t i) { return (i & 1) != 0 ? 4 : 0; }

    std::unique_ptr<uint8_t[]> packed_;
    uint32_t size_ = 0;  // a body is at most a few kilobytes
};

}  // namespace skylog
