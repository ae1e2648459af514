#include <gtest/gtest.h>

#include "Common/FileUtil.h"
#include "Common/UUtils.h"
#include "dcp/UDailyFile.h"
#include "tests/dcp/DcpFixture.h"

namespace skylog::test {
namespace {

class DailyFileTest : public DcpFixture {
protected:
    std::string DailyFile(std::string_view folder, std::string_view name = "2005_03_07.DCP") const {
        return dir_.Path() + "DataDCP/" + std::string(folder) + "/" + std::string(name);
    }
    const std::string header_ = "4711 0 at 07/03/05 14:02:10 UTC 8BT o";
    const TDateTime march7_ = At(2005, 3, 7, 14, 2, 10);
};

std::string BodyOf(const TDCPDataBloc& block) { return {block.Body.begin(), block.Body.end()}; }

TEST_F(DailyFileTest, VgtmPrefixIsCutFromTheFirstPieceOnly) {
    TDCPDataBloc block(nullptr);
    block.AddBody("VGTM  abc");
    EXPECT_EQ(BodyOf(block), "abc");
    block.AddBody("VGTM  abc");
    EXPECT_EQ(BodyOf(block), "abcVGTM  abc");
    EXPECT_EQ(block.BodyLength, 12);

    TDCPDataBloc shifted(nullptr);
    shifted.AddBody("0123456789ABVGTM x");  // VGTM ends at byte 16: still found
    EXPECT_EQ(BodyOf(shifted), "x");

    TDCPDataBloc late(nullptr);
    late.AddBody("0123456789ABCVGTM x");  // VGTM does not fit in the first 16 bytes
    EXPECT_EQ(BodyOf(late), "0123456789ABCVGTM x");

    TDCPDataBloc onlyPrefix(nullptr);
    onlyPrefix.AddBody("VGTM   ");
    EXPECT_EQ(onlyPrefix.BodyLength, 0);
    onlyPrefix.AddBody("VGTMdef");  // the body is still empty: checked again
    EXPECT_EQ(BodyOf(onlyPrefix), "def");
}

TEST_F(DailyFileTest, PathFolderAndRecord) {
    TDCP* beacon = AddBeacon("Lampedusa", "4711");
    TDCPDataBloc* block = AddBlock(*beacon, header_, march7_, "NO DATA!");
    EXPECT_EQ(block->DailyFilePath(false), DailyFile("Lampedusa"));
    EXPECT_FALSE(DirectoryExists(dir_.Path() + "DataDCP"));

    List().FlushAll();
    EXPECT_EQ(ReadText(DailyFile("Lampedusa")), header_ + "\r\nNO DATA!\r\n");

    TDCPDataBloc* undated = AddBlock(*beacon, "4711 0 at 08/03/05 00:00:00 UTC 1BT o", 0.0, "x");
    EXPECT_EQ(undated->DailyFilePath(true), "");
    List().FlushAll();
    EXPECT_EQ(ListFiles(dir_.Path() + "DataDCP/Lampedusa", "*.*")->size(), 1u);
}

TEST_F(DailyFileTest, SameHeaderReplacesTheBlockInMemory) {
    TDCP* beacon = AddBeacon("Lampedusa", "4711");
    AddBlock(*beacon, header_, march7_, "first");
    AddBlock(*beacon, "4711 0 at 07/03/05 15:00:00 UTC 3BT o", march7_, "other");
    TDCPDataBloc* last = AddBlock(*beacon, header_, march7_, "second");
    ASSERT_EQ(beacon->Blocks.size(), 2u);
    EXPECT_EQ(beacon->Blocks[1].get(), last);
    EXPECT_EQ(BodyOf(*last), "second");
    EXPECT_EQ(beacon->TransmissionBytesReallyTransmitted(), 11);

    // A header differing in case is another transmission in memory.
    AddBlock(*beacon, "4711 0 AT 07/03/05 14:02:10 UTC 8BT O", march7_, "third");
    EXPECT_EQ(beacon->Blocks.size(), 3u);
}

TEST_F(DailyFileTest, FlushingTwiceWritesEachRecordOnce) {
    TDCP* beacon = AddBeacon("Lampedusa", "4711");
    AddBlock(*beacon, header_, march7_, "abc");
    AddBlock(*beacon, "4711 0 at 07/03/05 15:00:00 UTC 3BT o", At(2005, 3, 7, 15), "def");
    List().FlushAll();
    List().FlushAll();
    EXPECT_EQ(ReadText(DailyFile("Lampedusa")),
              header_ + "\r\nabc\r\n4711 0 at 07/03/05 15:00:00 UTC 3BT o\r\ndef\r\n");

    // Read again after clearing: still nothing appended.
    List().ClearAll();
    AddBlock(*beacon, header_, march7_, "changed body");
    List().FlushAll();
    EXPECT_EQ(ReadText(DailyFile("Lampedusa")),
              header_ + "\r\nabc\r\n4711 0 at 07/03/05 15:00:00 UTC 3BT o\r\ndef\r\n");
}

TEST_F(DailyFileTest, HeaderDifferingOnlyInCaseIsNotAppendedAgain) {
    ForceDirectories(dir_.Path() + "DataDCP/Lampedusa");
    const std::string stored = "4711 0 AT 07/03/05 14:02:10 utc 8bt O\nbody\n";
    WriteText(DailyFile("Lampedusa"), stored);
    TDCP* beacon = AddBeacon("Lampedusa", "4711");
    AddBlock(*beacon, header_, march7_, "abc");
    beacon->SaveBlocks();
    EXPECT_EQ(ReadText(DailyFile("Lampedusa")), stored);
}

TEST_F(DailyFileTest, RecordsAppendedByAnotherProgramAreSeen) {
    TDCP* beacon = AddBeacon("Lampedusa", "4711");
    AddBlock(*beacon, header_, march7_, "abc");
    List().FlushAll();
    const std::string other = "4711 0 at 07/03/05 16:00:00 UTC 3BT o";
    WriteText(DailyFile("Lampedusa"), ReadText(DailyFile("Lampedusa")) + other + "\r\nxyz\r\n");

    AddBlock(*beacon, other, At(2005, 3, 7, 16), "xyz");
    List().FlushAll();
    EXPECT_EQ(ReadText(DailyFile("Lampedusa")), header_ + "\r\nabc\r\n" + other + "\r\nxyz\r\n");
}

TEST_F(DailyFileTest, RecordAfterATruncatedLineStartsOnItsOwnLine) {
    ForceDirectories(dir_.Path() + "DataDCP/Lampedusa");
    WriteText(DailyFile("Lampedusa"), "4711 0 at 07/03/05 10:00:00 UTC 9BT o\r\nhalf a bo");
    TDCP* beacon = AddBeacon("Lampedusa", "4711");
    AddBlock(*beacon, header_, march7_, "abc");
    beacon->SaveBlocks();
    // The record cut short by a killed writer goes (it comes back whole when its block
    // is stored again); the new record starts the line.
    EXPECT_EQ(ReadText(DailyFile("Lampedusa")), header_ + "\r\nabc\r\n");
}

TEST_F(DailyFileTest, UnsafeBeaconNamesStayInsideDataDcp) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"", "_"}, {".", "_."}, {"..", "_.."}, {"../../evil", ".._.._evil"}, {"a/b", "a_b"}};
    int hour = 0;
    for (const auto& [name, folder] : cases) {
        TDCP* beacon = AddBeacon(name, "N" + std::to_string(hour));
        EXPECT_EQ(beacon->FolderName(), folder);
        const std::string header = "N" + std::to_string(hour) + " 0 at 07/03/05 0" +
                                   std::to_string(hour) + ":00:00 UTC 1BT o";
        AddBlock(*beacon, header, At(2005, 3, 7, hour), "x");
        ++hour;
    }
    List().FlushAll();
    for (const auto& [name, folder] : cases) {
        EXPECT_TRUE(FileExists(DailyFile(folder))) << folder;
        EXPECT_EQ(List().FindByName(name)->Name, name);
    }
    EXPECT_EQ(ListFiles(dir_.Path() + "DataDCP", "*.*")->size(), 0u);  // only folders
    EXPECT_FALSE(FileExists(dir_.Path() + "2005_03_07.DCP"));
    EXPECT_FALSE(FileExists(dir_.Path() + "DataDCP/2005_03_07.DCP"));
}

