#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>

#include "dcp/LineSet.h"
#include "Common/FileUtil.h"
#include "Common/UUtils.h"
#include "dcp/UDailyFile.h"
#include "tests/dcp/DcpFixture.h"

namespace skylog::test {
namespace {

class DailyFileTest : public DcpFixture {
protected:
    std::string DailyFile(std::string_view folder) const {
        return dir_.Path() + "DataDCP/" + std::string(folder) + "/2005_03_07.DCP";
    }
    static std::string Record(std::string_view header, std::string_view body) {
        return std::string(header) + "\r\n" + std::string(body) + "\r\n";
    }
    const std::string header_ = "4711 0 at 07/03/05 14:02:10 UTC 8BT o";
    const std::string later_ = "4711 0 at 07/03/05 15:00:00 UTC 3BT o";
    const TDateTime march7_ = At(2005, 3, 7, 14, 2, 10);
};

// A "VGTM" prefix (and the spaces after it) within the first 16 bytes is cut, from the
// first piece of body only.
TEST_F(DailyFileTest, VgtmPrefixIsCutFromTheFirstPieceOnly) {
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{"VGTM  abc", "VGTM  abc"}, "abcVGTM  abc"},
        {{"0123456789ABVGTM x"}, "x"},                     // VGTM ends at byte 16
        {{"0123456789ABCVGTM x"}, "0123456789ABCVGTM x"},  // it does not fit
        {{"VGTM   ", "VGTMdef"}, "def"},  // the body is still empty: looked for again
    };
    for (const auto& [pieces, body] : cases) {
        TDCPDataBloc block(nullptr);
        for (const std::string& piece : pieces) block.AddBody(piece);
        EXPECT_EQ(std::string(block.Body.begin(), block.Body.end()), body) << pieces[0];
        EXPECT_EQ(block.BodyLength, static_cast<int32_t>(body.size())) << pieces[0];
    }
}

// The folder is made at the first flush; a block without a date is never stored. Only
// the very same header replaces a block in memory: in other letter case it is another
// block there, stored once.
TEST_F(DailyFileTest, PathAndRecordsWrittenOnce) {
    TDCP* beacon = AddBeacon("Lampedusa", "4711");
    EXPECT_EQ(AddBlock(*beacon, header_, march7_, "abc")->DailyFilePath(false), DailyFile("Lampedusa"));
    AddBlock(*beacon, "4711 0 AT 07/03/05 14:02:10 UTC 8BT O", march7_, "other case");
    EXPECT_EQ(beacon->Blocks().size(), 2u);
    AddBlock(*beacon, later_, At(2005, 3, 7, 15), "def");
    EXPECT_EQ(AddBlock(*beacon, "4711 0 at 08/03/05 00:00:00 UTC 1BT o", 0.0, "x")->DailyFilePath(true), "");
    EXPECT_FALSE(DirectoryExists(dir_.Path() + "DataDCP"));
    List().FlushAll();
    List().FlushAll();
    EXPECT_EQ(ReadText(DailyFile("Lampedusa")), Record(header_, "abc") + Record(later_, "def"));
    EXPECT_EQ(ListFiles(dir_.Path() + "DataDCP/Lampedusa", "*.*")->size(), 1u);
}

// Another program appended a record, its header in other letter case, with LF endings:
// the same transmission read here is not appended again.
TEST_F(DailyFileTest, RecordsAppendedByAnotherProgramAreSeen) {
    TDCP* beacon = AddBeacon("Lampedusa", "4711");
    AddBlock(*beacon, header_, march7_, "abc");
    List().FlushAll();
    const std::string stored = Record(header_, "abc") + "4711 0 AT 07/03/05 16:00:00 utc 3bt O\nxyz\n";
    WriteText(DailyFile("Lampedusa"), stored);
    AddBlock(*beacon, "4711 0 at 07/03/05 16:00:00 UTC 3BT o", At(2005, 3, 7, 16), "xyz");
    beacon->SaveBlocks();
    EXPECT_EQ(ReadText(DailyFile("Lampedusa")), stored);
}

// Stored (and read back: day_test.cpp) in a folder of DataDCP whatever the name.
TEST_F(DailyFileTest, UnsafeBeaconNamesStayInsideDataDcp) {
    const std::pair<const char*, const char*> cases[] = {
        {"", "_"}, {".", "_."}, {"..", "_.."}, {"../../evil", ".._.._evil"}, {"a/b", "a_b"}};
    for (const auto& [name, folder] : cases) {
        TDCP* beacon = AddBeacon(name, name);
        EXPECT_EQ(AddBlock(*beacon, header_, march7_, "x")->DailyFilePath(false), DailyFile(folder)) << name;
    }
}

TEST_F(DailyFileTest, DailyFileThatCannotBeCreatedIsWarnedOncePerFile) {
    ForceDirectories(DailyFile("Lampedusa"));  // a folder where the file should be
    TDCP* beacon = AddBeacon("Lampedusa", "4711");
    AddBlock(*beacon, header_, march7_, "abc");
    AddBlock(*beacon, later_, At(2005, 3, 7, 15), "def");
    TDCP* other = AddBeacon("Sede", "4712");
    AddBlock(*other, "4712 0 at 07/03/05 15:00:00 UTC 3BT o", At(2005, 3, 7, 15), "ghi");

    List().FlushAll();
    const auto warnings = boxes_.Warnings();
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_NE(warnings[0].find(DailyFile("Lampedusa")), std::string::npos);
    EXPECT_TRUE(FileExists(DailyFile("Sede")));

    boxes_.shown.clear();
    beacon->Blocks()[0]->AppendToDailyFile();
    EXPECT_EQ(boxes_.Warnings().size(), 1u);
}

// The index keeps only lines with a space; other lines are looked for in the file, and
// found again after an append.
TEST_F(DailyFileTest, IndexFindsLinesWithAndWithoutSpaces) {
    ForceDirectories(dir_.Path() + "DataDCP/x");
    const std::string path = DailyFile("x");
    WriteText(path, Record(header_, "BodyNoSpace"));
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

// Records of several megabytes go out in several writes (whole and in order:
// flush_batch_test.cpp); one that fails cuts the file back to what it held.
TEST_F(DailyFileTest, AFailedLargeAppendLeavesTheFileAsItWas) {
    ForceDirectories(dir_.Path() + "DataDCP/x");
    const std::string path = DailyFile("x"), before = Record(header_, "abc");
    WriteText(path, before);
    const std::string record = Record(later_, std::string(300, 'A'));
    const std::vector<std::string_view> pieces(12000, record);

    // A file size limit makes the write fail whoever runs the test.
    struct rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    struct rlimit limited = saved;
    limited.rlim_cur = before.size() + (size_t{3} << 19);
    auto* oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limited), 0);
    TDailyFileIndex index;
    TLineSet lines;
    EXPECT_THROW((void)index.Append(path, pieces, lines), FileError);
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_EQ(ReadText(path), before);
}

}  // namespace
}  // namespace skylog::test
