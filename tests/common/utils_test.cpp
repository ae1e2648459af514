#include <gtest/gtest.h>

#include <cctype>
#include <memory>
#include <set>
#include <tuple>
#include <vector>

#include "Common/ByteScan.h"
#include "Common/Encoding.h"
#include "Common/Lines.h"
#include "Common/NearestName.h"
#include "Common/UUtils.h"
#include "tests/support/TempDir.h"

namespace skylog {
namespace {

TEST(ExpandYear, TwoDigitYearsAndOthers) {
    const std::pair<int, int> cases[] = {{0, 2000}, {80, 2080},   {81, 1981}, {99, 1999},
                                         {100, 100}, {2005, 2005}, {-1, -1}};
    for (const auto& [year, expanded] : cases) EXPECT_EQ(ExpandYear(year), expanded) << year;
}

TEST(NearestName, TyposWithinReachAndOthersNot) {
    const std::vector<std::string> names = {"WorkDir", "LUImpDir", "LimitPasse", "LimitFutur", "list", "run"};
    const std::pair<const char*, const char*> cases[] = {
        {"WorkDri", "WorkDir"},   {"workdir", "WorkDir"}, {"LimitFutr", "LimitFutur"}, {"LimtPase", "LimitPasse"},
        {"lst", "list"},          {"rnu", "run"},         {"ls", ""},                  {"Limit", ""},
        {"LimitFuturs", "LimitFutur"}, {"", ""}};
    for (const auto& [typed, meant] : cases) EXPECT_EQ(NearestName(typed, names).value_or(""), meant) << typed;
    EXPECT_EQ(NearestName("Avignn", {"Avignon", "Paris"}, 1).value_or(""), "Avignon");
    EXPECT_FALSE(NearestName("Avgnn", {"Avignon"}, 1));
}

TEST(Split, WithAndWithoutMerging) {
    EXPECT_EQ(Split("a,,b,", ','), (StringList{"a", "", "b"}));
    EXPECT_EQ(Split(",x", ','), (StringList{"", "x"}));
    EXPECT_TRUE(Split("", ',').empty());
    EXPECT_EQ(Split("  a  b ", ' ', kSplitMerge), (StringList{"a", "b"}));
    EXPECT_EQ(Split("Prog:  1   Lampedusa 07/03/05 14-02-10", ' ', kSplitMerge),
              (StringList{"Prog:", "1", "Lampedusa", "07/03/05", "14-02-10"}));
}

TEST(Hex, ShortLongAndLowerCaseTexts) {
    EXPECT_EQ(HexToByte("3c7"), 0x3C);
    EXPECT_EQ(HexToByte("3"), 0);
    EXPECT_EQ(ByteToHexString(0x3C), "3C");  // upper case, as the files have it
    for (int v = 0; v < 256; ++v) {
        const auto b = static_cast<uint8_t>(v);
        const std::string text = ByteToHexString(b);
        EXPECT_EQ(HexToByte(text), b) << text;
        std::string lower = text;
        for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        EXPECT_EQ(HexToByte(lower), b) << text;
    }
}

TEST(Mask, MatchesWithoutRegardToCase) {
    for (const auto& [name, mask, matches] : {std::tuple{"x.cnrs", "*.CNRS", true}, {"X.CNRS", "*.cnrs", true},
                                              {"x.cnrs.bak", "*.CNRS", false}, {"a1.DCP", "a?.dcp", true},
                                              {"noext", "*.*", true}, {"abc", "a?", false}})
        EXPECT_EQ(MatchesMask(name, mask), matches) << name << " " << mask;
}

TEST(ListFiles, PlainFilesMatchingMixedCaseMask) {
    EXPECT_FALSE(ListFiles("", "*.*").has_value());  // never the current folder
    test::TempDir dir;
    test::WriteText(dir.File("one.CNRS"), "1");
    test::WriteText(dir.File("two.cnrs"), "2");
    test::WriteText(dir.File("three.GOES"), "3");
    test::WriteText(dir.File("sub.cnrs/inside.cnrs"), "4");  // a folder is never listed
    std::string folder = dir.Path();
    folder.pop_back();  // no final separator: it is added
    EXPECT_EQ(ListFiles(folder, "*.Cnrs"), (StringList{"one.CNRS", "two.cnrs"}));
    EXPECT_EQ(ListFiles(dir.File("nowhere"), "*.*"), StringList{});
}

TEST(Encoding, Windows1252RoundTrip) {
    const std::string cp1252 = "S\xE9" "d\xE9 \x80 \x9C";
    const std::string utf8 = Cp1252ToUtf8(cp1252);
    EXPECT_EQ(utf8, "Sédé € œ");
    EXPECT_EQ(Utf8ToCp1252(utf8), cp1252);
    EXPECT_EQ(Utf8ToCp1252("日"), "?");
    for (int b = 0; b < 256; ++b) {
        std::string one(1, static_cast<char>(b));
        EXPECT_EQ(Utf8ToCp1252(Cp1252ToUtf8(one)), one) << b;
    }
}

TEST(ParseInt32, WholeTextOnly) {
    for (const auto& [text, value] : {std::pair{" 42 ", 42}, {"-7", -7}, {"+7", 7}, {"007", 7}, {"2147483647", 2147483647}})
        EXPECT_EQ(ParseInt32(text), value) << text;
    for (const char* bad : {"4x", "", "99999999999", "2147483648", "+", "+-5", "--5", "+ 5"})
        EXPECT_FALSE(ParseInt32(bad).has_value()) << bad;
}

// The tables of an import rely on it: equal bytes hash alike wherever they lie, and
// a change of one byte or of the length (a trailing zero byte) changes the hash.
TEST(HashBytes, EqualBytesAgreeAndSmallChangesDiffer) {
    std::string base(40, '\0');
    for (size_t i = 0; i < base.size(); ++i) base[i] = static_cast<char>('A' + i % 26);
    std::set<uint64_t> seen;
    for (size_t length = 0; length <= base.size(); ++length) {
        const std::string_view text(base.data(), length);
        const std::string copy = "xyz" + std::string(text);
        EXPECT_EQ(HashBytes(text), HashBytes(std::string_view(copy).substr(3))) << length;
        EXPECT_TRUE(seen.insert(HashBytes(text)).second) << length;
        EXPECT_TRUE(seen.insert(HashBytes(std::string(text) + '\0')).second) << length;
        for (size_t i = 0; i < length; ++i) {
            std::string changed(text);
            changed[i] = static_cast<char>(changed[i] ^ 0x01);
            EXPECT_TRUE(seen.insert(HashBytes(changed)).second) << length << " " << i;
        }
    }
}

// Every byte value at every position of a word and of the tail: only 'a' to 'z' change,
// bytes above 127 included (a sum that carried into the next byte would show here).
TEST(ToUpperAscii, EveryByteAtEveryPosition) {
    for (size_t length : {size_t{1}, size_t{7}, size_t{8}, size_t{9}, size_t{23}}) {
        for (size_t at = 0; at < length; ++at) {
            for (int value = 0; value < 256; ++value) {
                std::string text(length, 'z');
                for (size_t k = 0; k < length; ++k) text[k] = "a{`zA@Z\xff"[k % 9];
                text[at] = static_cast<char>(value);
                std::string expected = text;
                for (char& c : expected)
                    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
                std::string out = "old content";
                ToUpperAsciiInto(out, text);
                ASSERT_EQ(out, expected) << length << " " << at << " " << value;
            }
        }
    }
    EXPECT_EQ(ToUpperAscii(""), "");
}

// Against a byte by byte search: every start in buffers of every length up to 40 where
// bytes of the class stand at random, for the limits the engine uses and the extremes.
TEST(ByteScan, FindsWhatAPlainSearchFinds) {
    uint32_t seed = 1;
    const auto next = [&seed] { return seed = seed * 1103515245u + 12345u, seed >> 16; };
    for (size_t length = 0; length <= 40; ++length) {
        for (int trial = 0; trial < 20; ++trial) {
            std::string bytes(length, '\0');
            for (char& c : bytes) c = static_cast<char>(next() % 8 == 0 ? next() % 256 : 64 + next() % 64);
            for (size_t from = 0; from <= length + 1; ++from) {
                const auto plain = [&](auto isOfClass) {
                    size_t i = from;
                    while (i < length && !isOfClass(static_cast<uint8_t>(bytes[i]))) ++i;
                    return std::min(i, length);
                };
                for (const uint8_t limit : {1, 14, 64, 128})
                    ASSERT_EQ(FindByteBelow(bytes, from, limit), plain([limit](uint8_t b) { return b < limit; }))
                        << length << " " << from << " " << int{limit};
                ASSERT_EQ(FindHighByte(bytes, from), plain([](uint8_t b) { return b >= 0x80; })) << length << " " << from;
            }
        }
    }
}

// Against a byte by byte reading of every string of up to six bytes drawn from a, CR, LF
// and a tab: each CR, LF or CR LF ends a line, text after the last break is a line too.
TEST(Lines, EveryLineEndAndWhatFollowsTheLast) {
    const auto byBytes = [](std::string_view bytes) {
        std::vector<std::string_view> lines;
        size_t start = 0;
        for (size_t i = 0; i < bytes.size(); ++i) {
            if (bytes[i] != '\r' && bytes[i] != '\n') continue;
            lines.push_back(bytes.substr(start, i - start));
            if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
            start = i + 1;
        }
        if (start < bytes.size()) lines.push_back(bytes.substr(start));
        return lines;
    };
    for (int length = 0, count = 1; length <= 6; ++length, count *= 4) {
        for (int code = 0; code < count; ++code) {
            std::string text;
            for (int i = 0, c = code; i < length; ++i, c /= 4) text += "a\r\n\t"[c % 4];
            EXPECT_EQ(SplitLines(text), byBytes(text)) << testing::PrintToString(text);
        }
    }
    EXPECT_EQ(SplitLines(std::string(20, 'x') + "\r\n" + std::string(20, 'y')).size(), 2u);
}

// Each item is visited once, in order, and may be reset by the visit; the parts of
// later items are asked for while they are still there.
TEST(VisitFetchingAhead, VisitsInOrderAndLetsItemsGo) {
    for (size_t count : {size_t{0}, size_t{1}, size_t{4}, size_t{5}, size_t{9}, size_t{30}}) {
        std::vector<std::unique_ptr<int>> items;
        for (size_t i = 0; i < count; ++i) items.push_back(std::make_unique<int>(static_cast<int>(i)));
        std::vector<int> visited, fetched;
        VisitFetchingAhead(
            items, [&fetched](const int& item) { fetched.push_back(item); },
            [&visited](std::unique_ptr<int>& item) {
                visited.push_back(*item);
                item.reset();
            });
        std::vector<int> expected(count);
        for (size_t i = 0; i < count; ++i) expected[i] = static_cast<int>(i);
        EXPECT_EQ(visited, expected);
        EXPECT_EQ(fetched, std::vector<int>(expected.begin() + std::min<size_t>(count, 4), expected.end()));
        for (const auto& item : items) EXPECT_EQ(item, nullptr);
    }
}

}  // namespace
}  // namespace skylog