TEST_F(DailyFileTest, DailyFileThatCannotBeCreatedIsWarnedOncePerFile) {
    ForceDirectories(DailyFile("Lampedusa"));  // a folder where the file should be
    TDCP* beacon = AddBeacon("Lampedusa", "4711");
    AddBlock(*beacon, header_, march7_, "abc");
    AddBlock(*beacon, "4711 0 at 07/03/05 15:00:00 UTC 3BT o", At(2005, 3, 7, 15), "def");
    TDCP* other = AddBeacon("Sede", "4712");
    AddBlock(*other, "4712 0 at 07/03/05 15:00:00 UTC 3BT o", At(2005, 3, 7, 15), "ghi");

    List().FlushAll();
    const auto warnings = boxes_.Warnings();
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_NE(warnings[0].find(DailyFile("Lampedusa")), std::string::npos);
    EXPECT_TRUE(FileExists(DailyFile("Sede")));

    boxes_.shown.clear();
    beacon->Blocks[0]->AppendToDailyFile();
    EXPECT_EQ(boxes_.Warnings().size(), 1u);
}

TEST_F(DailyFileTest, SplitDailyLinesAcceptsEveryLineEnd) {
    EXPECT_EQ(SplitDailyLines("a\r\nb\nc\rd"), (std::vector<std::string_view>{"a", "b", "c", "d"}));
    EXPECT_EQ(SplitDailyLines("a\r\n\r\nb\r\n"), (std::vector<std::string_view>{"a", "", "b"}));
    EXPECT_TRUE(SplitDailyLines("").empty());
    EXPECT_EQ(SplitDailyLines("\r\r\n\n"), (std::vector<std::string_view>{"", "", ""}));
    EXPECT_EQ(SplitDailyLines("\n\ra"), (std::vector<std::string_view>{"", "", "a"}));

    // Against a byte-by-byte reading of every string of up to six bytes drawn from
    // a, CR and LF.
    auto byBytes = [](std::string_view bytes) {
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
    std::vector<std::string> texts{""};
    for (int length = 1; length <= 6; ++length) {
        std::vector<std::string> longer;
        for (const std::string& text : texts)
            if (text.size() == static_cast<size_t>(length - 1))
                for (char c : {'a', '\r', '\n'}) longer.push_back(text + c);
        texts.insert(texts.end(), longer.begin(), longer.end());
    }
    for (const std::string& text : texts) EXPECT_EQ(SplitDailyLines(text), byBytes(text)) << testing::PrintToString(text);
}

// The index keeps only lines with a space; other lines are looked for in the file, and
// found again after an append.
TEST_F(DailyFileTest, IndexFindsLinesWithAndWithoutSpaces) {
    ForceDirectories(dir_.Path() + "DataDCP/x");
    const std::string path = DailyFile("x");
    WriteText(path, header_ + "\r\nBodyNoSpace\r\n");
    TDailyFileIndex index;
    EXPECT_TRUE(index.Contains(path, "4711 0 AT 07/03/05 14:02:10 utc 8bt O"));
    EXPECT_TRUE(index.Contains(path, "bodynospace"));
    EXPECT_FALSE(index.Contains(path, "BodyNoSpac"));
    EXPECT_FALSE(index.Contains(path, "4711 0 at 07/03/05 14:02:11 UTC 8BT o"));

    ASSERT_TRUE(index.Append(path, "H2 at x UTC\r\nSecondBody\r\n"));
    EXPECT_TRUE(index.Contains(path, "SECONDBODY"));
    EXPECT_TRUE(index.Contains(path, "h2 AT x utc"));
    EXPECT_TRUE(index.Contains(path, "BodyNoSpace"));
    EXPECT_FALSE(index.Contains(path, ""));  // no empty line in the file
}

}  // namespace
}  // namespace skylog::test
