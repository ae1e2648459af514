#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <iterator>
#include <string>

#include "Common/DateTime.h"
#include "Common/FileUtil.h"
#include "tests/import/ReaderFixture.h"

namespace skylog::test {
namespace {

constexpr std::string_view kHeader = "4711-ALL 0 at 03/07/05 14:02:10 UTC 118BT o";
constexpr std::string_view kOtherHeader = "4711-ALL 0 at 03/07/05 14:32:10 UTC 20BT o";

TDateTime At(int y, int mo, int d, int h, int mi, int s) {
    return *EncodeDateTime(y, mo, d, h, mi, s);
}

// ---- formats and the file on disk ----

TEST(FormatOfPath, ExtensionsAreComparedWithoutCase) {
    EXPECT_EQ(TDecodFile::FormatOfPath("/in/x.cnrs"), 1);
    EXPECT_EQ(TDecodFile::FormatOfPath("X.Nasa"), 1);
    EXPECT_EQ(TDecodFile::FormatOfPath("a.dcp"), 0);
    EXPECT_EQ(TDecodFile::FormatOfPath("b.BRU"), 2);
    EXPECT_EQ(TDecodFile::FormatOfPath("c.goes"), 3);
    EXPECT_EQ(TDecodFile::FormatOfPath("x.txt"), -1);
    EXPECT_EQ(TDecodFile::FormatOfPath("noextension"), -1);
    EXPECT_EQ(TDecodFile::FormatOfPath("dir.cnrs/file"), -1);
    EXPECT_EQ(TDecodFile::FormatOfPath("x.cnrs.bak"), -1);
}

TEST_F(ReaderTest, FormatAndOrderCheckFollowTheExtension) {
    const std::string path = dir.File("x.cnrs");
    WriteText(path, std::string(kHeader) + "\nBODY\n");
    EXPECT_EQ(reader.ReadFile(path), 0);
    EXPECT_EQ(reader.Format, 1);
    EXPECT_TRUE(reader.CheckOrder);
    ASSERT_EQ(lampedusa->Blocks.size(), 1u);
    EXPECT_EQ(BodyOf(*lampedusa->Blocks[0]), "BODY");
}

TEST_F(ReaderTest, UnknownExtensionIsNotTouchedButBeaconsAreStillDecoded) {
    reader.ReadBuffer(std::string(kHeader) + "\nBODY\n", 0);
    ASSERT_EQ(lampedusa->Blocks.size(), 1u);
    ASSERT_FALSE(lampedusa->Blocks[0]->Decoded);

    const std::string path = dir.File("x.txt");
    const std::string content = std::string(kOtherHeader) + "\n\xE9t\xE9\n";
    WriteText(path, content);
    EXPECT_EQ(reader.ReadFile(path), -1);
    EXPECT_EQ(ReadText(path), content);
    EXPECT_EQ(lampedusa->Blocks.size(), 1u);
    EXPECT_TRUE(lampedusa->Blocks[0]->Decoded);
}

TEST_F(ReaderTest, HighBitIsClearedInTheBlockAndOnDisk) {
    const std::string path = dir.File("in.DCP");
    WriteText(path, std::string(kHeader) + "\r\nAB\xE9Z\r\n");
    ASSERT_EQ(reader.ReadFile(path), 0);
    ASSERT_EQ(lampedusa->Blocks.size(), 1u);
    EXPECT_EQ(BodyOf(*lampedusa->Blocks[0]), "ABiZ");
    EXPECT_EQ(ReadText(path), std::string(kHeader) + "\r\nABiZ\r\n");
}

// Bytes are cleared eight at a time: the last one with bit 7 may sit anywhere in a word,
// and the file on disk must come out as clean as the bytes read.
TEST_F(ReaderTest, HighBitsAreClearedOnDiskWhereverTheLastOneLies) {
    for (size_t last = 0; last < 24; ++last) {
        std::string body(30, 'A');
        for (size_t i = 0; i < body.size(); ++i) body[i] = static_cast<char>('A' + i % 26);
        std::string dirty = body;
        for (size_t i = last % 3; i <= last; i += 5) dirty[i] = static_cast<char>(dirty[i] | 0x80);
        dirty[last] = static_cast<char>(dirty[last] | 0x80);
        const std::string path = dir.File("high" + std::to_string(last) + ".DCP");
        WriteText(path, std::string(kHeader) + "\r\n" + dirty + "\r\n");
        ASSERT_EQ(reader.ReadFile(path), 0) << last;
        EXPECT_EQ(ReadText(path), std::string(kHeader) + "\r\n" + body + "\r\n") << last;
    }
}

// Only the stretches around such bytes are written back: bytes pages apart, at the
// very start and end of the file, must all come out clean, and nothing else change.
TEST_F(ReaderTest, HighBitsPagesApartAreAllClearedOnDisk) {
    std::string clean;
    for (int i = 0; i < 40; ++i) clean += std::string(kHeader) + "\r\n" + std::string(700, static_cast<char>('A' + i % 26)) + "\r\n";
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
    WriteText(path, std::string(kHeader) + "\nABC\n");
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
    const std::string content = std::string(kHeader) + "\nAB\xE9Z\n";
    WriteText(path, content);
    ASSERT_EQ(chmod(path.c_str(), 0444), 0);
    ASSERT_EQ(reader.ReadFile(path), 0);
    ASSERT_EQ(lampedusa->Blocks.size(), 1u);
    EXPECT_EQ(BodyOf(*lampedusa->Blocks[0]), "AB\xE9Z");
    EXPECT_EQ(ReadText(path), content);
}

TEST_F(ReaderTest, MissingFileThrowsAfterEmptyingErrors) {
    reader.ReadBuffer("4711-ALL 0 at\n" + std::string(kHeader) + "\n", 0);
    ASSERT_FALSE(reader.Errors.empty());
    ASSERT_NE(reader.CurrentBlock, nullptr);
    EXPECT_THROW((void)reader.ReadFile(dir.File("missing.DCP")), FileError);
    EXPECT_TRUE(reader.Errors.empty());
    EXPECT_EQ(reader.CurrentBlock, nullptr);
}

TEST_F(ReaderTest, ErrorTextsOfUnstrippedBytesAreUtf8) {
    reader.ReadBuffer("9\xE9-ALL 0 at 03/07/05 14:02:10 UTC 1BT o\n", 0);
    ASSERT_EQ(reader.Errors.size(), 1u);
    EXPECT_EQ(reader.Errors[0].S1, "9\u00e9");
}

// ---- cutting into lines ----

TEST_F(ReaderTest, LineEndsGiveTheSameBlocks) {
    const std::string lines[] = {std::string(kHeader), "AAA", "BBB", std::string(kOtherHeader),
                                 "CCC"};
    const std::string_view ends[] = {"\r\n", "\n", std::string_view("\0", 1), "\n\r\r"};
    for (std::string_view end : ends) {
        std::string file;
        for (const auto& line : lines) file += line + std::string(end);
        list->ClearAll();
        reader.ReadBuffer(file, 0);
        ASSERT_EQ(lampedusa->Blocks.size(), 2u) << "line end size " << end.size();
        EXPECT_EQ(lampedusa->Blocks[0]->Header, kHeader);
        EXPECT_EQ(BodyOf(*lampedusa->Blocks[0]), "AAABBB");
        EXPECT_EQ(lampedusa->Blocks[1]->Header, kOtherHeader);
        EXPECT_EQ(BodyOf(*lampedusa->Blocks[1]), "CCC");
    }
}

// Lines of every length, so that each kind of line end falls at every place of the
// eight-byte words the loop passes over; bytes with bit 7 set (0x8A, 0x8D: a line
// feed and a carriage return with bit 7) are not line ends.
TEST_F(ReaderTest, LineEndsAreFoundWhereverTheyFall) {
    const std::string_view ends[] = {"\n", "\r\n", std::string_view("\0", 1), "\n\r\r"};
    for (size_t length = 1; length <= 20; ++length) {
        std::string file = std::string(kHeader) + "\n";
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
        ASSERT_EQ(lampedusa->Blocks.size(), 1u) << length;
        EXPECT_EQ(BodyOf(*lampedusa->Blocks[0]), body) << length;
    }
}

TEST_F(ReaderTest, CarriageReturnsAreDroppedInsideLines) {
    reader.ReadBuffer(std::string(kHeader) + "\nAB\rC\r\rD\r\n", 0);
    ASSERT_EQ(lampedusa->Blocks.size(), 1u);
    EXPECT_EQ(BodyOf(*lampedusa->Blocks[0]), "ABCD");
}

TEST_F(ReaderTest, BlankLinesAreNotCounted) {
    reader.ReadBuffer("\n\r\nX 0 at 03/07/05 14:02:10 UTC 1BT o\n\n\nY 0 at 1 2 3\n", 0);
    ASSERT_EQ(reader.Errors.size(), 2u);
    EXPECT_EQ(reader.Errors[0].Code, 3);
    EXPECT_EQ(reader.Errors[0].Line, 1);
    EXPECT_EQ(reader.Errors[1].Code, 2);
    EXPECT_EQ(reader.Errors[1].Line, 2);
}

TEST_F(ReaderTest, CarriageReturnsAloneMakeOneLine) {
    reader.ReadBuffer(std::string(kHeader) + "\rBODY\rMORE\r", 0);
    ASSERT_EQ(lampedusa->Blocks.size(), 1u);
    EXPECT_EQ(lampedusa->Blocks[0]->Header, std::string(kHeader) + "BODYMORE");
    EXPECT_EQ(lampedusa->Blocks[0]->BodyLength, 0);
}

// ---- "at" headers and bodies ----

TEST_F(ReaderTest, BodyLinesAreJoinedWithoutSeparators) {
    reader.ReadBuffer(std::string(kHeader) + "\nABC\nDEF\nGHI\n", 0);
    ASSERT_EQ(lampedusa->Blocks.size(), 1u);
    const TDCPDataBloc& block = *lampedusa->Blocks[0];
    EXPECT_EQ(block.Header, kHeader);
    EXPECT_EQ(BodyOf(block), "ABCDEFGHI");
    EXPECT_EQ(block.Beacon, lampedusa);
    EXPECT_EQ(block.AnnouncedLength, 118);
    EXPECT_EQ(reader.CurrentBeacon, lampedusa);
    EXPECT_EQ(reader.CurrentBlock, &block);
    EXPECT_TRUE(reader.Errors.empty());
}

TEST_F(ReaderTest, SameHeaderTwiceKeepsTheLastBody) {
    reader.ReadBuffer(std::string(kHeader) + "\nFIRST\n" + std::string(kHeader) + "\nSECOND\n", 0);
    ASSERT_EQ(lampedusa->Blocks.size(), 1u);
    EXPECT_EQ(BodyOf(*lampedusa->Blocks[0]), "SECOND");

    reader.ReadBuffer(std::string(kHeader) + "\nTHIRD\n", 0);
    ASSERT_EQ(lampedusa->Blocks.size(), 1u);
    EXPECT_EQ(BodyOf(*lampedusa->Blocks[0]), "THIRD");
}

TEST_F(ReaderTest, IdentifierIsTheFirstFieldUpToItsDash) {
    reader.ReadBuffer("4711 0 at 03/07/05 14:02:10 UTC 1BT o\nA\n4711-X-Y 0 at 03/07/05 "
                      "14:02:11 UTC 1BT o\nB\n",
                      0);
    EXPECT_EQ(lampedusa->Blocks.size(), 2u);
    EXPECT_TRUE(reader.Errors.empty());
}

TEST_F(ReaderTest, DateOrderFollowsDCPDateNew) {
    Settings().DCPDateNew = false;
    reader.ReadBuffer(kHeader, 0);
    ASSERT_EQ(lampedusa->Blocks.size(), 1u);
    EXPECT_DOUBLE_EQ(lampedusa->Blocks[0]->Date, At(2005, 3, 7, 14, 2, 10));

    Settings().DCPDateNew = true;
    list->ClearAll();
    reader.ReadBuffer(kHeader, 0);
    ASSERT_EQ(lampedusa->Blocks.size(), 1u);
    EXPECT_DOUBLE_EQ(lampedusa->Blocks[0]->Date, At(2005, 7, 3, 14, 2, 10));
}

TEST_F(ReaderTest, TwoDigitYearsAreExpanded) {
    Settings().DCPDateNew = false;
    reader.ReadBuffer("4711 0 at 12/31/80 00:00:00 UTC 1BT o\n"
                      "4711 0 at 12/31/81 23:59:59 UTC 1BT o\n",
                      0);
    ASSERT_EQ(lampedusa->Blocks.size(), 2u);
    EXPECT_DOUBLE_EQ(lampedusa->Blocks[0]->Date, At(2080, 12, 31, 0, 0, 0));
    EXPECT_DOUBLE_EQ(lampedusa->Blocks[1]->Date, At(1981, 12, 31, 23, 59, 59));
}

TEST_F(ReaderTest, DateFieldsAreReadAsScanfReadsThem) {
    // Two characters per number: "2005" gives 20; a single digit stops at the "/".
    Settings().DCPDateNew = true;
    reader.ReadBuffer("4711 0 at 3/7/2005 1:2:3 UTC 1BT o\n", 0);
    ASSERT_EQ(lampedusa->Blocks.size(), 1u);
    EXPECT_DOUBLE_EQ(lampedusa->Blocks[0]->Date, At(2020, 7, 3, 1, 2, 3));
}

TEST_F(ReaderTest, AnnouncedLengthThatIsNotANumberIsZeroWithoutError) {
    reader.ReadBuffer("4711 0 at 03/07/05 14:02:10 UTC BT o\nBODY\n", 0);
    ASSERT_EQ(lampedusa->Blocks.size(), 1u);
    EXPECT_EQ(lampedusa->Blocks[0]->AnnouncedLength, 0);
    EXPECT_EQ(BodyOf(*lampedusa->Blocks[0]), "BODY");
    EXPECT_TRUE(reader.Errors.empty());
}

TEST_F(ReaderTest, UnknownBeaconDropsItsBody) {
    const std::string stranger = "9999-ALL 0 at 03/07/05 14:02:10 UTC 118BT o";
    reader.ReadBuffer(std::string(kHeader) + "\nMINE\n" + stranger + "\nNOT MINE\n", 0);
    ASSERT_EQ(lampedusa->Blocks.size(), 1u);
    EXPECT_EQ(BodyOf(*lampedusa->Blocks[0]), "MINE");
    EXPECT_EQ(reader.CurrentBeacon, nullptr);
    EXPECT_EQ(reader.CurrentBlock, nullptr);
    ASSERT_EQ(reader.Errors.size(), 1u);
    const TDecodFileError& e = reader.Errors[0];
    EXPECT_EQ(e.Code, 3);
    EXPECT_EQ(e.Line, 3);
    EXPECT_EQ(e.S1, "9999");
    EXPECT_EQ(e.S2, stranger);
    EXPECT_EQ(TDecodFile::ErrorMessage(e),
              "La balise 9999 a émis un message sans être définie (en-tête :" + stranger + ")");
}

TEST_F(ReaderTest, WrongFieldCountIsErrorTwoAndClosesTheBlock) {
    reader.ReadBuffer(std::string(kHeader) + "\nMINE\n4711-ALL 0 at 03/07/05 14:02:10 UTC 118BT\n"
                                             "LOST\n",
                      0);
    ASSERT_EQ(reader.Errors.size(), 1u);
    EXPECT_EQ(reader.Errors[0].Code, 2);
    EXPECT_EQ(TDecodFile::ErrorMessage(reader.Errors[0]),
              "Ligne d'en-tête et datation du message mal formatée");
    ASSERT_EQ(lampedusa->Blocks.size(), 1u);
    EXPECT_EQ(BodyOf(*lampedusa->Blocks[0]), "MINE");
}

TEST_F(ReaderTest, DateAndTimeThatDoNotExist) {
    Settings().DCPDateNew = false;
    reader.ReadBuffer("4711 0 at 02/30/05 14:02:10 UTC 1BT o\nLOST\n"
                      "4711 0 at 03/07/05 25:00:00 UTC 1BT o\nLOST\n"
                      "4711 0 at 03/07 xx UTC 1BT o\n",
                      0);
    EXPECT_TRUE(lampedusa->Blocks.empty());
    ASSERT_EQ(reader.Errors.size(), 4u);
    EXPECT_EQ(reader.Errors[0].Code, 4);
    EXPECT_EQ(TDecodFile::ErrorMessage(reader.Errors[0]),
              "Mauvais formatage de la date dans l'en-tête du message, \"02/30/05\" n'est pas une "
              "date valide");
    EXPECT_EQ(reader.Errors[1].Code, 5);
    EXPECT_EQ(TDecodFile::ErrorMessage(reader.Errors[1]),
              "Mauvais formatage de l'heure dans l'en-tête du message, \"25:00:00\" n'est pas une "
              "heure valide");
    // Both fields unreadable: both are reported, date first.
    EXPECT_EQ(reader.Errors[2].Code, 4);
    EXPECT_EQ(reader.Errors[2].S1, "03/07");
    EXPECT_EQ(reader.Errors[3].Code, 5);
    EXPECT_EQ(reader.Errors[3].S1, "xx");
}

TEST_F(ReaderTest, VgtmLineAndOverlongLinesAddNothing) {
    const std::string longest(4095, 'L');
    reader.ReadBuffer(std::string(kHeader) + "\nVGTM\nA\n" + std::string(4096, 'X') + "\n" +
                          longest + "\nB\n",
                      0);
    ASSERT_EQ(lampedusa->Blocks.size(), 1u);
    EXPECT_EQ(BodyOf(*lampedusa->Blocks[0]), "A" + longest + "B");
}

// ---- station files: name lines and the order check ----

TEST_F(ReaderTest, NameLineFollowedByBodyIsAnOrderError) {
    const std::string file = "00001 F/LAMPEDUSA\nBODY\n" + std::string(kHeader) + "\n" +
                             std::string(kOtherHeader) + "\nBODY\n";
    reader.ReadBuffer(file, 1);
    ASSERT_EQ(reader.Errors.size(), 2u);
    EXPECT_EQ(reader.Errors[0].Code, 1);
    EXPECT_EQ(reader.Errors[0].Line, 2);
    EXPECT_EQ(reader.Errors[0].S1, "1");
    EXPECT_EQ(reader.Errors[0].S2, "2");
    EXPECT_EQ(reader.Errors[0].S3, "BODY");
    EXPECT_EQ(TDecodFile::ErrorMessage(reader.Errors[0]),
              "Mauvaise organisation du fichier : Corps du message DCP reçu à la place de En-tête "
              "et datation du message");
    EXPECT_EQ(reader.Errors[1].Line, 4);
    EXPECT_EQ(TDecodFile::ErrorMessage(reader.Errors[1]),
              "Mauvaise organisation du fichier : En-tête et datation du message reçu à la place "
              "de Corps du message DCP");

    reader.ReadBuffer(file, 0);
    EXPECT_TRUE(reader.Errors.empty());
}

TEST_F(ReaderTest, NameLineClosesTheBlock) {
    reader.ReadBuffer(std::string(kHeader) + "\nMINE\n0000 NASA/XYZ\nLOST\n", 1);
    ASSERT_EQ(lampedusa->Blocks.size(), 1u);
    EXPECT_EQ(BodyOf(*lampedusa->Blocks[0]), "MINE");
    EXPECT_EQ(reader.CurrentBlock, nullptr);
    // Without the "F/" or "NASA/" mark, or outside station files, it is a body line.
    reader.ReadBuffer(std::string(kHeader) + "\n0000 XYZ\n0000 F/X\n", 1);
    EXPECT_EQ(BodyOf(*lampedusa->Blocks[0]), "0000 XYZ");
    reader.ReadBuffer(std::string(kHeader) + "\n0000 F/X\n", 0);
    EXPECT_EQ(BodyOf(*lampedusa->Blocks[0]), "0000 F/X");
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
        for (const auto& block : beacon->Blocks) {
            const std::string body = BodyOf(*block);
            EXPECT_EQ(body.find_first_of(std::string("\r\n\0", 3)), std::string::npos);
        }
    }
}

TEST(ErrorMessage, SectionNamesAndUnknownCodes) {
    EXPECT_EQ(TDecodFile::SectionName(0), "En-tête du nom de balise");
    EXPECT_EQ(TDecodFile::SectionName(1), "En-tête et datation du message");
    EXPECT_EQ(TDecodFile::SectionName(2), "Corps du message DCP");
    EXPECT_EQ(TDecodFile::SectionName(7), "Corps du message DCP");
    EXPECT_EQ(TDecodFile::ErrorMessage({0, 1, "", "", ""}), "Erreur inconnue");
    EXPECT_EQ(TDecodFile::ErrorMessage({6, 1, "", "", ""}), "Erreur inconnue");
    EXPECT_EQ(TDecodFile::ErrorMessage({1, 1, "2", "0", ""}),
              "Mauvaise organisation du fichier : En-tête du nom de balise reçu à la place de "
              "Corps du message DCP");
}

}  // namespace
}  // namespace skylog::test
