// The characters behind each scenario and element of a decoded block (TScenarioMap).

#include "dcp/ScenarioMap.h"

#include "tests/decode/DecodeFixture.h"

namespace skylog::test {
namespace {

class ScenarioMapTest : public DecodeFixture {
protected:
    // A descriptor per layout, ahead of the fixture's, whose elements stand on every
    // byte a field writes: 2, 1, 3 and 2 bytes in turn, so that they start at every byte
    // of a group (byte values, two event bytes each, two at a time).
    ScenarioMapTest() {
        const auto type = [this](int32_t classKind) {
            host_.ElementTypes.push_back(std::make_unique<ElementType>(ElementType{0, classKind, "T", "T"}));
            return host_.ElementTypes.back().get();
        };
        const ElementType *date = type(kClassDate), *time = type(kClassTime), *measure = type(kClassMes);
        std::vector<EventDescriptor> descriptors;
        for (const auto& layout : converter_.Layouts()) {
            EventDescriptor& d = descriptors.emplace_back();
            d.Type = layout->K7Type;
            d.Length = layout->Length;
            const auto add = [&d](const ElementType* t, int32_t code, int32_t offset) {
                d.Elements.push_back({.ElementType = t, .ValueCode = code, .Offset = offset});
            };
            int32_t written = 0;  // the end of what the fields write
            bool byteValues = false, zeroTime = false;
            for (const TDCP_ScnDesc& run : layout->Runs) {
                if (run.Kind == kScnSmallByte || run.Kind == kScnRawByte) add(measure, VAL_BYTECN, 3);
                byteValues = byteValues || run.Kind == kScnByteValue;
                zeroTime = zeroTime || run.Kind == kScnZeroTime;
                written = std::max(written, run.Offset + run.Count * ScnFieldWidth(run.Kind));
            }
            add(date, VAL_DATE, 4);
            if (!zeroTime) add(time, VAL_TIME, 7);  // a zero time reads no character
            constexpr int32_t kCodes[] = {VAL_CN, VAL_BAT, VAL_CN3BYTES, VAL_CN};
            for (int32_t offset = 10, k = 0;; ++k) {
                const int32_t code = byteValues ? VAL_CN : kCodes[k % 4];
                if (offset + ElementByteCount(code) > std::min(written, layout->Length - 2)) break;
                add(measure, code, offset);
                offset += ElementByteCount(code);
            }
        }
        auto& all = host_.Dictionary.Descriptors;
        all.insert(all.begin(), descriptors.begin(), descriptors.end());
    }

