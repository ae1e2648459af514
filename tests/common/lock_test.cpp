#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "Common/FileUtil.h"
#include "Common/WorkDirLock.h"
#include "tests/support/TempDir.h"

namespace skylog {
namespace {

// The child takes the lock of `dir` and holds it a while; the parent, once told, takes
// the lock of `outer`, then that of `dir`, and finds the child's work done.
void ParentWaitsForChild(const std::string& dir, const std::string& outer) {
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        TWorkDirLock lock(dir);
        (void)!write(ready[1], "1", 1);
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        test::WriteText(dir + "marker", "done");
        _exit(0);
    }
    char go = 0;
    ASSERT_EQ(read(ready[0], &go, 1), 1);
    {
        TWorkDirLock outerLock(outer);
        TWorkDirLock lock(dir);  // blocks until the child has finished its work
        EXPECT_EQ(test::ReadText(dir + "marker"), "done");
    }
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status));
}

// A second process waits for the first; two runs of one process on two directories:
// holding one lock does not stand for the other.
TEST(WorkDirLock, NestedLockOfAnotherDirectoryIsTakenToo) {
    test::TempDir first, second;
    ParentWaitsForChild(second.Path(), first.Path());
}

TEST(WorkDirLock, ReentrantWithinOneProcess) {
    test::TempDir dir;
    TWorkDirLock outer(dir.Path());
    { TWorkDirLock inner(dir.Path()); }  // would deadlock if it locked again
    { TWorkDirLock otherSpelling(dir.Path() + "./"); }
    EXPECT_TRUE(FileExists(dir.File(TWorkDirLock::kLockFileName)));
}

}  // namespace
}  // namespace skylog
