#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <csignal>
#include <map>
#include <random>

#include "Common/FileUtil.h"
#include "Common/MessageBoxes.h"
#include "Common/UUtils.h"
#include "k7/K7Format.h"
#include "k7/UK7File.h"
#include "tests/k7/K7TestSupport.h"
#include "tests/support/TempDir.h"

namespace skylog {
namespace {

using test::EventBytes;
using test::Framed;

std::string Header(uint8_t code = 0x1A) {
    std::string header(k7format::kHeaderSize, '\0');
    header[0] = static_cast<char>(code);
    return header;
}

void PutDate(std::string& header, size_t offset, std::array<uint8_t, 6> bytes) {
    for (size_t i = 0; i < bytes.size(); ++i) header[offset + i] = static_cast<char>(bytes[i]);
}

std::unique_ptr<TK7File> Parsed(const std::string& bytes) {
    auto file = std::make_unique<TK7File>();
    file->Parse(bytes);
    return file;
}

std::string Rebuilt(TK7File& file) {
    EXPECT_TRUE(file.BuildBuffer());
    return file.Buffer();
}

std::unique_ptr<TEvenement> NewEvent(TK7File& file, const std::string& bytes) {
    auto event = std::make_unique<TEvenement>(&file);
    event->SetEvt(Framed(bytes));
    return event;
}

TEST(K7Header, HeaderOnlyFile) {
    auto file = Parsed(Header());
    EXPECT_EQ(file->ParamBloc().size(), 512u);
    EXPECT_EQ(file->ParamBloc().substr(0, 4), "1A00");
    EXPECT_TRUE(file->Events().empty());
    EXPECT_EQ(file->InstrumentCode(), 0x1A);
    EXPECT_EQ(file->InstruIdent(), "SP1A0000");
    EXPECT_EQ(Rebuilt(*file), Header());
}

TEST(K7Header, ShortFileHasNoHeader) {
    TK7File file;
    EXPECT_FALSE(file.Parse(std::string(255, '\0')));
    EXPECT_TRUE(file.ParamBloc().empty());
    EXPECT_TRUE(file.Events().empty());
    EXPECT_FALSE(file.BuildBuffer());
}

TEST(K7Header, DatesReadAndWritten) {
    std::string header = Header();
    PutDate(header, k7format::kHeaderDate1Offset, {105, 3, 7, 12, 30, 45});
    PutDate(header, k7format::kHeaderDate2Offset, {105, 3, 8, 1, 2, 3});
    auto file = Parsed(header);
    EXPECT_TRUE(file->SecondsValid);
    EXPECT_EQ(file->HeaderDate1, *EncodeDateTime(2005, 3, 7, 12, 30, 45));
    EXPECT_EQ(file->HeaderDate2, *EncodeDateTime(2005, 3, 8, 1, 2, 3));
    EXPECT_EQ(Rebuilt(*file), header);

    // Dates set in memory win over the parameter block.
    file->HeaderDate1 = *EncodeDateTime(2006, 1, 2, 3, 4, 5);
    const std::string rebuilt = Rebuilt(*file);
    EXPECT_EQ(rebuilt.substr(k7format::kHeaderDate1Offset, 6), std::string("\x6A\x01\x02\x03\x04\x05", 6));
}

TEST(K7Header, MonthThirteenMeansNoDate) {
    std::string header = Header();
    PutDate(header, k7format::kHeaderDate1Offset, {105, 13, 7, 12, 30, 45});
    auto file = Parsed(header);
    EXPECT_EQ(file->HeaderDate1, 0);
    // Written back from the parameter block, unchanged.
    EXPECT_EQ(Rebuilt(*file), header);
}

TEST(K7Header, UnencodableDatesGiveZero) {
    std::string header = Header();
    PutDate(header, k7format::kHeaderDate1Offset, {105, 2, 31, 12, 30, 0});
    PutDate(header, k7format::kHeaderDate2Offset, {105, 2, 1, 12, 30, 60});
    auto file = Parsed(header);
    EXPECT_EQ(file->HeaderDate1, 0);
    EXPECT_EQ(file->HeaderDate2, 0);
    EXPECT_EQ(Rebuilt(*file), header);
}

TEST(K7Header, SecondsNotGiven) {
    std::string header = Header();
    PutDate(header, k7format::kHeaderDate1Offset, {105, 3, 7, 12, 30, 0xFF});
    auto file = Parsed(header);
    EXPECT_FALSE(file->SecondsValid);
    EXPECT_EQ(file->HeaderDate1, *EncodeDateTime(2005, 3, 7, 12, 30, 0));
    EXPECT_EQ(static_cast<uint8_t>(Rebuilt(*file)[149]), 0xFF);

    header[149] = 60;  // any value above 59 reads as "not given" and is written as 0xFF
    auto sixty = Parsed(header);
    EXPECT_FALSE(sixty->SecondsValid);
    EXPECT_EQ(static_cast<uint8_t>(Rebuilt(*sixty)[149]), 0xFF);
}

TEST(K7Header, IdentificationString) {
    std::string header = Header(0xA0);
    header.replace(k7format::kIdentOffset, 8, "SPA00001");
    EXPECT_EQ(Parsed(header)->InstruIdent(), "SPA00001");
    header.replace(k7format::kIdentOffset, 8, "XPA00001");
    EXPECT_EQ(Parsed(header)->InstruIdent(), "SPA00000");
}

TEST(K7Header, ParamBlocWithPrefix) {
    TK7File file;
    file.SetParamBloc("S0123456789A0" + std::string(10, '0'));
    EXPECT_EQ(file.ParamBloc(), "A0" + std::string(10, '0'));
    EXPECT_EQ(file.InstrumentCode(), 0xA0);
    file.SetParamBloc("S0123456789");  // 11 characters: kept as it is
    EXPECT_EQ(file.ParamBloc(), "S0123456789");
    file.SetParamBloc("S0123456789B");  // 12 characters: one left
    EXPECT_EQ(file.ParamBloc(), "B");
    file.SetParamBloc("a0");
    EXPECT_EQ(file.InstrumentCode(), 0xA0);
}

TEST(K7Header, NewFileForCode1A) {
    TK7File file;
    file.SetParamBloc("1A" + std::string(252, '0'));
    EXPECT_EQ(file.InstruIdent(), "SP1A0000");
    file.AppendEvent(NewEvent(file, EventBytes(0xDF, 30)));
    const std::string bytes = Rebuilt(file);
    ASSERT_EQ(bytes.size(), 256u + 30u);
    EXPECT_EQ(bytes.substr(0, 256), Header(0x1A));
    EXPECT_EQ(bytes.substr(256), EventBytes(0xDF, 30));
}

TEST(K7Events, TailOfFFBytes) {
    const std::string event = EventBytes(0xDF, 30);
    auto full = Parsed(Header() + event + std::string(255, '\xFF') + event);
    ASSERT_EQ(full->Events().size(), 2u);  // the 255-byte empty event is dropped
    auto shortTail = Parsed(Header() + event + std::string(100, '\xFF'));
    EXPECT_EQ(shortTail->Events().size(), 1u);
    EXPECT_EQ(Rebuilt(*shortTail), Header() + event);
}

TEST(K7Events, Resynchronisation) {
    const std::string event = EventBytes(0xDF, 30);
    // A length byte whose check byte is wrong is not an event: the scan moves on by
    // one byte and finds the event that follows. The zero tail keeps every false
    // length within the file, so that none of them ends the scan.
    const std::string broken = std::string("\x00\x00\x07\xDE\x20", 5) + std::string(8, '\0');
    auto file = Parsed(Header() + broken + event + std::string(250, '\0'));
    ASSERT_EQ(file->Events().size(), 1u);
    EXPECT_EQ(file->Events()[0]->EvtType, 0xDF);

    // A length running past the end of the file ends the scan.
    auto cut = Parsed(Header() + std::string("\x00\x00", 2) + event);
    EXPECT_EQ(cut->Events().size(), 0u);
    // A truncated last event ends the scan.
    auto truncated = Parsed(Header() + event + event.substr(0, 20));
    EXPECT_EQ(truncated->Events().size(), 1u);
}

TEST(K7Events, DamagedEventsAreKeptButNotDecoded) {
    std::string noMarker = EventBytes(0xDF, 30);
    noMarker[28] = 0x00;
    auto file = Parsed(Header() + noMarker);
    ASSERT_EQ(file->Events().size(), 1u);
    EXPECT_EQ(file->Events()[0]->ErrorCode, kEvtBadEndMarker);
    EXPECT_EQ(file->NbEvt(), 0);
    EXPECT_EQ(file->DataSize(), 60);
}

TEST(K7Events, RoundTripDropsEmptyAreas) {
    std::string header = Header(0xBB);
    PutDate(header, k7format::kHeaderDate1Offset, {105, 3, 7, 0, 0, 1});
    header.replace(200, 3, "xyz");  // parameter bytes are carried through
    const std::string a = EventBytes(0xDF, 30), b = EventBytes(0x80, 18, 'b'),
                      c = EventBytes(0xE2, 30, 0, {0x05, 0x03, 0x07, 0x23, 0x59, 0x59});
    auto file = Parsed(header + a + std::string("\xFF\x03\x03", 3) + b + c + std::string(255, '\xFF'));
    ASSERT_EQ(file->Events().size(), 3u);
    EXPECT_EQ(file->NbEvt(), 3);
    EXPECT_EQ(file->DataSize(), 2 * (30 + 18 + 30));
    EXPECT_EQ(Rebuilt(*file), header + a + b + c);
}

TEST(K7Events, InstrumentTypeBoundFromHostList) {
    InstrumentTypeList types;
    types.Types.push_back({"Photomètre solaire et lunaire", {"SPBB0000"}, {}});
    test::ScopedHost host(&types, nullptr);
    auto file = Parsed(Header(0xBB));
    EXPECT_EQ(file->InstrumentType(), &types.Types[0]);
    EXPECT_EQ(file->InstruName(), "Photomètre solaire et lunaire");
    EXPECT_FALSE(file->SetInstrumentType(nullptr));
    EXPECT_EQ(file->InstrumentType(), &types.Types[0]);
    EXPECT_EQ(Parsed(Header(0x1B))->InstruName(), "Inconnu (SP1B0000)");
}

class DuplicateTest : public ::testing::Test {
protected:
    TEvenement* Add(uint8_t second) {
        return file_.AppendEvent(NewEvent(file_, EventBytes(0xDF, 30, 0, {0x05, 0x03, 0x07, 0x12, 0x30, second})));
    }
    std::vector<TEvenement*> List() const {
        std::vector<TEvenement*> list;
        for (const auto& e : file_.Events()) list.push_back(e.get());
        return list;
    }
    TK7File file_;
};

TEST_F(DuplicateTest, NoPair) {
    Add(1);
    Add(2);
    EXPECT_FALSE(file_.RemoveDuplicate());
    EXPECT_EQ(file_.Events().size(), 2u);
}

TEST_F(DuplicateTest, AdjacentPairRemovesTheLaterAndAnswersFalse) {
    TEvenement* first = Add(1);
    TEvenement* second = Add(1);
    EXPECT_FALSE(file_.RemoveDuplicate());
    EXPECT_EQ(List(), std::vector<TEvenement*>{first});
    // The removed event is still alive for whoever refers to it.
    EXPECT_EQ(second->Evt(), first->Evt());
    EXPECT_FALSE(file_.RemoveDuplicate());
}

TEST_F(DuplicateTest, DistantPairAnswersTrue) {
    TEvenement* a = Add(1);
    TEvenement* b = Add(2);
    Add(1);
    EXPECT_TRUE(file_.RemoveDuplicate());
    EXPECT_EQ(List(), (std::vector<TEvenement*>{a, b}));
}

TEST_F(DuplicateTest, FirstPairInListOrder) {
    // a b b a: the first i with a later twin is a (position 0), its twin is at 3.
    TEvenement* a = Add(1);
    TEvenement* b = Add(2);
    TEvenement* b2 = Add(2);
    Add(1);
    EXPECT_TRUE(file_.RemoveDuplicate());
    EXPECT_EQ(List(), (std::vector<TEvenement*>{a, b, b2}));
    EXPECT_FALSE(file_.RemoveDuplicate());
    EXPECT_EQ(List(), (std::vector<TEvenement*>{a, b}));
    // Three of a kind: one removal per call, the earliest kept.
    TEvenement* c = Add(3);
    Add(3);
    Add(3);
    EXPECT_FALSE(file_.RemoveDuplicate());
    EXPECT_FALSE(file_.RemoveDuplicate());
    EXPECT_EQ(List(), (std::vector<TEvenement*>{a, b, c}));
}

TEST_F(DuplicateTest, UndecodedEventsAreNotCompared) {
    std::string damaged = EventBytes(0xDF, 30);
    damaged[28] = 0;
    file_.AppendEvent(NewEvent(file_, damaged));
    file_.AppendEvent(NewEvent(file_, damaged));
    EXPECT_FALSE(file_.RemoveDuplicate());
    EXPECT_EQ(file_.Events().size(), 2u);
    EXPECT_EQ(file_.FindDecodedEvent(file_.Events()[0]->Evt()), nullptr);
}

TEST_F(DuplicateTest, FindDecodedEventGivesTheFirst) {
    TEvenement* a = Add(1);
    Add(2);
    Add(1);
    EXPECT_EQ(file_.FindDecodedEvent(a->Evt()), a);
    EXPECT_EQ(file_.FindDecodedEvent("DF"), nullptr);
    EXPECT_TRUE(file_.RemoveDuplicate());
    EXPECT_EQ(file_.FindDecodedEvent(a->Evt()), a);
    file_.Clear();
    EXPECT_EQ(file_.FindDecodedEvent(a == nullptr ? "" : std::string(60, '0')), nullptr);
    EXPECT_FALSE(file_.RemoveDuplicate());
}

TEST_F(DuplicateTest, ManyEventsStayFast) {
    // Every append followed by a duplicate test, as the conversion does: must not
    // grow with the square of the count.
    for (int i = 0; i < 20000; ++i) {
        std::string bytes = EventBytes(0xDF, 30);
        test::PutWord(bytes, 10, static_cast<uint16_t>(i));
        file_.AppendEvent(NewEvent(file_, bytes));
        ASSERT_FALSE(file_.RemoveDuplicate());
        ASSERT_NE(file_.FindDecodedEvent(file_.Events().back()->Evt()), nullptr);
    }
    EXPECT_EQ(file_.NbEvt(), 20000);
}

TEST_F(DuplicateTest, TheFirstOfEachTextIsFoundThroughGrowth) {
    // Texts repeat at random while the index grows: each is found as its first event.
    std::map<uint16_t, TEvenement*> first;
    std::mt19937 random(9);
    for (int i = 0; i < 3000; ++i) {
        const auto value = static_cast<uint16_t>(random() % 400);
        std::string bytes = EventBytes(0xDF, 30);
        test::PutWord(bytes, 10, value);
        TEvenement* event = file_.AppendEvent(NewEvent(file_, bytes));
        first.try_emplace(value, event);
        ASSERT_EQ(file_.FindDecodedEvent(event->Evt()), first[value]) << i;
        ASSERT_EQ(file_.FindDecodedEventLike(*event), first[value]) << i;
    }
    for (const auto& [value, event] : first) EXPECT_EQ(file_.FindDecodedEvent(event->Evt()), event);
}

TEST(K7Files, MissingFileLeavesTheObjectEmpty) {
    test::TempDir dir;
    TK7File file(dir.File("absent.K7"));
    EXPECT_EQ(file.FileName, dir.File("absent.K7"));
    EXPECT_FALSE(file.HasBuffer());
    EXPECT_TRUE(file.ParamBloc().empty());
}

TEST(K7Files, UnreadableFileShowsTheWarning) {
    if (geteuid() == 0) GTEST_SKIP() << "permissions are not enforced for root";
    test::TempDir dir;
    const std::string path = dir.File("P001_20050307.K7");
    test::WriteText(path, Header());
    ASSERT_EQ(chmod(path.c_str(), 0), 0);
    RecordingMessageBoxes boxes;
    ScopedMessageBoxes scope(boxes);
    TK7File file(path);
    EXPECT_EQ(boxes.Warnings(), std::vector<std::string>{
        "Impossible d'ouvrir le fichier! Ce fichier est-il déjà utilisé par une autre application?"});
    EXPECT_FALSE(file.HasBuffer());
    EXPECT_EQ(file.FileName, path);
}

TEST(K7Files, SaveCreatesFoldersAndReadsBack) {
    test::TempDir dir;
    const std::string bytes = Header(0x20) + EventBytes(0xDF, 30);
    auto file = Parsed(bytes);
    EXPECT_FALSE(TK7File().SaveToFile(dir.File("x.K7")));  // nothing built
    const std::string path = dir.File("DataK7/2005_03_07/P045_20050307.K7");
    ASSERT_TRUE(file->BuildBuffer());
    EXPECT_TRUE(file->SaveToFile(path));
    EXPECT_EQ(file->FileName, path);
    EXPECT_EQ(test::ReadText(path), bytes);
    TK7File reread(path);
    EXPECT_EQ(reread.Events().size(), 1u);
}

TEST(K7Files, FolderThatCannotBeCreated) {
    test::TempDir dir;
    test::WriteText(dir.File("plain"), "x");
    auto file = Parsed(Header());
    ASSERT_TRUE(file->BuildBuffer());
    EXPECT_FALSE(file->SaveToFile(dir.File("plain/P001.K7")));
}

TEST(K7Files, FailedWriteKeepsThePreviousFile) {
    test::TempDir dir;
    const std::string path = dir.File("P001_20050307.K7");
    const std::string previous = Header() + EventBytes(0xDF, 30);
    test::WriteText(path, previous);
    TK7File file(path);
    for (int i = 0; i < 40; ++i) file.AppendEvent(NewEvent(file, EventBytes(0x85, 166, static_cast<uint8_t>(i))));
    ASSERT_TRUE(file.BuildBuffer());

    // A file size limit makes the write fail whoever runs the test.
    struct rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    struct rlimit limited = saved;
    limited.rlim_cur = 1024;
    auto* oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limited), 0);
    bool threw = false;
    try {
        (void)file.SaveToFile(path);
    } catch (const FileError&) {
        threw = true;
    }
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_TRUE(threw);
    EXPECT_EQ(test::ReadText(path), previous);
}

