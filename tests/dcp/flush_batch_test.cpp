// A flush gathers the records of each daily file and appends them together: the files
// must hold exactly what appending block by block gave, in block order, each header
// once (letter case ignored), also past the size at which a file's records are written
// in the middle of the flush.

#include <gtest/gtest.h>

#include <future>
#include <string>

#include "Common/FileUtil.h"
#include "dcp/DailyAppends.h"
#include "dcp/UDailyFile.h"
#include "tests/dcp/DcpFixture.h"

namespace skylog::test {
namespace {

class FlushBatchTest : public DcpFixture {
protected:
    std::string DailyFile(std::string_view name) const {
        return dir_.Path() + "DataDCP/Lampedusa/" + std::string(name);
    }
    static std::string Header(int day, int second) {
        char text[64];
        std::snprintf(text, sizeof text, "4711 0 at %02d/03/05 14:00:%02d UTC 3BT o", day, second);
        return text;
    }
};

TEST_F(FlushBatchTest, InterleavedDaysKeepBlockOrderAndCaseDuplicatesGoOnce) {
    TDCP* beacon = AddBeacon("Lampedusa", "4711");
    AddBlock(*beacon, Header(7, 1), At(2005, 3, 7, 14, 0, 1), "aaa");
    AddBlock(*beacon, Header(8, 1), At(2005, 3, 8, 14, 0, 1), "bbb");
    AddBlock(*beacon, Header(7, 2), At(2005, 3, 7, 14, 0, 2), "ccc");
    // Differs from the first header only in letter case: the same transmission.
    AddBlock(*beacon, "4711 0 AT 07/03/05 14:00:01 utc 3bt O", At(2005, 3, 7, 14, 0, 1), "ddd");
    List().FlushAll();
    EXPECT_EQ(ReadText(DailyFile("2005_03_07.DCP")),
              Header(7, 1) + "\r\naaa\r\n" + Header(7, 2) + "\r\nccc\r\n");
    EXPECT_EQ(ReadText(DailyFile("2005_03_08.DCP")), Header(8, 1) + "\r\nbbb\r\n");
}

TEST_F(FlushBatchTest, HeaderEqualToAnEarlierBodyCountsAsStored) {
    TDCP* beacon = AddBeacon("Lampedusa", "4711");
    AddBlock(*beacon, Header(7, 1), At(2005, 3, 7, 14, 0, 1), "SAME");
    AddBlock(*beacon, "same", At(2005, 3, 7, 15), "xyz");
    AddBlock(*beacon, Header(7, 3), At(2005, 3, 7, 14, 0, 3), "4711 0 AT 07/03/05 14:00:04 UTC 3BT O");
    AddBlock(*beacon, Header(7, 4), At(2005, 3, 7, 14, 0, 4), "late");
    List().FlushAll();
    EXPECT_EQ(ReadText(DailyFile("2005_03_07.DCP")), Header(7, 1) + "\r\nSAME\r\n" + Header(7, 3) +
                                                         "\r\n4711 0 AT 07/03/05 14:00:04 UTC 3BT O\r\n");
}

TEST_F(FlushBatchTest, ManyMegabytesForOneFileAreWrittenOnceInOrder) {
    TDCP* beacon = AddBeacon("Lampedusa", "4711");
    const std::string body(4000, 'A');
    std::string expected;
    for (int i = 0; i < 600; ++i) {  // about 2.4 MB: written in the middle of the flush too
        char header[64];
        std::snprintf(header, sizeof header, "4711 0 at 07/03/05 %02d:%02d:%02d UTC 4000BT o", i / 3600,
                      i / 60 % 60, i % 60);
        AddBlock(*beacon, header, At(2005, 3, 7, i / 3600, i / 60 % 60, i % 60), body);
        expected += std::string(header) + "\r\n" + body + "\r\n";
    }
    // The same transmissions in upper case, read after the first megabyte went to disk:
    // the index must know what this flush already wrote there.
    AddBlock(*beacon, "4711 0 AT 07/03/05 00:00:00 UTC 4000BT O", At(2005, 3, 7, 0, 9, 59), body);
    AddBlock(*beacon, "4711 0 AT 07/03/05 00:04:10 UTC 4000BT O", At(2005, 3, 7, 0, 9, 59), body);
    List().FlushAll();
    List().FlushAll();
    EXPECT_EQ(ReadText(DailyFile("2005_03_07.DCP")), expected);
}

// Thousands of small records: more pieces than one write takes.
TEST_F(FlushBatchTest, ManySmallRecordsAreWrittenWholeInOrder) {
    TDCP* beacon = AddBeacon("Lampedusa", "4711");
    std::string expected;
    for (int i = 0; i < 3000; ++i) {
        char header[64];
        std::snprintf(header, sizeof header, "4711 0 at 07/03/05 %02d:%02d:%02d UTC 3BT o", i / 3600,
                      i / 60 % 60, i % 60);
        const std::string body = "B" + std::to_string(i);
        AddBlock(*beacon, header, At(2005, 3, 7, i / 3600, i / 60 % 60, i % 60), body);
        expected += std::string(header) + "\r\n" + body + "\r\n";
    }
    List().FlushAll();
    EXPECT_EQ(ReadText(DailyFile("2005_03_07.DCP")), expected);
}

// A body holding a line break (never made by the reader) is cut into lines as the file
// will be read: a later header equal to its second line counts as stored.
TEST_F(FlushBatchTest, LinesOfABodyWithALineBreakCountAsStored) {
    TDCP* beacon = AddBeacon("Lampedusa", "4711");
    AddBlock(*beacon, Header(7, 1), At(2005, 3, 7, 14, 0, 1), "xyz\r" + Header(7, 2));
    AddBlock(*beacon, "4711 0 AT 07/03/05 14:00:02 UTC 3BT O", At(2005, 3, 7, 14, 0, 2), "ignored");
    AddBlock(*beacon, Header(7, 3), At(2005, 3, 7, 14, 0, 3), "abc");
    List().FlushAll();
    EXPECT_EQ(ReadText(DailyFile("2005_03_07.DCP")),
              Header(7, 1) + "\r\nxyz\r" + Header(7, 2) + "\r\n" + Header(7, 3) + "\r\nabc\r\n");
}

// Appends held back until the K7 files are in place: nothing reaches a daily file
// before, everything after, exactly as without holding back, also when two beacons
// write to the same folder ("a/b" and "a_b") and hold records of the same day.
TEST_F(FlushBatchTest, HeldBackAppendsComeAfterAndEqualDirectOnes) {
    auto fill = [this](TDCP& beacon, const std::string& number, int shift) {
        for (int i = 0; i < 40; ++i) {
            const int day = 7 + (i % 4), second = i + shift;
            char header[64];
            std::snprintf(header, sizeof header, "%s 0 at %02d/03/05 14:00:%02d UTC 3BT o", number.c_str(), day,
                          second % 60);
            AddBlock(beacon, header, At(2005, 3, day, 14, 0, second % 60), "B" + std::to_string(i));
        }
        // The first beacon's first transmission again in upper case, also among the
        // second beacon's first records, before any of its days is complete.
        AddBlock(beacon, "4711 0 AT 07/03/05 14:00:00 UTC 3BT O", At(2005, 3, 7, 14, 0, 0), "again");
    };
    TDCP* first = AddBeacon("a/b", "4711");
    TDCP* second = AddBeacon("a_b", "4712");
    fill(*first, "4711", 0);
    fill(*second, "4712", 20);
    for (const auto& beacon : List().Beacons) beacon->DecodeAll();  // date order, as after reading

    // Direct appends into a folder of another working directory.
    TempDir directDir;
    Settings().WorkDir = directDir.Path();
    {
        TDailyFileIndex index;
        TDailyAppends direct(index);
        direct.Gather(*first);
        direct.Gather(*second);
        direct.Finish();
    }
    Settings().WorkDir = dir_.Path();

    std::promise<void> k7InPlace;
    std::future<void> before = k7InPlace.get_future();
    TDailyAppends held(List().DailyFiles(), &before);
    held.Gather(*first);
    for (const char* day : {"2005_03_07.DCP", "2005_03_08.DCP", "2005_03_09.DCP", "2005_03_10.DCP"})
        EXPECT_FALSE(FileExists(dir_.Path() + "DataDCP/a_b/" + day)) << day;
    k7InPlace.set_value();
    held.Gather(*second);
    held.Finish();
    for (const char* day : {"2005_03_07.DCP", "2005_03_08.DCP", "2005_03_09.DCP", "2005_03_10.DCP"}) {
        SCOPED_TRACE(day);
        const std::string text = ReadText(dir_.Path() + "DataDCP/a_b/" + day);
        EXPECT_EQ(text, ReadText(directDir.Path() + "DataDCP/a_b/" + day));
        EXPECT_EQ(text.find("again"), std::string::npos);
    }
}

// When the K7 files could not be put in place, no daily file says that the messages
// are stored: their error is reported and nothing is appended.
TEST_F(FlushBatchTest, NothingIsAppendedWhenTheK7FilesFailed) {
    TDCP* beacon = AddBeacon("Lampedusa", "4711");
    AddBlock(*beacon, Header(7, 1), At(2005, 3, 7, 14, 0, 1), "aaa");
    AddBlock(*beacon, Header(8, 1), At(2005, 3, 8, 14, 0, 1), "bbb");
    std::promise<void> k7InPlace;
    std::future<void> before = k7InPlace.get_future();
    TDailyAppends held(List().DailyFiles(), &before);
    held.Gather(*beacon);
    k7InPlace.set_exception(std::make_exception_ptr(FileError("disque plein")));
    EXPECT_THROW(held.Gather(*beacon), FileError);
    EXPECT_THROW(held.Finish(), FileError);
    EXPECT_FALSE(FileExists(DailyFile("2005_03_07.DCP")));
    EXPECT_FALSE(FileExists(DailyFile("2005_03_08.DCP")));
}

}  // namespace
}  // namespace skylog::test
