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

TEST(WorkDirLock, SecondProcessWaitsForTheFirst) {
    test::TempDir dir;
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        TWorkDirLock lock(dir.Path());
        (void)!write(ready[1], "1", 1);
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        test::WriteText(dir.File("marker"), "done");
        _exit(0);
    }
    char go = 0;
    ASSERT_EQ(read(ready[0], &go, 1), 1);
    {
        TWorkDirLock lock(dir.Path());  // blocks until the child has finished its work
        EXPECT_EQ(test::ReadText(dir.File("marker")), "done");
    }
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status));
}

TEST(WorkDirLock, ReentrantWithinOneProcess) {
    test::TempDir dir;
    TWorkDirLock outer(dir.Path());
    { TWorkDirLock inner(dir.Path()); }  // would deadlock if it locked again
    EXPECT_TRUE(FileExists(dir.File(TWorkDirLock::kLockFileName)));
}

}  // namespace
}  // namespace skylog