TEST(K7Files, WriteIntoReadOnlyFolderThrows) {
    if (geteuid() == 0) GTEST_SKIP() << "permissions are not enforced for root";
    test::TempDir dir;
    const std::string folder = dir.File("ro");
    ASSERT_TRUE(ForceDirectories(folder));
    const std::string path = folder + "/P001.K7";
    test::WriteText(path, Header());
    ASSERT_EQ(chmod(folder.c_str(), 0555), 0);
    auto file = Parsed(Header() + EventBytes(0xDF, 30));
    ASSERT_TRUE(file->BuildBuffer());
    EXPECT_THROW((void)file->SaveToFile(path), FileError);
    chmod(folder.c_str(), 0755);
    EXPECT_EQ(test::ReadText(path), Header());
}

// Events are indexed by what they hold: bytes for uppercase hex pairs, the text for
// anything else. Texts that differ (in case, say) stay different events.
class EventIndexTest : public ::testing::Test {
protected:
    EventIndexTest() { file_.SetParamBloc("1A" + std::string(252, '0')); }
    static std::string Hex(const std::string& bytes) {
        return BytesToHex(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
    }
    // "\x02" "1" + hex + ETB + the right checksum.
    static std::string FramedHex(const std::string& hex) {
        const std::string body = "\x02" "1" + hex + "\x17";
        return body + EventChecksum(body);
    }
    // The hex of the bytes in lowercase but for the end marker, so that it decodes.
    static std::string LowerHex(const std::string& bytes) {
        std::string hex = Hex(bytes);
        std::transform(hex.begin(), hex.end(), hex.begin(), [](char c) { return std::tolower(c); });
        hex.replace(2 * (bytes.size() - 2), 2, "FE");
        return hex;
    }
    TEvenement* AddText(const std::string& text) {
        auto event = std::make_unique<TEvenement>(&file_);
        event->SetEvt(text);
        return file_.AppendEvent(std::move(event));
    }
    TEvenement* AddBytes(const std::string& bytes) {
        auto event = std::make_unique<TEvenement>(&file_);
        event->SetFramedBytes(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
        return file_.AppendEvent(std::move(event));
    }
    std::vector<TEvenement*> List() const {
        std::vector<TEvenement*> list;
        for (const auto& e : file_.Events()) list.push_back(e.get());
        return list;
    }
    static std::string Stamped(uint8_t second) {
        return EventBytes(0xDF, 30, 0, {0x05, 0x03, 0x07, 0x12, 0x30, second});
    }
    TK7File file_;
};

TEST_F(EventIndexTest, LowercaseAndUppercaseTextsOfTheSameBytesAreDifferentEvents) {
    const std::string bytes = Stamped(1);
    const std::string upper = Hex(bytes), lower = LowerHex(bytes);
    TEvenement* lowerEvent = AddText(FramedHex(lower));
    ASSERT_TRUE(lowerEvent->Decoded);
    ASSERT_FALSE(lowerEvent->HoldsBytes());
    EXPECT_EQ(file_.FindDecodedEvent(lower), lowerEvent);
    EXPECT_EQ(file_.FindDecodedEvent(upper), nullptr);

    TEvenement* upperEvent = AddBytes(bytes);
    ASSERT_TRUE(upperEvent->HoldsBytes());
    EXPECT_EQ(file_.FindDecodedEvent(upper), upperEvent);
    EXPECT_EQ(file_.FindDecodedEvent(lower), lowerEvent);
    EXPECT_EQ(file_.FindDecodedEventLike(*upperEvent), upperEvent);
    EXPECT_EQ(file_.FindDecodedEventLike(*lowerEvent), lowerEvent);
    EXPECT_FALSE(file_.RemoveDuplicate());
    EXPECT_EQ(List(), (std::vector<TEvenement*>{lowerEvent, upperEvent}));

    // Two equal lowercase texts are a pair, as two equal uppercase ones are.
    TEvenement* other = AddBytes(Stamped(2));
    AddText(FramedHex(lower));
    EXPECT_TRUE(file_.RemoveDuplicate());
    EXPECT_EQ(List(), (std::vector<TEvenement*>{lowerEvent, upperEvent, other}));
    AddText("garbage" + Framed(bytes));  // uppercase through SetEvt: held as bytes, twin of upperEvent
    EXPECT_TRUE(file_.RemoveDuplicate());
    EXPECT_EQ(List(), (std::vector<TEvenement*>{lowerEvent, upperEvent, other}));
    EXPECT_FALSE(file_.RemoveDuplicate());
}

TEST_F(EventIndexTest, FindDecodedEventLikeAgreesWithFindDecodedEvent) {
    const std::string odd = Hex(Stamped(3)) + "7";
    std::string damaged = Stamped(4);
    damaged[28] = 0;
    // Read from a file: held as bytes.
    ASSERT_TRUE(file_.Parse(Header() + Stamped(1) + Stamped(2) + Stamped(1)));
    for (const auto& event : file_.Events()) EXPECT_TRUE(event->HoldsBytes());
    AddText(FramedHex(odd));
    AddText(FramedHex(LowerHex(Stamped(5))));
    AddBytes(damaged);

    TK7File elsewhere;
    std::vector<std::unique_ptr<TEvenement>> probes;
    auto probe = [&](const std::string& text) {
        probes.push_back(std::make_unique<TEvenement>(&elsewhere));
        probes.back()->SetEvt(text);
    };
    for (uint8_t second : {1, 2, 3, 5, 6}) probe(Framed(Stamped(second)));
    probe(FramedHex(odd));
    probe(FramedHex(LowerHex(Stamped(5))));
    probe(FramedHex(LowerHex(Stamped(1))));
    probe(FramedHex(Hex(Stamped(3)) + "8"));
    probe(Framed(damaged));
    for (const auto& p : probes) {
        SCOPED_TRACE(p->Evt());
        EXPECT_EQ(file_.FindDecodedEventLike(*p), file_.FindDecodedEvent(p->Evt()));
    }
    EXPECT_EQ(file_.FindDecodedEvent(Hex(Stamped(1))), file_.Events()[0].get());
    EXPECT_EQ(file_.FindDecodedEvent(Hex(Stamped(2))), file_.Events()[1].get());
    EXPECT_EQ(file_.FindDecodedEvent(odd), file_.Events()[3].get());
    EXPECT_EQ(file_.FindDecodedEvent(Hex(Stamped(6))), nullptr);
    EXPECT_EQ(file_.FindDecodedEvent(Hex(damaged)), nullptr);
}

// The one-look filing gives what looking first, then appending, gives: the same event
// found or appended and the same list, for byte, text, lowercase and undecoded events
// repeating at random while the index grows.
TEST_F(EventIndexTest, AppendUnlessLikeAgreesWithFindThenAppend) {
    TK7File twoSteps;
    twoSteps.SetParamBloc("1A" + std::string(252, '0'));
    std::mt19937 random(11);
    for (int i = 0; i < 2000; ++i) {
        std::string bytes = Stamped(static_cast<uint8_t>(random() % 40));
        const int form = static_cast<int>(random() % 4);
        if (form == 3) bytes[28] = 0;  // a bad end marker: not decoded
        auto make = [&](TK7File& owner) {
            auto event = std::make_unique<TEvenement>(&owner);
            if (form == 1) event->SetEvt(FramedHex(Hex(bytes)));
            else if (form == 2) event->SetEvt(FramedHex(LowerHex(bytes)));
            else event->SetFramedBytes(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
            return event;
        };
        const TK7File::Placed placed = file_.AppendEventUnlessLike(make(file_));
        auto event = make(twoSteps);
        TEvenement* expected = twoSteps.FindDecodedEventLike(*event);
        const bool appended = expected == nullptr;
        if (appended) expected = twoSteps.AppendEvent(std::move(event));
        ASSERT_EQ(placed.appended, appended) << i;
        ASSERT_EQ(file_.Events().size(), twoSteps.Events().size()) << i;
        const auto indexOf = [](const TK7File& file, const TEvenement* e) {
            for (size_t k = 0; k < file.Events().size(); ++k)
                if (file.Events()[k].get() == e) return k;
            return file.Events().size();
        };
        ASSERT_EQ(indexOf(file_, placed.event), indexOf(twoSteps, expected)) << i;
        ASSERT_LT(indexOf(file_, placed.event), file_.Events().size()) << i;
    }
    ASSERT_TRUE(file_.BuildBuffer());
    ASSERT_TRUE(twoSteps.BuildBuffer());
    EXPECT_EQ(file_.Buffer(), twoSteps.Buffer());
    EXPECT_EQ(file_.AppendEventUnlessLike(nullptr).event, nullptr);
}

TEST_F(EventIndexTest, BufferOfByteAndTextEventsAsHexConversionGave) {
    // Byte events, a decoded text event of odd length, a lowercase one, an undecoded
    // one holding its framed text, and another odd one.
    const std::string a = Stamped(1), b = EventBytes(0x80, 18, 'b'), c = Stamped(2);
    const std::string odd = Hex(b) + "7";
    std::string badSum = Framed(c);
    badSum.back() = badSum.back() == '0' ? '1' : '0';
    AddBytes(a);
    AddText(FramedHex(odd));
    AddBytes(c);
    AddText(FramedHex(LowerHex(a)));
    AddText(badSum);
    AddText(FramedHex(Hex(c) + "C"));
    AddBytes(b);
    ASSERT_TRUE(file_.Events()[1]->Decoded);
    ASSERT_FALSE(file_.Events()[1]->HoldsBytes());

    // Each Evt() text two characters at a time, a lone last character giving a 0 byte;
    // the whole cut at the header plus half the total text length.
    std::string expected;
    size_t textLength = 0;
    for (const auto& event : file_.Events()) {
        const std::string text = event->Evt();
        textLength += text.size();
        for (size_t k = 0; k < text.size(); k += 2) expected += static_cast<char>(HexToByte(text.substr(k, 2)));
    }
    ASSERT_EQ(textLength, 60u + 37u + 60u + 60u + badSum.size() + 61u + 36u);
    EXPECT_EQ(file_.DataSize(), static_cast<int32_t>(textLength));
    expected.resize(textLength / 2);
    const std::string buffer = Rebuilt(file_);
    ASSERT_EQ(buffer.size(), k7format::kHeaderSize + textLength / 2);
    EXPECT_EQ(buffer.substr(0, k7format::kHeaderSize), Header(0x1A));
    EXPECT_EQ(Hex(buffer.substr(k7format::kHeaderSize)), Hex(expected));
    // The lone character of the first odd event became a 0 byte ahead of c.
    EXPECT_EQ(buffer.substr(k7format::kHeaderSize + 30, 19), b + std::string(1, '\0'));
    EXPECT_EQ(buffer.substr(k7format::kHeaderSize + 49, 30), c);
}

// An event handed text without a frame keeps that text; when it is uppercase hex, its
// Evt() equals that of the decoded event holding those bytes.
TEST_F(EventIndexTest, FindDecodedEventLikeOfAnUnframedUppercaseText) {
    TEvenement* decoded = AddBytes(Stamped(1));
    TEvenement unframed(&file_);
    unframed.SetEvt(Hex(Stamped(1)));
    ASSERT_FALSE(unframed.Framed);
    ASSERT_EQ(unframed.Evt(), decoded->Evt());
    EXPECT_EQ(file_.FindDecodedEvent(unframed.Evt()), decoded);
    EXPECT_EQ(file_.FindDecodedEventLike(unframed), file_.FindDecodedEvent(unframed.Evt()));
}

}  // namespace
}  // namespace skylog
