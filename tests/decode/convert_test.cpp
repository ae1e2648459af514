// Conversion of beacon scenarios into K7 events.

#include <random>

#include "tests/decode/DecodeFixture.h"

namespace skylog::test {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

// ---- Pure parts -------------------------------------------------------------------

TEST(ScnUnpacking, EveryByteSurvivesPackingAndUnpacking) {
    const auto aaaa = UnpackGroup(reinterpret_cast<const uint8_t*>("AAAA"));
    EXPECT_THAT(aaaa, ElementsAre(0x04, 0x10, 0x41));
    for (int b = 0; b < 256; ++b) {
        const std::vector<uint8_t> bytes{static_cast<uint8_t>(b), static_cast<uint8_t>(255 - b),
                                         static_cast<uint8_t>(b ^ 0x5A)};
        const std::string chars = PackBytes(bytes);
        for (char c : chars) ASSERT_TRUE(c >= 0x40 && c <= 0x7F);
        const auto back = UnpackGroup(reinterpret_cast<const uint8_t*>(chars.data()));
        ASSERT_THAT(back, ElementsAre(bytes[0], bytes[1], bytes[2])) << b;
    }
}

class ScnCursorTest : public ::testing::Test {
protected:
    TDCPDataBloc Block(std::string_view body, int32_t dataEnd) {
        TDCPDataBloc block(nullptr);
        block.AddBody(body);
        block.DataEnd = dataEnd;
        block.ByteStatus.assign(20, 0);
        return block;
    }
    // A body of up to maxExtra + 10 characters, mostly 6-bit ones, with a random data
    // end, body length and number of byte classes (all of the given class).
    TDCPDataBloc RandomBlock(std::mt19937& random, unsigned maxExtra, uint8_t byteClass) {
        std::string body(10 + random() % maxExtra, '@');
        for (char& c : body) c = static_cast<char>(random() % 16 == 0 ? random() % 256 : 0x40 + random() % 64);
        TDCPDataBloc block = Block(body, static_cast<int32_t>(random() % (body.size() + 3)));
        block.BodyLength = static_cast<int32_t>(body.size() - random() % 4);
        const size_t classes = random() % 3 == 0 ? random() % body.size() : body.size();
        block.ByteStatus.assign(classes, byteClass);
        return block;
    }
};

TEST_F(ScnCursorTest, ThreeWordsFromTwoGroups) {
    TDCPDataBloc block = Block("AAAAAAAA", 8);
    TScnCursor cursor(block, 0);
    EXPECT_EQ(cursor.ReadWord(), 0x0410);
    EXPECT_EQ(cursor.Phase, 1);
    EXPECT_EQ(cursor.ReadWord(), 0x4104);
    EXPECT_EQ(cursor.Position, 4);
    EXPECT_EQ(cursor.ReadWord(), 0x1041);
    EXPECT_EQ(cursor.Position, 8);
    EXPECT_EQ(cursor.Phase, 0);
    EXPECT_THAT(std::vector<uint8_t>(block.ByteStatus.begin(), block.ByteStatus.begin() + 9),
                ElementsAre(8, 8, 8, 8, 9, 9, 9, 9, 0));
}

TEST_F(ScnCursorTest, BytesWalkThroughTheGroup) {
    TDCPDataBloc block = Block("AAAAAAAA", 8);
    TScnCursor cursor(block, 0);
    bool kept = true;
    EXPECT_EQ(cursor.ReadByte(kept), 0x04);
    EXPECT_FALSE(kept);
    EXPECT_EQ(cursor.ReadByte(kept), 0x10);
    EXPECT_EQ(cursor.ReadByte(kept), 0x41);
    EXPECT_EQ(cursor.Position, 4);
    EXPECT_EQ(cursor.ByteIndex, 0);
    EXPECT_EQ(block.ByteStatus[3], kByteByteValue);

    // After a word the next byte is the one kept from its group.
    TScnCursor afterWord(block, 0);
    (void)afterWord.ReadWord();
    EXPECT_EQ(afterWord.ReadByte(kept), 0x41);
    EXPECT_TRUE(kept);
}

// Three words at once read, mark and leave the cursor as three ReadWord calls do, and
// refuse (changing nothing) where those calls would not all start a cycle and fit.
TEST_F(ScnCursorTest, ThreeWordsAtOnceEqualThreeReadWordCalls) {
    std::mt19937 random(21);
    for (int trial = 0; trial < 4000; ++trial) {
        TDCPDataBloc a = RandomBlock(random, 30, kByteNotExamined);
        TDCPDataBloc b = a;
        TScnCursor one(a, static_cast<int32_t>(random() % a.Body.size()));
        // Some start past a word or a byte, in the middle of a cycle.
        for (unsigned k = random() % 3; k > 0 && one.GroupFits(); --k) {
            bool kept = false;
            if (random() % 2 == 0) (void)one.ReadWord();
            else (void)one.ReadByte(kept);
        }
        const std::vector<uint8_t> before(a.ByteStatus.begin(), a.ByteStatus.end());
        TScnCursor three = one;
        three.Block = &b;
        b.ByteStatus = a.ByteStatus;
        std::array<uint16_t, 3> words{};
        const bool read = one.ReadThreeWords(words);
        if (!read) {
            EXPECT_TRUE(three.Phase != 0 || !three.GroupFits() || (three.Position += 4, !three.GroupFits())) << trial;
            EXPECT_EQ(std::vector<uint8_t>(a.ByteStatus.begin(), a.ByteStatus.end()), before);
            continue;
        }
        for (uint16_t word : words) {
            ASSERT_TRUE(three.GroupFits()) << trial;
            EXPECT_EQ(three.ReadWord(), word) << trial;
        }
        EXPECT_EQ(std::vector<uint8_t>(a.ByteStatus.begin(), a.ByteStatus.end()),
                  std::vector<uint8_t>(b.ByteStatus.begin(), b.ByteStatus.end())) << trial;
        EXPECT_EQ(one.Position, three.Position);
        EXPECT_EQ(one.Phase, three.Phase);
        EXPECT_EQ(one.ByteIndex, three.ByteIndex);
        EXPECT_EQ(one.Kept, three.Kept);
    }
}

// Many triples at once read, mark and leave the cursor as ReadThreeWords calls do, up to
// the count asked for, whatever the parity of the start and the length of the classes.
TEST_F(ScnCursorTest, TriplesAtOnceEqualReadThreeWordsCalls) {
    std::mt19937 random(34);
    for (int trial = 0; trial < 4000; ++trial) {
        TDCPDataBloc a = RandomBlock(random, 90, trial % 2 == 0 ? kByteNotExamined : kByteUnknown);
        TScnCursor bulk(a, static_cast<int32_t>(random() % a.Body.size()) - (random() % 8 == 0 ? 3 : 0));
        if (random() % 4 == 0 && bulk.Position >= 0 && bulk.GroupFits()) (void)bulk.ReadWord();
        TDCPDataBloc b = a;
        TScnCursor single = bulk;
        single.Block = &b;
        const auto wanted = static_cast<int32_t>(random() % 14) - 1;

        std::vector<uint8_t> outBulk(6 * 14 + 1, 0xAA), outSingle(outBulk);
        const int32_t read = bulk.ReadWordTriples(outBulk.data(), wanted);
        int32_t expected = 0;
        std::array<uint16_t, 3> words{};
        while (expected < wanted && single.ReadThreeWords(words)) {
            for (size_t k = 0; k < 3; ++k) {
                outSingle[static_cast<size_t>(6 * expected) + 2 * k] = static_cast<uint8_t>(words[k] >> 8);
                outSingle[static_cast<size_t>(6 * expected) + 2 * k + 1] = static_cast<uint8_t>(words[k] & 0xFF);
            }
            ++expected;
        }
        ASSERT_EQ(read, expected) << trial;
        EXPECT_EQ(outBulk, outSingle) << trial;
        EXPECT_EQ(std::vector<uint8_t>(a.ByteStatus.begin(), a.ByteStatus.end()),
                  std::vector<uint8_t>(b.ByteStatus.begin(), b.ByteStatus.end())) << trial;
        EXPECT_EQ(bulk.Position, single.Position) << trial;
        EXPECT_EQ(bulk.Phase, single.Phase) << trial;
        EXPECT_EQ(bulk.ByteIndex, single.ByteIndex) << trial;
        EXPECT_EQ(bulk.Kept, single.Kept) << trial;
    }
}

TEST_F(ScnCursorTest, GroupsMayReachTwoCharactersPastDataEndButNotPastTheBody) {
    TDCPDataBloc counted = Block("AAAAAAAA", 6);
    EXPECT_TRUE(TScnCursor(counted, 4).GroupFits());
    EXPECT_FALSE(TScnCursor(counted, 5).GroupFits());
    EXPECT_FALSE(TScnCursor(counted, 4).CharsFit(3));

    TDCPDataBloc unmarked = Block("AAAAAAAA", 8);
    EXPECT_TRUE(TScnCursor(unmarked, 4).GroupFits());
    EXPECT_FALSE(TScnCursor(unmarked, 6).GroupFits());
}

TEST(ScnYear, ClosestOfFiveCandidates) {
    EXPECT_EQ(ChooseScenarioYear(5, 2006), 2005);
    EXPECT_EQ(ChooseScenarioYear(5, 2016), 2025);
    EXPECT_EQ(ChooseScenarioYear(5, 2015), 2005);  // a tie keeps the smaller candidate
    EXPECT_EQ(ChooseScenarioYear(5, 1984), 1985);
    EXPECT_EQ(ChooseScenarioYear(19, 2000), 1999);
}

TEST(ScnLayouts, TableOrderAndInstrumentTypes) {
    const TDCP_to_K7 converter;
    std::vector<int> codes;
    for (const auto& layout : converter.Layouts()) codes.push_back(layout->Code);
    EXPECT_THAT(codes, ElementsAre(38, 37, 17, 60, 60, 62, 63, 34, 40, 40, 43, 46, 45));
    for (uint8_t type : {0xA0, 0xB9, 0xBB}) {
        EXPECT_EQ(converter.FindLayout(60, type)->Length, 104);
        EXPECT_EQ(converter.FindLayout(40, type)->Length, 40);
    }
    EXPECT_EQ(converter.FindLayout(60, 0x12)->Length, 86);
    EXPECT_EQ(converter.FindLayout(40, 0xA1)->Length, 46);
    EXPECT_EQ(converter.FindLayout(39, 0xA0), nullptr);
}

// ---- Conversion -----------------------------------------------------------------

// A scenario filling every field of the layout, and the event it must give.
ScnSpec SpecFor(const TDCP_Scn& layout) {
    ScnSpec wanted{.marker = static_cast<char>(layout.Code), .endMarker = std::nullopt};
    for (const TDCP_ScnDesc& run : layout.Runs) {
        switch (run.Kind) {
            case kScnSmallByte: wanted.extraChar = SixBit(7); break;
            case kScnRawByte: wanted.extraChar = 'A'; break;
            case kScnZeroTime: wanted.withTime = false; break;
            case kScnWord: wanted.words = Words(run.Count); break;
            case kScnByteValue:
                for (int i = 0; i < run.Count; ++i) wanted.byteValues.push_back(static_cast<uint8_t>(0x7E + i));
                break;
            case kScnEndMarker: wanted.endMarker = 0xFE; break;
            default: break;
        }
    }
    return wanted;
}

std::string ExpectedHex(const TDCP_Scn& layout, const ScnSpec& wanted) {
    std::vector<uint8_t> e(static_cast<size_t>(layout.Length), 0xFF);
    e[4] = 0x05, e[5] = 0x03, e[6] = 0x07;
    if (wanted.extraChar) e[3] = layout.Code == 17 ? 'A' : 7;
    e[7] = wanted.withTime ? 0x11 : 0, e[8] = wanted.withTime ? 0x22 : 0, e[9] = wanted.withTime ? 0x33 : 0;
    size_t at = 10;
    for (uint16_t w : wanted.words) {
        if (at + 1 < e.size()) e[at] = static_cast<uint8_t>(w >> 8), e[at + 1] = static_cast<uint8_t>(w);
        at += 2;
    }
    for (uint8_t b : wanted.byteValues) {
        e[at] = b >= 128 ? 0xFF : 0, e[at + 1] = b >= 128 ? 0xFC : b;
        at += 2;
    }
    e[0] = layout.K7Type, e[1] = static_cast<uint8_t>(layout.Length);
    e[e.size() - 2] = 0xFE, e[e.size() - 1] = static_cast<uint8_t>(layout.Length);
    return BytesToHex(e.data(), e.size());
}

class Conversion : public DecodeFixture {
protected:
    TDCPDataBloc& DecodedScn(const ScnSpec& wanted, TDateTime date = At(2005, 3, 7, 12), const HeadSpec& head = {}) {
        return Decoded(EncodeBody(head, {EncodeScenario(wanted)}), date);
    }
};

TEST_F(Conversion, EveryLayoutGivesItsEvent) {
    for (uint8_t type : {0xA0, 0x12}) {
        for (const auto& layout : converter_.Layouts()) {
            if (converter_.FindLayout(layout->Code, type) != layout.get()) continue;
            const ScnSpec wanted = SpecFor(*layout);
            TDCPDataBloc& block = DecodedScn(wanted, At(2005, 3, 7, 12), {.type = type});
            SCOPED_TRACE(testing::Message() << "type " << int(type) << " marker " << int(layout->Code));
            EXPECT_THAT(Codes(block), IsEmpty());
            ASSERT_EQ(block.Events.size(), 1u);
            EXPECT_EQ(block.Events[0]->Evt(), ExpectedHex(*layout, wanted));
            EXPECT_EQ(block.ByteStatus[17], kByteValid);
        }
    }
}

TEST_F(Conversion, Marker63ReadsThirtyFiveCharacters) {
    TDCPDataBloc& block = DecodedScn({.words = Words(9)});
    const std::vector<uint8_t> s(block.ByteStatus.begin() + 17, block.ByteStatus.begin() + 17 + 36);
    const std::vector<uint8_t> expected{1,                                               // marker
                                        7, 7, 7, 7, 7, 7, 7,                             // date, time
                                        8, 8, 8, 8, 9, 9, 9, 9, 8, 8, 8, 8, 9, 9, 9, 9,  // nine words
                                        8, 8, 8, 8, 9, 9, 9, 9,                          //
                                        10, 10, 0, 0};  // end marker and the padding of its group
    EXPECT_EQ(s, expected);
    EXPECT_EQ(block.DataEnd, 17 + 36);
}

TEST_F(Conversion, ByteValuesAboveOneHundredAndTwentySevenBecomeFFFC) {
    ScnSpec wanted{.marker = 40, .withTime = false, .byteValues = {0x7F, 0x80, 0xFF, 0x00}, .endMarker = {}};
    wanted.byteValues.resize(16, 0x01);
    TDCPDataBloc& block = DecodedScn(wanted, At(2005, 3, 7, 12), {.type = 0x12});
    ASSERT_EQ(block.Events.size(), 1u);
    EXPECT_EQ(block.Events[0]->Evt().substr(20, 16), "007FFFFCFFFC0000");
}

TEST_F(Conversion, ImprobableDates) {
    // Noon of 7 March: five days ahead pass (4.5 + 0.5), six do not; fifteen days back
    // pass, sixteen do not.
    EXPECT_EQ(DecodedScn({.day = 12, .words = Words(9)}).Events.size(), 1u);
    TDCPDataBloc& future = DecodedScn({.day = 13, .words = Words(9)});
    ASSERT_THAT(Codes(future), ElementsAre(kErrScnImprobableDate));
    EXPECT_EQ(ErrorText(future.Errors[0]), "Le scénario possède une date improbable (13/03/2005)");
    EXPECT_TRUE(future.Events.empty());
    EXPECT_EQ(DecodedScn({.month = 2, .day = 20, .words = Words(9)}).Events.size(), 1u);
    EXPECT_THAT(Codes(DecodedScn({.month = 2, .day = 19, .words = Words(9)})), ElementsAre(kErrScnImprobableDate));

    Settings().ImprobableDateDecod = true;
    EXPECT_EQ(DecodedScn({.day = 13, .words = Words(9)}).Events.size(), 1u);
}

TEST_F(Conversion, NoDateIsImprobableForADatelessBlock) {
    beacon_->AssoList.push_back(std::make_unique<TDCPAsso>());
    beacon_->AssoList.back()->InstrumentNumber = kInstrument;
    TDCPDataBloc& block = DecodedScn({.month = 9, .words = Words(9)}, 0.0);
    EXPECT_THAT(Codes(block), IsEmpty());
    ASSERT_EQ(block.Events.size(), 1u);
    EXPECT_EQ(DecodeDate(block.Events[0]->Date).year, 2005);  // the clock's year
    EXPECT_EQ(K7(At(2005, 9, 7))->Events().size(), 1u);
}

TEST_F(Conversion, YearComesFromTheBlockDate) {
    beacon_->AssoList[0]->EndDate = At(2020, 1, 1);
    Settings().ImprobableDateDecod = true;
    TDCPDataBloc& block = DecodedScn({.words = Words(9)}, At(2016, 3, 7, 12));
    ASSERT_EQ(block.Events.size(), 1u);
    EXPECT_EQ(DecodeDate(block.Events[0]->Date).year, 2025);
}

TEST_F(Conversion, WrongDateIsRejected) {
    TDCPDataBloc& block = DecodedScn({.month = 2, .day = 30, .words = Words(9)});
    ASSERT_THAT(Codes(block), ElementsAre(kErrScnBadDate));
    EXPECT_EQ(block.Errors[0].S1, "Q");
    EXPECT_EQ(block.ByteStatus[18], kByteMalformed);
    EXPECT_TRUE(block.Events.empty());
}

class Continuation : public DecodeFixture {
protected:
    // A scenario of code 63 cut after its first word group; the rest opens the next message.
    void Split(int firstCyclic, int nextCyclic) {
        const std::string scn = EncodeScenario({.words = Words(9)});
        AddBlock(EncodeBody({.cyclic = firstCyclic}, {scn.substr(0, 12)}), At(2005, 3, 7, 12));
        AddBlock(EncodeBody({.cyclic = nextCyclic}, {scn.substr(12)}), At(2005, 3, 7, 12, 1));
        beacon_->DecodeAll();
    }
    TDCPDataBloc& First() { return *beacon_->Blocks[0]; }
    TDCPDataBloc& Second() { return *beacon_->Blocks[1]; }
};

TEST_F(Continuation, AfterCyclicNumber63ComesZero) {
    Split(63, 0);
    EXPECT_THAT(Codes(First()), IsEmpty());
    ASSERT_EQ(First().Events.size(), 1u);
    EXPECT_EQ(First().Events[0]->Evt(), "DF1EFFFF050307112233010001010102010301040105010601070108FE1E");
    EXPECT_EQ(Second().ByteStatus[17], kByteLaterWords);
    EXPECT_TRUE(Second().Events.empty());
    EXPECT_EQ(Second().IgnoredBytes, 2);
}

TEST_F(Continuation, WithoutTheNextCyclicNumberTheScenarioIsIncomplete) {
    Split(63, 1);
    ASSERT_THAT(Codes(First()), ElementsAre(kErrScnIncomplete));
    EXPECT_EQ(First().Errors[0].S1, "Q");
    EXPECT_TRUE(First().Events.empty());
    EXPECT_EQ(Second().ByteStatus[17], kByteNotExamined);
}

TEST_F(Continuation, IncompleteScenariosAreKeptOnRequest) {
    Settings().DecodBadJump = true;
    Split(4, 6);
    EXPECT_THAT(Codes(First()), IsEmpty());
    ASSERT_EQ(First().Events.size(), 1u);
    EXPECT_EQ(First().Events[0]->Evt(), "DF1EFFFF0503071122330100" + std::string(32, 'F') + "FE1E");
}

TEST_F(Conversion, ReadingStopsAtTheEndOfTheBody) {
    // No end marker: DataEnd is the body length and the last group lacks two characters.
    Settings().DecodBadJump = true;
    const std::string scn = EncodeScenario({.words = Words(9)});
    TDCPDataBloc& block = Decoded(EncodeHead({}) + scn.substr(0, 22), At(2005, 3, 7, 12));
    EXPECT_THAT(Codes(block), ElementsAre(kErrBadMessageEnd));
    ASSERT_EQ(block.Events.size(), 1u);
    // Words 1 to 4 fit; the fifth needs the cut group.
    EXPECT_EQ(block.Events[0]->Evt().substr(20, 36), "0100010101020103" + std::string(20, 'F'));
}

TEST_F(Conversion, BadEndMarker) {
    const ScnSpec wanted{.words = Words(9), .endMarker = 0xFD};
    TDCPDataBloc& dropped = DecodedScn(wanted);
    ASSERT_THAT(Codes(dropped), ElementsAre(kErrScnBadEndMarker));
    EXPECT_EQ(ErrorText(dropped.Errors[0]),
              "Le scénario 07/03/2005 11:22:33 : Scénario court possède un mauvais marqueur de fin");
    EXPECT_TRUE(dropped.Events.empty());
    EXPECT_TRUE(K7(At(2005, 3, 7))->Events().empty());
    EXPECT_EQ(dropped.ByteStatus[17 + 32], kByteMalformed);
    EXPECT_EQ(dropped.ByteStatus[17 + 33], kByteMalformed);

    Settings().DecodBadFE = true;
    TDCPDataBloc& kept = DecodedScn(wanted);
    EXPECT_THAT(Codes(kept), ElementsAre(kErrScnBadEndMarker));
    EXPECT_EQ(kept.Events.size(), 1u);
    EXPECT_EQ(K7(At(2005, 3, 7))->Events().size(), 1u);
}

TEST_F(Conversion, DuplicateIsListedUnderTheBlock) {
    TDCPDataBloc& first = DecodedScn({.words = Words(9)});
    TDCPDataBloc& again = DecodedScn({.words = Words(9)}, At(2005, 3, 7, 13));
    ASSERT_EQ(again.Events.size(), 1u);
    EXPECT_EQ(again.Events[0], first.Events.at(0));
    EXPECT_EQ(K7(At(2005, 3, 7))->Events().size(), 1u);
}

TEST_F(Conversion, EventIsFiledUnderItsOwnDay) {
    TDCPDataBloc& block = DecodedScn({.hour = 23, .minute = 50, .second = 0, .words = Words(9)}, At(2005, 3, 8, 0, 30));
    ASSERT_EQ(block.Events.size(), 1u);
    ASSERT_EQ(K7(At(2005, 3, 7))->Events().size(), 1u);
    EXPECT_EQ(K7(At(2005, 3, 7))->Events()[0].get(), block.Events[0]);
    EXPECT_TRUE(K7(At(2005, 3, 8))->Events().empty());
}

TEST_F(Conversion, UnknownMarkerOnlyMarksItsByte) {
    const std::string body = EncodeBody({}, {std::string(1, '\x27')});
    TDCPDataBloc& block = Decoded(body);
    EXPECT_THAT(Codes(block), IsEmpty());
    EXPECT_EQ(block.ByteStatus[17], kByteUnknown);
}

}  // namespace
}  // namespace skylog::test
