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
    v.year = 2005;
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
    MessageHead head;
    ReferenceBlock block;
    block.body = BuildBody(head, scenarioText);
    block.dataEnd = kHeadLength + scenarioText.size();
    return block;
}

TEST(ScenarioLayouts, MarkerSixtyPicksTheLayoutOfTheInstrumentType) {
    ASSERT_NE(FindLayout(60, 0xA0), nullptr);
    EXPECT_EQ(FindLayout(60, 0xA0)->length, 104);
    EXPECT_EQ(FindLayout(60, 0x1A)->length, 86);
    EXPECT_EQ(FindLayout(40, 0xBB)->length, 40);
    EXPECT_EQ(FindLayout(40, 0x20)->length, 46);
    EXPECT_EQ(FindLayout(33, 0x20), nullptr);
    EXPECT_EQ(ScenarioMarkers().size(), 11u);
}

TEST(ScenarioEncoder, EveryLayoutReadsBackToItsEvent) {
    Rng rng(7);
    for (uint8_t type : kTypes) {
        for (uint8_t marker : ScenarioMarkers()) {
            const ScenarioLayout& layout = *FindLayout(marker, type);
            for (int trial = 0; trial < 20; ++trial) {
                const ScenarioValues values = RandomValues(layout, rng);
                const EncodedScenario encoded = EncodeScenario(layout, values);
                ASSERT_EQ(static_cast<uint8_t>(encoded.text[0]), marker);
                for (size_t i = 1; i < encoded.text.size(); ++i) {
                    ASSERT_TRUE(IsSixBitChar(static_cast<uint8_t>(encoded.text[i]))) << "marker " << int(marker);
                }
                const ReferenceBlock block = Message(encoded.text);
                const auto read = ReadScenario(layout, block, kHeadLength, nullptr);
                EXPECT_FALSE(read.incomplete);
                EXPECT_FALSE(read.badEnd);
                ASSERT_EQ(read.event, EventBytesFromValues(layout, values)) << "marker " << int(marker);
            }
        }
    }
}

TEST(ScenarioEncoder, EveryCutPointContinuesIntoTheNextMessage) {
    Rng rng(11);
    int cuts = 0;
    for (uint8_t type : kTypes) {
        for (uint8_t marker : ScenarioMarkers()) {
            const ScenarioLayout& layout = *FindLayout(marker, type);
            const ScenarioValues values = RandomValues(layout, rng);
            const EncodedScenario encoded = EncodeScenario(layout, values);
            ASSERT_FALSE(encoded.cutPoints.empty()) << "marker " << int(marker);
            for (size_t cut : encoded.cutPoints) {
                const ReferenceBlock first = Message(encoded.text.substr(0, cut));
                // The next message carries the rest and one more scenario behind it.
                const ReferenceBlock second = Message(encoded.text.substr(cut) + encoded.text);
                const auto read = ReadScenario(layout, first, kHeadLength, &second);
                EXPECT_TRUE(read.usedNext);
                EXPECT_FALSE(read.incomplete) << "marker " << int(marker) << " cut " << cut;
                ASSERT_EQ(read.event, EventBytesFromValues(layout, values))
                    << "marker " << int(marker) << " cut " << cut;
                ++cuts;
            }
        }
    }
    EXPECT_GT(cuts, 500);
}

TEST(ScenarioEncoder, CuttingOffOnlyTheLastFieldIsNotOffered) {
    // The converter does not continue a scenario whose last field alone runs short, so
    // such a cut would lose that field.
    const ScenarioLayout& layout = *FindLayout(40, 0x20);
    Rng rng(3);
    const EncodedScenario encoded = EncodeScenario(layout, RandomValues(layout, rng));
    // 3 date characters, then 16 bytes in 6 groups; the last group holds the last byte
    // only, so the last cut offered is before the fifth group.
    ASSERT_EQ(encoded.text.size(), 1u + 3 + 24);
    EXPECT_EQ(encoded.cutPoints.back(), 1u + 3 + 16);
}

TEST(ScenarioEncoder, WordsInTheThreePhasesShareGroups) {
    const ScenarioLayout& layout = *FindLayout(63, 0x1A);
    ScenarioValues v;
    v.year = 2005;
    v.month = 3;
    v.day = 7;
    v.words = {0x0410, 0x4104, 0x1041, 0x0410, 0x4104, 0x1041, 0x0410, 0x4104, 0x1041};
    const EncodedScenario encoded = EncodeScenario(layout, v);
    // A scenario of code 63 reads 35 characters after its marker.
    ASSERT_EQ(encoded.text.size(), 36u);
    EXPECT_EQ(encoded.text.substr(8, 24), std::string(24, 'A'));
    const auto endGroup = UnpackGroup(std::string_view(encoded.text).substr(32));
    EXPECT_EQ(endGroup[0], 0xFE);
}

