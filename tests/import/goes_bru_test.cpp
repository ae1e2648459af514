#include <cstdio>
#include <limits>
#include <random>
#include <string>

#include "import/GroundStationFormat.h"
#include "import/HeaderLines.h"
#include "import/ScanCursor.h"
#include "tests/import/ReaderFixture.h"

namespace skylog::test {
namespace {

constexpr std::string_view kEnd = "\x04]Jc";

// A 37-character GOES header of beacon CE123456, then the body text.
std::string GoesLine(std::string_view body = "", char reception = 'G', std::string_view time = "140210",
                     std::string_view yearDay = "05066", std::string_view address = "CE123456") {
    std::string line;
    line.append(address).append(yearDay).append(time);
    line.push_back(reception);
    line.append("4401EF123NAB00118").append(body);
    return line;
}

// ---- scanf-like reading, compared with the C library itself ----

// Random texts of three numbers with white space, signs and separators, and the cases
// that matter: a width of two counts the sign, numbers skip white space, a literal does not.
TEST(ScanThreeNumbers, ReadsLikeSscanf) {
    std::vector<std::string> texts = {"3/7/5", " 3/ 7/\t5", "+3/-7/2005", "03-07-05", "03/07/", "123/4/5",
                                      "03 /07/05", "-/07/05", "", "03/07/05", "12/31/99 UTC", "00/00/00",
                                      "03/07/0", "03/07/5x", "03/0a/05"};
    std::mt19937 rng(7);
    const char* spaces[] = {"", "", " ", "\t "};
    const char* signs[] = {"", "", "+", "-"};
    const char* separators[] = {"/", "/", "/", "/", " /", "-"};
    for (int i = 0; i < 20000; ++i) {
        std::string text;
        for (int n = 0; n < 3; ++n) {
            text += spaces[rng() % 4];
            text += signs[rng() % 4];
            for (int digits = "0112223"[rng() % 7] - '0'; digits > 0; --digits) text += char('0' + rng() % 10);
            if (n < 2) text += separators[rng() % 6];
        }
        texts.push_back(text);
    }
    for (const std::string& text : texts) {
        int32_t a = 0, b = 0, c = 0;
        int x = 0, y = 0, z = 0;
        // Numbers read before a failure are stored as sscanf stores them.
        ASSERT_EQ(ScanThreeNumbers(text, '/', a, b, c), std::sscanf(text.c_str(), "%02d/%02d/%02d", &x, &y, &z) == 3)
            << '"' << text << '"';
        EXPECT_EQ((std::vector<int>{a, b, c}), (std::vector<int>{x, y, z})) << '"' << text << '"';
    }
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

// Valid headers with a few characters replaced or cut short: all fifteen conversions
// succeed exactly when they do for sscanf, with the same values. %c takes a space as it
// stands; numbers and strings skip white space first ("ABC 05066..." is a header).
TEST(ScanGoesHeader, ReadsLikeSscanf) {
    std::vector<std::string> lines = {GoesLine("BODY"), GoesLine("", ' '), "ABC 05066140210G4401EF123NAB00118",
                                      GoesLine().substr(0, 32), GoesLine("", 'G', "14O210"), ""};
    std::mt19937 rng(11);
    const std::string alphabet = "0123456789 +-\tAGX?";
    for (int i = 0; i < 20000; ++i) {
        std::string line = GoesLine("BODY");
        for (unsigned k = rng() % 3 + 1; k > 0; --k) line[rng() % 37] = alphabet[rng() % alphabet.size()];
        if (rng() % 4 == 0) line.resize(rng() % 40);
        lines.push_back(line);
    }
    for (const std::string& line : lines) {
        char address[9] = {}, source[3] = {}, reception = 0, c10 = 0, c11 = 0, c13 = 0;
        int year = 0, dayNumber = 0, hour = 0, minute = 0, second = 0, s8 = 0, s9 = 0, s12 = 0, length = 0;
        const int read = std::sscanf(line.c_str(), "%8s%02d%03d%02d%02d%02d%c%02d%02d%c%c%03d%c%02s%05d", address,
                                     &year, &dayNumber, &hour, &minute, &second, &reception, &s8, &s9, &c10, &c11,
                                     &s12, &c13, source, &length);
        const auto h = ScanGoesHeader(line);
        ASSERT_EQ(h.has_value(), read == 15) << '"' << line << '"';
        if (!h) continue;
        EXPECT_EQ(h->Address, address) << line;
        EXPECT_EQ((std::vector<int>{h->Year, h->DayOfYear, h->Hour, h->Minute, h->Second, h->Reception, h->Length}),
                  (std::vector<int>{year, dayNumber, hour, minute, second, reception, length}))
            << line;
    }
}

// ---- GOES and BRU files ----

// The header built for a GOES or BRU block: the beacon's number, the date in the order
// DCPDateNew says, the announced length and the reception (o for G, x otherwise). Read
// back as an "at" header it gives the same block again.
TEST_F(ReaderTest, GoesAndBruHeadersBuildAtHeadersThatReadBack) {
    for (bool dayFirst : {false, true}) {
        env.settings.DCPDateNew = dayFirst;
        list->ClearAll();
        reader.ReadBuffer(GoesLine("", dayFirst ? 'G' : '?', "235959", "05365") + "\n", 3);
        reader.ReadBuffer("Prog: 1 Brussels 31/12/05 00-00-01\n", 2);
        ASSERT_EQ(goes->Blocks().size(), 1u);
        ASSERT_EQ(bru->Blocks().size(), 1u);
        const std::string date = dayFirst ? "31/12/05" : "12/31/05";
        EXPECT_EQ(goes->Blocks()[0]->Header, "CE123456-ALL           0 at " + date + " 23:59:59 UTC 118BT " +
                                               (dayFirst ? "o" : "x"));
        EXPECT_EQ(bru->Blocks()[0]->Header, "5522-ALL           0 at " + date + " 00:00:01 UTC 0BT o");
        EXPECT_EQ(bru->Blocks()[0]->AnnouncedLength, 0);
        reader.ReadBuffer(goes->Blocks()[0]->Header + "\n" + bru->Blocks()[0]->Header + "\n", 0);
        EXPECT_TRUE(reader.Errors.empty());
        ASSERT_EQ(goes->Blocks().size(), 1u);
        EXPECT_DOUBLE_EQ(goes->Blocks()[0]->Date, At(2005, 12, 31, 23, 59, 59));
        EXPECT_EQ(goes->Blocks()[0]->AnnouncedLength, 118);
        ASSERT_EQ(bru->Blocks().size(), 1u);
        EXPECT_DOUBLE_EQ(bru->Blocks()[0]->Date, At(2005, 12, 31, 0, 0, 1));
    }
}

// GOES and BRU files and what the reader makes of them: the bodies of one beacon's
// blocks and the errors, as "code@line S1".
TEST_F(ReaderTest, GoesAndBruLinesGiveTheseBlocksAndErrors) {
    struct Case {
        std::string why, file;
        int32_t format;
        TDCP* beacon;
        Strings bodies, errors;
    };
    const std::string end(kEnd);
    std::vector<Case> cases = {
        {"a message runs to X*, what follows is dropped", GoesLine(" \x01 ABC") + "\nDEF\nGH X*zz\nLOST\n", 3, goes,
         {"ABCDEFGH" + end}, {}},
        {"control bytes and VGTM at the start of the header line's text go", GoesLine("VGTM   ABC X*zz") + "\nNEXT\n",
         3, goes, {"ABC" + end}, {}},
        {"DEL there is data (cyclic number 63)", GoesLine(" \x01\x7f" "ABC X*"), 3, goes, {"\x7f" "ABC" + end}, {}},
        {"two characters and a space end a message", GoesLine("ABC") + "\nDE \nFGH\n", 3, goes, {"ABCDE" + end}, {}},
        {"a status line alone is no header", GoesLine("DUPLICATE MESSAGE RECEIVED"), 3, goes, {}, {}},
        {"GOES errors quote the numbers read",
         GoesLine("MINE") + "\n" + GoesLine("ABC", 'G', "140210", "05066", "XX000001") + "\nLOST X*\n" +
             GoesLine("", 'G', "250210") + "\n" + GoesLine("", 'G', "140210", "-1066"),
         3, goes, {"MINE"}, {"3@2 XX000001", "5@4 25:2:10", "4@5 -1 JDay=66"}},
        {"a day number outside its year is refused, the last of a leap year is not",
         GoesLine("", 'G', "140210", "05000") + "\nLOST\n" + GoesLine("", 'G', "140210", "05366") + "\nLOST\n" +
             GoesLine("LEAP", 'G', "140210", "04366"),
         3, goes, {"LEAP"}, {"4@1 2005 JDay=0", "4@3 2005 JDay=366"}},
        {"a BRU header names its beacon by name",
         "Prog: 12 Brussels 07/03/05 14-02-10\nBODY1\nBODY2\nProg: 12 5522 07/03/05 14-02-10\nLOST\n", 2, bru,
         {"BODY1BODY2"}, {"3@4 5522"}},
        {"BRU header errors",
         "Prog: 12 Brussels 07/03/05\nLOST\nProg: 12 Brussels 31/02/05 14-02-10\nLOST\n"
         "Prog: 12 Brussels 07/03/05 14:02:10\nLOST\n",
         2, bru, {}, {"2@1 ", "4@3 31/02/05", "5@5 14:02:10"}}};
    // A line holding one of the station's status texts is a body line, header or not.
    for (const char* status : {"PDT RECORD IS NOT COMPLETE", "MESSAGE OVERLAPPING ASSIGNED TIME WINDOW",
                               "DUPLICATE MESSAGE RECEIVED", "MESSAGE RECEIVED ON WRONG CHANNEL"}) {
        const std::string line = GoesLine(status, 'G', "150000");
        cases.push_back({status, GoesLine("ABC") + "\n" + line + "\n", 3, goes, {"ABC" + line}, {}});
    }
    for (const Case& c : cases) {
        list->ClearAll();
        reader.ReadBuffer(c.file, c.format);
        EXPECT_EQ(Bodies(c.beacon), c.bodies) << c.why;
        EXPECT_EQ(ErrorList(), c.errors) << c.why;
    }
}

// SOH, the header, the body of the announced length, STX or ETX: the body is taken as
// it stands, its length as the header gives it.
TEST_F(ReaderTest, FramedGoesMessagesAreReadWhole) {
    const auto framed = [](std::string_view body, int announced, std::string_view time = "140210",
                           std::string_view address = "CE123456") {
        char length[8];
        std::snprintf(length, sizeof length, "%05d", announced);
        return "\x01" + GoesLine("", 'G', time, "05066", address).substr(0, 32) + length + std::string(body);
    };
    struct Case {
        std::string why, file;
        Strings bodies;
        std::vector<int32_t> announced;
        Strings errors;
    };
    const std::vector<Case> cases = {
        {"exactly the announced length, a leading space and a closing byte among them",
         framed(" A\x03" "BC", 5) + "\x03\n", {" A\x03" "BC"}, {5}, {}},
        {"blank lines between messages, STX or ETX",
         framed("XYZ\x02", 3) + "\r\n\r\n" + framed("UV\x03", 2, "140300") + "\r\n", {"XYZ", "UV"}, {3, 2}, {}},
        {"shorter or longer than announced: up to the closing byte",
         framed("ABC\x03", 10) + "\n" + framed("ABCDE\x02", 2, "140300") + "\n", {"ABC", "ABCDE"}, {10, 2}, {}},
        {"the message ends with its line; what follows the closing byte goes",
         framed("AB\x03zz", 2) + "\nLOST\n" + framed("CD", 2, "140300") + "\nLOST\n", {"AB", "CD"}, {2, 2}, {}},
        {"no end mark in a framed body", framed("A X*B\x03", 5), {"A X*B"}, {5}, {}},
        {"header errors as without framing", framed("AB\x03", 2, "140210", "XX000001") + "\n" +
                                                  framed("AB\x03", 2, "250210"),
         {}, {}, {"3@1 XX000001", "5@2 25:2:10"}}};
    for (const Case& c : cases) {
        list->ClearAll();
        reader.ReadBuffer(c.file, 3);
        EXPECT_EQ(Bodies(goes), c.bodies) << c.why;
        std::vector<int32_t> announced;
        for (const auto& block : goes->Blocks()) announced.push_back(block->AnnouncedLength);
        EXPECT_EQ(announced, c.announced) << c.why;
        EXPECT_EQ(ErrorList(), c.errors) << c.why;
    }
}

TEST_F(ReaderTest, ReadingAGoesFileTwiceKeepsOneBlockPerMessage) {
    const std::string path = dir.File("station.goes");
    WriteText(path, GoesLine("AB X*") + "\r\n" + GoesLine("CD", 'G', "143000") + "\r\nE \r\n");
    ASSERT_EQ(reader.ReadFile(path), 0);
    ASSERT_EQ(reader.ReadFile(path), 0);
    EXPECT_EQ(goes->Blocks().size(), 2u);
    EXPECT_FALSE(reader.CheckOrder);
}

}  // namespace
}  // namespace skylog::test
