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
    TDCPK7Item Item(int32_t instrumentNumber, uint8_t instrumentCode, TDateTime date) {
        return TDCPK7Item(List().Context(), instrumentNumber, instrumentCode, date);
    }
    // Another program: reads the file, adds its events and writes it.
    void OtherProgramAdds(std::initializer_list<uint8_t> values) {
        TDCPK7Item other = Item(45, 0xA0, march7_);
        for (uint8_t value : values) AddEvent(*other.K7File, value);
        other.Flush();
    }
    const TDateTime march7_ = At(2005, 3, 7, 14, 2);
    const TDateTime march8_ = At(2005, 3, 8, 9, 30);
};

TEST_F(K7ItemTest, NewItemPathParameterBlockAndFolderAtFlush) {
    TDCPK7Item item = Item(45, 0xA0, march7_);
    EXPECT_EQ(item.Day, At(2005, 3, 7));
    EXPECT_EQ(item.K7FilePath(false), K7Path());
    EXPECT_EQ(item.K7File->ParamBloc(), "A0" + std::string(252, '0'));
    EXPECT_FALSE(DirectoryExists(dir_.Path() + "DataK7"));

    item.Flush();  // no event: the folder only
    EXPECT_TRUE(DirectoryExists(dir_.Path() + "DataK7/2005_03_07"));
    EXPECT_FALSE(FileExists(K7Path()));
    AddEvent(*item.K7File, 1);
    item.Flush();
    EXPECT_EQ(EventsOnDisk(K7Path()), Evts({1}));

    EXPECT_EQ(Item(1234, 0x1A, march7_).K7FilePath(false),
              dir_.Path() + "DataK7/2005_03_07/P1234_20050307.K7");
}

TEST_F(K7ItemTest, ExistingFileKeepsItsHeaderAndEarlierEvents) {
    {
        TK7File earlier;
        earlier.SetParamBloc("1B" + std::string(30, '0') + "77");
        AddEvent(earlier, 1);
        ASSERT_TRUE(earlier.BuildBuffer());
        ASSERT_TRUE(earlier.SaveToFile(K7Path()));
    }
    const std::string earlierParamBloc = OnDisk(K7Path())->ParamBloc();
    TDCP* beacon = AddBeacon("Lampedusa", "4711");
    TK7File* file = beacon->GetK7File(march7_, 45, 0xA0);
    EXPECT_EQ(file->ParamBloc(), earlierParamBloc);
    AddEvent(*file, 2);
    List().FlushAll();
    EXPECT_EQ(OnDisk(K7Path())->ParamBloc(), earlierParamBloc);
    EXPECT_EQ(EventsOnDisk(K7Path()), Evts({1, 2}));
}

TEST_F(K7ItemTest, ExistingFileTooShortForAHeaderStartsAfresh) {
    ForceDirectories(dir_.Path() + "DataK7/2005_03_07");
    WriteText(K7Path(), "short");
    TDCPK7Item item = Item(45, 0xA0, march7_);
    EXPECT_EQ(item.K7File->ParamBloc().substr(0, 2), "A0");
    AddEvent(*item.K7File, 4);
    item.Flush();
    EXPECT_EQ(EventsOnDisk(K7Path()), Evts({4}));
}

// Both leave the list with nothing in memory and nothing to write. Content left for the
// end of the process stays readable (freed, the address sanitizer would report it here),
// and a beacon can be filled again.
TEST_F(K7ItemTest, ClearedOrAbandonedContentIsGoneFromTheList) {
    TDCP* beacon = AddBeacon("Lampedusa", "4711");
    for (const bool abandon : {false, true}) {
        SCOPED_TRACE(abandon ? "AbandonContentAtExit" : "ClearAll");
        TDCPDataBloc* block = AddBlock(*beacon, "4711 0 at 07/03/05 14:02:00 UTC 8BT o", march7_, "NO DATA!");
        TK7File* file = beacon->GetK7File(march7_, 45, 0xA0);
        AddEvent(*file, 1);
        block->Events.push_back(file->Events().back().get());
        abandon ? List().AbandonContentAtExit() : List().ClearAll();
        EXPECT_TRUE(beacon->Blocks().empty());
        EXPECT_TRUE(beacon->K7Items().empty());
        EXPECT_TRUE(List().K7Items().empty());
        List().FlushAll();
        EXPECT_FALSE(DirectoryExists(dir_.Path() + "DataK7"));
        EXPECT_FALSE(DirectoryExists(dir_.Path() + "DataDCP"));
        if (!abandon) continue;
        EXPECT_EQ(block->Header, "4711 0 at 07/03/05 14:02:00 UTC 8BT o");
        EXPECT_EQ(block->Events.front()->Evt(), Evts({1})[0]);
    }
    AddEvent(*beacon->GetK7File(march7_, 45, 0xA0), 2);
    List().FlushAll();
    EXPECT_EQ(EventsOnDisk(K7Path()), Evts({2}));
}

