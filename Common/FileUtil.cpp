#include "Common/FileUtil.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>

namespace skylog {

namespace fs = std::filesystem;

std::string SystemErrorText(int error) {
    // The usual reasons in French, like the rest of the messages; the system's own
    // text (in the C locale, English) only for the rare others.
    switch (error) {
        case ENOENT: return "fichier ou répertoire introuvable";
        case EACCES:
        case EPERM: return "accès refusé";
        case EISDIR: return "c'est un répertoire";
        case ENOTDIR: return "un élément du chemin n'est pas un répertoire";
        case ENOSPC: return "plus de place sur le disque";
        case EDQUOT: return "quota de disque dépassé";
        case EROFS: return "système de fichiers en lecture seule";
        case EIO: return "erreur d'entrée-sortie";
        case ENAMETOOLONG: return "nom trop long";
        case ELOOP: return "trop de liens symboliques";
        case EMFILE:
        case ENFILE: return "trop de fichiers ouverts";
        case EBUSY:
        case ETXTBSY: return "fichier occupé";
        case EEXIST: return "le fichier existe déjà";
        default: return std::strerror(error);
    }
}

bool FileExists(std::string_view path) {
    std::error_code ec;
    return !path.empty() && fs::is_regular_file(fs::path(std::string(path)), ec);
}

bool DirectoryExists(std::string_view path) {
    std::error_code ec;
    return !path.empty() && fs::is_directory(fs::path(std::string(path)), ec);
}

bool ForceDirectories(std::string_view path) {
    if (path.empty()) return false;
    std::error_code ec;
    fs::create_directories(fs::path(std::string(path)), ec);
    return DirectoryExists(path);
}

bool DeleteFile(std::string_view path) {
    std::error_code ec;
    return fs::remove(fs::path(std::string(path)), ec);
}

// One read per file where the size is known: the import reads every input file and
// every daily message file whole, so a stream copying byte by byte costs real time.
std::string ReadFileBytes(std::string_view path) {
    std::string data;
    data.resize(ReadFileInto(path, data));
    return data;
}

size_t ReadFileInto(std::string_view path, std::string& buffer) {
    const std::string name(path);
    const int fd = ::open(name.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) throw FileError("Impossible de lire le fichier " + name + " : " + SystemErrorText(errno));
    struct stat info {};
    const bool known = ::fstat(fd, &info) == 0;
    if (known && S_ISDIR(info.st_mode)) {
        ::close(fd);
        throw FileError("Impossible de lire le fichier " + name + " : c'est un répertoire");
    }
    if (known && S_ISREG(info.st_mode) && static_cast<size_t>(info.st_size) > buffer.size()) {
        // A fresh buffer of the exact size: growing the old one would copy its bytes,
        // only to be overwritten, and double its capacity.
        std::string larger;
        larger.resize(static_cast<size_t>(info.st_size));
        buffer.swap(larger);
    }
    size_t filled = 0;
    char spare[4096];
    for (;;) {
        // Past the buffer's size, read into a small buffer: the file may have grown,
        // but the common end of file must not double the allocation of a large file.
        const bool full = filled == buffer.size();
        const ssize_t n = full ? ::read(fd, spare, sizeof spare)
                               : ::read(fd, buffer.data() + filled, buffer.size() - filled);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            const int err = errno;
            ::close(fd);
            throw FileError("Erreur de lecture du fichier " + name + " : " + SystemErrorText(err));
        }
        if (n == 0) break;
        if (full) buffer.append(spare, static_cast<size_t>(n));
        filled += static_cast<size_t>(n);
    }
    ::close(fd);
    return filled;
}

namespace {

thread_local TAtomicWriteBatch* activeBatch = nullptr;

// Below this many files, one fsync each costs less than syncing the whole file system
// (which also waits for whatever else is dirty on it).
constexpr size_t kSyncWholeFileSystemFrom = 8;

FileError writeError(const std::string& target, int err) {
    return FileError("Impossible d'écrire le fichier " + target + " : " + SystemErrorText(err));
}

// Flushes an already closed file; 0 or an errno.
int fsyncPath(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return errno;
    const int err = ::fsync(fd) == 0 ? 0 : errno;
    ::close(fd);
    return err;
}

}  // namespace

void WriteFileAtomic(std::string_view path, std::string_view bytes) {
    const std::string target(path);
    std::string dir = ExtractFileDir(target);
    if (dir.empty()) dir = ".";
    std::string tmpl = dir + "/." + ExtractFileName(target) + ".tmpXXXXXX";
    std::vector<char> name(tmpl.begin(), tmpl.end());
    name.push_back('\0');
    int fd = mkstemp(name.data());
    if (fd < 0)
        throw FileError("Impossible de créer le fichier " + target + " : " + SystemErrorText(errno));
    const std::string tmpPath(name.data());
    size_t written = 0;
    while (written < bytes.size()) {
        ssize_t n = ::write(fd, bytes.data() + written, bytes.size() - written);
        if (n < 0) {
            if (errno == EINTR) continue;
            int err = errno;
            ::close(fd);
            ::unlink(tmpPath.c_str());
            throw writeError(target, err);
        }
        written += static_cast<size_t>(n);
    }
    // mkstemp creates 0600; data files are meant to be shared like any other.
    ::fchmod(fd, 0644);
    TAtomicWriteBatch* batch = TAtomicWriteBatch::Active();
    struct stat info {};
    if (batch != nullptr && ::fstat(fd, &info) == 0) {
        if (::close(fd) != 0) {
            int err = errno;
            ::unlink(tmpPath.c_str());
            throw writeError(target, err);
        }
        batch->Add({tmpPath, target, static_cast<uint64_t>(info.st_dev)});
        return;
    }
    if (::fsync(fd) != 0 || ::close(fd) != 0) {
        int err = errno;
        ::unlink(tmpPath.c_str());
        throw writeError(target, err);
    }
    if (::rename(tmpPath.c_str(), target.c_str()) != 0) {
        int err = errno;
        ::unlink(tmpPath.c_str());
        throw FileError("Impossible de remplacer le fichier " + target + " : " + SystemErrorText(err));
    }
}

