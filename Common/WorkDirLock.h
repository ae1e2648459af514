#pragma once
// Advisory lock on a working directory, so that the desktop program and a scheduled
// run working on the same directory never interleave their appends to a daily
// message file or overwrite each other's K7 files. A second process waits for the
// lock (saying so on a terminal) rather than failing. Re-entrant within a process:
// only the outermost holder of a directory takes its lock, and two runs of one
// process on two directories each hold their own.

#include <cstdint>
#include <string>

namespace skylog {

enum class TLockWait { Wait, TryOnly };

class TWorkDirLock {
public:
    // TryOnly: when another program holds the lock, returns at once without it.
    explicit TWorkDirLock(const std::string& workDir, TLockWait wait = TLockWait::Wait);
    ~TWorkDirLock();
    TWorkDirLock(const TWorkDirLock&) = delete;
    TWorkDirLock& operator=(const TWorkDirLock&) = delete;

    // Changes whenever a directory's lock is newly taken (never 0), for work done once
    // while a lock is held: nothing another program does in that directory can undo it
    // while the number stays the same. Only for a thread that holds a lock.
    [[nodiscard]] static uint64_t HoldNumber();

    // False only when TryOnly found the lock held by another program.
    [[nodiscard]] bool Owned() const { return owned_; }

    // Name of the lock file inside the working directory.
    static constexpr const char* kLockFileName = ".skylog.lock";

    struct Held;  // a lock file this process holds (WorkDirLock.cpp)

private:
    Held* held_ = nullptr;  // null: nothing to share (no directory, or no lock file)
    bool owned_ = true;
};

}  // namespace skylog
