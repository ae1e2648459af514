// First-level decoding of a block: head, association, end marker, scenario hand-off.

#include <algorithm>
#include <random>

#include "tests/decode/DecodeFixture.h"

namespace skylog::test {
namespace {

using ::testing::ElementsAre;

using BlockDecode = DecodeFixture;

// Heads that stop or spoil decoding: the errors, in order, the classes of the head, and
// whether decoding went on to the scenario.
TEST_F(BlockDecode, BadHeads) {
    std::string outOfRange = Body();
    outOfRange[0] = outOfRange[6] = outOfRange[8] = outOfRange[10] = '0';
    struct Case {
        std::string body;
        std::vector<int32_t> codes;
        std::string classes;  // from byte 0
        int32_t cyclic;
        int events;  // -1: not looked at
    };
    const std::vector<Case> cases = {
        {"NO DATA", {kErrTooShort}, ".......", -1, 0},  // NO DATA needs eight bytes
        {"no data!", {kErrNoData}, "nnnnnnn.", -1, 0},
        {gen::EncodeHead(Head()).substr(0, 16), {kErrTooShort}, "................", -1, 0},
        {Body({.instrumentMinute = 60, .beaconSecond = 60}), {kErrInstrumentTime, kErrDCPTime}, "vmmmppppppppppmmm", 0, 1},
        // One error for all the parameter bytes out of range.
        {outOfRange, {kErrCyclicNumber, kErrParameterBytes}, "otttppopopopppttt", -1, 1},
        {Body({.instrumentCode = 0x77}), {kErrUnknownInstrument}, "vtttuuppppppppttt", 0, -1},
        {Body({.instrumentNumber = 46}), {kErrWrongInstrument}, "vtttppppppppppttt", 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.body);
        TDCPDataBloc& block = Decoded(c.body);
        EXPECT_EQ(Codes(block), c.codes);
        EXPECT_EQ(block.ByteStatus.size(), std::max<size_t>(20, c.body.size()));
        EXPECT_EQ(Classes(block, 0, c.classes.size()), c.classes);
        EXPECT_EQ(block.CyclicNumber, c.cyclic);
        EXPECT_TRUE(c.events < 0 || block.Events.size() == static_cast<size_t>(c.events)) << block.Events.size();
    }
    EXPECT_EQ(beacon_->Blocks()[1]->CountIgnoredBytes(), 1);  // the '!' of NO DATA
    EXPECT_EQ(beacon_->Blocks()[3]->InstrumentTime, 0);
    EXPECT_EQ(beacon_->Blocks()[3]->DCPTime, 0);
    EXPECT_EQ(ErrorText(beacon_->Blocks()[6]->Errors.at(0)),
              "La balise est associée à l'instrument #45 alors que le message provient du numéro #46");
}

TEST_F(BlockDecode, ReadsTheHead) {
    std::string body = Body({.cyclicNumber = 9, .instrumentHour = 23, .instrumentMinute = 59, .instrumentSecond = 58,
                             .beaconHour = 12, .beaconSecond = 5});
    body.replace(6, 6, "ABCDEF");  // the parameter block, read four ways
    TDCPDataBloc& block = Decoded(body);
    EXPECT_TRUE(block.Errors.empty());
    EXPECT_EQ(Classes(block, 0, 17), "vtttppppppppppttt");
    EXPECT_EQ((std::vector<int32_t>{block.CyclicNumber, block.InstrumentCode, block.InstrumentNumber}),
              (std::vector<int32_t>{9, 0xA0, 45}));
    EXPECT_NEAR(block.InstrumentTime, (23 * 3600 + 59 * 60 + 58) / kSecondsPerDay, 1e-9);
    EXPECT_NEAR(block.DCPTime, (12 * 3600 + 5) / kSecondsPerDay, 1e-9);
    // Longitude: 5 hours, 6 minutes.
    EXPECT_EQ((std::vector<int32_t>{block.Latitude, block.Longitude, block.Country, block.District}),
              (std::vector<int32_t>{0x1234 - 32768, 0x4546 - 16448, 0x12, 0x3456}));
}

// The block's date chooses the association, bounds included; an undated block needs
// one that covers date 0.
TEST_F(BlockDecode, AssociationOfTheBlockDate) {
    beacon_->AssoList[0]->EndDate = At(2005, 3, 7, 12);
    EXPECT_EQ(Decoded(Body(), At(2005, 3, 7, 12)).Events.size(), 1u);
    TDCPDataBloc& after = Decoded(Body(), At(2005, 3, 7, 12, 0, 1));
    EXPECT_THAT(Codes(after), ElementsAre(kErrNoAssociation));
    EXPECT_TRUE(after.Events.empty());
    EXPECT_EQ(after.ByteStatus[17], kByteNotExamined);
    EXPECT_THAT(Codes(Decoded(Body(), 0.0)), ElementsAre(kErrNoAssociation));
}

// The end marker is looked for in the last ten bytes; the two bytes before it give the
// declared length and end the data.
TEST_F(BlockDecode, EndMarkerAndDeclaredLength) {
    const std::string data = gen::EncodeHead(Head()) + "@@@@@";  // 22 bytes
    struct Case {
        std::string tail;
        bool found;
        int32_t dataEnd, trailing, declared;
        std::string classes;  // from byte 22
    };
    const std::vector<Case> cases = {
        {Tail(1000), true, 22, 0, 1000, "pppppp"},
        {Tail(22) + "xxxxxx", true, 22, 6, 22, "ppppppxxxxxx"},  // ten bytes from the end
        {Tail(22) + "xxxxxxx", false, 35, 0, 0, "............."},
        {"\x04]Jx", false, 26, 0, 0, "pppm"},  // the wrong character is marked
        {Tail(22) + "\x04]Jx", true, 22, 4, 22, "ppppppxxxx"},  // and the scan goes on
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.tail);
        TDCPDataBloc& block = Decoded(data + c.tail);
        EXPECT_EQ(block.EndMarkerFound, c.found);
        EXPECT_EQ(Codes(block), c.found ? std::vector<int32_t>{} : std::vector<int32_t>{kErrBadMessageEnd});
        EXPECT_EQ((std::vector<int32_t>{block.DataEnd, block.TrailingBytes, block.DeclaredLength}),
                  (std::vector<int32_t>{c.dataEnd, c.trailing, c.declared}));
        EXPECT_EQ(Classes(block, 22, block.BodyLength), c.classes);
    }
}

TEST_F(BlockDecode, ScenarioStartsAreOfferedUpToDataEnd) {
    // 39 is no scenario marker; the one in the count bytes is never offered.
    std::string body = gen::EncodeHead(Head()) + "\x27@@" + Tail(20);
    body[body.size() - 5] = 39;
    TDCPDataBloc& block = Decoded(body);
    EXPECT_EQ(block.ByteStatus[17], kByteUnknown);
    EXPECT_EQ(block.ByteStatus[block.BodyLength - 5], kByteParameter);
    EXPECT_TRUE(block.Errors.empty());
    EXPECT_EQ(block.CountIgnoredBytes(), 3);  // the marker and two unexamined bytes
}

TEST_F(BlockDecode, DecodesOnce) {
    TDCPDataBloc& block = Decoded(Body({.instrumentMinute = 60}));
    block.Decode(nullptr);
    EXPECT_THAT(Codes(block), ElementsAre(kErrInstrumentTime));
    EXPECT_EQ(block.Events.size(), 1u);
}

// Scenario markers are found wherever they start, whatever the bytes before them:
// 6-bit characters, bytes with the high bit set (never markers), a lone marker of
// no known layout.
TEST_F(BlockDecode, ScenarioFoundAfterAnyFiller) {
    const std::string scn = Scenario();
    const std::string reference = Decoded(Body()).Events.at(0)->Evt();
    for (size_t length = 0; length <= 20; ++length) {
        for (const char odd : {'\x7f', '\x91', '\x14'}) {
            std::string filler;
            for (size_t i = 0; i < length; ++i) filler += gen::SixBitChar(static_cast<int>(i) * 7 % 64);
            if (length > 0) filler[length / 2] = odd;
            TDCPDataBloc& block = Decoded(Body({}, filler + scn));
            ASSERT_EQ(block.Events.size(), 1u) << length << ' ' << int(odd);
            EXPECT_EQ(block.Events[0]->Evt(), reference);
            EXPECT_EQ(block.ByteStatus[17 + length], kByteValid) << length;
            // The lone marker was tried, and known by no layout.
            EXPECT_TRUE(length == 0 || odd != '\x14' || block.ByteStatus[17 + length / 2] == kByteUnknown) << length;
        }
    }
}

// Decoding after every file handles only the blocks read since, merged into those
// already in order: it must leave exactly what sorting (stably) and looking at every
// block gives, with blocks replaced, dated before those already decoded, and scenarios
// running over into the next message (which changes that message's classes and count).
TEST_F(BlockDecode, DecodeAllAfterEveryFileEqualsLookingAtEveryBlock) {
    // The plain model: the blocks of a twin beacon in a list of their own, replaced by
    // header, all sorted, decoded when not yet, counted when their classes changed.
    const auto twin = NewBeacon();
    const auto apart = NewBeacon();  // decoded by DecodeNew, its newest blocks left apart
    std::vector<std::unique_ptr<TDCPDataBloc>> model;
    auto decodeEverything = [](std::vector<std::unique_ptr<TDCPDataBloc>>& blocks) {
        std::stable_sort(blocks.begin(), blocks.end(), [](const auto& a, const auto& b) { return a->Date < b->Date; });
        for (size_t i = blocks.size(); i-- > 0;) {
            TDCPDataBloc* next = i + 1 < blocks.size() ? blocks[i + 1].get() : nullptr;
            if (blocks[i]->Decoded) continue;
            blocks[i]->Decode(next);
            blocks[i]->IgnoredCounted = false;
            if (next != nullptr) next->IgnoredCounted = false;
        }
        for (const auto& block : blocks)
            if (!block->IgnoredCounted) block->CountIgnoredBytes();
    };
    auto summary = [](const std::vector<std::unique_ptr<TDCPDataBloc>>& held) {
        // In date order, of the same date in the order held.
        std::vector<const TDCPDataBloc*> blocks;
        for (const auto& block : held) blocks.push_back(block.get());
        std::stable_sort(blocks.begin(), blocks.end(), [](auto* a, auto* b) { return a->Date < b->Date; });
        std::vector<std::string> lines;
        for (const TDCPDataBloc* block : blocks) {
            std::string line = block->Header + " ignored " + std::to_string(block->IgnoredBytes) + " classes ";
            for (uint8_t c : block->ByteStatus) line += static_cast<char>('a' + c);
            for (const TDCPDataError& e : block->Errors) line += " E" + std::to_string(e.Code);
            for (const TEvenement* event : block->Events) line += " " + event->Evt();
            lines.push_back(line);
        }
        return lines;
    };

    const std::string scn = Scenario();
    std::mt19937 random(5);
    for (int file = 0; file < 12; ++file) {
        for (int n = 0; n < 15; ++n) {
            // A few minutes of a day, so that dates repeat and go back in time; a few
            // headers, so that blocks get replaced.
            const int minute = static_cast<int>(random() % 30);
            const std::string header = "12345 " + std::to_string(random() % 120) + " at";
            // Mostly the minute: the next block by date often follows cyclically.
            const int cyclic = random() % 4 == 0 ? static_cast<int>(random() % 64) : minute;
            // A whole scenario, one that runs over, or the rest of one.
            const std::string parts[] = {scn, scn.substr(0, 12), scn.substr(12)};
            const std::string body = Body({.cyclicNumber = cyclic}, parts[random() % 3]);
            for (TDCP* beacon : {beacon_.get(), twin.get(), apart.get()}) {
                auto block = std::make_unique<TDCPDataBloc>(beacon);
                block->Header = header;
                block->Date = At(2005, 3, 7, 12, minute);
                block->AddBody(body);
                if (beacon == twin.get()) {
                    std::erase_if(model, [&header](const auto& b) { return b->Header == header; });
                    model.push_back(std::move(block));
                } else {
                    beacon->AddBlock(std::move(block));
                }
            }
        }
        beacon_->DecodeAll();
        decodeEverything(model);
        apart->DecodeNew();
        ASSERT_EQ(summary(beacon_->Blocks()), summary(model)) << "after file " << file;
        ASSERT_EQ(summary(apart->Blocks()), summary(model)) << "after file " << file;
    }
    apart->Order();
    for (size_t i = 0; i < model.size(); ++i) EXPECT_EQ(apart->Blocks()[i]->Header, model[i]->Header);
}

}  // namespace
}  // namespace skylog::test
