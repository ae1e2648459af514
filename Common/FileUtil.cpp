#include "Common/FileUtil.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>

namespace skylog {

namespace fs = std::filesystem;

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
    if (fd < 0) throw FileError("Impossible de lire le fichier " + name);
    struct stat info {};
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && static_cast<size_t>(info.st_size) > buffer.size())
        buffer.resize(static_cast<size_t>(info.st_size));
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
            ::close(fd);
            throw FileError("Erreur de lecture du fichier " + name);
        }
        if (n == 0) break;
        if (full) buffer.append(spare, static_cast<size_t>(n));
        filled += static_cast<size_t>(n);
    }
    ::close(fd);
    return filled;
}

void WriteFileAtomic(std::string_view path, std::string_view bytes) {
    const std::string target(path);
    std::string dir = ExtractFileDir(target);
    if (dir.empty()) dir = ".";
    std::string tmpl = dir + "/." + ExtractFileName(target) + ".tmpXXXXXX";
    std::vector<char> name(tmpl.begin(), tmpl.end());
    name.push_back('\0');
    int fd = mkstemp(name.data());
    if (fd < 0)
        throw FileError("Impossible de créer le fichier " + target + " : " + std::strerror(errno));
    const std::string tmpPath(name.data());
    size_t written = 0;
    while (written < bytes.size()) {
        ssize_t n = ::write(fd, bytes.data() + written, bytes.size() - written);
        if (n < 0) {
            if (errno == EINTR) continue;
            int err = errno;
            ::close(fd);
            ::unlink(tmpPath.c_str());
            throw FileError("Impossible d'écrire le fichier " + target + " : " + std::strerror(err));
        }
        written += static_cast<size_t>(n);
    }
    // mkstemp creates 0600; data files are meant to be shared like any other.
    ::fchmod(fd, 0644);
    if (::fsync(fd) != 0 || ::close(fd) != 0) {
        int err = errno;
        ::unlink(tmpPath.c_str());
        throw FileError("Impossible d'écrire le fichier " + target + " : " + std::strerror(err));
    }
    if (::rename(tmpPath.c_str(), target.c_str()) != 0) {
        int err = errno;
        ::unlink(tmpPath.c_str());
        throw FileError("Impossible de remplacer le fichier " + target + " : " + std::strerror(err));
    }
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