TEST(ScenarioEncoder, DateCharactersCarryYearCodeMonthAndDay) {
    const ScenarioLayout& layout = *FindLayout(63, 0x1A);
    ScenarioValues v;
    v.year = 2005;
    v.month = 3;
    v.day = 7;
    v.words.assign(9, 0);
    for (int twenties = 0; twenties <= 2; ++twenties) {
        v.yearCodeTwenties = twenties;
        const std::string text = EncodeScenario(layout, v).text;
        EXPECT_EQ(text[1], char(0x40 + 5 + 20 * twenties));
        EXPECT_EQ(text[2], char(0x40 + 3));
        EXPECT_EQ(text[3], char(0x40 + 7));
    }
}

TEST(ScenarioEncoder, EventBytesFollowTheTableAndTheTrailerWinsOverTheLastWord) {
    const ScenarioLayout& layout = *FindLayout(17, 0x20);
    ScenarioValues v;
    v.year = 2005;
    v.month = 3;
    v.day = 7;
    v.hour = 14;
    v.minute = 2;
    v.second = 10;
    v.byte3 = 'Q';
    v.words = {0x1234, 0x5678, 0x9ABC, 0xDEF0};
    const auto event = EventBytesFromValues(layout, v);
    EXPECT_EQ(EventHex(event), "8012FF51050307140210123456789ABCFE12");
}

TEST(ScenarioEncoder, LargeByteValuesBecomeFFFC) {
    const ScenarioLayout& layout = *FindLayout(40, 0xA0);
    ScenarioValues v;
    v.year = 2005;
    v.month = 3;
    v.day = 7;
    v.byteValues.assign(13, 0x7F);
    v.byteValues[0] = 0x80;
    const auto event = EventBytesFromValues(layout, v);
    EXPECT_EQ(EventHex(event).substr(0, 28), "8828FFFF050307000000FFFC007F");
    const auto back = ValuesFromEventBytes(layout, event);
    ASSERT_TRUE(back.has_value());
    EXPECT_EQ(back->byteValues, v.byteValues);
    EXPECT_EQ(EncodeScenario(layout, *back).text, EncodeScenario(layout, v).text);
}

TEST(ScenarioEncoder, ValuesOfAnEventThatNoScenarioGivesAreRefused) {
    const ScenarioLayout& layout = *FindLayout(40, 0x20);
    ScenarioValues v;
    v.byteValues.assign(16, 1);
    auto event = EventBytesFromValues(layout, v);
    event[10] = 0x01;  // 0x0101 is neither a small byte nor FFFC
    EXPECT_FALSE(ValuesFromEventBytes(layout, event).has_value());
    EXPECT_FALSE(ValuesFromEventBytes(*FindLayout(63, 0x20), event).has_value());
}

TEST(ScenarioEncoder, MisfitValuesAreRefused) {
    const ScenarioLayout& layout = *FindLayout(17, 0x20);
    ScenarioValues v;
    v.words.assign(4, 0);
    v.byte3 = 0x30;  // a raw byte below 64 would read as a scenario marker
    EXPECT_THROW((void)EncodeScenario(layout, v), std::invalid_argument);
    v.byte3 = 0x50;
    v.words.assign(3, 0);
    EXPECT_THROW((void)EncodeScenario(layout, v), std::invalid_argument);
}

TEST(ScenarioEncoder, DamagedEndMarkerIsReadAsSuch) {
    const ScenarioLayout& layout = *FindLayout(63, 0x20);
    Rng rng(5);
    ScenarioValues v = RandomValues(layout, rng);
    v.endMarker = 0xFD;
    const auto read = ReadScenario(layout, Message(EncodeScenario(layout, v).text), kHeadLength, nullptr);
    EXPECT_TRUE(read.badEnd);
}

TEST(FramedEventText, EmptyEventHasChecksum24) {
    const uint8_t bytes[] = {0xFF, 0x03, 0x03};
    EXPECT_EQ(FramedEventText(bytes), "\x02" "1FF0303\x17" "24");
}

}  // namespace
}  // namespace skylog::gen
