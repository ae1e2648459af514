#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>
#include <map>
#include <random>

#include "Common/FileUtil.h"
#include "Common/UUtils.h"
#include "k7/K7Format.h"
#include "k7/UK7File.h"
#include "tests/k7/K7TestSupport.h"
#include "tests/support/TempDir.h"

namespace skylog {
namespace {

using test::EventBytes;
using test::EventOf;
using test::Framed;
using test::FramedHex;
using test::Hex;

std::string Header(uint8_t code = 0x1A) {
    std::string header(k7format::kHeaderSize, '\0');
    header[0] = static_cast<char>(code);
    return header;
}

void PutDate(std::string& header, size_t offset, std::array<uint8_t, 6> bytes) {
    for (size_t i = 0; i < bytes.size(); ++i) header[offset + i] = static_cast<char>(bytes[i]);
}

std::unique_ptr<TK7File> Parsed(const std::string& bytes, const THostData* host = nullptr) {
    auto file = std::make_unique<TK7File>(host);
    file->Parse(bytes);
    return file;
}

std::string Rebuilt(TK7File& file) {
    EXPECT_TRUE(file.BuildBuffer());
    return file.Buffer();
}

std::string Stamped(uint8_t second) { return EventBytes(0xDF, 30, 0, {0x05, 0x03, 0x07, 0x12, 0x30, second}); }

// Six bytes each: year-1900, month, day, hour, minute, second. What is no date reads
// as 0, and the bytes are written back as they were.
TEST(K7Header, DatesReadAndWrittenBack) {
    const struct {
        std::array<uint8_t, 6> date1, date2;
        TDateTime expected1, expected2;
        bool secondsValid;
    } cases[] = {
        {{105, 3, 7, 12, 30, 45}, {105, 3, 8, 1, 2, 3}, *EncodeDateTime(2005, 3, 7, 12, 30, 45),
         *EncodeDateTime(2005, 3, 8, 1, 2, 3), true},
        {{105, 13, 7, 12, 30, 45}, {}, 0, 0, true},
        {{105, 2, 31, 12, 30, 0}, {105, 2, 1, 12, 30, 60}, 0, 0, true},
        {{105, 3, 7, 12, 30, 0xFF}, {}, *EncodeDateTime(2005, 3, 7, 12, 30, 0), 0, false},  // no seconds
    };
    for (size_t k = 0; k < std::size(cases); ++k) {
        std::string header = Header();
        PutDate(header, k7format::kHeaderDate1Offset, cases[k].date1);
        PutDate(header, k7format::kHeaderDate2Offset, cases[k].date2);
        auto file = Parsed(header);
        EXPECT_EQ(file->SecondsValid, cases[k].secondsValid) << "case " << k;
        EXPECT_EQ(file->HeaderDate1, cases[k].expected1) << "case " << k;
        EXPECT_EQ(file->HeaderDate2, cases[k].expected2) << "case " << k;
        EXPECT_EQ(Hex(Rebuilt(*file)), Hex(header)) << "case " << k;
    }

    std::string header = Header();
    PutDate(header, k7format::kHeaderDate1Offset, {105, 3, 7, 12, 30, 60});
    auto file = Parsed(header);
    // Any second above 59 reads as "not given" and is written as 0xFF.
    EXPECT_FALSE(file->SecondsValid);
    EXPECT_EQ(static_cast<uint8_t>(Rebuilt(*file)[149]), 0xFF);
    // Dates set in memory win over the parameter block.
    file->HeaderDate1 = *EncodeDateTime(2006, 1, 2, 3, 4, 5);
    file->HeaderDate2 = *EncodeDateTime(2007, 6, 7, 8, 9, 10);
    EXPECT_EQ(Hex(Rebuilt(*file).substr(k7format::kHeaderDate1Offset, 12)), "6A01020304FF6B060708090A");
}

TEST(K7Header, IdentificationAndParamBlocPrefix) {
    std::string header = Header(0xA0);
    header.replace(k7format::kIdentOffset, 8, "SPA00001");
    EXPECT_EQ(Parsed(header)->InstruIdent(), "SPA00001");
    for (const char* notSP : {"XPA00001", "SXA00001"}) {
        header.replace(k7format::kIdentOffset, 8, notSP);
        EXPECT_EQ(Parsed(header)->InstruIdent(), "SPA00000") << notSP;
    }

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

// Empty events (type FF) are dropped, damaged ones kept undecoded; parameter bytes are
// carried through.
TEST(K7Events, ReadAndWrittenBackWithoutEmptyAreas) {
    std::string header = Header(0xBB);
    PutDate(header, k7format::kHeaderDate1Offset, {105, 3, 7, 0, 0, 1});
    header.replace(200, 3, "xyz");
    const std::string a = EventBytes(0xDF, 30), b = EventBytes(0x80, 18, 'b'),
                      c = EventBytes(0xE2, 30, 0, {0x05, 0x03, 0x07, 0x23, 0x59, 0x59});
    std::string damaged = a;
    damaged[28] = 0x00;
    // A 255-byte FF area is an empty event; a shorter FF tail is none and ends the scan.
    InstrumentTypeList types;
    types.Types.push_back({"Photomètre solaire et lunaire", {"SPBB0000"}, {}});
    const THostData host{&types, nullptr};
    auto file = Parsed(header + a + std::string("\xFF\x03\x03", 3) + b + std::string(255, '\xFF') + damaged + c +
                           std::string(100, '\xFF'),
                       &host);
    ASSERT_EQ(file->Events().size(), 4u);
    EXPECT_EQ(file->Events()[2]->ErrorCode, kEvtBadEndMarker);
    EXPECT_EQ(file->NbEvt(), 3);
    EXPECT_EQ(file->DataSize(), 2 * (30 + 18 + 30 + 30));
    EXPECT_EQ(Rebuilt(*file), header + a + b + damaged + c);
    // The instrument type, bound from the host's list.
    EXPECT_EQ(file->InstruName(), "Photomètre solaire et lunaire");
    EXPECT_FALSE(file->SetInstrumentType(nullptr));
    EXPECT_EQ(file->InstrumentType(), &types.Types[0]);
    EXPECT_EQ(Parsed(Header(0x1B), &host)->InstruName(), "Inconnu (SP1B0000)");
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
    // A length running past the end of the file, or a truncated last event, ends the scan.
    EXPECT_EQ(Parsed(Header() + std::string("\x00\x00", 2) + event)->Events().size(), 0u);
    EXPECT_EQ(Parsed(Header() + event + event.substr(0, 20))->Events().size(), 1u);
}

// An event in one of the forms the reader, the converter and messages give it.
std::unique_ptr<TEvenement> EventInForm(int form, uint8_t second, TK7File& owner) {
    std::string bytes = Stamped(second);
    std::string badSum = Framed(bytes);
    badSum.back() = badSum.back() == '0' ? '1' : '0';
    switch (form) {
        case 0: return EventOf(Framed(bytes), &owner);                     // held as bytes
        case 1: return EventOf(FramedHex(test::LowerHex(bytes)), &owner);  // decoded, held as text
        case 2: return EventOf(FramedHex(Hex(bytes) + "7"), &owner);       // odd: decoded, text
        case 3: return EventOf(badSum, &owner);                            // not decoded, text
        case 4: return EventOf(Hex(bytes), &owner);  // unframed, with the text of a byte event
        default: {
            bytes[28] = 0;  // bad end marker: held as bytes, not decoded
            auto event = std::make_unique<TEvenement>(&owner);
            event->SetFramedBytes(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
            return event;
        }
    }
}

// Decoded events are indexed by what they hold; a scan of the list comparing Evt()
// texts is the reference for finding, filing and pairing them. Texts repeat at random
// while the index grows.
TEST(K7EventIndex, FindFileAndPairAsAScanOfTheTextsDoes) {
    TK7File file, elsewhere;
    file.SetParamBloc("1A" + std::string(252, '0'));
    std::vector<std::pair<TEvenement*, std::string>> list;  // the list expected, with texts
    std::vector<std::pair<TEvenement*, std::string>> removed;
    auto scanFirst = [&list](const std::string& evt) -> TEvenement* {
        for (const auto& [event, text] : list)
            if (event->Decoded && text == evt) return event;
        return nullptr;
    };
    // Written as the hex conversion gave: each Evt() text two characters at a time, a lone
    // last character giving a 0 byte; the whole cut at the header plus half the text length.
    auto expectBufferAsHexConversionGave = [&] {
        std::string expected;
        size_t textLength = 0;
        for (const auto& [event, text] : list) {
            textLength += text.size();
            for (size_t k = 0; k < text.size(); k += 2) expected += static_cast<char>(HexToByte(text.substr(k, 2)));
        }
        EXPECT_EQ(file.DataSize(), static_cast<int32_t>(textLength));
        expected.resize(textLength / 2);
        EXPECT_EQ(Hex(Rebuilt(file)), Hex(Header(0x1A) + expected));
    };
    std::mt19937 random(11);
    int form = 0;
    uint8_t second = 0;
    for (int i = 0; i < 4000; ++i) {
        const int op = static_cast<int>(random() % 5);
        if (random() % 4 != 0) {  // else the same event again: adjacent pairs
            form = static_cast<int>(random() % 6);
            second = static_cast<uint8_t>(random() % 256);
        }
        auto probe = EventInForm(form, second, elsewhere);
        TEvenement* first = scanFirst(probe->Evt());
        ASSERT_EQ(file.FindDecodedEvent(probe->Evt()), first) << i;
        ASSERT_EQ(file.FindDecodedEventLike(*probe), first) << i;
        if (op < 2) {
            TEvenement* event = file.AppendEvent(EventInForm(form, second, file));
            list.emplace_back(event, event->Evt());
        } else if (op < 4) {
            const TK7File::Placed placed = file.AppendEventUnlessLike(EventInForm(form, second, file));
            ASSERT_EQ(placed.appended, first == nullptr) << i;
            if (first == nullptr) list.emplace_back(placed.event, placed.event->Evt());
            ASSERT_EQ(placed.event, first != nullptr ? first : list.back().first) << i;
        } else {
            // The later event j of the first pair i < j of decoded events with equal
            // texts goes; true only when other events lay between them.
            std::map<std::string, std::vector<size_t>> at;
            for (size_t k = 0; k < list.size(); ++k)
                if (list[k].first->Decoded) at[list[k].second].push_back(k);
            size_t pairI = list.size(), pairJ = list.size();
            for (const auto& [text, positions] : at)
                if (positions.size() > 1 && positions[0] < pairI) {
                    pairI = positions[0];
                    pairJ = positions[1];
                }
            ASSERT_EQ(file.RemoveDuplicate(), pairJ < list.size() && pairJ != pairI + 1) << i;
            if (pairJ < list.size()) {
                removed.push_back(list[pairJ]);
                list.erase(list.begin() + static_cast<std::ptrdiff_t>(pairJ));
            }
        }
        ASSERT_EQ(file.Events().size(), list.size()) << i;
        for (size_t k = 0; k < list.size(); ++k) ASSERT_EQ(file.Events()[k].get(), list[k].first) << i;
        if (i % 500 == 499) expectBufferAsHexConversionGave();  // odd and even text lengths
    }
    EXPECT_GT(removed.size(), 100u);
    // Removed events stay alive for whoever still refers to them, until Clear.
    for (const auto& [event, text] : removed) EXPECT_EQ(event->Evt(), text);
    file.Clear();
    EXPECT_EQ(file.FindDecodedEvent(Hex(Stamped(1))), nullptr);
    EXPECT_FALSE(file.RemoveDuplicate());
    EXPECT_EQ(file.AppendEventUnlessLike(nullptr).event, nullptr);
}

TEST(K7Files, SaveCreatesFolders) {
    test::TempDir dir;
    const std::string path = dir.File("DataK7/2005_03_07/P045_20050307.K7");
    TK7File file;
    EXPECT_TRUE(file.LoadFromFile(path));  // no file yet: nothing read
    EXPECT_EQ(file.FileName, path);
    EXPECT_FALSE(file.HasBuffer());
    EXPECT_FALSE(file.SaveToFile(path));  // nothing built
    const std::string bytes = Header(0x20) + EventBytes(0xDF, 30);
    file.Parse(bytes);
    ASSERT_TRUE(file.BuildBuffer());
    EXPECT_TRUE(file.SaveToFile(path));
    EXPECT_EQ(test::ReadText(path), bytes);
    // A folder that cannot be created: a file stands in its way.
    test::WriteText(dir.File("plain"), "x");
    EXPECT_FALSE(file.SaveToFile(dir.File("plain/P001.K7")));
}

TEST(K7Files, FailedWriteKeepsThePreviousFile) {
    test::TempDir dir;
    const std::string path = dir.File("P001_20050307.K7");
    const std::string previous = Header() + EventBytes(0xDF, 30);
    test::WriteText(path, previous);
    TK7File file;
    ASSERT_TRUE(file.LoadFromFile(path));
    for (int i = 0; i < 40; ++i)
        file.AppendEvent(EventOf(Framed(EventBytes(0x85, 166, static_cast<uint8_t>(i))), &file));
    ASSERT_TRUE(file.BuildBuffer());

    // A file size limit makes the write fail whoever runs the test.
    struct rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    struct rlimit limited = saved;
    limited.rlim_cur = 1024;
    auto* oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limited), 0);
    EXPECT_THROW((void)file.SaveToFile(path), FileError);
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_EQ(test::ReadText(path), previous);
}

}  // namespace
}  // namespace skylog
