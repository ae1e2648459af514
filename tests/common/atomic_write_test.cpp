#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "Common/FileUtil.h"
#include "tests/support/TempDir.h"

namespace skylog {
namespace {

// Names in the folder, sorted: shows stray temporary files.
std::vector<std::string> Names(const std::string& dir) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir)) names.push_back(entry.path().filename());
    std::sort(names.begin(), names.end());
    return names;
}

std::string Name(int i) { return "f" + std::to_string(100 + i); }

// Few files are flushed one by one, many by a sync of the file system: both must put
// every file in place only at the commit.
class AtomicWriteBatchTest : public ::testing::TestWithParam<int> {
protected:
    test::TempDir dir_;
};

TEST_P(AtomicWriteBatchTest, TargetsKeepTheirOldContentUntilTheCommit) {
    const int count = GetParam();
    for (int i = 0; i < count; ++i) test::WriteText(dir_.File(Name(i)), "old");
    {
        TAtomicWriteBatch batch;
        for (int i = 0; i < count; ++i) WriteFileAtomic(dir_.File(Name(i)), "first");
        // The last write of a target replaces the first, whose temporary goes.
        for (int i = 0; i < count; ++i) WriteFileAtomic(dir_.File(Name(i)), "new " + std::to_string(i));
        EXPECT_EQ(batch.Pending(), static_cast<size_t>(count));
        for (int i = 0; i < count; ++i) EXPECT_EQ(test::ReadText(dir_.File(Name(i))), "old");
        batch.Commit();
        EXPECT_EQ(batch.Pending(), 0u);
    }
    for (int i = 0; i < count; ++i) EXPECT_EQ(test::ReadText(dir_.File(Name(i))), "new " + std::to_string(i));
    EXPECT_EQ(Names(dir_.Path()).size(), static_cast<size_t>(count));  // no temporary left
}

TEST_P(AtomicWriteBatchTest, AFileThatCannotBePutInPlaceLeavesTheOthersWritten) {
    const int count = GetParam();
    // A folder stands where the third file should go: the rename over it fails.
    std::filesystem::create_directory(dir_.File(Name(2)) + "/");
    std::filesystem::create_directory(dir_.File(Name(2)) + "/inside");
    TAtomicWriteBatch batch;
    for (int i = 0; i < count; ++i) WriteFileAtomic(dir_.File(Name(i)), "new");
    try {
        batch.Commit();
        FAIL() << "no error reported";
    } catch (const FileError& e) {
        EXPECT_NE(std::string(e.what()).find(Name(2)), std::string::npos) << e.what();
    }
    for (int i = 0; i < count; ++i) {
        if (i == 2) continue;
        EXPECT_EQ(test::ReadText(dir_.File(Name(i))), "new");
    }
    EXPECT_TRUE(std::filesystem::is_directory(dir_.File(Name(2))));
    EXPECT_EQ(Names(dir_.Path()).size(), static_cast<size_t>(count));
}

INSTANTIATE_TEST_SUITE_P(FewAndMany, AtomicWriteBatchTest, ::testing::Values(3, 40));

TEST(AtomicWriteBatch, FilesWrittenBeforeAnExceptionAreStillPutInPlace) {
    test::TempDir dir;
    try {
        TAtomicWriteBatch batch;
        WriteFileAtomic(dir.File("a"), "a");
        throw std::runtime_error("a later file failed");
    } catch (const std::runtime_error&) {
    }
    EXPECT_EQ(test::ReadText(dir.File("a")), "a");
    // The batch has ended: writes are immediate again.
    WriteFileAtomic(dir.File("b"), "b");
    EXPECT_EQ(test::ReadText(dir.File("b")), "b");
}

// A batch opened inside another commits nothing and gives nothing away: the outer one
// puts its files in place.
TEST(AtomicWriteBatch, AnInnerBatchJoinsTheOuterOne) {
    test::TempDir dir;
    TAtomicWriteBatch outer;
    {
        TAtomicWriteBatch inner;
        WriteFileAtomic(dir.File("a"), "a");
        inner.Commit();
        EXPECT_TRUE(inner.TakePending().empty());
    }
    EXPECT_FALSE(FileExists(dir.File("a")));
    EXPECT_EQ(outer.Pending(), 1u);
    outer.Commit();
    EXPECT_EQ(test::ReadText(dir.File("a")), "a");
}

// Files taken out of a batch stay temporaries when it ends, and are put in place by
// CommitFiles on another thread.
TEST(AtomicWriteBatch, TakenFilesAreCommittedElsewhere) {
    test::TempDir dir;
    WriteFileAtomic(dir.File("a"), "old");
    std::vector<TAtomicWriteBatch::PendingFile> taken;
    {
        TAtomicWriteBatch batch;
        WriteFileAtomic(dir.File("a"), "new");
        WriteFileAtomic(dir.File("b"), "b");
        taken = batch.TakePending();
        EXPECT_EQ(batch.Pending(), 0u);
    }
    ASSERT_EQ(taken.size(), 2u);
    EXPECT_EQ(test::ReadText(dir.File("a")), "old");
    EXPECT_FALSE(FileExists(dir.File("b")));
    std::thread([files = std::move(taken)]() mutable { TAtomicWriteBatch::CommitFiles(std::move(files)); }).join();
    EXPECT_EQ(test::ReadText(dir.File("a")), "new");
    EXPECT_EQ(test::ReadText(dir.File("b")), "b");
    EXPECT_EQ(Names(dir.Path()), (std::vector<std::string>{"a", "b"}));
}

}  // namespace
}  // namespace skylog