namespace {
constexpr std::string_view kTemporaryInfix = ".tmp";
constexpr size_t kTemporaryRandomPart = 6;  // mkstemp's XXXXXX
}  // namespace

bool IsTemporaryName(std::string_view name) {
    return name.size() > 1 + kTemporaryInfix.size() + kTemporaryRandomPart && name.front() == '.' &&
           name.substr(name.size() - kTemporaryRandomPart - kTemporaryInfix.size(), kTemporaryInfix.size()) ==
               kTemporaryInfix;
}

bool IsTemporaryOf(std::string_view name, std::string_view fileName) {
    return name.size() == 1 + fileName.size() + kTemporaryInfix.size() + kTemporaryRandomPart &&
           name.front() == '.' && name.substr(1, fileName.size()) == fileName &&
           name.substr(1 + fileName.size(), kTemporaryInfix.size()) == kTemporaryInfix;
}

void RemoveStaleTemporaries(std::string_view path) {
    const std::string folder = ExtractFileDir(path);
    const std::string name = ExtractFileName(path);
    std::error_code ec;
    for (fs::directory_iterator it(folder.empty() ? "." : folder, ec), end; !ec && it != end; it.increment(ec))
        if (IsTemporaryOf(it->path().filename().string(), name)) fs::remove(it->path(), ec);
}

TAtomicWriteBatch::TAtomicWriteBatch() : outermost_(activeBatch == nullptr) {
    if (outermost_) activeBatch = this;
}

TAtomicWriteBatch::~TAtomicWriteBatch() {
    if (!outermost_) return;
    try {
        Commit();
    } catch (const std::exception&) {
        // Reported by an explicit Commit; here an exception is already on its way.
    }
    activeBatch = nullptr;
}

TAtomicWriteBatch* TAtomicWriteBatch::Active() { return activeBatch; }

void TAtomicWriteBatch::Add(PendingFile file) {
    // A second write of the same target replaces the first.
    for (PendingFile& earlier : pending_) {
        if (earlier.target != file.target) continue;
        ::unlink(earlier.temp.c_str());
        earlier = std::move(file);
        return;
    }
    pending_.push_back(std::move(file));
}

std::vector<TAtomicWriteBatch::PendingFile> TAtomicWriteBatch::TakePending() {
    std::vector<PendingFile> files = std::move(pending_);
    pending_.clear();
    return files;
}

void TAtomicWriteBatch::Commit() {
    if (!outermost_ || pending_.empty()) return;
    CommitFiles(TakePending());
}

void TAtomicWriteBatch::CommitFiles(std::vector<PendingFile> files) {
    if (files.empty()) return;
    std::vector<int> errors(files.size(), 0);

    // Durable first: a target is only ever replaced by a file already on disk.
    bool synced = false;
    if (files.size() >= kSyncWholeFileSystemFrom) {
        synced = true;
        std::vector<uint64_t> devices;
        for (const PendingFile& file : files) {
            if (std::find(devices.begin(), devices.end(), file.device) != devices.end()) continue;
            devices.push_back(file.device);
            const int fd = ::open(file.temp.c_str(), O_RDONLY | O_CLOEXEC);
            if (fd < 0 || ::syncfs(fd) != 0) synced = false;
            if (fd >= 0) ::close(fd);
        }
    }
    if (!synced)
        for (size_t i = 0; i < files.size(); ++i) errors[i] = fsyncPath(files[i].temp);

    std::string firstError;
    for (size_t i = 0; i < files.size(); ++i) {
        const PendingFile& file = files[i];
        if (errors[i] == 0 && ::rename(file.temp.c_str(), file.target.c_str()) == 0) continue;
        const int err = errors[i] != 0 ? errors[i] : errno;
        ::unlink(file.temp.c_str());
        if (firstError.empty())
            firstError = (errors[i] != 0 ? "Impossible d'écrire le fichier " : "Impossible de remplacer le fichier ") +
                         file.target + " : " + SystemErrorText(err);
    }
    if (!firstError.empty()) throw FileError(firstError);
}

std::string ExtractFileDir(std::string_view path) {
    size_t pos = path.rfind('/');
    if (pos == std::string_view::npos) return "";
    if (pos == 0) return "/";
    return std::string(path.substr(0, pos));
}

std::string ExtractFileName(std::string_view path) {
    size_t pos = path.rfind('/');
    return std::string(pos == std::string_view::npos ? path : path.substr(pos + 1));
}

}  // namespace skylog
