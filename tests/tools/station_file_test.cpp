#include <gtest/gtest.h>

#include <cstdio>

#include "Common/UUtils.h"
#include "tools/gen/GenFormat.h"
#include "tools/gen/StationFile.h"

namespace skylog::gen {
namespace {

TDateTime March7At140210() { return *EncodeDateTime(2005, 3, 7, 14, 2, 10); }

// Lines of a file, cut as the reader cuts them: at LF or NUL, CRs dropped, empty lines gone.
StringList Lines(const std::string& bytes) {
    StringList lines;
    std::string current;
    for (char c : bytes) {
        if (c == '\n' || c == '\0') {
            if (!current.empty()) lines.push_back(current);
            current.clear();
        } else if (c != '\r') {
            current.push_back(c);
        }
    }
    if (!current.empty()) lines.push_back(current);
    return lines;
}

TEST(StationHeaders, AtHeaderHasEightFieldsAndTheChosenDateOrder) {
    const std::string dayFirst = AtHeaderLine("4711", March7At140210(), 118, true);
    EXPECT_EQ(dayFirst, "4711-ALL           0 at 07/03/05 14:02:10 UTC 118BT o");
    const StringList fields = Split(dayFirst, ' ', kSplitMerge);
    ASSERT_EQ(fields.size(), 8u);
    EXPECT_EQ(fields[2], "at");
    EXPECT_EQ(AtHeaderLine("4711", March7At140210(), 118, false), "4711-ALL           0 at 03/07/05 14:02:10 UTC 118BT o");
    EXPECT_EQ(Split(AtHeaderLine("4711", March7At140210(), 1, true, 'o', HeaderDefect::BadDate), ' ', kSplitMerge)[3],
              "31/02/05");
    EXPECT_EQ(Split(AtHeaderLine("4711", March7At140210(), 1, true, 'o', HeaderDefect::BadTime), ' ', kSplitMerge)[4],
              "25:02:10");
}

TEST(StationHeaders, GoesHeaderIs37CharactersAndParsesBack) {
    const std::string header = GoesHeader("CE1234A6", March7At140210(), 'G', 118);
    ASSERT_EQ(header.size(), kGoesHeaderLength);
    char address[9] = {}, source[3] = {};
    int year = 0, dayNumber = 0, hour = 0, minute = 0, second = 0, s8 = 0, s9 = 0, s12 = 0, length = 0;
    char reception = 0, c10 = 0, c11 = 0, c13 = 0;
    const int read = std::sscanf(header.c_str(), "%8s%02d%03d%02d%02d%02d%c%02d%02d%c%c%03d%c%02s%05d", address, &year,
                                 &dayNumber, &hour, &minute, &second, &reception, &s8, &s9, &c10, &c11, &s12, &c13,
                                 source, &length);
    ASSERT_EQ(read, 15);
    EXPECT_STREQ(address, "CE1234A6");
    EXPECT_EQ(year, 5);
    EXPECT_EQ(dayNumber, 66);  // 7 March 2005
    EXPECT_EQ(hour, 14);
    EXPECT_EQ(minute, 2);
    EXPECT_EQ(second, 10);
    EXPECT_EQ(reception, 'G');
    EXPECT_EQ(length, 118);
    EXPECT_THROW((void)GoesHeader("SHORT", March7At140210(), 'G', 1), std::invalid_argument);
}

TEST(StationHeaders, BruProgLineSplitsIntoFiveFields) {
    const std::string line = BruProgLine(12, "Lampedusa", March7At140210());
    const StringList fields = Split(line, ' ', kSplitMerge);
    ASSERT_EQ(fields.size(), 5u);
    EXPECT_EQ(fields[0], "Prog:");
    EXPECT_EQ(fields[2], "Lampedusa");
    EXPECT_EQ(fields[3], "07/03/05");
    EXPECT_EQ(fields[4], "14-02-10");
    EXPECT_THROW((void)BruProgLine(1, "Two words", March7At140210()), std::invalid_argument);
}

StationMessage Message(std::string body) {
    StationMessage m;
    m.beaconNumber = "CE1234A6";
    m.beaconName = "Lampedusa";
    m.date = March7At140210();
    m.body = std::move(body);
    return m;
}

TEST(StationFiles, CnrsFileHasNameLineHeaderAndWrappedBody) {
    const std::string body = std::string(150, 'A') + std::string(kEndMarker);
    const StationMessage messages[] = {Message(body), Message(body)};
    FileStyle style;
    style.lineWidth = 69;
    const StringList lines = Lines(WriteStationFile(StationFormat::Cnrs, messages, style));
    ASSERT_EQ(lines.size(), 1u + 2 * 4);
    EXPECT_EQ(lines[0], "0000CE1234A6 F/Lampedusa");
    EXPECT_EQ(lines[1].substr(0, 12), "CE1234A6-ALL");
    EXPECT_EQ(lines[2].size(), 69u);
    EXPECT_EQ(lines[2] + lines[3] + lines[4], body);
    const StringList nasa = Lines(WriteStationFile(StationFormat::Nasa, messages, style));
    EXPECT_EQ(nasa[0], "0000CE1234A6 NASA/Lampedusa");
}

TEST(StationFiles, LineEndsAreAsAsked) {
    const StationMessage messages[] = {Message("ABC")};
    FileStyle style;
    style.lineEnd = LineEnd::CrLf;
    EXPECT_EQ(WriteStationFile(StationFormat::Bru, messages, style), "Prog: 1 Lampedusa 07/03/05 14-02-10\r\nABC\r\n");
    style.lineEnd = LineEnd::Nul;
    EXPECT_EQ(WriteStationFile(StationFormat::Bru, messages, style),
              std::string("Prog: 1 Lampedusa 07/03/05 14-02-10\0ABC\0", 40));
}

TEST(StationFiles, HighBitsComeOffAgainWhenBit7IsCleared) {
    StationMessage m = Message(std::string(40, 'B') + std::string(kEndMarker));
    m.highBits = true;
    const StationMessage messages[] = {m};
    std::string bytes = WriteStationFile(StationFormat::Dcp, messages, FileStyle{});
    EXPECT_NE(bytes.find('\xC2'), std::string::npos);
    for (char& c : bytes) c = static_cast<char>(c & 0x7F);
    EXPECT_EQ(Lines(bytes)[1], m.body);
}

TEST(StationFiles, GoesBodyFollowsTheHeaderAndEndsWithXStar) {
    const std::string data = std::string(100, 'C');
    StationMessage m = Message(data + std::string(kEndMarker) + "QQ");
    const StationMessage messages[] = {m};
    FileStyle style;
    style.lineWidth = 69;
    const StringList lines = Lines(WriteStationFile(StationFormat::Goes, messages, style));
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].substr(0, kGoesHeaderLength), GoesHeader("CE1234A6", m.date, 'G', int(m.body.size())));
    EXPECT_EQ(lines[0].substr(kGoesHeaderLength), data.substr(0, 69));
    EXPECT_EQ(lines[1], data.substr(69) + " X*QQ");
}

