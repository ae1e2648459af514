#include <gtest/gtest.h>

#include <algorithm>

#include "Common/UUtils.h"
#include "tools/gen/GenFormat.h"
#include "tools/gen/StationFile.h"

namespace skylog::gen {
namespace {

const TDateTime kMarch7 = *EncodeDateTime(2005, 3, 7, 14, 2, 10);

// Lines of a file, cut as the reader cuts them: at LF or NUL, CRs dropped, empty lines gone.
StringList Lines(std::string bytes) {
    std::replace(bytes.begin(), bytes.end(), '\0', '\n');
    std::erase(bytes, '\r');
    return Split(bytes, '\n', kSplitMerge);
}

TEST(StationHeaders, HeaderLinesByteForByte) {
    const std::string at = "4711-ALL           0 at ";
    EXPECT_EQ(AtHeaderLine("4711", kMarch7, 118, true), at + "07/03/05 14:02:10 UTC 118BT o");
    EXPECT_EQ(AtHeaderLine("4711", kMarch7, 118, false), at + "03/07/05 14:02:10 UTC 118BT o");
    EXPECT_EQ(AtHeaderLine("4711", kMarch7, 1, true, 'x', HeaderDefect::BadDate), at + "31/02/05 14:02:10 UTC 1BT x");
    EXPECT_EQ(AtHeaderLine("4711", kMarch7, 1, true, 'o', HeaderDefect::BadTime), at + "07/03/05 25:02:10 UTC 1BT o");
    // Address, two-digit year and day number (66 for 7 March), time, reception, the fixed
    // signal fields, five-digit length: 37 characters.
    EXPECT_EQ(GoesHeader("CE1234A6", kMarch7, 'G', 118), "CE1234A605066140210G44+0NN195EDB00118");
    EXPECT_EQ(GoesHeader("CE1234A6", kMarch7, '?', 7, HeaderDefect::BadTime), "CE1234A605066250210?44+0NN195EDB00007");
    EXPECT_EQ(BruProgLine(12, "Lampedusa", kMarch7, HeaderDefect::BadDate), "Prog: 12 Lampedusa 31/02/05 14-02-10");
    EXPECT_THROW((void)GoesHeader("SHORT", kMarch7, 'G', 1), std::invalid_argument);
    EXPECT_THROW((void)BruProgLine(1, "Two words", kMarch7), std::invalid_argument);
}

StationMessage Message(std::string body) {
    return {.beaconNumber = "CE1234A6", .beaconName = "Lampedusa", .date = kMarch7, .body = std::move(body)};
}

TEST(StationFiles, CnrsFileHasNameLineHeaderAndWrappedBody) {
    const std::string body = std::string(150, 'A') + std::string(kEndMarker);
    const StationMessage messages[] = {Message(body), Message(body)};
    const StringList lines = Lines(WriteStationFile(StationFormat::Cnrs, messages, FileStyle{}));
    ASSERT_EQ(lines.size(), 1u + 2 * 4);
    EXPECT_EQ(lines[0], "0000CE1234A6 F/Lampedusa");
    EXPECT_EQ(lines[1].substr(0, 12), "CE1234A6-ALL");
    EXPECT_EQ(lines[2].size(), 69u);
    EXPECT_EQ(lines[2] + lines[3] + lines[4], body);
    EXPECT_EQ(Lines(WriteStationFile(StationFormat::Nasa, messages, FileStyle{}))[0], "0000CE1234A6 NASA/Lampedusa");
}

// The end marker becomes " X*" (bytes after it follow the mark) or a last line of two
// characters and a space; a body without it gets no mark. A body starting with DEL (cyclic
// number 63) starts on the header line, a body starting with a space on the next one.
TEST(StationFiles, GoesMessagesInLinesAsTheReaderCutsThem) {
    using enum GoesEndStyle;
    const std::string end(kEndMarker);
    struct Case {
        std::string body;
        GoesEndStyle style;
        StringList lines;  // after the header
    };
    const Case cases[] = {
        {std::string(100, 'C') + end + "QQ", XStar, {std::string(69, 'C'), std::string(31, 'C') + " X*QQ"}},
        {std::string(30, 'D') + end, ThreeCharLine, {std::string(28, 'D'), "DD "}},
        {std::string(20, 'E') + "\x04]Jd", XStar, {std::string(20, 'E') + "\x04]Jd"}},
        {"\x7f" + std::string(20, 'F') + end, XStar, {"\x7f" + std::string(20, 'F') + " X*"}},
        {" " + std::string(20, 'G') + end, XStar, {"", " " + std::string(20, 'G') + " X*"}}};
    for (const Case& c : cases) {
        StationMessage m = Message(c.body);
        m.goesEnd = c.style;
        const StationMessage messages[] = {m};
        StringList lines = Lines(WriteStationFile(StationFormat::Goes, messages, FileStyle{}));
        ASSERT_FALSE(lines.empty());
        EXPECT_EQ(lines[0].substr(0, kGoesHeaderLength), GoesHeader(m.beaconNumber, kMarch7, 'G', int(c.body.size())));
        lines[0].erase(0, kGoesHeaderLength);
        EXPECT_EQ(lines, c.lines) << c.body;
    }
}

TEST(StationFiles, WrappingNeverLeavesALineReadingVgtm) {
    EXPECT_EQ(WrapBody("ABCDEFGHVGTM", 4), (StringList{"ABCD", "EFGHVGTM"}));
    EXPECT_EQ(WrapBody("ABCDEFGH", 0), StringList{"ABCDEFGH"});
}

}  // namespace
}  // namespace skylog::gen
