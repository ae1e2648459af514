#pragma once
// Advisory lock on a working directory, so that the desktop program and a scheduled
// run working on the same directory never interleave their appends to a daily
// message file or overwrite each other's K7 files. A second process waits for the
// lock (saying so on a terminal) rather than failing. Re-entrant within a process:
// only the outermost holder takes the lock.

#include <cstdint>
#include <string>

namespace skylog {

class TWorkDirLock {
public:
    explicit TWorkDirLock(const std::string& workDir);
    ~TWorkDirLock();
    TWorkDirLock(const TWorkDirLock&) = delete;
    TWorkDirLock& operator=(const TWorkDirLock&) = delete;

    // Tells one outermost taking of the lock from another (never 0), for work done once
    // while the lock is held: nothing another program does can undo it meanwhile. Only
    // for a thread that holds the lock.
    [[nodiscard]] static uint64_t HoldNumber();

    // Name of the lock file inside the working directory.
    static constexpr const char* kLockFileName = ".skylog.lock";
};

}  // namespace skylog
