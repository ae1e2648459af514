// The tasks on the real reader and beacon list of a run, in a temporary working
// directory: a collected file ends up in its daily message file, and the rebuild
// reads that day back.

#include <gtest/gtest.h>

#include <memory>

#include "Common/FileUtil.h"
#include "Common/RunObjects.h"
#include "Common/Settings.h"
#include "Common/UUtils.h"
#include "dcp/UDCPList.h"
#include "import/UDecodFile.h"
#include "tasks/UTaskGetFiles.h"
#include "tasks/UTaskMakeK7.h"
#include "tests/support/TempDir.h"

namespace skylog {
namespace {

constexpr std::string_view kMessage = "4711-ALL 0 at 03/07/05 14:02:10 UTC 118BT o\r\nBODY\r\n";

class RunObjectsTest : public ::testing::Test {
protected:
    void SetUp() override {
        savedWorkDir_ = Settings().WorkDir;
        Settings().WorkDir = work.Path();
        beacons = std::make_unique<TDCPList>(work.File("DcpList.inf"));
        auto beacon = std::make_unique<TDCP>();
        beacon->Number = "4711";
        beacon->Name = "Lampedusa";
        lampedusa = beacons->Add(std::move(beacon));
        skylog::Run().Beacons = beacons.get();
        skylog::Run().Reader = &reader;
    }
    void TearDown() override {
        skylog::Run().Beacons = nullptr;
        skylog::Run().Reader = nullptr;
        Settings().WorkDir = savedWorkDir_;
    }

    test::TempDir work;
    test::TempDir input;
    TDecodFile reader;
    std::unique_ptr<TDCPList> beacons;
    TDCP* lampedusa = nullptr;

private:
    std::string savedWorkDir_;
};

TEST_F(RunObjectsTest, CollectedMessagesAreStoredAndRebuiltFromTheirDay) {
    test::WriteText(input.File("in.CNRS"), kMessage);
    test::WriteText(input.File("other.txt"), "not a message");
    TTaskGetFiles collect;
    collect.InputDirectory = input.Path();
    collect.ImportationMask = "*.*";
    collect.SupprAfterAdd = true;
    collect.Execute();

    EXPECT_FALSE(FileExists(input.File("in.CNRS")));
    EXPECT_TRUE(FileExists(input.File("other.txt")));
    ASSERT_EQ(lampedusa->Blocks.size(), 1u);
    const TDateTime day = DateOf(lampedusa->Blocks[0]->Date);
    const std::string dailyFile = lampedusa->Blocks[0]->DailyFilePath(false);
    ASSERT_FALSE(dailyFile.empty());
    EXPECT_TRUE(FileExists(dailyFile));

    TTaskMakeK7 rebuild;
    rebuild.NbDayToBuild = 1;
    rebuild.FromSpecialDate = true;
    rebuild.SpecialDate = day;
    rebuild.Execute();
    ASSERT_EQ(lampedusa->Blocks.size(), 1u);  // cleared, then read back from its day
    EXPECT_EQ(lampedusa->Blocks[0]->Header, "4711-ALL 0 at 03/07/05 14:02:10 UTC 118BT o");
}

}  // namespace
}  // namespace skylog
