// Conversion of beacon scenarios into K7 events.

#include <random>
#include <tuple>

#include "tests/decode/DecodeFixture.h"

namespace skylog::test {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

class ScnCursorTest : public ::testing::Test {
protected:
    static TDCPDataBloc Block(std::string_view body, int32_t dataEnd) {
        TDCPDataBloc block(nullptr);
        block.AddBody(body);
        block.DataEnd = dataEnd;
        block.ByteStatus.assign(20, 0);
        return block;
    }
    // A body of up to maxExtra + 10 characters, mostly 6-bit ones, with a random data
    // end, body length and number of byte classes (all of the given class).
    static TDCPDataBloc RandomBlock(std::mt19937& random, unsigned maxExtra, uint8_t byteClass) {
        std::string body(10 + random() % maxExtra, '@');
        for (char& c : body) c = static_cast<char>(random() % 16 == 0 ? random() % 256 : 0x40 + random() % 64);
        TDCPDataBloc block = Block(body, static_cast<int32_t>(random() % (body.size() + 3)));
        block.BodyLength = static_cast<int32_t>(body.size() - random() % 4);
        const size_t classes = random() % 3 == 0 ? random() % body.size() : body.size();
        block.ByteStatus.assign(classes, byteClass);
        return block;
    }
};

// Triples of words at once (ReadWordTriples, and ReadThreeWords one at a time) read,
// mark and leave the cursor as ReadWord calls do, up to the count asked for, and refuse
// (changing nothing) where those calls would not all start a cycle and fit: from any
// start (past a word or a byte, before the body), whatever the length of the classes.
TEST_F(ScnCursorTest, TriplesAtOnceEqualReadWordCalls) {
    const auto put = [](std::vector<uint8_t>& out, int32_t triple, size_t k, uint16_t word) {
        out[static_cast<size_t>(6 * triple) + 2 * k] = static_cast<uint8_t>(word >> 8);
        out[static_cast<size_t>(6 * triple) + 2 * k + 1] = static_cast<uint8_t>(word & 0xFF);
    };
    const auto fits = [](const TScnCursor& cursor) {
        return cursor.Phase == 0 && cursor.Position >= 0 && cursor.GroupFits() &&
               TScnCursor(*cursor.Block, cursor.Position + 4).GroupFits();
    };
    std::mt19937 random(21);
    for (int trial = 0; trial < 8000; ++trial) {
        TDCPDataBloc a = RandomBlock(random, trial % 2 == 0 ? 30 : 90, trial % 4 < 2 ? kByteNotExamined : kByteUnknown);
        TScnCursor bulk(a, static_cast<int32_t>(random() % a.Body.size()) - (random() % 8 == 0 ? 3 : 0));
        for (unsigned k = random() % 3; k > 0 && bulk.Position >= 0 && bulk.GroupFits(); --k) {
            bool kept = false;
            if (random() % 2 == 0) (void)bulk.ReadWord();
            else (void)bulk.ReadByte(kept);
        }
        const auto wanted = static_cast<int32_t>(random() % 14) - 1;
        TDCPDataBloc b = a, c = a;
        TScnCursor three = bulk, single = bulk;
        three.Block = &b;
        single.Block = &c;
        std::vector<uint8_t> outBulk(6 * 14 + 1, 0xAA), outThree(outBulk), outSingle(outBulk);

        const int32_t read = bulk.ReadWordTriples(outBulk.data(), wanted);
        int32_t readThree = 0;
        for (std::array<uint16_t, 3> words{}; readThree < wanted && three.ReadThreeWords(words); ++readThree)
            for (size_t k = 0; k < 3; ++k) put(outThree, readThree, k, words[k]);
        int32_t expected = 0;
        for (; expected < wanted && fits(single); ++expected)
            for (size_t k = 0; k < 3; ++k) put(outSingle, expected, k, single.ReadWord());

        ASSERT_EQ(read, expected) << trial;
        ASSERT_EQ(readThree, expected) << trial;
        const auto state = [](const TScnCursor& cursor, const std::vector<uint8_t>& out) {
            const auto& classes = cursor.Block->ByteStatus;
            return std::tuple{out, std::vector<uint8_t>(classes.begin(), classes.end()), cursor.Position, cursor.Phase,
                              cursor.ByteIndex, cursor.Kept};
        };
        EXPECT_EQ(state(bulk, outBulk), state(three, outThree)) << trial;
        EXPECT_EQ(state(bulk, outBulk), state(single, outSingle)) << trial;
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

class Conversion : public DecodeFixture {
protected:
    TDCPDataBloc& DecodedScn(const std::string& scenario, TDateTime date = At(2005, 3, 7, 12)) {
        return Decoded(Body({}, scenario), date);
    }
};

// Every layout of every instrument type, with random values, as the generator writes it:
// whole, and cut at every point the generator offers with the rest opening the next
// message, it gives the event the generator expects.
TEST_F(Conversion, GeneratedScenariosOfEveryLayoutGiveTheirEvent) {
    settings_.ImprobableDateDecod = true;
    gen::Rng rng(7);
    int cuts = 0;
    for (uint8_t type : {0x1A, 0x20, 0xA0, 0xB9, 0xBB}) {
        for (uint8_t marker : gen::ScenarioMarkers()) {
            const gen::ScenarioLayout& layout = *gen::FindLayout(marker, type);
            for (int trial = 0; trial < 3; ++trial) {
                const gen::ScenarioValues v = RandomValues(rng, layout);
                const std::string expected = gen::EventHex(gen::EventBytesFromValues(layout, v));
                const gen::EncodedScenario encoded = gen::EncodeScenario(layout, v);
                std::vector<size_t> ends = encoded.cutPoints;
                ends.push_back(encoded.text.size());
                for (size_t cut : ends) {
                    SCOPED_TRACE(testing::Message() << "type " << int(type) << " marker " << int(marker) << " cut " << cut);
                    beacon_ = NewBeacon();
                    AddBlock(Body({.cyclicNumber = 5, .instrumentCode = type}, encoded.text.substr(0, cut)), At(2005, 3, 7, 12));
                    AddBlock(Body({.cyclicNumber = 6, .instrumentCode = type}, encoded.text.substr(cut)), At(2005, 3, 7, 13));
                    beacon_->DecodeAll();
                    const TDCPDataBloc& block = *beacon_->Blocks()[0];
                    EXPECT_THAT(Codes(block), IsEmpty());
                    ASSERT_EQ(block.Events.size(), 1u);
                    ASSERT_EQ(block.Events[0]->Evt(), expected);
                    EXPECT_EQ(block.ByteStatus[17], kByteValid);
                    cuts += cut < encoded.text.size();
                }
            }
        }
    }
    EXPECT_GT(cuts, 1000);
}

// Classes of a scenario of code 63: marker, date and time, nine words, end marker and
// the padding of its group.
TEST_F(Conversion, Marker63ReadsThirtyFiveCharacters) {
    TDCPDataBloc& block = DecodedScn(Scenario());
    EXPECT_EQ(Classes(block, 17, 17 + 36), "vtttttttffffllllffffllllffffllllbb..");
    EXPECT_EQ(block.DataEnd, 17 + 36);
}

// Noon of 7 March: five days ahead pass (4.5 + 0.5), six do not; fifteen days back pass,
// sixteen do not, unless improbable dates are decoded. An undated block takes the clock's
// year and no date of it is improbable; a dated one the year nearest its own.
TEST_F(Conversion, ScenarioDates) {
    AddAsso(*beacon_);
    beacon_->AssoList[0]->EndDate = At(2020, 1, 1);
    const TDateTime noon = At(2005, 3, 7, 12);
    const struct {
        int month, day;
        TDateTime block;
        bool improbableDecoded;
        std::vector<int32_t> codes;
        int year;  // of the event; 0: none
    } cases[] = {
        {3, 12, noon, false, {}, 2005}, {3, 13, noon, false, {kErrScnImprobableDate}, 0},
        {2, 20, noon, false, {}, 2005}, {2, 19, noon, false, {kErrScnImprobableDate}, 0},
        {3, 13, noon, true, {}, 2005},  {9, 7, 0.0, false, {}, 2005},
        {3, 7, At(2016, 3, 7, 12), true, {}, 2025}, {2, 30, noon, false, {kErrScnBadDate}, 0},
    };
    for (const auto& c : cases) {
        settings_.ImprobableDateDecod = c.improbableDecoded;
        TDCPDataBloc& block = DecodedScn(Scenario(c.month, c.day), c.block);
        EXPECT_EQ(Codes(block), c.codes) << c.month << "/" << c.day;
        EXPECT_EQ(block.Events.empty() ? 0 : DecodeDate(block.Events[0]->Date).year, c.year) << c.month << "/" << c.day;
    }
    EXPECT_EQ(ErrorText(beacon_->Blocks()[1]->Errors.at(0)), "Le scénario possède une date improbable (13/03/2005)");
    EXPECT_EQ(K7(At(2005, 9, 7))->Events().size(), 1u);
    const TDCPDataBloc& badDate = *beacon_->Blocks().back();
    EXPECT_EQ(badDate.Errors.at(0).S1, "Q");
    EXPECT_EQ(badDate.ByteStatus[18], kByteMalformed);
}

// A scenario of code 63 cut after its first word group, the rest opening the next
// message: read on there only when that message carries the next cyclic number (after
// 63 comes 0), unless incomplete scenarios are kept on request.
TEST_F(Conversion, ScenarioRunningIntoTheNextMessage) {
    struct Case {
        int first, next;
        bool keepIncomplete;
        std::vector<int32_t> codes;
        std::string evt;  // empty: none
        char nextClass;  // of the byte after the next message's head
        int32_t nextIgnored;  // -1: not looked at
    };
    const std::vector<Case> cases = {
        {63, 0, false, {}, "DF1EFFFF050307112233010001010102010301040105010601070108FE1E", 'l', 2},
        {63, 1, false, {kErrScnIncomplete}, "", '.', -1},
        {4, 6, true, {}, "DF1EFFFF0503071122330100" + std::string(32, 'F') + "FE1E", '.', -1},
    };
    const std::string scn = Scenario();
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.first << " then " << c.next);
        beacon_ = NewBeacon();
        settings_.DecodBadJump = c.keepIncomplete;
        AddBlock(Body({.cyclicNumber = c.first}, scn.substr(0, 12)), At(2005, 3, 7, 12));
        AddBlock(Body({.cyclicNumber = c.next}, scn.substr(12)), At(2005, 3, 7, 12, 1));
        beacon_->DecodeAll();
        const TDCPDataBloc& first = *beacon_->Blocks()[0];
        const TDCPDataBloc& second = *beacon_->Blocks()[1];
        EXPECT_EQ(Codes(first), c.codes);
        EXPECT_TRUE(c.codes.empty() || first.Errors[0].S1 == "Q");
        EXPECT_EQ(first.Events.empty() ? "" : first.Events[0]->Evt(), c.evt);
        EXPECT_EQ(Classes(second, 17, 18), std::string(1, c.nextClass));
        EXPECT_TRUE(second.Events.empty());
        EXPECT_TRUE(c.nextIgnored < 0 || second.IgnoredBytes == c.nextIgnored) << second.IgnoredBytes;
    }
}

TEST_F(Conversion, ReadingStopsAtTheEndOfTheBody) {
    // No end marker: DataEnd is the body length and the last group lacks two characters.
    settings_.DecodBadJump = true;
    TDCPDataBloc& block = Decoded(gen::EncodeHead(Head()) + Scenario().substr(0, 22), At(2005, 3, 7, 12));
    EXPECT_THAT(Codes(block), ElementsAre(kErrBadMessageEnd));
    ASSERT_EQ(block.Events.size(), 1u);
    // Words 1 to 4 fit; the fifth needs the cut group.
    EXPECT_EQ(block.Events[0]->Evt().substr(20, 36), "0100010101020103" + std::string(20, 'F'));
}

TEST_F(Conversion, BadEndMarker) {
    const std::string wanted = Scenario(3, 7, 11, 0xFD);
    TDCPDataBloc& dropped = DecodedScn(wanted);
    ASSERT_THAT(Codes(dropped), ElementsAre(kErrScnBadEndMarker));
    EXPECT_EQ(ErrorText(dropped.Errors[0]),
              "Le scénario 07/03/2005 11:22:33 : Scénario court possède un mauvais marqueur de fin");
    EXPECT_TRUE(dropped.Events.empty());
    EXPECT_TRUE(K7(At(2005, 3, 7))->Events().empty());
    EXPECT_EQ(Classes(dropped, 17 + 32, 17 + 34), "mm");

    settings_.DecodBadFE = true;
    TDCPDataBloc& kept = DecodedScn(wanted);
    EXPECT_THAT(Codes(kept), ElementsAre(kErrScnBadEndMarker));
    EXPECT_EQ(kept.Events.size(), 1u);
    EXPECT_EQ(K7(At(2005, 3, 7))->Events().size(), 1u);
}

// An event is filed under its own day; the same scenario again (decoding in date order
// lists it under every block that carries it) gives one event in the K7 file.
TEST_F(Conversion, EventIsFiledOnceUnderItsOwnDay) {
    TDCPDataBloc& first = DecodedScn(Scenario(3, 7, 23), At(2005, 3, 8, 0, 30));
    TDCPDataBloc& again = DecodedScn(Scenario(3, 7, 23), At(2005, 3, 8, 1));
    ASSERT_EQ(again.Events.size(), 1u);
    EXPECT_EQ(again.Events[0], first.Events.at(0));
    ASSERT_EQ(K7(At(2005, 3, 7))->Events().size(), 1u);
    EXPECT_EQ(K7(At(2005, 3, 7))->Events()[0].get(), first.Events[0]);
    EXPECT_TRUE(K7(At(2005, 3, 8))->Events().empty());
}

}  // namespace
}  // namespace skylog::test
