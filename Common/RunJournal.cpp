#include "Common/RunJournal.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <exception>

#include "Common/FileUtil.h"
#include "Common/UUtils.h"

namespace skylog {

namespace {

// The journal is cut once it holds a tenth more lines than it keeps, so that a run
// rewrites it only once in a thousand runs or so.
constexpr size_t kTrimAbove = kRunJournalLines + kRunJournalLines / 10;
// No line is shorter: the time (19), seven tabs, a name, six numbers and the line break.
constexpr size_t kShortestLine = 34;

// The journal opened for appending and locked against the other programs. A program
// that cut the journal meanwhile renamed a new file over the one opened: that one is
// then opened again. -1 with errno set when it cannot be opened.
int openLocked(const std::string& path) {
    for (;;) {
        const int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
        if (fd < 0) return -1;
        int locked = 0;
        while ((locked = ::flock(fd, LOCK_EX)) != 0 && errno == EINTR) {
        }
        struct stat held {}, named {};
        if (locked == 0 && ::fstat(fd, &held) == 0 && ::stat(path.c_str(), &named) == 0 &&
            held.st_dev == named.st_dev && held.st_ino == named.st_ino)
            return fd;
        const int error = errno;
        ::close(fd);
        if (locked != 0) {
            errno = error;
            return -1;
        }
    }
}

// Writes the line whole, or leaves the file as it was (a full disk).
bool appendWhole(int fd, std::string_view line) {
    struct stat before {};
    if (::fstat(fd, &before) != 0) return false;
    size_t written = 0;
    while (written < line.size()) {
        const ssize_t n = ::write(fd, line.data() + written, line.size() - written);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            const int error = n < 0 ? errno : ENOSPC;
            const int cut = ::ftruncate(fd, before.st_size);  // no half line stays
            static_cast<void>(cut);
            errno = error;
            return false;
        }
        written += static_cast<size_t>(n);
    }
    return true;
}

// The last kRunJournalLines lines of the journal once it holds more than kTrimAbove;
// none while it does not.
std::optional<std::string> trimmed(const std::string& path, off_t size) {
    if (static_cast<size_t>(size) <= kTrimAbove * kShortestLine) return std::nullopt;
    const std::string text = ReadFileBytes(path);
    if (static_cast<size_t>(std::count(text.begin(), text.end(), '\n')) <= kTrimAbove) return std::nullopt;
    // The file ends with the line just written, and holds more breaks than are kept.
    size_t from = text.size() - 1;
    for (size_t kept = 0; kept < kRunJournalLines; ++kept) from = text.rfind('\n', from - 1);
    return text.substr(from + 1);
}

}  // namespace

TRunCounts& TRunCounts::operator+=(const TRunCounts& other) {
    Files += other.Files;
    Messages += other.Messages;
    ReaderErrors += other.ReaderErrors;
    Scenarios += other.Scenarios;
    FaultyMessages += other.FaultyMessages;
    for (const auto& [beacon, messages] : other.UndefinedBeacons) UndefinedBeacons[beacon] += messages;
    FaultyDays.insert(other.FaultyDays.begin(), other.FaultyDays.end());
    return *this;
}

std::string RunJournalLine(const TRunRecord& record) {
    std::string what = record.What;
    std::replace_if(what.begin(), what.end(), [](char c) { return c == '\t' || c == '\n' || c == '\r'; }, ' ');
    const TRunCounts& c = record.Counts;
    std::string line = FormatIsoDate(record.Time) + ' ' + FormatTimeHMS(record.Time) + '\t' + what;
    for (const int64_t number : {c.Files, c.Messages, c.ReaderErrors, c.Scenarios, c.FaultyMessages,
                                 static_cast<int64_t>(record.Status)})
        line += '\t' + std::to_string(number);
    return line;
}

std::optional<std::string> AppendToRunJournal(std::string_view workDir, const TRunRecord& record) {
    // No working directory (an object tested alone): there is no journal to keep.
    if (workDir.empty()) return std::nullopt;
    const std::string path = IncludeBackslash(workDir) + kRunJournalName;
    const int fd = openLocked(path);
    if (fd < 0) return "impossible d'écrire dans " + path + " : " + SystemErrorText(errno);
    std::optional<std::string> problem;
    struct stat after {};
    if (!appendWhole(fd, RunJournalLine(record) + '\n')) {
        problem = "impossible d'écrire dans " + path + " : " + SystemErrorText(errno);
    } else if (::fstat(fd, &after) == 0) {
        // Under the lock still: no line of another program is lost to the cut.
        try {
            if (const auto kept = trimmed(path, after.st_size)) WriteFileAtomic(path, *kept);
        } catch (const std::exception& error) {
            problem = error.what();
        }
    }
    ::close(fd);
    return problem;
}

}  // namespace skylog
