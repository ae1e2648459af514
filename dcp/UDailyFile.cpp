#include "dcp/UDailyFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <system_error>
#include <utility>

#include "Common/FileUtil.h"
#include "Common/Lines.h"
#include "Common/UUtils.h"

namespace skylog {

std::string DailyFileName(TDateTime date) {
    const DateParts d = DecodeDate(date);
    char name[32];
    std::snprintf(name, sizeof name, "%04d_%02d_%02d.DCP", d.year, d.month, d.day);
    return name;
}

std::string DailyFolderPath(const std::string& workDir, std::string_view folderName) {
    return IncludeBackslash(workDir) + std::string(kDailyFolder) + kPathSeparator +
           std::string(folderName);
}

std::string BeaconFolderName(std::string_view beaconName) {
    if (beaconName.empty()) return "_";
    if (beaconName == "." || beaconName == "..") return "_" + std::string(beaconName);
    std::string folder(beaconName);
    std::replace(folder.begin(), folder.end(), '/', '_');
    std::replace(folder.begin(), folder.end(), '\0', '_');
    return folder;
}

std::optional<std::string> MoveDailyFolder(std::string_view workDir, std::string_view fromFolder,
                                           std::string_view toFolder) {
    namespace fs = std::filesystem;
    const std::string base = IncludeBackslash(workDir) + std::string(kDailyFolder) + kPathSeparator;
    const fs::path from = base + std::string(fromFolder);
    const fs::path to = base + std::string(toFolder);
    std::error_code error;
    if (fromFolder == toFolder || !fs::is_directory(from, error)) return std::nullopt;
    if (fs::exists(to, error) && !(fs::is_directory(to, error) && fs::is_empty(to, error)))
        return "Les messages enregistrés de la balise ne peuvent pas être déplacés dans " + std::string(kDailyFolder) +
               kPathSeparator + std::string(toFolder) + ", qui existe déjà!";
    fs::rename(from, to, error);
    if (error) throw FileError("Impossible de renommer " + from.string() + " en " + to.string() + " : " +
                              SystemErrorText(error.value()));
    return std::nullopt;
}

std::string AppendJournalPath(std::string_view dailyFile) {
    const size_t slash = dailyFile.rfind(kPathSeparator);
    const size_t nameStart = slash == std::string_view::npos ? 0 : slash + 1;
    return std::string(dailyFile.substr(0, nameStart)) + "." + std::string(dailyFile.substr(nameStart)) +
           ".journal";
}

namespace {

constexpr size_t kMaxJournalSize = 32;

// The size a journal holds; nothing when it is not whole.
std::optional<uint64_t> journalSize(std::string_view text) {
    if (text.size() < 2 || text.back() != '\n') return std::nullopt;
    text.remove_suffix(1);
    uint64_t size = 0;
    for (const char c : text) {
        if (c < '0' || c > '9' || size > (UINT64_MAX - 9) / 10) return std::nullopt;
        size = size * 10 + static_cast<uint64_t>(c - '0');
    }
    return size;
}

// Writes the journal of an append that starts at size; false when it cannot be written,
// the append then going on without one.
bool writeJournal(const std::string& journal, uint64_t size) {
    const int fd = ::open(journal.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0) return false;
    const std::string text = std::to_string(size) + "\n";
    const bool written = ::write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
    const bool closed = ::close(fd) == 0;
    if (written && closed) return true;
    ::unlink(journal.c_str());
    return false;
}

}  // namespace

bool RepairKilledAppend(const std::string& dailyFile) {
    const std::string journal = AppendJournalPath(dailyFile);
    const int fd = ::open(journal.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    char text[kMaxJournalSize];
    const ssize_t n = ::read(fd, text, sizeof text);
    ::close(fd);
    const std::optional<uint64_t> size = n > 0 ? journalSize(std::string_view(text, static_cast<size_t>(n)))
                                               : std::nullopt;
    struct stat info {};
    bool cut = false;
    if (size && ::stat(dailyFile.c_str(), &info) == 0 && static_cast<uint64_t>(info.st_size) > *size) {
        if (::truncate(dailyFile.c_str(), static_cast<off_t>(*size)) != 0)
            throw FileError("Impossible de couper le fichier " + dailyFile + " à sa taille d'avant l'ajout interrompu : " +
                            SystemErrorText(errno));
        cut = true;
    }
    ::unlink(journal.c_str());
    return cut;
}

namespace {

// A header holds spaces between its fields; bodies of 6-bit characters almost never
// do. Only lines with a space are kept in the set: a header without one is looked for
// in the file itself (see Contains).
void addLines(TLineSet& lines, std::string_view bytes) {
    std::string upper;
    ForEachLine(bytes, [&](std::string_view line) {
        if (line.find(' ') == std::string_view::npos) return;
        ToUpperAsciiInto(upper, line);
        lines.insert(upper);
    });
}

class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    [[nodiscard]] int get() const { return fd_; }
    [[nodiscard]] int release() { return std::exchange(fd_, -1); }

private:
    int fd_;
};

[[noreturn]] void throwWriteError(const std::string& path, int error) {
    throw FileError("Écriture impossible dans le fichier " + path + " : " + SystemErrorText(error));
}

}  // namespace

bool TDailyFileIndex::Contains(const std::string& path, std::string_view header, bool sizeKnown) {
    auto it = files_.find(path);
    struct stat info {};
    if (sizeKnown && it != files_.end()) {
        info.st_size = static_cast<off_t>(it->second.size);
    } else {
        // Under the working directory lock no other writer can be appending now: a
        // journal is what a killed one left.
        if (RepairKilledAppend(path)) it = files_.end();
        if (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) {
            files_.erase(path);
            return false;
        }
    }
    if (it == files_.end() || it->second.size != static_cast<uint64_t>(info.st_size)) {
        const std::string bytes = ReadFileBytes(path);
        Entry entry;
        entry.size = bytes.size();
        addLines(entry.lines, bytes);
        entry.indexed.push_back({0, bytes.size()});
        it = files_.insert_or_assign(path, std::move(entry)).first;
    }
    if (header.find(' ') == std::string_view::npos) return holdsSpacelessLine(path, it->second, header);
    std::string upper;
    ToUpperAsciiInto(upper, header);
    return it->second.lines.contains(upper);
}

// The lines without a space are not kept: look through the indexed parts of the file,
// which under the working directory lock still holds what was indexed (same size).
bool TDailyFileIndex::holdsSpacelessLine(const std::string& path, const Entry& entry,
                                         std::string_view header) {
    const std::string bytes = ReadFileBytes(path);
    const std::string_view all(bytes);
    bool found = false;
    for (const auto& [from, to] : entry.indexed) {
        if (from >= all.size()) continue;
        ForEachLine(all.substr(from, to - from), [&](std::string_view line) {
            if (!found && EqualsNoCase(line, header)) found = true;
        });
        if (found) return true;
    }
    return false;
}

bool TDailyFileIndex::Append(const std::string& path, std::string_view record,
                             TLineSet* lines) {
    TLineSet recordLines;
    if (lines == nullptr) addLines(recordLines, record);
    const std::string_view pieces[] = {record};
    return Append(path, pieces, lines != nullptr ? *lines : recordLines);
}

namespace {

// Appends the pieces under the file's journal, after a line break when the file does not
// end with one; nothing when the file cannot be opened or created. A failed write cuts
// the file back (or leaves the journal to do it) and throws FileError. The pieces are
// copied together and written a megabyte at a time (any single record at once).
std::optional<TDailyFileIndex::Range> appendPieces(const std::string& path, std::span<const std::string_view> pieces,
                                                   std::string& buffer) {
    FileDescriptor fd(::open(path.c_str(), O_RDWR | O_APPEND | O_CREAT | O_CLOEXEC, 0666));
    if (fd.get() < 0) return std::nullopt;
    struct stat info {};
    if (::fstat(fd.get(), &info) != 0) throwWriteError(path, errno);
    const auto oldSize = static_cast<uint64_t>(info.st_size);
    const std::string journal = AppendJournalPath(path);
    const bool journalled = writeJournal(journal, oldSize);

    std::string_view separator;
    if (oldSize > 0) {
        char last = '\n';
        if (::pread(fd.get(), &last, 1, static_cast<off_t>(oldSize) - 1) != 1) throwWriteError(path, errno);
        if (last != '\n' && last != '\r') separator = kRecordLineEnd;
    }
    constexpr size_t kMaxWrite = size_t{1} << 20;
    size_t total = separator.size();
    for (std::string_view piece : pieces) total += piece.size();
    buffer.clear();
    buffer.reserve(std::min(total, kMaxWrite));
    const auto writeOut = [&] {
        for (size_t done = 0; done < buffer.size();) {
            const ssize_t n = ::write(fd.get(), buffer.data() + done, buffer.size() - done);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) {
                const int error = n < 0 ? errno : ENOSPC;
                if (::ftruncate(fd.get(), static_cast<off_t>(oldSize)) == 0 && journalled) ::unlink(journal.c_str());
                throwWriteError(path, error);
            }
            done += static_cast<size_t>(n);
        }
        buffer.clear();
    };
    const auto add = [&](std::string_view piece) {
        if (!buffer.empty() && buffer.size() + piece.size() > kMaxWrite) writeOut();
        buffer.append(piece);
    };
    add(separator);
    for (size_t i = 0; i < pieces.size(); ++i) {
        // The records lie scattered in memory: those further on are asked for meanwhile.
        constexpr size_t kFetchAhead = 8;
        if (i + kFetchAhead < pieces.size()) PrefetchRange(pieces[i + kFetchAhead].data(), pieces[i + kFetchAhead].size());
        add(pieces[i]);
    }
    writeOut();
    if (::close(fd.release()) != 0) throwWriteError(path, errno);
    // Every record is whole: the journal goes.
    if (journalled) ::unlink(journal.c_str());
    return TDailyFileIndex::Range{oldSize, oldSize + total};
}

}  // namespace

bool TDailyFileIndex::Append(const std::string& path, std::span<const std::string_view> pieces,
                             TLineSet& lines) {
    if (RepairKilledAppend(path)) files_.erase(path);
    std::optional<Range> appended;
    try {
        appended = appendPieces(path, pieces, writeBuffer_);
    } catch (...) {
        files_.erase(path);
        throw;
    }
    if (!appended) {
        files_.erase(path);
        return false;
    }
    noteAppended(path, *appended, lines);
    return true;
}

// The index takes the lines of the records appended when it knew the file up to where
// they start; otherwise another writer got in between, and it reads the file next time.
void TDailyFileIndex::noteAppended(const std::string& path, Range appended, TLineSet& lines) {
    auto it = files_.find(path);
    if (appended.from == 0) {
        it = files_.insert_or_assign(path, Entry{}).first;
    } else if (it == files_.end() || it->second.size != appended.from) {
        files_.erase(path);
        return;
    }
    Entry& entry = it->second;
    entry.size = appended.to;
    entry.lines.merge(lines);  // a line already there stays in lines
    lines.clear();
    entry.indexed.push_back({appended.from, appended.to});
}

}  // namespace skylog
