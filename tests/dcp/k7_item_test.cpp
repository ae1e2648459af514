#include <gtest/gtest.h>

#include <map>

#include "Common/FileUtil.h"
#include "Common/UUtils.h"
#include "k7/UEvenement.h"
#include "k7/UK7File.h"
#include "tests/dcp/DcpFixture.h"

namespace skylog::test {
namespace {

class K7ItemTest : public DcpFixture {
protected:
    std::string K7Path(std::string_view day, std::string_view file) const {
        return dir_.Path() + "DataK7/" + std::string(day) + "/" + std::string(file);
    }
    // An event of type 0x10 whose one data byte is the given value.
    static void AddEvent(TK7File& file, uint8_t value) {
        const uint8_t bytes[] = {0x10, 5, value, 0xFE, 5};
        auto event = std::make_unique<TEvenement>(&file);
        event->SetEvt(FramedEventText(bytes, sizeof bytes));
        file.AppendEvent(std::move(event));
    }
    static std::vector<std::string> EventsOnDisk(const std::string& path) {
        TK7File file(path);
        std::vector<std::string> texts;
        for (const auto& event : file.Events()) texts.push_back(event->Evt());
        return texts;
    }
    // The list as ClearAll leaves it: nothing in memory, and a flush writes nothing.
    void ExpectEmptiedAndWritingNothing(const TDCP& beacon) {
        EXPECT_TRUE(beacon.Blocks.empty());
        EXPECT_TRUE(beacon.K7Items.empty());
        EXPECT_TRUE(List().K7Items().empty());
        List().FlushAll();
        EXPECT_FALSE(DirectoryExists(dir_.Path() + "DataK7"));
        EXPECT_FALSE(DirectoryExists(dir_.Path() + "DataDCP"));
    }
    const TDateTime march7_ = At(2005, 3, 7, 14, 2);
    const TDateTime march8_ = At(2005, 3, 8, 9, 30);
};

TEST_F(K7ItemTest, NewItemPathParameterBlockAndFolderAtFlush) {
    TDCPK7Item item(45, 0xA0, march7_);
    EXPECT_EQ(item.Day, At(2005, 3, 7));
    EXPECT_EQ(item.K7FilePath(false), K7Path("2005_03_07", "P045_20050307.K7"));
    EXPECT_EQ(item.K7File->ParamBloc(), "A0" + std::string(252, '0'));
    EXPECT_FALSE(DirectoryExists(dir_.Path() + "DataK7"));

    item.Flush();  // no event: the folder only
    EXPECT_TRUE(DirectoryExists(dir_.Path() + "DataK7/2005_03_07"));
    EXPECT_FALSE(FileExists(item.K7FilePath(false)));

    AddEvent(*item.K7File, 1);
    item.Flush();
    EXPECT_EQ(EventsOnDisk(item.K7FilePath(false)), (std::vector<std::string>{"100501FE05"}));

    EXPECT_EQ(TDCPK7Item(1234, 0x1A, march7_).K7FilePath(false), K7Path("2005_03_07", "P1234_20050307.K7"));
}

TEST_F(K7ItemTest, ExistingFileKeepsItsHeaderAndEarlierEvents) {
    const std::string path = K7Path("2005_03_07", "P045_20050307.K7");
    {
        TK7File earlier;
        earlier.SetParamBloc("1B" + std::string(30, '0') + "77");
        AddEvent(earlier, 1);
        ASSERT_TRUE(earlier.BuildBuffer());
        ASSERT_TRUE(earlier.SaveToFile(path));
    }
    const std::string earlierParamBloc = TK7File(path).ParamBloc();

    TDCP* beacon = AddBeacon("Lampedusa", "4711");
    TK7File* file = beacon->GetK7File(march7_, 45, 0xA0);
    EXPECT_EQ(file->ParamBloc(), earlierParamBloc);
    AddEvent(*file, 2);
    List().FlushAll();

    EXPECT_EQ(TK7File(path).ParamBloc(), earlierParamBloc);
    EXPECT_EQ(EventsOnDisk(path), (std::vector<std::string>{"100501FE05", "100502FE05"}));
}

TEST_F(K7ItemTest, ExistingFileTooShortForAHeaderStartsAfresh) {
    const std::string path = K7Path("2005_03_07", "P045_20050307.K7");
    ForceDirectories(dir_.Path() + "DataK7/2005_03_07");
    WriteText(path, "short");
    TDCPK7Item item(45, 0xA0, march7_);
    EXPECT_EQ(item.K7File->ParamBloc().substr(0, 2), "A0");
    AddEvent(*item.K7File, 4);
    item.Flush();
    EXPECT_EQ(EventsOnDisk(path), (std::vector<std::string>{"100504FE05"}));
}

TEST_F(K7ItemTest, ItemsAreFoundByDayAndInstrument) {
    TDCP* beacon = AddBeacon("Lampedusa", "4711");
    TK7File* morning = beacon->GetK7File(At(2005, 3, 7, 1), 45, 0xA0);
    EXPECT_EQ(beacon->GetK7File(At(2005, 3, 7, 23), 45, 0x11), morning);
    EXPECT_NE(beacon->GetK7File(At(2005, 3, 7, 1), 46, 0xA0), morning);
    EXPECT_NE(beacon->GetK7File(march8_, 45, 0xA0), morning);
    EXPECT_EQ(beacon->K7Items.size(), 3u);
    EXPECT_EQ(List().K7Items().size(), 3u);
    EXPECT_EQ(morning->ParamBloc().substr(0, 2), "A0");
}

// Left for the end of the process: the list is as ClearAll leaves it and a flush writes
// nothing, but the blocks and events are still there (freed, they would be reported by
// the address sanitizer here), and a beacon can be filled again.
TEST_F(K7ItemTest, ContentAbandonedAtExitIsGoneFromTheListButNotFreed) {
    TDCP* beacon = AddBeacon("Lampedusa", "4711");
    TDCPDataBloc* block = AddBlock(*beacon, "4711 0 at 07/03/05 14:02:00 UTC 8BT o", march7_, "NO DATA!");
    TK7File* file = beacon->GetK7File(march7_, 45, 0xA0);
    AddEvent(*file, 1);
    block->Events.push_back(file->Events().back().get());

    List().AbandonContentAtExit();
    ExpectEmptiedAndWritingNothing(*beacon);
    EXPECT_EQ(block->Header, "4711 0 at 07/03/05 14:02:00 UTC 8BT o");
    EXPECT_EQ(block->Events.front()->Evt(), file->Events().front()->Evt());

    AddEvent(*beacon->GetK7File(march7_, 45, 0xA0), 2);
    List().FlushAll();
    EXPECT_EQ(EventsOnDisk(K7Path("2005_03_07", "P045_20050307.K7")).size(), 1u);
}

TEST_F(K7ItemTest, FlushK7ItemsOfOneDayOrOfAll) {
    TDCP* beacon = AddBeacon("Lampedusa", "4711");
    AddEvent(*beacon->GetK7File(march7_, 45, 0xA0), 1);
    AddEvent(*beacon->GetK7File(march8_, 45, 0xA0), 2);
    const std::string day7 = K7Path("2005_03_07", "P045_20050307.K7");
    const std::string day8 = K7Path("2005_03_08", "P045_20050308.K7");

    beacon->FlushK7Items(At(2005, 3, 8, 14));
    EXPECT_FALSE(FileExists(day7));
    EXPECT_TRUE(FileExists(day8));
    EXPECT_FALSE(DirectoryExists(dir_.Path() + "DataK7/2005_03_07"));

    DeleteFile(day8);
    beacon->FlushK7Items(0.0);
    EXPECT_TRUE(FileExists(day7));
    EXPECT_TRUE(FileExists(day8));
    EXPECT_EQ(beacon->K7Items.size(), 2u);  // items stay after a flush

    DeleteFile(day7);
    DeleteFile(day8);
    List().FlushK7ItemsOfDay(march7_);
    EXPECT_TRUE(FileExists(day7));
    EXPECT_FALSE(FileExists(day8));
}

TEST_F(K7ItemTest, TwoBeaconsDeliveringTheSameInstrumentAndDayShareOneFile) {
    TDCP* first = AddBeacon("Lampedusa", "4711");
    TDCP* second = AddBeacon("Sede", "4712");
    AddEvent(*first->GetK7File(At(2005, 3, 7, 8), 45, 0xA0), 1);
    AddEvent(*second->GetK7File(At(2005, 3, 7, 20), 45, 0xA0), 2);
    EXPECT_EQ(List().K7Items().size(), 1u);

    List().FlushAll();
    EXPECT_EQ(EventsOnDisk(K7Path("2005_03_07", "P045_20050307.K7")),
              (std::vector<std::string>{"100501FE05", "100502FE05"}));
}

// Lookups of many days and two instruments, in any order, and after the beacon's item
// list was emptied from outside: one item per day and instrument, always the same file.
TEST_F(K7ItemTest, ManyDaysAndInstrumentsEachKeepTheirFile) {
    TDCP* beacon = AddBeacon("Lampedusa", "4711");
    std::map<std::pair<int, int>, TK7File*> seen;
    auto check = [&](int day, int instrument) {
        TK7File* file = beacon->GetK7File(At(2005, 1, 1, 12) + day, instrument, 0xA0);
        auto [it, added] = seen.emplace(std::make_pair(day, instrument), file);
        EXPECT_EQ(it->second, file) << day << " " << instrument;
    };
    for (int pass = 0; pass < 3; ++pass)
        for (int k = 0; k < 80; ++k) check((k * 37 + pass) % 40, 45 + k % 2);
    EXPECT_EQ(beacon->K7Items.size(), seen.size());
    beacon->K7Items.clear();
    const auto pairs = seen;
    for (const auto& [key, file] : pairs) check(key.first, key.second);
    EXPECT_EQ(beacon->K7Items.size(), seen.size());
    EXPECT_EQ(List().K7Items().size(), seen.size());
}

TEST_F(K7ItemTest, BeaconOutsideAListKeepsItsOwnItems) {
    TDCP beacon;
    TK7File* file = beacon.GetK7File(march7_, 45, 0xA0);
    EXPECT_EQ(beacon.GetK7File(march7_, 45, 0xA0), file);
    AddEvent(*file, 3);
    beacon.FlushK7Items(0.0);
    EXPECT_EQ(EventsOnDisk(K7Path("2005_03_07", "P045_20050307.K7")),
              (std::vector<std::string>{"100503FE05"}));
}

TEST_F(K7ItemTest, ClearAllThenFlushAllWritesNothing) {
    TDCP* beacon = AddBeacon("Lampedusa", "4711");
    AddEvent(*beacon->GetK7File(march7_, 45, 0xA0), 1);
    AddBlock(*beacon, "4711 0 at 07/03/05 14:02:10 UTC 3BT o", march7_, "abc");
    List().ClearAll();
    ExpectEmptiedAndWritingNothing(*beacon);
}

TEST_F(K7ItemTest, FlushAllWritesK7FilesBeforeDailyFiles) {
    WriteText(dir_.File("DataK7"), "not a folder");
    TDCP* beacon = AddBeacon("Lampedusa", "4711");
    AddEvent(*beacon->GetK7File(march7_, 45, 0xA0), 1);
    AddBlock(*beacon, "4711 0 at 07/03/05 14:02:10 UTC 3BT o", march7_, "abc");
    EXPECT_THROW(List().FlushAll(), FileError);
    EXPECT_FALSE(DirectoryExists(dir_.Path() + "DataDCP"));
}

// Flushes of one item, with and without another program writing the file in between.
class K7ItemRewriteTest : public K7ItemTest {
protected:
    static std::string Evt(uint8_t value) { return "1005" + ByteToHexString(value) + "FE05"; }
    static std::vector<std::string> Evts(std::initializer_list<uint8_t> values) {
        std::vector<std::string> texts;
        for (uint8_t value : values) texts.push_back(Evt(value));
        return texts;
    }
    std::string Path() const { return K7Path("2005_03_07", "P045_20050307.K7"); }
    // Another program: reads the file, adds its events and writes it.
    void OtherProgramAdds(std::initializer_list<uint8_t> values) {
        TDCPK7Item other(45, 0xA0, march7_);
        for (uint8_t value : values) AddEvent(*other.K7File, value);
        other.Flush();
    }
};

TEST_F(K7ItemRewriteTest, FlushesOfOneItemWithoutAnotherWriterWriteItsEventsOnce) {
    TDCPK7Item item(45, 0xA0, march7_);
    AddEvent(*item.K7File, 1);
    AddEvent(*item.K7File, 2);
    item.Flush();
    AddEvent(*item.K7File, 3);
    item.Flush();
    EXPECT_EQ(EventsOnDisk(Path()), Evts({1, 2, 3}));
    item.Flush();
    AddEvent(*item.K7File, 4);
    item.Flush();
    EXPECT_EQ(EventsOnDisk(Path()), Evts({1, 2, 3, 4}));
    ASSERT_TRUE(item.K7File->BuildBuffer());
    EXPECT_EQ(ReadFileBytes(Path()), item.K7File->Buffer());

    // The same for an item that found the file.
    TDCPK7Item later(45, 0xA0, march7_);
    AddEvent(*later.K7File, 5);
    later.Flush();
    AddEvent(*later.K7File, 6);
    later.Flush();
    EXPECT_EQ(EventsOnDisk(Path()), Evts({1, 2, 3, 4, 5, 6}));
}

TEST_F(K7ItemRewriteTest, EventsWrittenByAnotherProgramBetweenFlushesStay) {
    TDCPK7Item item(45, 0xA0, march7_);
    AddEvent(*item.K7File, 1);
    item.Flush();
    OtherProgramAdds({5});
    ASSERT_EQ(EventsOnDisk(Path()), Evts({1, 5}));

    AddEvent(*item.K7File, 2);
    item.Flush();
    EXPECT_EQ(EventsOnDisk(Path()), Evts({1, 5, 2}));
    item.Flush();  // nothing new on either side
    EXPECT_EQ(EventsOnDisk(Path()), Evts({1, 5, 2}));

    // The file holds events the item does not: every later flush merges again.
    OtherProgramAdds({6});
    item.Flush();
    EXPECT_EQ(EventsOnDisk(Path()), Evts({1, 5, 2, 6}));
    AddEvent(*item.K7File, 3);
    item.Flush();
    item.Flush();
    EXPECT_EQ(EventsOnDisk(Path()), Evts({1, 5, 2, 6, 3}));
}

TEST_F(K7ItemRewriteTest, RewriteOfTheSameSizeByAnotherProgramIsMerged) {
    {
        TDCPK7Item first(45, 0xA0, march7_);
        AddEvent(*first.K7File, 1);
        AddEvent(*first.K7File, 2);
        first.Flush();
    }
    TDCPK7Item item(45, 0xA0, march7_);  // reads events 1 and 2
    const std::string read = ReadFileBytes(Path());

    // Another program writes events 1 and 9 in their place: as many bytes.
    TK7File rewritten;
    rewritten.SetParamBloc(TK7File(Path()).ParamBloc());
    AddEvent(rewritten, 1);
    AddEvent(rewritten, 9);
    ASSERT_TRUE(rewritten.BuildBuffer());
    ASSERT_TRUE(rewritten.SaveToFile(Path()));
    ASSERT_EQ(ReadFileBytes(Path()).size(), read.size());
    ASSERT_NE(ReadFileBytes(Path()), read);

    AddEvent(*item.K7File, 3);
    item.Flush();
    EXPECT_EQ(EventsOnDisk(Path()), Evts({1, 9, 2, 3}));
    item.Flush();
    EXPECT_EQ(EventsOnDisk(Path()), Evts({1, 9, 2, 3}));
}

}  // namespace
}  // namespace skylog::test
