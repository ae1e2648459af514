#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <iterator>
#include <string>

#include "Common/FileUtil.h"
#include "tests/import/ReaderFixture.h"

namespace skylog::test {
namespace {

const std::string kHeader = "4711-ALL 0 at 03/07/05 14:02:10 UTC 118BT o";
const std::string kOtherHeader = "4711-ALL 0 at 03/07/05 14:32:10 UTC 20BT o";

TEST(FormatOfPath, ExtensionsAreComparedWithoutCase) {
    const std::pair<const char*, int32_t> cases[] = {
        {"/in/x.cnrs", 1}, {"X.Nasa", 1},       {"a.dcp", 0},          {"b.BRU", 2},         {"c.goes", 3},
        {"x.txt", -1},     {"noextension", -1}, {"dir.cnrs/file", -1}, {"x.cnrs.bak", -1}};
    for (const auto& [path, format] : cases) EXPECT_EQ(TDecodFile::FormatOfPath(path), format) << path;
}

// A file of unknown extension is neither changed nor read, but the beacons' blocks are
// decoded all the same.
TEST_F(ReaderTest, ReadFileFollowsTheExtension) {
    reader.ReadBuffer(kHeader + "\nBODY\n", 0);
    ASSERT_FALSE(lampedusa->Blocks().at(0)->Decoded);
    const std::string content = kOtherHeader + "\n\xE9t\xE9\n";
    WriteText(dir.File("x.txt"), content);
    EXPECT_EQ(reader.ReadFile(dir.File("x.txt")), -1);
    EXPECT_EQ(ReadText(dir.File("x.txt")), content);
    EXPECT_EQ(lampedusa->Blocks().size(), 1u);
    EXPECT_TRUE(lampedusa->Blocks()[0]->Decoded);

    WriteText(dir.File("x.cnrs"), kOtherHeader + "\nMORE\n");
    EXPECT_EQ(reader.ReadFile(dir.File("x.cnrs")), 0);
    EXPECT_EQ(reader.Format, 1);
    EXPECT_TRUE(reader.CheckOrder);
    EXPECT_EQ(Bodies(lampedusa), (Strings{"BODY", "MORE"}));
}

// Bytes are cleared eight at a time: the last one with bit 7 may sit anywhere in a word,
// and the block and the file on disk must come out as clean as the bytes read.
TEST_F(ReaderTest, HighBitsAreClearedWhereverTheLastOneLies) {
    std::string body;
    for (size_t i = 0; i < 30; ++i) body += static_cast<char>('A' + i % 26);
    for (size_t last = 0; last < 24; ++last) {
        std::string dirty = body;
        for (size_t i = last % 3; i <= last; i += 5) dirty[i] = static_cast<char>(dirty[i] | 0x80);
        dirty[last] = static_cast<char>(dirty[last] | 0x80);
        const std::string path = dir.File("high" + std::to_string(last) + ".DCP");
        WriteText(path, kHeader + "\r\n" + dirty + "\r\n");
        ASSERT_EQ(reader.ReadFile(path), 0) << last;
        EXPECT_EQ(ReadText(path), kHeader + "\r\n" + body + "\r\n") << last;
        EXPECT_EQ(Bodies(lampedusa), Strings{body}) << last;
    }
}

// Only the stretches around such bytes are written back: bytes pages apart, at the
// very start and end of the file, must all come out clean, and nothing else change.
TEST_F(ReaderTest, HighBitsPagesApartAreAllClearedOnDisk) {
    std::string clean;
    for (int i = 0; i < 40; ++i) clean += kHeader + "\r\n" + std::string(700, static_cast<char>('A' + i % 26)) + "\r\n";
    std::string dirty = clean;
    for (size_t at : {size_t{0}, size_t{5000}, size_t{5003}, size_t{13000}, size_t{21007}, dirty.size() - 3})
        dirty[at] = static_cast<char>(dirty[at] | 0x80);
    const std::string path = dir.File("far.DCP");
    WriteText(path, dirty);
    (void)reader.ReadFile(path);
    EXPECT_EQ(ReadText(path), clean);
}

TEST_F(ReaderTest, SevenBitFileIsNotRewritten) {
    const std::string path = dir.File("clean.DCP");
    WriteText(path, kHeader + "\nABC\n");
    const timespec old[2] = {{1000000000, 0}, {1000000000, 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), old, 0), 0);
    ASSERT_EQ(reader.ReadFile(path), 0);
    struct stat after {};
    ASSERT_EQ(stat(path.c_str(), &after), 0);
    EXPECT_EQ(after.st_mtim.tv_sec, 1000000000);
}

TEST_F(ReaderTest, ReadOnlyFileIsReadAsItStands) {
    if (geteuid() == 0) GTEST_SKIP() << "root writes read-only files";
    const std::string path = dir.File("ro.DCP");
    const std::string content = kHeader + "\nAB\xE9Z\n";
    WriteText(path, content);
    ASSERT_EQ(chmod(path.c_str(), 0444), 0);
    ASSERT_EQ(reader.ReadFile(path), 0);
    EXPECT_EQ(Bodies(lampedusa), Strings{"AB\xE9Z"});
    EXPECT_EQ(ReadText(path), content);
}

TEST_F(ReaderTest, MissingFileThrowsAfterEmptyingErrors) {
    reader.ReadBuffer("4711-ALL 0 at\n" + kHeader + "\n", 0);
    ASSERT_FALSE(reader.Errors.empty());
    ASSERT_NE(reader.CurrentBlock, nullptr);
    EXPECT_THROW((void)reader.ReadFile(dir.File("missing.DCP")), FileError);
    EXPECT_TRUE(reader.Errors.empty());
    EXPECT_EQ(reader.CurrentBlock, nullptr);
}

// Lines of every length, so that each kind of line end falls at every place of the
// eight-byte words the loop passes over; bytes with bit 7 set (0x8A, 0x8D: a line
// feed and a carriage return with bit 7) are not line ends.
TEST_F(ReaderTest, LineEndsAreFoundWhereverTheyFall) {
    const std::string_view ends[] = {"\n", "\r\n", std::string_view("\0", 1), "\n\r\r"};
    for (size_t length = 1; length <= 20; ++length) {
        std::string file = kHeader + std::string(ends[length % 4]);
        std::string body;
        for (size_t k = 0; k < 6; ++k) {
            std::string line;
            for (size_t i = 0; i < length + k; ++i) line += static_cast<char>('A' + (i + k) % 26);
            if (k == 2) line[line.size() / 2] = '\x8A';
            if (k == 4) line[0] = '\x8D';
            file += line + std::string(ends[k % 4]);
            body += line;
        }
        list->ClearAll();
        reader.ReadBuffer(file, 0);
        EXPECT_EQ(Bodies(lampedusa), Strings{body}) << length;
        EXPECT_EQ(lampedusa->Blocks().at(0)->Header, kHeader) << length;
    }
}

// A count that is not a decimal number ("BT" alone) announces nothing, without an error.
TEST_F(ReaderTest, CountThatIsNotANumberAnnouncesNothing) {
    reader.ReadBuffer("4711 0 at 03/07/05 14:32:10 UTC BT o\nBODY\n", 0);
    EXPECT_EQ(lampedusa->Blocks().at(0)->AnnouncedLength, 0);
    EXPECT_TRUE(reader.Errors.empty());
}

// Files and what the reader makes of them: the bodies of beacon 4711's blocks and the
// errors, as "code@line S1". A block stays open for body lines until a header, a station
// name line or an error closes it.
TEST_F(ReaderTest, LinesGiveTheseBlocksAndErrors) {
    struct Case {
        const char* why;
        std::string file;
        int32_t format;
        Strings bodies, errors;
    };
    const std::string h = kHeader + "\n";
    const Case cases[] = {
        {"body lines are joined, CRs inside a line dropped", h + "AB\rC\r\rD\r\nEF\n", 0, {"ABCDEF"}, {}},
        {"CRs alone end no line", kHeader + "\rBODY\rMORE\r", 0, {""}, {}},
        {"the same header again keeps the last body", h + "FIRST\n" + h + "SECOND\n", 0, {"SECOND"}, {}},
        {"the identifier ends at its first dash",
         "4711 0 at 03/07/05 14:02:10 UTC 1BT o\nA\n4711-X-Y 0 at 03/07/05 14:02:11 UTC 1BT o\nB\n", 0, {"A", "B"}, {}},
        {"VGTM and overlong lines add nothing",
         h + "VGTM\nA\n" + std::string(4096, 'X') + "\n" + std::string(4095, 'L') + "\nB\n", 0,
         {"A" + std::string(4095, 'L') + "B"}, {}},
        {"blank lines are not counted", "\n\r\nX 0 at 03/07/05 14:02:10 UTC 1BT o\n\n\nY 0 at 1 2 3\n", 0, {},
         {"3@1 X", "2@2 "}},
        {"an unknown beacon's body is dropped", h + "MINE\n9999-ALL 0 at 03/07/05 14:02:10 UTC 118BT o\nNOT MINE\n", 0,
         {"MINE"}, {"3@3 9999"}},
        {"error texts are UTF-8", "9\xE9-ALL 0 at 03/07/05 14:02:10 UTC 1BT o\n", 0, {}, {"3@1 9\u00e9"}},
        {"seven fields: error 2, the block is closed", h + "MINE\n4711-ALL 0 at 03/07/05 14:02:10 UTC 118BT\nLOST\n", 0,
         {"MINE"}, {"2@3 "}},
        // Both fields unreadable: both are reported, date first.
        {"dates and times that do not exist",
         "4711 0 at 02/30/05 14:02:10 UTC 1BT o\nLOST\n4711 0 at 03/07/05 25:00:00 UTC 1BT o\nLOST\n"
         "4711 0 at 03/07 xx UTC 1BT o\n",
         0, {}, {"4@1 02/30/05", "5@3 25:00:00", "4@5 03/07", "5@5 xx"}},
        {"a name line closes the block", h + "MINE\n0000 NASA/XYZ\nLOST\n", 1, {"MINE"}, {"1@4 1"}},
        {"a name line needs its F/ or NASA/", h + "0000 XYZ\n0000 F/X\n", 1, {"0000 XYZ"}, {}},
        {"name lines are read in station files only", h + "0000 F/X\n", 0, {"0000 F/X"}, {}},
    };
    for (const Case& c : cases) {
        list->ClearAll();
        reader.ReadBuffer(c.file, c.format);
        EXPECT_EQ(Bodies(lampedusa), c.bodies) << c.why;
        EXPECT_EQ(ErrorList(), c.errors) << c.why;
    }
}

TEST_F(ReaderTest, NameLineFollowedByBodyIsAnOrderError) {
    const std::string file = "00001 F/LAMPEDUSA\nBODY\n" + kHeader + "\n" + kOtherHeader + "\nBODY\n";
    reader.ReadBuffer(file, 1);
    ASSERT_EQ(ErrorList(), (Strings{"1@2 1", "1@4 2"}));
    EXPECT_EQ(reader.Errors[0].S2, "2");
    EXPECT_EQ(reader.Errors[0].S3, "BODY");
    EXPECT_EQ(reader.Errors[1].S2, "1");

    reader.ReadBuffer(file, 0);
    EXPECT_TRUE(reader.Errors.empty());
}

// Lines assembled from the pieces the reader looks for, in every format: whatever the
// mix, reading ends, every error names an existing line and no body holds a line break.
TEST_F(ReaderTest, ArbitraryPiecesNeverBreakTheReader) {
    const std::string_view pieces[] = {
        "4711-ALL", " ", "  ", "0", "at", "03/07/05", "14:02:10", "UTC", "118BT", "o", "\n",
        "\r", std::string_view("\0", 1), "0000", "F/", "NASA/", "Prog:", "Brussels",
        "14-02-10", "CE12345605066140210G4401EF123NAB00118", "VGTM", " X*", "DUPLICATE "
        "MESSAGE RECEIVED", "\xE9", "-", "99/99/99", "+", "\t"};
    uint32_t seed = 12345;
    auto next = [&seed] { return seed = seed * 1103515245u + 12345u, (seed >> 16) & 0x7FFF; };
    for (int round = 0; round < 400; ++round) {
        std::string file;
        const uint32_t count = next() % 200;
        for (uint32_t i = 0; i < count; ++i) file += pieces[next() % std::size(pieces)];
        const int32_t lineCount = 1 + static_cast<int32_t>(std::count(file.begin(), file.end(), '\n') +
                                                           std::count(file.begin(), file.end(), '\0'));
        reader.ReadBuffer(file, static_cast<int32_t>(round % 4));
        for (const auto& e : reader.Errors) {
            EXPECT_GE(e.Line, 1);
            EXPECT_LE(e.Line, lineCount);
        }
    }
    for (const auto& beacon : list->Beacons) {
        for (const std::string& body : Bodies(beacon.get()))
            EXPECT_EQ(body.find_first_of(std::string("\r\n\0", 3)), std::string::npos);
    }
}

// The texts of codes 3 to 5 are checked where the program prints them (import and cli tests).
TEST(ErrorMessage, OrderHeaderAndUnknownCodes) {
    const std::string order = "Mauvaise organisation du fichier : ";
    const std::pair<TDecodFileError, std::string> cases[] = {
        {{1, 1, "2", "0", ""}, order + "En-tête du nom de balise reçu à la place de Corps du message DCP"},
        {{1, 1, "1", "2", ""}, order + "Corps du message DCP reçu à la place de En-tête et datation du message"},
        {{1, 1, "x", "1", ""}, order + "En-tête et datation du message reçu à la place de Corps du message DCP"},
        {{2, 1, "", "", ""}, "Ligne d'en-tête et datation du message mal formatée"},
        {{0, 1, "", "", ""}, "Erreur inconnue"},
        {{6, 1, "", "", ""}, "Erreur inconnue"}};
    for (const auto& [error, text] : cases) EXPECT_EQ(TDecodFile::ErrorMessage(error), text) << error.Code;
}

}  // namespace
}  // namespace skylog::test
