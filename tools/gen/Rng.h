#pragma once
// A small deterministic random source (splitmix64). The standard distributions are
// not specified bit for bit, so the same seed would give other files elsewhere; these
// helpers give the same numbers on every platform.

#include <cstdint>

namespace skylog::gen {

class Rng {
public:
    explicit Rng(uint64_t seed) : state_(seed) {}

    uint64_t Next() {
        uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    // 0 .. n-1 (0 when n <= 0).
    int Below(int n) { return n <= 0 ? 0 : static_cast<int>(Next() % static_cast<uint64_t>(n)); }
    // lo .. hi inclusive.
    int Between(int lo, int hi) { return lo + Below(hi - lo + 1); }
    // True once in `n` draws on average.
    bool OneIn(int n) { return Below(n) == 0; }

private:
    uint64_t state_;
};

}  // namespace skylog::gen
