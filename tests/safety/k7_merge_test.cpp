// K7 files written by two programs working in the same directory: each reads the file
// at first use and writes at flush; the later writer must keep the events the earlier
// one wrote meanwhile. Two beacon lists of one process stand for the two programs.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "Common/FileUtil.h"
#include "Common/UUtils.h"
#include "k7/UEvenement.h"
#include "k7/UK7File.h"
#include "tests/dcp/DcpFixture.h"

namespace skylog::test {
namespace {

class K7MergeTest : public DcpFixture {
protected:
    const TDateTime day_ = At(2005, 3, 7, 10, 0);
    std::vector<std::unique_ptr<TDCPList>> programs_;

    // A beacon list of its own, as another program would have.
    TDCPList& Program() {
        programs_.push_back(std::make_unique<TDCPList>(dir_.File("DcpList.inf"), Context()));
        return *programs_.back();
    }
    static TK7File& FileOf(TDCPList& list, uint8_t code = 0xA0, int32_t instrument = 45) {
        return *list.GetK7Item(At(2005, 3, 7), instrument, code)->K7File;
    }
    std::string ParamBlocOnDisk() const { return OnDisk(K7Path())->ParamBloc(); }
    void WriteInitialFile() {
        TDCPList& first = Program();
        AddEvent(FileOf(first), 1);
        AddEvent(FileOf(first), 2);
        first.FlushAll();
    }
};

TEST_F(K7MergeTest, TheLaterWriterKeepsTheEventsWrittenMeanwhile) {
    WriteInitialFile();
    TDCPList& a = Program();
    TDCPList& b = Program();
    TK7File& fileA = FileOf(a);
    TK7File& fileB = FileOf(b);  // both read events 1 and 2
    AddEvent(fileA, 3);
    AddEvent(fileA, 4);
    AddEvent(fileB, 4);
    AddEvent(fileB, 5);
    a.FlushAll();
    b.FlushAll();
    // On disk first, in their order; then B's own events that were not there.
    EXPECT_EQ(EventsOnDisk(K7Path()), Evts({1, 2, 3, 4, 5}));

    // Flushing again, by either, changes nothing.
    a.FlushAll();
    b.FlushAll();
    EXPECT_EQ(EventsOnDisk(K7Path()), Evts({1, 2, 3, 4, 5}));
}

TEST_F(K7MergeTest, WithoutAnotherWriterTheFileIsExactlyTheItemsContent) {
    WriteInitialFile();
    TDCPList& a = Program();
    TK7File& file = FileOf(a);
    file.HeaderDate1 = At(2005, 3, 7, 6, 30);
    AddEvent(file, 3);
    a.FlushAll();
    const std::string written = ReadFileBytes(K7Path());
    ASSERT_TRUE(file.BuildBuffer());
    EXPECT_EQ(written, file.Buffer());
    EXPECT_EQ(EventsOnDisk(K7Path()), Evts({1, 2, 3}));
}

TEST_F(K7MergeTest, AFileCreatedMeanwhileIsMergedUnderTheItemsOwnHeader) {
    TDCPList& a = Program();
    TK7File& fileA = FileOf(a, 0xA0);  // no file yet: a new parameter block
    TDCPList& b = Program();
    AddEvent(FileOf(b, 0x20), 7);
    b.FlushAll();
    ASSERT_EQ(ParamBlocOnDisk().substr(0, 2), "20");

    AddEvent(fileA, 8);
    AddEvent(fileA, 7);
    a.FlushK7ItemsOfDay(At(2005, 3, 7, 18, 0));
    EXPECT_EQ(EventsOnDisk(K7Path()), Evts({7, 8}));
    EXPECT_EQ(ParamBlocOnDisk(), "A0" + std::string(510, '0'));  // the whole 256-byte header
}

TEST_F(K7MergeTest, StaleTemporaryFilesOfTheFileGoAtTheNextWrite) {
    WriteInitialFile();
    const std::string folder = dir_.Path() + "DataK7/2005_03_07/";
    const std::string stale = folder + ".P045_20050307.K7.tmpAb12Cd";
    const std::string otherFiles = folder + ".P046_20050307.K7.tmpAb12Cd";
    const std::string notATemporary = folder + ".P045_20050307.K7.tmpnotes";
    for (const std::string& path : {stale, otherFiles, notATemporary}) WriteText(path, "cut short");
    TDCPList& a = Program();
    AddEvent(FileOf(a), 3);
    a.FlushAll();
    EXPECT_FALSE(FileExists(stale));
    EXPECT_TRUE(FileExists(otherFiles));  // another file's: its own next write removes it
    EXPECT_TRUE(FileExists(notATemporary));

    // The folder is listed once per flush: the second file of the same flush still
    // finds its own stale temporaries, and a later flush finds new ones.
    const std::string staleAgain = folder + ".P045_20050307.K7.tmpXy34Zw";
    WriteText(staleAgain, "cut short");
    TDCPList& b = Program();
    AddEvent(FileOf(b), 4);
    AddEvent(FileOf(b, 0xA0, 46), 5);
    b.FlushAll();
    EXPECT_FALSE(FileExists(staleAgain));
    EXPECT_FALSE(FileExists(otherFiles));
    EXPECT_TRUE(FileExists(notATemporary));
}

}  // namespace
}  // namespace skylog::test
