#include <gtest/gtest.h>

#include <random>
#include <unordered_map>

#include "dcp/HashTable.h"

namespace skylog {
namespace {

TEST(HashTable, AgreesWithAStandardMapThroughGrowthAndClear) {
    THashTable<int> counts;
    std::unordered_map<uint64_t, int> expected;
    std::mt19937_64 random(7);
    for (int i = 0; i < 50'000; ++i) {
        // Few distinct values at first (repeats, hash 0 among them), then mostly new ones;
        // some differ only in their high bits, some are small.
        uint64_t hash = i < 5'000 ? random() % 300 : random();
        if (i % 7 == 0) hash <<= 40;
        const int change = (i % 5 == 0) ? -1 : 1;
        counts[hash] += change;
        expected[hash] += change;
    }
    ASSERT_TRUE(expected.contains(0) && expected.contains(1));
    // Hash 0 is stored as 1: the two share one entry, counted like any other.
    EXPECT_EQ(counts.size(), expected.size() - 1);
    EXPECT_EQ(counts[0], expected[0] + expected[1]);
    for (const auto& [hash, count] : expected) {
        if (hash <= 1) continue;
        EXPECT_EQ(counts[hash], count) << hash;
    }
    EXPECT_EQ(counts[12345678901234567ull], 0);  // never counted

    counts.clear();
    EXPECT_EQ(counts.size(), 0u);
    EXPECT_EQ(counts[0], 0);
    EXPECT_EQ(counts[expected.begin()->first], 0);
}

}  // namespace
}  // namespace skylog
