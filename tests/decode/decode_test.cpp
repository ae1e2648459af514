// First-level decoding of a block: head, association, end marker, scenario hand-off.

#include <algorithm>
#include <random>

#include "tests/decode/DecodeFixture.h"

namespace skylog::test {
namespace {

using ::testing::ElementsAre;

class BlockDecode : public DecodeFixture {
protected:
    std::string Body(const HeadSpec& head = {}) { return EncodeBody(head, {EncodeScenario({.words = Words(9)})}); }
};

TEST_F(BlockDecode, NoDataNeedsEightBytes) {
    TDCPDataBloc& seven = Decoded("NO DATA");
    EXPECT_THAT(Codes(seven), ElementsAre(kErrTooShort));

    TDCPDataBloc& eight = Decoded("no data!");
    EXPECT_THAT(Codes(eight), ElementsAre(kErrNoData));
    ASSERT_EQ(eight.ByteStatus.size(), 20u);
    for (int i = 0; i < 7; ++i) EXPECT_EQ(eight.ByteStatus[i], kByteNoData) << i;
    EXPECT_EQ(eight.ByteStatus[7], kByteNotExamined);
    EXPECT_EQ(eight.CountIgnoredBytes(), 1);
}

TEST_F(BlockDecode, SixteenBytesAreTooShort) {
    TDCPDataBloc& block = Decoded(EncodeHead({}).substr(0, 16));
    EXPECT_THAT(Codes(block), ElementsAre(kErrTooShort));
    EXPECT_EQ(block.CyclicNumber, -1);
}

TEST_F(BlockDecode, ReadsTheHead) {
    TDCPDataBloc& block = Decoded(Body({.cyclic = 9, .hour = 23, .minute = 59, .second = 58}));
    EXPECT_TRUE(block.Errors.empty());
    EXPECT_EQ(block.CyclicNumber, 9);
    EXPECT_EQ(block.InstrumentCode, 0xA0);
    EXPECT_EQ(block.InstrumentNumber, 45);
    EXPECT_NEAR(block.InstrumentTime, (23 * 3600 + 59 * 60 + 58) / kSecondsPerDay, 1e-9);
    EXPECT_NEAR(block.DCPTime, (12 * 3600 + 5) / kSecondsPerDay, 1e-9);
    EXPECT_EQ(block.Latitude, -32768);
    EXPECT_EQ(block.Longitude, 0);
    EXPECT_EQ(block.ByteStatus[0], kByteValid);
    for (int i : {1, 2, 3, 14, 15, 16}) EXPECT_EQ(block.ByteStatus[i], kByteTime) << i;
    for (int i : {4, 5, 6, 11, 12, 13}) EXPECT_EQ(block.ByteStatus[i], kByteParameter) << i;
}

TEST_F(BlockDecode, ParameterBlockIsReadFourWays) {
    std::string body = Body();
    const char params[] = {0x41, 0x42, 0x43, 0x44, 0x45, 0x46};
    body.replace(6, 6, params, 6);
    TDCPDataBloc& block = Decoded(body);
    EXPECT_EQ(block.Latitude, 0x1234 - 32768);
    EXPECT_EQ(block.Longitude, 0x4546 - 16448);  // 5 hours, 6 minutes
    EXPECT_EQ(block.Country, 0x12);
    EXPECT_EQ(block.District, 0x3456);
}

TEST_F(BlockDecode, MalformedTimesAreReportedAndDecodingGoesOn) {
    TDCPDataBloc& block = Decoded(Body({.minute = 60, .dcpSecond = 60}));
    EXPECT_THAT(Codes(block), ElementsAre(kErrInstrumentTime, kErrDCPTime));
    EXPECT_EQ(block.InstrumentTime, 0);
    EXPECT_EQ(block.DCPTime, 0);
    for (int i : {1, 2, 3, 14, 15, 16}) EXPECT_EQ(block.ByteStatus[i], kByteMalformed) << i;
    EXPECT_EQ(block.Events.size(), 1u);
}

TEST_F(BlockDecode, OutOfRangeBytesRaiseOneError) {
    std::string body = Body();
    body[0] = '0';
    body[6] = body[8] = body[10] = '0';
    TDCPDataBloc& block = Decoded(body);
    EXPECT_THAT(Codes(block), ElementsAre(kErrCyclicNumber, kErrParameterBytes));
    EXPECT_EQ(block.CyclicNumber, -1);
    for (int i : {0, 6, 8, 10}) EXPECT_EQ(block.ByteStatus[i], kByteOutOfRange) << i;
}

TEST_F(BlockDecode, UnknownInstrumentType) {
    TDCPDataBloc& block = Decoded(Body({.type = 0x77}));
    EXPECT_THAT(Codes(block), ElementsAre(kErrUnknownInstrument));
    EXPECT_EQ(block.ByteStatus[4], kByteUnknown);
    EXPECT_EQ(block.ByteStatus[5], kByteUnknown);
}

TEST_F(BlockDecode, AssociationBoundsAreInclusive) {
    beacon_->AssoList[0]->EndDate = At(2005, 3, 7, 12);
    TDCPDataBloc& last = Decoded(Body(), At(2005, 3, 7, 12));
    EXPECT_TRUE(last.Errors.empty());
    EXPECT_EQ(last.Events.size(), 1u);

    TDCPDataBloc& after = Decoded(Body(), At(2005, 3, 7, 12, 0, 1));
    EXPECT_THAT(Codes(after), ElementsAre(kErrNoAssociation));
    EXPECT_TRUE(after.Events.empty());
    EXPECT_EQ(after.ByteStatus[17], kByteNotExamined);
}

TEST_F(BlockDecode, DatelessBlockNeedsAnAssociationCoveringZero) {
    EXPECT_THAT(Codes(Decoded(Body(), 0.0)), ElementsAre(kErrNoAssociation));
    beacon_->AssoList.push_back(std::make_unique<TDCPAsso>());
    beacon_->AssoList.back()->InstrumentNumber = kInstrument;
    EXPECT_TRUE(Decoded(Body(), 0.0).Errors.empty());
}

TEST_F(BlockDecode, WrongInstrumentStops) {
    TDCPDataBloc& block = Decoded(Body({.instrument = 46}));
    ASSERT_THAT(Codes(block), ElementsAre(kErrWrongInstrument));
    EXPECT_EQ(ErrorText(block.Errors[0]),
              "La balise est associée à l'instrument #45 alors que le message provient du numéro #46");
    EXPECT_TRUE(block.Events.empty());
}

TEST_F(BlockDecode, DeclaredLengthAndDataEnd) {
    const std::string data = EncodeHead({}) + "@@@@@";  // 22 bytes before the count
    TDCPDataBloc& block = Decoded(data + EncodeTail(1000));
    EXPECT_TRUE(block.EndMarkerFound);
    EXPECT_EQ(block.DeclaredLength, 1000);
    EXPECT_EQ(block.DataEnd, 22);
    EXPECT_EQ(block.TrailingBytes, 0);
    for (int i = 22; i < 28; ++i) EXPECT_EQ(block.ByteStatus[i], kByteParameter) << i;
}

TEST_F(BlockDecode, EndMarkerIsSearchedInTheLastTenBytes) {
    const std::string data = EncodeHead({}) + "@@@@@" + EncodeTail(22);
    TDCPDataBloc& ten = Decoded(data + "xxxxxx");
    EXPECT_TRUE(ten.EndMarkerFound);
    EXPECT_EQ(ten.TrailingBytes, 6);
    EXPECT_EQ(ten.ByteStatus[ten.BodyLength - 1], kByteTrailing);

    TDCPDataBloc& eleven = Decoded(data + "xxxxxxx");
    EXPECT_FALSE(eleven.EndMarkerFound);
    EXPECT_THAT(Codes(eleven), ElementsAre(kErrBadMessageEnd));
    EXPECT_EQ(eleven.DataEnd, eleven.BodyLength);
    EXPECT_EQ(eleven.TrailingBytes, 0);
}

TEST_F(BlockDecode, WrongMarkerCharacterIsMarkedAndTheScanGoesOn) {
    const std::string data = EncodeHead({}) + "@@@@@";
    TDCPDataBloc& bad = Decoded(data + "\x04]Jx");
    EXPECT_THAT(Codes(bad), ElementsAre(kErrBadMessageEnd));
    const int i = bad.BodyLength - 4;
    EXPECT_EQ(bad.ByteStatus[i], kByteParameter);
    EXPECT_EQ(bad.ByteStatus[i + 1], kByteParameter);
    EXPECT_EQ(bad.ByteStatus[i + 2], kByteParameter);
    EXPECT_EQ(bad.ByteStatus[i + 3], kByteMalformed);

    TDCPDataBloc& earlier = Decoded(data + EncodeTail(22) + "\x04]Jx");
    EXPECT_TRUE(earlier.EndMarkerFound);
    EXPECT_EQ(earlier.TrailingBytes, 4);
    EXPECT_EQ(earlier.DataEnd, 22);
}

TEST_F(BlockDecode, ScenarioStartsAreOfferedUpToDataEnd) {
    // 39 is no scenario marker; the one in the count bytes is never offered.
    std::string body = EncodeHead({}) + "\x27@@" + EncodeTail(20);
    body[body.size() - 5] = 39;
    TDCPDataBloc& block = Decoded(body);
    EXPECT_EQ(block.ByteStatus[17], kByteUnknown);
    EXPECT_EQ(block.ByteStatus[block.BodyLength - 5], kByteParameter);
    EXPECT_TRUE(block.Errors.empty());
    EXPECT_EQ(block.CountIgnoredBytes(), 3);  // the marker and two unexamined bytes
}

TEST_F(BlockDecode, DecodesOnce) {
    TDCPDataBloc& block = Decoded(Body({.minute = 60}));
    block.Decode(nullptr);
    EXPECT_THAT(Codes(block), ElementsAre(kErrInstrumentTime));
    EXPECT_EQ(block.Events.size(), 1u);
}

TEST_F(BlockDecode, DecodeAllSortsStablyAndCountsEveryBlock) {
    TDCPDataBloc& late = AddBlock(Body({.cyclic = 3}), At(2005, 3, 7, 14));
    TDCPDataBloc& first = AddBlock(Body({.cyclic = 1}), At(2005, 3, 7, 10));
    TDCPDataBloc& second = AddBlock(Body({.cyclic = 2}), At(2005, 3, 7, 10));
    beacon_->DecodeAll();
    ASSERT_EQ(beacon_->Blocks.size(), 3u);
    EXPECT_EQ(beacon_->Blocks[0].get(), &first);
    EXPECT_EQ(beacon_->Blocks[1].get(), &second);
    EXPECT_EQ(beacon_->Blocks[2].get(), &late);
    for (const auto& block : beacon_->Blocks) {
        EXPECT_TRUE(block->Decoded);
        EXPECT_EQ(block->IgnoredBytes, 2);  // the padding of the end-marker group
    }
    // The same scenario three times: one K7 event, listed under every block.
    ASSERT_EQ(K7(At(2005, 3, 7))->Events().size(), 1u);
    EXPECT_EQ(first.Events, late.Events);
}

// Scenario markers are found wherever they start, whatever the bytes before them:
// 6-bit characters, bytes with the high bit set (never markers), a lone marker of
// no known layout.
TEST_F(BlockDecode, ScenarioFoundAfterAnyFiller) {
    const std::string scn = EncodeScenario({.words = Words(9)});
    const std::string reference = Decoded(EncodeBody({}, {scn})).Events.at(0)->Evt();
    for (int length = 0; length <= 20; ++length) {
        for (const char odd : {'\x7f', '\x91', '\x14'}) {
            std::string filler;
            for (int i = 0; i < length; ++i) filler += SixBit(i * 7);
            if (length > 0) filler[static_cast<size_t>(length) / 2] = odd;
            TDCPDataBloc& block = Decoded(EncodeBody({}, {filler + scn}));
            ASSERT_EQ(block.Events.size(), 1u) << length << ' ' << int(odd);
            EXPECT_EQ(block.Events[0]->Evt(), reference);
            EXPECT_EQ(block.ByteStatus[17 + filler.size()], kByteValid) << length;
            // The lone marker was tried, and known by no layout.
            if (length > 0 && odd == '\x14') {
                EXPECT_EQ(block.ByteStatus[17 + static_cast<size_t>(length) / 2], kByteUnknown) << length;
            }
        }
    }
}

// Decoding after every file handles only the blocks read since, merged into those
// already in order: it must leave exactly what sorting and looking at every block gives,
// with blocks replaced, dated before those already decoded, and scenarios running over
// into the next message (which changes that message's classes and count).
TEST_F(BlockDecode, DecodeAllAfterEveryFileEqualsLookingAtEveryBlock) {
    auto twin = std::make_unique<TDCP>();
    twin->Number = beacon_->Number;
    auto asso = std::make_unique<TDCPAsso>();
    asso->InstrumentNumber = kInstrument;
    asso->StartDate = At(2005, 1, 1);
    asso->EndDate = At(2005, 12, 31, 23, 59, 59);
    twin->AssoList.push_back(std::move(asso));
    // What decoding meant before: sort everything, decode what is not, count what changed.
    auto decodeEverything = [](TDCP& beacon) {
        std::stable_sort(beacon.Blocks.begin(), beacon.Blocks.end(),
                         [](const auto& a, const auto& b) { return a->Date < b->Date; });
        for (size_t i = beacon.Blocks.size(); i-- > 0;) {
            TDCPDataBloc* next = i + 1 < beacon.Blocks.size() ? beacon.Blocks[i + 1].get() : nullptr;
            if (beacon.Blocks[i]->Decoded) continue;
            beacon.Blocks[i]->Decode(next);
            beacon.Blocks[i]->IgnoredCounted = false;
            if (next != nullptr) next->IgnoredCounted = false;
        }
        for (const auto& block : beacon.Blocks)
            if (!block->IgnoredCounted) block->CountIgnoredBytes();
    };
    auto summary = [](const TDCP& beacon) {
        std::vector<std::string> lines;
        for (const auto& block : beacon.Blocks) {
            std::string line = block->Header + " ignored " + std::to_string(block->IgnoredBytes) + " classes ";
            for (uint8_t c : block->ByteStatus) line += static_cast<char>('a' + c);
            for (const TDCPDataError& e : block->Errors) line += " E" + std::to_string(e.Code);
            for (const TEvenement* event : block->Events) line += " " + event->Evt();
            lines.push_back(line);
        }
        return lines;
    };

    const std::string scn = EncodeScenario({.words = Words(9)});
    std::mt19937 random(5);
    int cyclic = 0;
    for (int file = 0; file < 12; ++file) {
        for (int n = 0; n < 15; ++n) {
            // A few minutes of a day, so that dates repeat and go back in time; a few
            // headers, so that blocks get replaced.
            const int minute = static_cast<int>(random() % 30);
            const std::string header = "12345 " + std::to_string(random() % 120) + " at";
            cyclic = random() % 4 == 0 ? static_cast<int>(random() % 64) : (cyclic + 1) % 64;
            std::string body;
            switch (random() % 3) {
                case 0: body = EncodeBody({.cyclic = cyclic}, {scn}); break;
                case 1: body = EncodeBody({.cyclic = cyclic}, {scn.substr(0, 12)}); break;  // runs over
                default: body = EncodeBody({.cyclic = cyclic}, {scn.substr(12)});  // the rest of one
            }
            for (TDCP* beacon : {beacon_.get(), twin.get()}) {
                auto block = std::make_unique<TDCPDataBloc>(beacon);
                block->Header = header;
                block->Date = At(2005, 3, 7, 12, minute);
                block->AddBody(body);
                beacon->AddBlock(std::move(block));
            }
        }
        beacon_->DecodeAll();
        decodeEverything(*twin);
        ASSERT_EQ(summary(*beacon_), summary(*twin)) << "after file " << file;
    }
}

}  // namespace
}  // namespace skylog::test
