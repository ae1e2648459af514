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

std::string ReadFileBytes(std::string_view path) {
    std::ifstream in(std::string(path), std::ios::binary);
    if (!in) throw FileError("Impossible de lire le fichier " + std::string(path));
    std::string data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) throw FileError("Erreur de lecture du fichier " + std::string(path));
    return data;
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