TEST(StationFiles, GoesThreeCharacterEndLine) {
    const std::string data = std::string(30, 'D');
    StationMessage m = Message(data + std::string(kEndMarker));
    m.goesEnd = GoesEndStyle::ThreeCharLine;
    const StationMessage messages[] = {m};
    const StringList lines = Lines(WriteStationFile(StationFormat::Goes, messages, FileStyle{}));
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].substr(kGoesHeaderLength), data.substr(0, 28));
    EXPECT_EQ(lines[1], "DD ");
}

TEST(StationFiles, GoesMessageWithoutEndMarkerGetsNoEndMark) {
    StationMessage m = Message(std::string(20, 'E') + "\x04]Jd");
    const StationMessage messages[] = {m};
    const StringList lines = Lines(WriteStationFile(StationFormat::Goes, messages, FileStyle{}));
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].substr(kGoesHeaderLength), m.body);
}

TEST(StationFiles, WrappingNeverLeavesALineReadingVgtm) {
    const StringList lines = WrapBody("ABCDEFGHVGTM", 4);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[1], "EFGHVGTM");
    EXPECT_EQ(WrapBody("ABCDEFGH", 0).size(), 1u);
}

TEST(StationFiles, FormatNamesAndExtensions) {
    for (StationFormat format : AllFormats()) {
        EXPECT_EQ(ParseFormatName(FormatName(format)), format);
        EXPECT_EQ(FormatExtension(format), "." + ToUpperAscii(FormatName(format)));
    }
    EXPECT_FALSE(ParseFormatName("txt").has_value());
}

}  // namespace
}  // namespace skylog::gen

namespace skylog::gen {
namespace {

TEST(StationFiles, GoesBodyStartingWithDelStartsOnTheNextLine) {
    // Cyclic number 63 is DEL, a control character the reader would strip after the header.
    StationMessage m;
    m.beaconNumber = "CE1234A6";
    m.date = *EncodeDateTime(2005, 3, 7, 14, 2, 10);
    m.body = "\x7f" + std::string(20, 'F') + std::string(kEndMarker);
    const StationMessage messages[] = {m};
    const std::string bytes = WriteStationFile(StationFormat::Goes, messages, FileStyle{});
    EXPECT_EQ(bytes, GoesHeader(m.beaconNumber, m.date, 'G', int(m.body.size())) + "\r\n\x7f" + std::string(20, 'F') +
                         " X*\r\n");
}

}  // namespace
}  // namespace skylog::gen
