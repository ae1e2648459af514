#pragma once
// Advisory lock on a working directory, so that the desktop program and a scheduled
// run working on the same directory never interleave their appends to a daily
// message file or overwrite each other's K7 files. A second process waits for the
// lock (saying so on a terminal) rather than failing. Re-entrant within a process:
// only the outermost holder takes the lock.

#include <string>

namespace skylog {

class TWorkDirLock {
public:
    explicit TWorkDirLock(const std::string& workDir);
    ~TWorkDirLock();
    TWorkDirLock(const TWorkDirLock&) = delete;
    TWorkDirLock& operator=(const TWorkDirLock&) = delete;

    // Name of the lock file inside the working directory.
    static constexpr const char* kLockFileName = ".skylog.lock";
};

}  // namespace skylog
