// The line set against a standard set through random inserts, lookups, merges and
// clears: lines of every length (none, short, past a block), sharing hashes' low bits;
// a set keeps being filled and cleared after its blocks were merged into the other.

#include <gtest/gtest.h>

#include <random>
#include <set>
#include <string>

#include "dcp/LineSet.h"

namespace skylog {
namespace {

std::string RandomLine(std::mt19937& random) {
    const unsigned kind = random() % 20;
    size_t length = kind == 0 ? 0 : kind == 1 ? 20000 + random() % 50000 : random() % 60;
    std::string line(length, ' ');
    // Few letters, so that the same lines come back often.
    for (char& c : line) c = static_cast<char>('A' + random() % 3);
    return line;
}

void ExpectSame(const TLineSet& set, const std::set<std::string>& model, std::mt19937& random) {
    EXPECT_EQ(set.size(), model.size());
    for (const std::string& line : model) ASSERT_TRUE(set.contains(line)) << line.size();
    for (int k = 0; k < 50; ++k) {
        const std::string line = RandomLine(random);
        EXPECT_EQ(set.contains(line), model.contains(line)) << line;
    }
}

TEST(LineSet, BehavesAsAStandardSetThroughMergesAndClears) {
    std::mt19937 random(5);
    for (int trial = 0; trial < 40; ++trial) {
        TLineSet a, b;
        std::set<std::string> modelA, modelB;
        const int steps = static_cast<int>(random() % 2000);
        for (int step = 0; step < steps; ++step) {
            const unsigned action = random() % 100;
            const bool first = random() % 2 == 0;
            TLineSet& set = first ? a : b;
            std::set<std::string>& model = first ? modelA : modelB;
            if (action < 90) {
                const std::string line = RandomLine(random);
                EXPECT_EQ(set.insert(line), model.insert(line).second);
            } else if (action < 96) {
                TLineSet& other = first ? b : a;
                std::set<std::string>& otherModel = first ? modelB : modelA;
                set.merge(other);
                model.merge(otherModel);
                otherModel.clear();
                EXPECT_TRUE(other.empty());
            } else if (action < 98) {
                set.clear();
                model.clear();
            }
        }
        ExpectSame(a, modelA, random);
        ExpectSame(b, modelB, random);
    }
}

}  // namespace
}  // namespace skylog
