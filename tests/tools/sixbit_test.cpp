#include <gtest/gtest.h>

#include <vector>

#include "tools/gen/SixBit.h"

namespace skylog::gen {
namespace {

TEST(SixBit, FourAsCarryTheBytes041041) {
    const auto bytes = UnpackGroup("AAAA");
    EXPECT_EQ(bytes[0], 0x04);
    EXPECT_EQ(bytes[1], 0x10);
    EXPECT_EQ(bytes[2], 0x41);
    const auto chars = PackGroup(0x04, 0x10, 0x41);
    EXPECT_EQ(std::string(chars.data(), 4), "AAAA");
}

TEST(SixBit, EveryByteInEveryPositionRoundTripsThroughDataCharacters) {
    for (int b = 0; b < 256; ++b) {
        for (int position = 0; position < 3; ++position) {
            uint8_t in[3] = {0x5A, 0xA5, 0x00};
            in[position] = static_cast<uint8_t>(b);
            const auto chars = PackGroup(in[0], in[1], in[2]);
            for (char c : chars) {
                const auto code = static_cast<uint8_t>(c);
                ASSERT_GE(code, 64) << "byte " << b;
                ASSERT_LE(code, 127) << "byte " << b;
            }
            const auto out = UnpackGroup(std::string_view(chars.data(), 4));
            ASSERT_EQ(out[position], b);
        }
    }
}

TEST(SixBit, AllSixtyFourValuesAreDataCharacters) {
    for (int v = 0; v < 64; ++v) {
        EXPECT_TRUE(IsSixBitChar(static_cast<uint8_t>(SixBitChar(v))));
    }
    EXPECT_THROW((void)SixBitChar(64), std::invalid_argument);
    EXPECT_THROW((void)SixBitChar(-1), std::invalid_argument);
}

TEST(SixBit, StreamPadsItsLastGroupWithZeroBytes) {
    const std::vector<uint8_t> bytes = {0x04, 0x10, 0x41, 0xFE};
    const std::string text = PackByteStream(bytes);
    ASSERT_EQ(text.size(), 8u);
    EXPECT_EQ(text.substr(0, 4), "AAAA");
    const auto last = UnpackGroup(std::string_view(text).substr(4));
    EXPECT_EQ(last[0], 0xFE);
    EXPECT_EQ(last[1], 0);
    EXPECT_EQ(last[2], 0);
}

}  // namespace
}  // namespace skylog::gen
