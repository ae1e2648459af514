#include "Common/WorkDirLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <mutex>

#include "Common/FileUtil.h"

namespace skylog {

namespace {
struct LockState {
    std::recursive_mutex mutex;  // keeps threads of one process in order too
    int depth = 0;
    int fd = -1;
    uint64_t hold = 0;  // counts the outermost takings
};
LockState& state() {
    static LockState s;
    return s;
}
}  // namespace

TWorkDirLock::TWorkDirLock(const std::string& workDir) {
    LockState& s = state();
    s.mutex.lock();
    if (s.depth++ > 0) return;
    ++s.hold;
    // No working directory yet (a bare test of one object): nothing to share.
    if (workDir.empty()) return;
    if (!DirectoryExists(workDir)) ForceDirectories(workDir);
    std::string path = workDir;
    if (!path.empty() && path.back() != '/') path.push_back('/');
    path += kLockFileName;
    s.fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    // Without a lock file (read-only directory) there is nothing to share with.
    if (s.fd < 0) return;
    if (::flock(s.fd, LOCK_EX | LOCK_NB) == 0) return;
    if (isatty(STDERR_FILENO))
        std::fprintf(stderr, "skylog: un autre programme travaille dans %s, attente...\n",
                     workDir.c_str());
    while (::flock(s.fd, LOCK_EX) != 0 && errno == EINTR) {
    }
}

uint64_t TWorkDirLock::HoldNumber() { return state().hold; }

TWorkDirLock::~TWorkDirLock() {
    LockState& s = state();
    if (--s.depth == 0 && s.fd >= 0) {
        ::flock(s.fd, LOCK_UN);
        ::close(s.fd);
        s.fd = -1;
    }
    s.mutex.unlock();
}

}  // namespace skylog
