#include <gtest/gtest.h>

#include "ReferenceReader.h"
#include "tools/gen/MessageBody.h"
#include "tools/gen/Rng.h"
#include "tools/gen/ScenarioEncoder.h"
#include "tools/gen/SixBit.h"

namespace skylog::gen {
namespace {

using test::ReadScenario;
using test::ReferenceBlock;

const uint8_t kTypes[] = {0x1A, 0x20, 0xA0, 0xB9, 0xBB};

ScenarioValues RandomValues(const ScenarioLayout& layout, Rng& rng) {
    ScenarioValues v;
    v.month = rng.Between(1, 12);
    v.day = rng.Between(1, 28);
    v.hour = rng.Between(0, 23);
    v.minute = rng.Between(0, 59);
    v.second = rng.Between(0, 59);
    v.yearCodeTwenties = rng.Below(3);
    v.byte3 = static_cast<uint8_t>(layout.CountOf(FieldKind::RawByte) ? rng.Between(64, 127) : rng.Below(64));
    v.words.resize(static_cast<size_t>(layout.CountOf(FieldKind::Word)));
    for (auto& w : v.words) w = static_cast<uint16_t>(rng.Next());
    v.byteValues.resize(static_cast<size_t>(layout.CountOf(FieldKind::ByteValue)));
    for (auto& b : v.byteValues) b = static_cast<uint8_t>(rng.Next());
    return v;
}

// A message holding the scenario text at index 17, followed by its declared length and
// end marker, as the decoder hands it over: data ends where the declared length starts.
ReferenceBlock Message(const std::string& scenarioText) {
    return {BuildBody(MessageHead{}, scenarioText), kHeadLength + scenarioText.size()};
}

// Every layout of every instrument type, whole and cut at every cut point offered (the
// rest and one more scenario behind it in the next message), reads back to its event.
TEST(ScenarioEncoder, EveryLayoutReadsBackWholeAndCut) {
    Rng rng(7);
    int cuts = 0;
    for (uint8_t type : kTypes) {
        for (uint8_t marker : ScenarioMarkers()) {
            const ScenarioLayout& layout = *FindLayout(marker, type);
            for (int trial = 0; trial < 20; ++trial) {
                const ScenarioValues values = RandomValues(layout, rng);
                const auto event = EventBytesFromValues(layout, values);
                const EncodedScenario encoded = EncodeScenario(layout, values);
                ASSERT_EQ(static_cast<uint8_t>(encoded.text[0]), marker);
                for (size_t i = 1; i < encoded.text.size(); ++i) {
                    ASSERT_TRUE(IsSixBitChar(static_cast<uint8_t>(encoded.text[i]))) << "marker " << int(marker);
                }
                const auto read = ReadScenario(layout, Message(encoded.text), kHeadLength, nullptr);
                EXPECT_FALSE(read.incomplete || read.badEnd) << "marker " << int(marker);
                ASSERT_EQ(read.event, event) << "marker " << int(marker);
                ASSERT_FALSE(encoded.cutPoints.empty()) << "marker " << int(marker);
                for (size_t cut : encoded.cutPoints) {
                    const ReferenceBlock next = Message(encoded.text.substr(cut) + encoded.text);
                    const auto cutRead = ReadScenario(layout, Message(encoded.text.substr(0, cut)), kHeadLength, &next);
                    EXPECT_TRUE(cutRead.usedNext && !cutRead.incomplete) << "marker " << int(marker) << " cut " << cut;
                    ASSERT_EQ(cutRead.event, event) << "marker " << int(marker) << " cut " << cut;
                    ++cuts;
                }
            }
        }
    }
    EXPECT_GT(cuts, 10000);
}

// The converter does not continue a scenario whose last field alone runs short, so such
// a cut would lose that field.
TEST(ScenarioEncoder, CuttingOffOnlyTheLastFieldIsNotOffered) {
    const ScenarioLayout& layout = *FindLayout(40, 0x20);
    Rng rng(3);
    const EncodedScenario encoded = EncodeScenario(layout, RandomValues(layout, rng));
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
