#include <cstdio>
#include <limits>
#include <string>

#include "Common/DateTime.h"
#include "import/GroundStationFormat.h"
#include "import/HeaderLines.h"
#include "import/ScanCursor.h"
#include "tests/import/ReaderFixture.h"

namespace skylog::test {
namespace {

constexpr std::string_view kEnd = "\x04]Jc";

TDateTime At(int y, int mo, int d, int h, int mi, int s) {
    return *EncodeDateTime(y, mo, d, h, mi, s);
}

// A 37-character GOES header of beacon CE123456, then the body text.
std::string GoesLine(std::string_view body = "", char reception = 'G',
                     std::string_view time = "140210", std::string_view yearDay = "05066",
                     std::string_view address = "CE123456") {
    std::string line;
    line.append(address).append(yearDay).append(time);
    line.push_back(reception);
    line.append("4401EF123NAB00118").append(body);
    return line;
}

// ---- scanf-like reading ----

TEST(ScanThreeNumbers, ReadsLikeTheCLibrary) {
    int32_t a = 0, b = 0, c = 0;
    EXPECT_TRUE(ScanThreeNumbers("3/7/5", '/', a, b, c));
    EXPECT_EQ(a * 10000 + b * 100 + c, 30705);
    EXPECT_TRUE(ScanThreeNumbers(" 3/ 7/\t5", '/', a, b, c));
    EXPECT_EQ(a * 10000 + b * 100 + c, 30705);
    EXPECT_TRUE(ScanThreeNumbers("+3/-7/2005", '/', a, b, c));
    EXPECT_EQ(a, 3);
    EXPECT_EQ(b, -7);
    EXPECT_EQ(c, 20);
    EXPECT_FALSE(ScanThreeNumbers("03-07-05", '/', a, b, c));
    EXPECT_FALSE(ScanThreeNumbers("03/07/", '/', a, b, c));
    EXPECT_FALSE(ScanThreeNumbers("123/4/5", '/', a, b, c));  // width 2 leaves "3" before "/"
    EXPECT_FALSE(ScanThreeNumbers("03 /07/05", '/', a, b, c));  // no skipping before a literal
    EXPECT_FALSE(ScanThreeNumbers("-/07/05", '/', a, b, c));
}

// Built headers end up in the daily files: each field must read as printf's "%02d"
// (or "%d") wrote it, for any number the header lines may give, negative ones too.
TEST(BuildAtHeader, FieldsAsPrintfWritesThem) {
    const int32_t values[] = {0, 1, 9, 10, 59, 99, 100, 2005, 12345, -1, -9, -10, -123,
                              std::numeric_limits<int32_t>::max(), std::numeric_limits<int32_t>::min()};
    for (const int32_t a : values) {
        for (const int32_t b : {0, 7, -3, 61}) {
            for (const bool dayFirst : {true, false}) {
                char stamp[128];
                std::snprintf(stamp, sizeof stamp, "%02d/%02d/%02d %02d:%02d:%02d UTC %dBT %c", dayFirst ? b : a,
                              dayFirst ? a : b, a % 100, b, a, b, a, a % 2 == 0 ? 'o' : 'x');
                EXPECT_EQ(BuildAtHeader("4711", a, a, b, b, a, b, dayFirst, a, a % 2 == 0),
                          "4711" + std::string(kBuiltHeaderMiddle) + stamp)
                    << a << ' ' << b;
            }
        }
    }
}

TEST(ScanGoesHeader, FifteenConversions) {
    const std::string line = GoesLine("BODY");
    const auto h = ScanGoesHeader(line);
    ASSERT_TRUE(h);
    EXPECT_EQ(h->Address, "CE123456");
    EXPECT_EQ(h->Year, 5);
    EXPECT_EQ(h->DayOfYear, 66);
    EXPECT_EQ(h->Hour * 10000 + h->Minute * 100 + h->Second, 140210);
    EXPECT_EQ(h->Reception, 'G');
    EXPECT_EQ(h->Length, 118);

    // %c takes a space as it stands; numbers and strings skip white space first.
    const auto spaced = ScanGoesHeader(GoesLine("", ' '));
    ASSERT_TRUE(spaced);
    EXPECT_EQ(spaced->Reception, ' ');
    const auto shortAddress = ScanGoesHeader("ABC 05066140210G4401EF123NAB00118");
    ASSERT_TRUE(shortAddress);
    EXPECT_EQ(shortAddress->Address, "ABC");
    EXPECT_EQ(shortAddress->Length, 118);

    EXPECT_FALSE(ScanGoesHeader(GoesLine().substr(0, 32)));
    EXPECT_FALSE(ScanGoesHeader(GoesLine("", 'G', "14O210")));
    EXPECT_FALSE(ScanGoesHeader(""));
}

// ---- GOES files ----

TEST_F(ReaderTest, GoesHeaderBuildsAnAtHeader) {
    Settings().DCPDateNew = false;
    reader.ReadBuffer(GoesLine() + "\n" + GoesLine("", '?', "140211") + "\n", 3);
    EXPECT_TRUE(reader.Errors.empty());
    ASSERT_EQ(goes->Blocks.size(), 2u);
    const TDCPDataBloc& block = *goes->Blocks[0];
    EXPECT_EQ(block.Header, "CE123456-ALL           0 at 03/07/05 14:02:10 UTC 118BT o");
    EXPECT_DOUBLE_EQ(block.Date, At(2005, 3, 7, 14, 2, 10));
    EXPECT_EQ(block.AnnouncedLength, 118);
    EXPECT_EQ(goes->Blocks[1]->Header, "CE123456-ALL           0 at 03/07/05 14:02:11 UTC 118BT x");

    Settings().DCPDateNew = true;
    list->ClearAll();
    reader.ReadBuffer(GoesLine(), 3);
    ASSERT_EQ(goes->Blocks.size(), 1u);
    EXPECT_EQ(goes->Blocks[0]->Header, "CE123456-ALL           0 at 07/03/05 14:02:10 UTC 118BT o");
    EXPECT_DOUBLE_EQ(goes->Blocks[0]->Date, At(2005, 3, 7, 14, 2, 10));
}

TEST_F(ReaderTest, BuiltHeadersReadBackToTheSameBlock) {
    for (bool dayFirst : {false, true}) {
        Settings().DCPDateNew = dayFirst;
        list->ClearAll();
        reader.ReadBuffer(GoesLine("", 'G', "235959", "05365") + "\n", 3);
        reader.ReadBuffer("Prog: 1 Brussels 31/12/05 00-00-01\n", 2);
        ASSERT_EQ(goes->Blocks.size(), 1u);
        ASSERT_EQ(bru->Blocks.size(), 1u);
        const std::string goesHeader = goes->Blocks[0]->Header;
        const std::string bruHeader = bru->Blocks[0]->Header;

        reader.ReadBuffer(goesHeader + "\n" + bruHeader + "\n", 0);
        EXPECT_TRUE(reader.Errors.empty());
        ASSERT_EQ(goes->Blocks.size(), 1u);
        EXPECT_DOUBLE_EQ(goes->Blocks[0]->Date, At(2005, 12, 31, 23, 59, 59));
        EXPECT_EQ(goes->Blocks[0]->AnnouncedLength, 118);
        ASSERT_EQ(bru->Blocks.size(), 1u);
        EXPECT_DOUBLE_EQ(bru->Blocks[0]->Date, At(2005, 12, 31, 0, 0, 1));
    }
}

TEST_F(ReaderTest, GoesMessageRunsToItsEndMark) {
    reader.ReadBuffer(GoesLine(" \x01 ABC") + "\nDEF\nGH X*zz\nLOST\n", 3);
    ASSERT_EQ(goes->Blocks.size(), 1u);
    EXPECT_EQ(BodyOf(*goes->Blocks[0]), "ABCDEFGH" + std::string(kEnd));
    EXPECT_EQ(reader.CurrentBlock, nullptr);
}

TEST_F(ReaderTest, GoesVgtmIsRemovedFromTheHeaderLine) {
    reader.ReadBuffer(GoesLine("VGTM   ABC X*zz") + "\nNEXT\n", 3);
    ASSERT_EQ(goes->Blocks.size(), 1u);
    EXPECT_EQ(BodyOf(*goes->Blocks[0]), "ABC" + std::string(kEnd));
    EXPECT_EQ(reader.CurrentBlock, nullptr);
}

TEST_F(ReaderTest, GoesThreeCharacterLineEndsTheMessage) {
    reader.ReadBuffer(GoesLine("ABC") + "\nDE \nFGH\n", 3);
    ASSERT_EQ(goes->Blocks.size(), 1u);
    EXPECT_EQ(BodyOf(*goes->Blocks[0]), "ABCDE" + std::string(kEnd));
    EXPECT_EQ(reader.CurrentBlock, nullptr);
}

TEST_F(ReaderTest, GoesStatusLinesAreBodyLines) {
    for (std::string_view status :
         {"PDT RECORD IS NOT COMPLETE", "MESSAGE OVERLAPPING ASSIGNED TIME WINDOW",
          "DUPLICATE MESSAGE RECEIVED", "MESSAGE RECEIVED ON WRONG CHANNEL"}) {
        list->ClearAll();
        const std::string statusLine = GoesLine(status, 'G', "150000");
        reader.ReadBuffer(GoesLine("ABC") + "\n" + statusLine + "\n", 3);
        ASSERT_EQ(goes->Blocks.size(), 1u) << status;
        EXPECT_EQ(BodyOf(*goes->Blocks[0]), "ABC" + statusLine);
    }
    list->ClearAll();
    reader.ReadBuffer(GoesLine("DUPLICATE MESSAGE RECEIVED"), 3);
    EXPECT_TRUE(goes->Blocks.empty());
    EXPECT_TRUE(reader.Errors.empty());
}

TEST_F(ReaderTest, GoesErrorsQuoteTheNumbersRead) {
    const std::string stranger = GoesLine("ABC", 'G', "140210", "05066", "XX000001");
    reader.ReadBuffer(GoesLine("MINE") + "\n" + stranger + "\nLOST X*\n" +
                          GoesLine("", 'G', "250210") + "\n" + GoesLine("", 'G', "140210", "-1066"),
                      3);
    ASSERT_EQ(reader.Errors.size(), 3u);
    EXPECT_EQ(reader.Errors[0].Code, 3);
    EXPECT_EQ(reader.Errors[0].S1, "XX000001");
    EXPECT_EQ(reader.Errors[0].S2, stranger);
    EXPECT_EQ(reader.Errors[1].Code, 5);
    EXPECT_EQ(reader.Errors[1].S1, "25:2:10");
    EXPECT_EQ(reader.Errors[2].Code, 4);
    EXPECT_EQ(reader.Errors[2].S1, "-1 JDay=66");
    ASSERT_EQ(goes->Blocks.size(), 1u);
    EXPECT_EQ(BodyOf(*goes->Blocks[0]), "MINE");
}

TEST_F(ReaderTest, ReadingAGoesFileTwiceKeepsOneBlockPerMessage) {
    const std::string path = dir.File("station.goes");
    WriteText(path, GoesLine("AB X*") + "\r\n" + GoesLine("CD", 'G', "143000") + "\r\nE \r\n");
    ASSERT_EQ(reader.ReadFile(path), 0);
    ASSERT_EQ(reader.ReadFile(path), 0);
    ASSERT_EQ(goes->Blocks.size(), 2u);
    EXPECT_EQ(reader.Format, 3);
    EXPECT_FALSE(reader.CheckOrder);
}

// ---- BRU files ----

TEST_F(ReaderTest, BruHeaderNamesTheBeaconByName) {
    Settings().DCPDateNew = false;
    reader.ReadBuffer("Prog: 12 Brussels 07/03/05 14-02-10\nBODY1\nBODY2\n"
                      "Prog: 12 5522 07/03/05 14-02-10\nLOST\n",
                      2);
    ASSERT_EQ(bru->Blocks.size(), 1u);
    const TDCPDataBloc& block = *bru->Blocks[0];
    EXPECT_EQ(block.Header, "5522-ALL           0 at 03/07/05 14:02:10 UTC 0BT o");
    EXPECT_DOUBLE_EQ(block.Date, At(2005, 3, 7, 14, 2, 10));
    EXPECT_EQ(block.AnnouncedLength, 0);
    EXPECT_EQ(BodyOf(block), "BODY1BODY2");
    ASSERT_EQ(reader.Errors.size(), 1u);
    EXPECT_EQ(reader.Errors[0].Code, 3);
    EXPECT_EQ(reader.Errors[0].S1, "5522");
}

TEST_F(ReaderTest, BruHeaderErrors) {
    reader.ReadBuffer("Prog: 12 Brussels 07/03/05\nLOST\n"
                      "Prog: 12 Brussels 31/02/05 14-02-10\nLOST\n"
                      "Prog: 12 Brussels 07/03/05 14:02:10\nLOST\n",
                      2);
    EXPECT_TRUE(bru->Blocks.empty());
    ASSERT_EQ(reader.Errors.size(), 3u);
    EXPECT_EQ(reader.Errors[0].Code, 2);
    EXPECT_EQ(reader.Errors[0].Line, 1);
    EXPECT_EQ(reader.Errors[1].Code, 4);
    EXPECT_EQ(TDecodFile::ErrorMessage(reader.Errors[1]),
              "Mauvais formatage de la date dans l'en-tête du message, \"31/02/05\" n'est pas une "
              "date valide");
    EXPECT_EQ(reader.Errors[2].Code, 5);
    EXPECT_EQ(reader.Errors[2].S1, "14:02:10");
}

}  // namespace
}  // namespace skylog::test