    // The event bytes an element stands on, rebuilt from its characters alone.
    static std::vector<uint8_t> Rebuilt(const TDCPDataBloc& block, const TElementSpan& span,
                                        const ElementDescriptor& descriptor, uint8_t marker) {
        const int32_t count = ElementByteCount(descriptor.ValueCode);
        if (span.Chars.size() != 1) return {};
        const auto chars = std::string_view(reinterpret_cast<const char*>(block.Body.data()), block.Body.size())
                               .substr(static_cast<size_t>(span.Chars[0].From),
                                       static_cast<size_t>(span.Chars[0].To - span.Chars[0].From));
        const auto six = [&chars](size_t i) { return static_cast<uint8_t>(chars[i] - 0x40); };
        if (descriptor.ValueCode == VAL_DATE)  // the year travels modulo 20: compared so
            return {static_cast<uint8_t>(six(0) % 20), ByteToBCD(six(1)), ByteToBCD(six(2))};
        if (descriptor.Offset == 3) return {marker == 17 ? static_cast<uint8_t>(chars[0]) : six(0)};
        uint64_t bits = 0;
        for (size_t i = 0; i < chars.size(); ++i) bits = bits << 6 | six(i);
        const int32_t width = marker == 40 && descriptor.Offset >= 10 ? 8 : 8 * count;
        const int32_t shift = 6 * static_cast<int32_t>(chars.size()) - span.FirstBit - width;
        if (shift < 0) return {};
        const auto value = static_cast<uint32_t>((bits >> shift) & ((1u << width) - 1));
        if (width == 8 && count == 2)  // a byte value
            return {static_cast<uint8_t>(value < 128 ? 0 : 0xFF), static_cast<uint8_t>(value < 128 ? value : 0xFC)};
        std::vector<uint8_t> bytes;
        for (int32_t k = count - 1; k >= 0; --k) bytes.push_back(static_cast<uint8_t>(value >> (8 * k)));
        return bytes;
    }
};

// Messages of one to three random scenarios (now and then twenty) of every layout and
// instrument type, as the generator encodes them, a quarter refused for their date:
// every element of every event decodes back from the characters the map gives it,
// which lie in its scenario's characters; refused scenarios point at their error.
TEST_F(ScenarioMapTest, ElementsDecodeBackFromTheirCharacters) {
    const std::vector<uint8_t> markers = gen::ScenarioMarkers();
    gen::Rng rng(21);
    int checked = 0;
    for (int message = 0; message < 1200; ++message) {
        const uint8_t type = std::array<uint8_t, 5>{0x1A, 0x20, 0xA0, 0xB9, 0xBB}[rng.Below(5)];
        std::string data;
        for (int n = message % 50 == 0 ? 20 : rng.Between(1, 3); n > 0; --n) {
            const auto& layout = *gen::FindLayout(markers[static_cast<size_t>(rng.Below(int(markers.size())))], type);
            gen::ScenarioValues values = RandomValues(rng, layout);
            values.month = rng.OneIn(4) ? 9 : 3;  // September is improbable for a message of 7 March
            values.day = rng.Between(1, 10);
            data += gen::EncodeScenario(layout, values).text;
        }
        const TDCPDataBloc& block = Decoded(Body({.instrumentCode = type}, data));
        const TScenarioMap map(block);
        size_t kept = 0;
        for (size_t s = 0; s < map.size(); ++s) {
            const TScenarioSpan& scenario = map[s];
            if (scenario.Event == nullptr) {
                ASSERT_GE(scenario.ErrorIndex, 0);
                EXPECT_EQ(block.Errors[static_cast<size_t>(scenario.ErrorIndex)].Code, kErrScnImprobableDate);
                continue;
            }
            EXPECT_EQ(map.ScenarioOfEntry(kept), s);
            EXPECT_EQ(block.Events[kept++], scenario.Event);
            const auto hex = BytesOfCanonicalHex(scenario.Event->Evt());
            const auto marker = block.Body[static_cast<size_t>(scenario.Marker)];
            ASSERT_EQ(scenario.Elements.size(), scenario.Event->Elements.size()) << int(marker);
            for (size_t e = 0; e < scenario.Elements.size(); ++e) {
                const TElementSpan& span = scenario.Elements[e];
                const ElementDescriptor& descriptor = *scenario.Event->Elements[e]->Descriptor;
                SCOPED_TRACE(testing::Message() << "message " << message << " marker " << int(marker) << " offset "
                                                << descriptor.Offset);
                auto expected = std::vector<uint8_t>(hex.begin() + descriptor.Offset,
                                                     hex.begin() + descriptor.Offset + ElementByteCount(descriptor.ValueCode));
                if (descriptor.ValueCode == VAL_DATE) expected[0] = static_cast<uint8_t>(BCDToByte(expected[0]) % 20);
                EXPECT_EQ(Rebuilt(block, span, descriptor, marker), expected);
                EXPECT_FALSE(span.ContinuesInNext);
                for (const TCharRange& range : span.Chars)
                    EXPECT_TRUE(scenario.Chars.From < range.From && range.To <= scenario.Chars.To);
                ++checked;
            }
        }
        EXPECT_EQ(kept, block.Events.size());
    }
    EXPECT_GT(checked, 20000);
}

// A scenario of code 63 (marker at 17, date at 18, time at 21, words from 25) cut after
// its time or after its first group of words, the rest opening a message with the next
// cyclic number, or one that does not follow.
TEST_F(ScenarioMapTest, ScenarioRunningIntoTheNextBlock) {
    const struct {
        size_t cut;
        bool follows;
        TCharRange scenario;
        size_t element;  // 0 date, 1 time, then measurements at 10 (2 bytes), 12 (1), 13 (3)
        std::vector<TCharRange> chars;
        int32_t firstBit;
        bool continues;
    } cases[] = {
        {8, true, {17, 25}, 1, {{21, 25}}, 0, false},
        {8, true, {17, 25}, 2, {}, 0, true},
        {12, true, {17, 29}, 2, {{25, 28}}, 0, false},
        {12, true, {17, 29}, 3, {{27, 29}}, 4, false},  // the byte kept from the last group read
        {12, true, {17, 29}, 4, {}, 0, true},
        {12, false, {17, 28}, 0, {}, 0, false},  // incomplete: no event, the kept byte unread
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "cut " << c.cut << " element " << c.element);
        const std::string scenario = Scenario();
        beacon_ = NewBeacon();
        AddBlock(Body({.cyclicNumber = 5}, scenario.substr(0, c.cut)), At(2005, 3, 7, 12));
        AddBlock(Body({.cyclicNumber = c.follows ? 6 : 9}, scenario.substr(c.cut)), At(2005, 3, 7, 13));
        beacon_->DecodeAll();
        const TScenarioMap map(*beacon_->Blocks()[0]);
        ASSERT_EQ(map.size(), 1u);
        EXPECT_EQ(map[0].Chars, c.scenario);
        EXPECT_EQ(map[0].ContinuesInNext, c.follows);
        EXPECT_EQ(map[0].Incomplete, !c.follows);
        if (!c.follows) {
            EXPECT_EQ(map[0].Event, nullptr);
            EXPECT_EQ(beacon_->Blocks()[0]->Errors[static_cast<size_t>(map[0].ErrorIndex)].Code, kErrScnIncomplete);
            continue;
        }
        ASSERT_GT(map[0].Elements.size(), c.element);
        const TElementSpan& span = map[0].Elements[c.element];
        EXPECT_EQ(span.Chars, c.chars);
        EXPECT_EQ(span.FirstBit, c.firstBit);
        EXPECT_EQ(span.ContinuesInNext, c.continues);
    }
}

// The scenario and element of a body character, for a scenario of code 63 alone: the
// marker and the end marker (49, 50) belong to no element; the character two values
// share (27) to the first.
TEST_F(ScenarioMapTest, ScenarioAndElementOfACharacter) {
    const TScenarioMap map(Decoded(Body()));
    constexpr size_t kNone = 99;
    const struct {
        int32_t index;
        size_t scenario, element;
    } cases[] = {{16, kNone, kNone}, {17, 0, kNone}, {18, 0, 0}, {27, 0, 2}, {28, 0, 3},
                 {50, 0, kNone},     {51, kNone, kNone}};
    for (const auto& c : cases) {
        const auto position = map.At(c.index);
        EXPECT_EQ(position ? position->Scenario : kNone, c.scenario) << c.index;
        EXPECT_EQ(position ? position->Element.value_or(kNone) : kNone, c.element) << c.index;
    }
}

}  // namespace
}  // namespace skylog::test
