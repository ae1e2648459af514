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
    std::string DailyFile(std::string_view folder, int day, const std::string& workDir = "") const {
        char name[24];
        std::snprintf(name, sizeof name, "/2005_03_%02d.DCP", day);
        return (workDir.empty() ? dir_.Path() : workDir) + "DataDCP/" + std::string(folder) + name;
    }
    // The header of a transmission at the given second of the day.
    static std::string Header(int day, int second, std::string_view number = "4711") {
        char text[64];
        std::snprintf(text, sizeof text, "%s 0 at %02d/03/05 %02d:%02d:%02d UTC 3BT o",
                      std::string(number).c_str(), day, second / 3600, second / 60 % 60, second % 60);
        return text;
    }
    static TDateTime Date(int day, int second) { return At(2005, 3, day, second / 3600, second / 60 % 60, second % 60); }
    static std::string Record(std::string_view header, std::string_view body) {
        return std::string(header) + "\r\n" + std::string(body) + "\r\n";
    }
};

// A header equal to an earlier line counts as stored: a body line (day 7; without a space,
// compared line by line), or the second line of a body holding a line break (day 8; never
// made by the reader), cut as the file will be read. The days' blocks come interleaved.
TEST_F(FlushBatchTest, HeaderEqualToAnEarlierLineCountsAsStored) {
    TDCP* beacon = AddBeacon("Lampedusa", "4711");
    const std::string upper = "4711 0 AT 07/03/05 00:00:04 UTC 3BT O";
    AddBlock(*beacon, Header(7, 1), Date(7, 1), "SAME");
    AddBlock(*beacon, Header(8, 1), Date(8, 1), "xyz\r" + Header(8, 2));
    AddBlock(*beacon, "same", Date(7, 2), "xyz");
    AddBlock(*beacon, "4711 0 AT 08/03/05 00:00:02 UTC 3BT O", Date(8, 2), "ignored");
    AddBlock(*beacon, Header(7, 3), Date(7, 3), upper);
    AddBlock(*beacon, Header(8, 3), Date(8, 3), "abc");
    AddBlock(*beacon, Header(7, 4), Date(7, 4), "late");
    List().FlushAll();
    EXPECT_EQ(ReadText(DailyFile("Lampedusa", 7)), Record(Header(7, 1), "SAME") + Record(Header(7, 3), upper));
    EXPECT_EQ(ReadText(DailyFile("Lampedusa", 8)),
              Record(Header(8, 1), "xyz\r" + Header(8, 2)) + Record(Header(8, 3), "abc"));
}

// Day 7: 2.4 MB, written in the middle of the flush too; day 8: thousands of small
// records, more pieces than one write takes. Each record once, in order.
TEST_F(FlushBatchTest, LargeFlushesWriteEveryRecordOnceInOrder) {
    TDCP* beacon = AddBeacon("Lampedusa", "4711");
    for (const int day : {7, 8}) {
        std::string expected;
        for (int i = 0; i < (day == 7 ? 600 : 3000); ++i) {
            const std::string body = day == 7 ? std::string(4000, 'A') : "B" + std::to_string(i);
            AddBlock(*beacon, Header(day, i), Date(day, i), body);
            expected += Record(Header(day, i), body);
        }
        if (day == 7) {
            // The same transmissions in upper case, read after the first megabyte went to
            // disk: the index must know what this flush already wrote there.
            AddBlock(*beacon, "4711 0 AT 07/03/05 00:00:00 UTC 3BT O", Date(7, 599), "x");
            AddBlock(*beacon, "4711 0 AT 07/03/05 00:04:10 UTC 3BT O", Date(7, 599), "x");
        }
        List().FlushAll();
        List().FlushAll();
        EXPECT_EQ(ReadText(DailyFile("Lampedusa", day)), expected) << day;
    }
}

// Appends held back until the K7 files are in place: nothing reaches a daily file
// before, everything after, exactly as without holding back, also when two beacons
// write to the same folder ("a/b" and "a_b") and hold records of the same day.
TEST_F(FlushBatchTest, HeldBackAppendsComeAfterAndEqualDirectOnes) {
    auto fill = [this](TDCP& beacon, const std::string& number, int shift) {
        for (int i = 0; i < 40; ++i) {
            const int day = 7 + (i % 4), second = 14 * 3600 + (i + shift) % 60;
            AddBlock(beacon, Header(day, second, number), Date(day, second), "B" + std::to_string(i));
        }
        // The first beacon's first transmission again in upper case, also among the
        // second beacon's first records, before any of its days is complete.
        AddBlock(beacon, "4711 0 AT 07/03/05 14:00:00 UTC 3BT O", At(2005, 3, 7, 14), "again");
    };
    TDCP* first = AddBeacon("a/b", "4711");
    TDCP* second = AddBeacon("a_b", "4712");
    fill(*first, "4711", 0);
    fill(*second, "4712", 20);
    for (const auto& beacon : List().Beacons) beacon->DecodeAll();  // date order, as after reading

    // Direct appends into a folder of another working directory.
    TempDir directDir;
    env_.settings.WorkDir = directDir.Path();
    {
        TDailyFileIndex index;
        TDailyAppends direct(index, boxes_);
        direct.Gather(*first);
        direct.Gather(*second);
        direct.Finish();
    }
    env_.settings.WorkDir = dir_.Path();

    std::promise<void> k7InPlace;
    std::future<void> before = k7InPlace.get_future();
    TDailyAppends held(List().DailyFiles(), boxes_, &before);
    held.Gather(*first);
    for (int day = 7; day <= 10; ++day) EXPECT_FALSE(FileExists(DailyFile("a_b", day))) << day;
    k7InPlace.set_value();
    held.Gather(*second);
    held.Finish();
    for (int day = 7; day <= 10; ++day) {
        const std::string text = ReadText(DailyFile("a_b", day));
        EXPECT_EQ(text, ReadText(DailyFile("a_b", day, directDir.Path()))) << day;
        EXPECT_EQ(text.find("again"), std::string::npos) << day;
    }
}

// When the K7 files could not be put in place, no daily file says that the messages
// are stored: their error is reported and nothing is appended.
TEST_F(FlushBatchTest, NothingIsAppendedWhenTheK7FilesFailed) {
    TDCP* beacon = AddBeacon("Lampedusa", "4711");
    AddBlock(*beacon, Header(7, 1), Date(7, 1), "aaa");
    AddBlock(*beacon, Header(8, 1), Date(8, 1), "bbb");
    std::promise<void> k7InPlace;
    std::future<void> before = k7InPlace.get_future();
    TDailyAppends held(List().DailyFiles(), boxes_, &before);
    held.Gather(*beacon);
    k7InPlace.set_exception(std::make_exception_ptr(FileError("disque plein")));
    EXPECT_THROW(held.Gather(*beacon), FileError);
    EXPECT_THROW(held.Finish(), FileError);
    EXPECT_FALSE(FileExists(DailyFile("Lampedusa", 7)));
    EXPECT_FALSE(FileExists(DailyFile("Lampedusa", 8)));
}

}  // namespace
}  // namespace skylog::test
