#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

#include "dcp/ByteClasses.h"
#include "dcp/UDCPList.h"
#include "dcp/UDCPReport.h"

namespace skylog::test {
namespace {

std::vector<uint8_t> Unpacked(const TByteClasses& classes) { return {classes.begin(), classes.end()}; }

// The packed classes must behave as one byte per class would, whatever the size's parity
// and whichever half of a packed byte a class lands in.
TEST(ByteClasses, BehaveAsOneByteEach) {
    std::mt19937 random(7);
    for (size_t size = 0; size <= 41; ++size) {
        TByteClasses classes;
        classes.assign(size, kByteTrailing);
        std::vector<uint8_t> expected(size, kByteTrailing);
        for (int step = 0; step < 200 && size > 0; ++step) {
            const size_t i = random() % size;
            const auto value = static_cast<uint8_t>(random() % (TByteClasses::kMaxClass + 1));
            // Runs of any length (empty ones too) starting in either half of a byte.
            const size_t end = step % 2 == 0 ? i + 1 : i + random() % (size - i + 1);
            if (step % 2 == 0) classes.Set(i, value);
            else classes.SetRange(i, end, value);
            std::fill(expected.begin() + static_cast<std::ptrdiff_t>(i),
                      expected.begin() + static_cast<std::ptrdiff_t>(end), value);
        }
        ASSERT_EQ(classes.size(), size);
        EXPECT_EQ(Unpacked(classes), expected) << size;
        EXPECT_EQ(Unpacked(TByteClasses(classes)), expected) << size;
        classes.assign(size, kByteNotExamined);
        EXPECT_EQ(Unpacked(classes), std::vector<uint8_t>(size, kByteNotExamined));
    }
}

// The count reads two classes per packed byte: an odd last class and bytes past the
// classes (never examined) must count as they did one byte at a time.
TEST(ByteClasses, IgnoredBytesCountedPerClass) {
    std::mt19937 random(11);
    for (int32_t size = 0; size <= 33; ++size) {
        for (int32_t extra : {0, 1, 6}) {
            TDCPDataBloc block(nullptr);
            block.ByteStatus.assign(static_cast<size_t>(size), kByteValid);
            int32_t expected = extra;
            for (int32_t i = 0; i < size; ++i) {
                const auto value = static_cast<uint8_t>(random() % (kByteTrailing + 1));
                block.ByteStatus.Set(static_cast<size_t>(i), value);
                expected += value == kByteNotExamined || value == kByteOutOfRange ||
                            value == kByteUnknown || value == kByteMalformed;
            }
            block.BodyLength = size + extra;
            EXPECT_EQ(block.CountIgnoredBytes(), expected) << size << '+' << extra;
        }
    }
}

}  // namespace
}  // namespace skylog::test
