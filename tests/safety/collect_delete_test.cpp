// The file collection deletes the files it read only once their messages are stored:
// a run killed before the save, or whose save fails, leaves them to the next run.

#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "Common/FileUtil.h"
#include "Common/MessageBoxes.h"
#include "tasks/TaskGetFilesRun.h"
#include "tasks/TaskServices.h"
#include "tests/support/TempDir.h"

namespace skylog::test {
namespace {

class CheckingStore : public IMessageStore {
public:
    std::function<void()> onFlush;
    int32_t ReadFile(const std::string&) override { return 0; }
    void FlushAll() override {
        if (onFlush) onFlush();
    }
    void ClearAll() override {}
    void LoadDay(TDateTime, int) override {}
    void FlushK7ItemsOfDay(TDateTime) override {}
    size_t PendingBytes() const override { return 0; }
    int64_t MessagesOfLastFile() const override { return 1; }
    std::vector<std::string> UnstoredFiles() const override { return {}; }
    size_t BeaconCount() const override { return 1; }
};

class CollectDeleteTest : public ::testing::Test {
protected:
    TempDir dir_;
    CheckingStore store_;
    TNullProgress progress_;
    RecordingMessageBoxes boxes_;
    const std::vector<std::string> names_{"a.CNRS", "b.DCP", "c.GOES"};

    void SetUp() override {
        for (const std::string& name : names_) WriteText(dir_.File(name), "message");
    }
    [[nodiscard]] int Present() const {
        int count = 0;
        for (const std::string& name : names_) count += FileExists(dir_.File(name)) ? 1 : 0;
        return count;
    }
};

TEST_F(CollectDeleteTest, FilesAreStillThereWhenTheirMessagesAreStored) {
    int presentAtFlush = -1;
    store_.onFlush = [&] { presentAtFlush = Present(); };
    TGetFilesRun run(dir_.Path(), "*.*", true, size_t{1} << 30, store_, boxes_);
    const TGetFilesResult result = run.Execute(progress_);
    EXPECT_EQ(presentAtFlush, 3);
    EXPECT_EQ(Present(), 0);
    EXPECT_EQ(result.ReadFiles.size(), 3u);
}

TEST_F(CollectDeleteTest, AFailedSaveDeletesNothing) {
    store_.onFlush = [] { throw FileError("disque plein"); };
    TGetFilesRun run(dir_.Path(), "*.*", true, size_t{1} << 30, store_, boxes_);
    EXPECT_THROW((void)run.Execute(progress_), FileError);
    EXPECT_EQ(Present(), 3);
}

}  // namespace
}  // namespace skylog::test
