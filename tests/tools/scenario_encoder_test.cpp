#include <gtest/gtest.h>

#include "tools/gen/MessageBody.h"
#include "tools/gen/ScenarioEncoder.h"
#include "tools/gen/SixBit.h"

namespace skylog::gen {
namespace {

// The converter does not continue a scenario whose last field alone runs short, so such
// a cut would lose that field.
TEST(ScenarioEncoder, CuttingOffOnlyTheLastFieldIsNotOffered) {
    const EncodedScenario encoded =
        EncodeScenario(*FindLayout(40, 0x20), ScenarioValues{.words = {}, .byteValues = std::vector<uint8_t>(16, 1)});
    // 3 date characters, then 16 bytes in 6 groups; the last group holds the last byte
    // only, so the last cut offered is before the fifth group.
    ASSERT_EQ(encoded.text.size(), 1u + 3 + 24);
    EXPECT_EQ(encoded.cutPoints.back(), 1u + 3 + 16);
}

// Marker 63, year code 5 + 40, month 3, day 7, time 00:00:00, then nine words in the three
// phases of the byte stream sharing groups (04 10 41 is "AAAA"), then the end marker FE.
TEST(ScenarioEncoder, CharactersOfAKnownScenario) {
    const ScenarioValues v{.month = 3, .day = 7,
                           .words = {0x0410, 0x4104, 0x1041, 0x0410, 0x4104, 0x1041, 0x0410, 0x4104, 0x1041},
                           .byteValues = {}, .yearCodeTwenties = 2};
    EXPECT_EQ(EncodeScenario(*FindLayout(63, 0x1A), v).text, "?mCG@@@@" + std::string(24, 'A') + "\x7f`@@");
}

TEST(ScenarioEncoder, EventBytesFollowTheTableAndTheTrailerWinsOverTheLastWord) {
    const ScenarioValues v{.month = 3, .day = 7, .hour = 14, .minute = 2, .second = 10, .byte3 = 'Q',
                           .words = {0x1234, 0x5678, 0x9ABC, 0xDEF0}, .byteValues = {}};
    EXPECT_EQ(EventHex(EventBytesFromValues(*FindLayout(17, 0x20), v)), "8012FF51050307140210123456789ABCFE12");
}

TEST(ScenarioEncoder, LargeByteValuesBecomeFFFC) {
    const ScenarioLayout& layout = *FindLayout(40, 0xA0);
    ScenarioValues v{.month = 3, .day = 7, .words = {}, .byteValues = std::vector<uint8_t>(13, 0x7F)};
    v.byteValues[0] = 0x80;
    const auto event = EventBytesFromValues(layout, v);
    EXPECT_EQ(EventHex(event).substr(0, 28), "8828FFFF050307000000FFFC007F");
    const auto back = ValuesFromEventBytes(layout, event);
    ASSERT_TRUE(back.has_value());
    EXPECT_EQ(back->byteValues, v.byteValues);
    EXPECT_EQ(EncodeScenario(layout, *back).text, EncodeScenario(layout, v).text);
}

TEST(ScenarioEncoder, ValuesThatNoScenarioCarriesAreRefused) {
    const ScenarioLayout& layout = *FindLayout(40, 0x20);
    auto event = EventBytesFromValues(layout, ScenarioValues{.words = {}, .byteValues = std::vector<uint8_t>(16, 1)});
    event[10] = 0x01;  // 0x0101 is neither a small byte nor FFFC
    EXPECT_FALSE(ValuesFromEventBytes(layout, event).has_value());
    EXPECT_FALSE(ValuesFromEventBytes(*FindLayout(63, 0x20), event).has_value());

    ScenarioValues v{.byte3 = 0x30, .words = std::vector<uint16_t>(4, 0), .byteValues = {}};
    EXPECT_THROW((void)EncodeScenario(*FindLayout(17, 0x20), v), std::invalid_argument);  // would read as a marker
    v.byte3 = 0x50;
    v.words.pop_back();
    EXPECT_THROW((void)EncodeScenario(*FindLayout(17, 0x20), v), std::invalid_argument);
}

}  // namespace
}  // namespace skylog::gen