TEST_F(K7ItemTest, FlushK7ItemsOfOneDayOrOfAll) {
    TDCP* beacon = AddBeacon("Lampedusa", "4711");
    AddEvent(*beacon->GetK7File(march7_, 45, 0xA0), 1);
    AddEvent(*beacon->GetK7File(march8_, 45, 0xA0), 2);
    beacon->FlushK7Items(At(2005, 3, 8, 14));
    EXPECT_FALSE(DirectoryExists(dir_.Path() + "DataK7/2005_03_07"));
    EXPECT_TRUE(FileExists(K7Path(8)));
    DeleteFile(K7Path(8));
    List().FlushK7ItemsOfDay(march7_);
    EXPECT_TRUE(FileExists(K7Path(7)));
    EXPECT_FALSE(FileExists(K7Path(8)));
    beacon->FlushK7Items(0.0);  // every day: items stay after a flush
    EXPECT_TRUE(FileExists(K7Path(8)));
}

// Lookups of many days, hours and two instruments by two beacons, in any order: one item
// per day and instrument, always the same, shared by the beacons that deliver to it.
TEST_F(K7ItemTest, ManyDaysAndInstrumentsEachKeepTheirFile) {
    TDCP* beacons[] = {AddBeacon("Lampedusa", "4711"), AddBeacon("Sede", "4712")};
    std::map<std::pair<int, int>, TK7File*> seen;
    for (int pass = 0; pass < 3; ++pass)
        for (int k = 0; k < 80; ++k) {
            const int day = (k * 37 + pass) % 40, instrument = 45 + k % 2, hour = (k * 7 + pass) % 24;
            TK7File* file = beacons[(k + pass) % 2]->GetK7File(At(2005, 1, 1, hour) + day, instrument, 0xA0);
            EXPECT_EQ(seen.emplace(std::pair(day, instrument), file).first->second, file) << day << " " << instrument;
        }
    EXPECT_EQ(List().K7Items().size(), seen.size());
}

TEST_F(K7ItemTest, FlushAllWritesK7FilesBeforeDailyFiles) {
    WriteText(dir_.File("DataK7"), "not a folder");
    TDCP* beacon = AddBeacon("Lampedusa", "4711");
    AddEvent(*beacon->GetK7File(march7_, 45, 0xA0), 1);
    AddBlock(*beacon, "4711 0 at 07/03/05 14:02:10 UTC 3BT o", march7_, "abc");
    EXPECT_THROW(List().FlushAll(), FileError);
    EXPECT_FALSE(DirectoryExists(dir_.Path() + "DataDCP"));
}

// Found by size alone, a rewrite of the same size would be taken for the item's own.
TEST_F(K7ItemTest, RewriteOfTheSameSizeByAnotherProgramIsMerged) {
    OtherProgramAdds({1, 2});
    TDCPK7Item item = Item(45, 0xA0, march7_);  // reads events 1 and 2
    const std::string read = ReadFileBytes(K7Path());

    // Another program writes events 1 and 9 in their place: as many bytes.
    TK7File rewritten;
    rewritten.SetParamBloc(OnDisk(K7Path())->ParamBloc());
    AddEvent(rewritten, 1);
    AddEvent(rewritten, 9);
    ASSERT_TRUE(rewritten.BuildBuffer());
    ASSERT_TRUE(rewritten.SaveToFile(K7Path()));
    ASSERT_EQ(ReadFileBytes(K7Path()).size(), read.size());
    ASSERT_NE(ReadFileBytes(K7Path()), read);

    AddEvent(*item.K7File, 3);
    item.Flush();
    item.Flush();
    EXPECT_EQ(EventsOnDisk(K7Path()), Evts({1, 9, 2, 3}));
}

}  // namespace
}  // namespace skylog::test
