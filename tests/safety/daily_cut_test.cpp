// Daily message files after a writer was killed in the middle of appending a record:
// at every cut point, storing the block again leaves the file as if it had never been
// cut, with each record once; whole files are never touched.

#include <gtest/gtest.h>

#include <string>

#include "Common/FileUtil.h"
#include "dcp/UDailyFile.h"
#include "tests/dcp/DcpFixture.h"

namespace skylog::test {
namespace {

class DailyCutTest : public DcpFixture {
protected:
    const std::string firstHeader_ = "4711 0 at 07/03/05 09:00:00 UTC 3BT o";
    const std::string header_ = "4711 0 at 07/03/05 10:00:00 UTC 9BT o";
    const std::string firstRecord_ = firstHeader_ + "\r\nxyz\r\n";
    const std::string record_ = header_ + "\r\nhalf a body\r\n";

    std::string Path() const { return dir_.Path() + "DataDCP/Lampedusa/2005_03_07.DCP"; }
    // Stores both blocks through a fresh beacon list, over the given file content.
    std::string StoreOver(const std::string& content) {
        ForceDirectories(dir_.Path() + "DataDCP/Lampedusa");
        WriteText(Path(), content);
        TDCPList list(dir_.File("DcpList.inf"));
        auto beacon = std::make_unique<TDCP>();
        beacon->Name = "Lampedusa";
        beacon->Number = "4711";
        TDCP* b = list.Add(std::move(beacon));
        AddBlock(*b, firstHeader_, At(2005, 3, 7, 9), "xyz");
        AddBlock(*b, header_, At(2005, 3, 7, 10), "half a body");
        list.FlushAll();
        list.FlushAll();
        return ReadText(Path());
    }
};

TEST_F(DailyCutTest, EveryCutPointOfTheLastRecordIsRepaired) {
    // Up to the CR after the body the record is incomplete; with that CR it is whole.
    for (size_t cut = 0; cut + 1 < record_.size(); ++cut) {
        EXPECT_EQ(StoreOver(firstRecord_ + record_.substr(0, cut)), firstRecord_ + record_) << "cut at " << cut;
    }
    const std::string wholeButLf = firstRecord_ + record_.substr(0, record_.size() - 1);
    EXPECT_EQ(StoreOver(wholeButLf), wholeButLf);
}

TEST_F(DailyCutTest, ACutFirstRecordIsRepairedToo) {
    const std::string both = firstRecord_ + record_;
    for (size_t cut = 1; cut + 1 < firstRecord_.size(); ++cut)
        EXPECT_EQ(StoreOver(firstRecord_.substr(0, cut)), both) << "cut at " << cut;
}

TEST_F(DailyCutTest, WholeFilesAreLeftAsTheyAre) {
    EXPECT_EQ(WholeRecordsEnd(""), 0u);
    for (const std::string& whole : {firstRecord_ + record_, firstRecord_ + header_ + "\r\n\r\n",
                                     firstRecord_ + header_ + "\nhalf a body\n", std::string("\r\n")}) {
        EXPECT_EQ(WholeRecordsEnd(whole), whole.size()) << whole;
    }
    EXPECT_EQ(WholeRecordsEnd(firstRecord_ + header_ + "\r\n"), firstRecord_.size());
    EXPECT_EQ(WholeRecordsEnd(firstRecord_ + header_ + "\r\nhal"), firstRecord_.size());
    EXPECT_EQ(WholeRecordsEnd(firstRecord_ + "4711 0 a"), firstRecord_.size());
}

}  // namespace
}  // namespace skylog::test
