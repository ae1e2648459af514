#include "Common/WorkDirLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <list>
#include <mutex>
#include <vector>

#include "Common/FileUtil.h"
#include "Common/UUtils.h"

namespace skylog {

// One lock file held by this process. flock belongs to an open file: a second open
// of the same file in this process would wait for the first for ever, so each file
// is opened once, whatever path names it.
struct TWorkDirLock::Held {
    std::vector<std::string> paths;  // the spellings of the directory seen so far
    dev_t device = 0;
    ino_t inode = 0;
    int fd = -1;
    int depth = 0;
};

namespace {

// The locks this process holds. Process-wide by nature: the operating system keeps
// one lock per process and file.
struct LockState {
    std::recursive_mutex mutex;  // keeps threads of one process in order too
    std::list<TWorkDirLock::Held> held;  // stable addresses
    uint64_t hold = 0;
};
LockState& state() {
    static LockState s;
    return s;
}

}  // namespace

TWorkDirLock::TWorkDirLock(const std::string& workDir, TLockWait wait) {
    LockState& s = state();
    s.mutex.lock();
    // No working directory (a bare test of one object): nothing to share.
    if (workDir.empty()) {
        ++s.hold;
        return;
    }
    const std::string dir = IncludeBackslash(workDir);
    for (Held& held : s.held) {
        if (std::find(held.paths.begin(), held.paths.end(), dir) == held.paths.end()) continue;
        ++held.depth;
        held_ = &held;
        return;
    }
    ++s.hold;
    if (!DirectoryExists(dir)) ForceDirectories(dir);
    const int fd = ::open((dir + kLockFileName).c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    // Without a lock file (read-only directory) there is nothing to share with.
    if (fd < 0) return;
    struct stat st {};
    if (::fstat(fd, &st) == 0) {
        for (Held& held : s.held) {
            if (held.device != st.st_dev || held.inode != st.st_ino) continue;
            ::close(fd);
            held.paths.push_back(dir);
            ++held.depth;
            held_ = &held;
            return;
        }
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        if (wait == TLockWait::TryOnly) {
            ::close(fd);
            owned_ = false;
            return;
        }
        if (isatty(STDERR_FILENO))
            std::fprintf(stderr, "skylog: un autre programme travaille dans %s, attente...\n", workDir.c_str());
        while (::flock(fd, LOCK_EX) != 0 && errno == EINTR) {
        }
    }
    held_ = &s.held.emplace_back(Held{{dir}, st.st_dev, st.st_ino, fd, 1});
}

uint64_t TWorkDirLock::HoldNumber() { return state().hold; }

TWorkDirLock::~TWorkDirLock() {
    LockState& s = state();
    if (held_ != nullptr && --held_->depth == 0) {
        ::flock(held_->fd, LOCK_UN);
        ::close(held_->fd);
        s.held.remove_if([this](const Held& held) { return &held == held_; });
    }
    s.mutex.unlock();
}

}  // namespace skylog
