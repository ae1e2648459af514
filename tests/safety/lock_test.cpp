// Every store write and every task run takes the working directory lock: while another
// process holds it, they wait. A child process holds the lock and leaves a mark just
// before letting it go; an operation that waited finds the mark when it returns.

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <functional>
#include <string>
#include <thread>

#include "Common/FileUtil.h"
#include "Common/WorkDirLock.h"
#include "import/UDecodFile.h"
#include "k7/UEvenement.h"
#include "k7/UK7File.h"
#include "tasks/TaskServices.h"
#include "tasks/UTaskGetFiles.h"
#include "tasks/UTaskMakeK7.h"
#include "tests/dcp/DcpFixture.h"

namespace skylog::test {
namespace {

class LockTest : public DcpFixture {
protected:
    // Runs the operation while a child process holds the lock; true when the
    // operation only returned after the child had finished its work.
    bool WaitsForAnotherProcess(const std::function<void()>& operation) {
        const std::string mark = dir_.File("released");
        DeleteFile(mark);
        int ready[2];
        if (::pipe(ready) != 0) return false;
        const pid_t child = ::fork();
        if (child == 0) {
            {
                TWorkDirLock lock(dir_.Path());
                char byte = 1;
                (void)!::write(ready[1], &byte, 1);
                std::this_thread::sleep_for(std::chrono::milliseconds(300));
                WriteText(mark, "done");
            }
            ::_exit(0);
        }
        char byte = 0;
        (void)!::read(ready[0], &byte, 1);
        ::close(ready[0]);
        ::close(ready[1]);
        operation();
        const bool waited = FileExists(mark);
        int status = 0;
        ::waitpid(child, &status, 0);
        return waited;
    }
    TDCPList& ListWithOneEvent() {
        TDCP* beacon = AddBeacon("Lampedusa", "EF16104F");
        AddEvent(*beacon->GetK7File(At(2005, 3, 7, 10), 45, 0xA0), 1);
        AddBlock(*beacon, "EF16104F-ALL           0 at 07/03/05 10:00:00 UTC 3BT o", At(2005, 3, 7, 10), "abc");
        return List();
    }
};

TEST_F(LockTest, StoreWritesWaitForAnotherProcess) {
    TDCPList& list = ListWithOneEvent();
    TDCP& beacon = *list.Beacons[0];
    EXPECT_TRUE(WaitsForAnotherProcess([&] { list.FlushAll(); })) << "FlushAll";
    EXPECT_TRUE(WaitsForAnotherProcess([&] { list.FlushK7ItemsOfDay(At(2005, 3, 7)); })) << "FlushK7ItemsOfDay";
    EXPECT_TRUE(WaitsForAnotherProcess([&] { beacon.FlushK7Items(0); })) << "FlushK7Items";
    EXPECT_TRUE(WaitsForAnotherProcess([&] { beacon.K7Items()[0]->Flush(); })) << "TDCPK7Item::Flush";
    EXPECT_TRUE(WaitsForAnotherProcess([&] { beacon.SaveBlocks(); })) << "SaveBlocks";
    EXPECT_TRUE(WaitsForAnotherProcess([&] { beacon.Blocks()[0]->AppendToDailyFile(); })) << "AppendToDailyFile";
}

TEST_F(LockTest, TaskRunsWaitForAnotherProcess) {
    TNullProgress progress;
    TDecodFile reader(List());
    TRunStore store(reader, List());
    TTaskServices services{env_.Env(), store, &progress, {}, {}};
    TTaskGetFiles collect;
    collect.InputDirectory = dir_.File("incoming");
    ForceDirectories(collect.InputDirectory);
    EXPECT_TRUE(WaitsForAnotherProcess([&] { (void)collect.RunNow(services); })) << "collection";
    TTaskMakeK7 rebuild;
    rebuild.NbDayToBuild = 1;
    EXPECT_TRUE(WaitsForAnotherProcess([&] { (void)rebuild.RunNow(services); })) << "K7 rebuild";
}

TEST_F(LockTest, WithoutAnotherProcessNothingWaits) {
    TDCPList& list = ListWithOneEvent();
    const auto start = std::chrono::steady_clock::now();
    list.FlushAll();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(250));
}

}  // namespace
}  // namespace skylog::test
