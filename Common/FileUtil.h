#pragma once
// Thin file-system wrappers. Parsers take bytes; these read and write them.

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace skylog {

// An unexpected file failure; reaches the front end, which reports it.
class FileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Why a system call failed, from its errno, for the messages.
[[nodiscard]] std::string SystemErrorText(int error);

[[nodiscard]] bool FileExists(std::string_view path);
[[nodiscard]] bool DirectoryExists(std::string_view path);
// Creates the folder with every missing parent; true when it exists afterwards.
bool ForceDirectories(std::string_view path);
bool DeleteFile(std::string_view path);

// Whole file as bytes; throws FileError when it cannot be read.
[[nodiscard]] std::string ReadFileBytes(std::string_view path);
// The same into a buffer used again from file to file: its size only grows, so that
// reading many files neither clears nor allocates memory for each. Returns the file's
// size: the bytes are the buffer's first ones.
[[nodiscard]] size_t ReadFileInto(std::string_view path, std::string& buffer);

// Writes to a temporary file in the same folder, flushes it to disk and renames it
// over the target, so that a crash or a full disk never leaves a truncated file.
// Throws FileError when the file cannot be written; the old file is then intact.
// Inside a TAtomicWriteBatch the flush and the rename wait for the batch's commit.
void WriteFileAtomic(std::string_view path, std::string_view bytes);

// WriteFileAtomic's temporary files lie beside their target: "." + its name + ".tmp"
// + six random characters. Any file's, or the given file name's:
[[nodiscard]] bool IsTemporaryName(std::string_view name);
[[nodiscard]] bool IsTemporaryOf(std::string_view name, std::string_view fileName);
// Removes the temporary files of path that a killed write left behind. Only for a
// caller that keeps every other writer of the file out (the working directory lock).
void RemoveStaleTemporaries(std::string_view path);

// While one exists (in this thread), WriteFileAtomic writes its temporary files and
// leaves flushing them and renaming them over their targets to Commit: many files are
// then made durable by one file-system sync instead of one fsync each, which on a
// journalling file system is one commit instead of hundreds. Until the commit, the
// targets keep their old content. A batch made inside another joins it (its Commit
// does nothing); the outermost commits at the end of its scope if Commit was not
// called, so that files written before an exception are still put in place.
class TAtomicWriteBatch {
public:
    TAtomicWriteBatch();
    ~TAtomicWriteBatch();
    TAtomicWriteBatch(const TAtomicWriteBatch&) = delete;
    TAtomicWriteBatch& operator=(const TAtomicWriteBatch&) = delete;

    // Flushes every pending file and renames it over its target, in the order written.
    // A file that fails is removed and its target left as it was; the others are still
    // put in place, then FileError reports the first failure.
    void Commit();
    [[nodiscard]] size_t Pending() const { return pending_.size(); }

    // Files written through the batch: a temporary name, its target, its file system.
    struct PendingFile {
        std::string temp;
        std::string target;
        uint64_t device = 0;
    };
    // The batch WriteFileAtomic adds to, or null.
    static TAtomicWriteBatch* Active();
    void Add(PendingFile file);
    // Takes the pending files out of the batch, which then commits nothing, so that
    // they are committed elsewhere with CommitFiles. Nothing in a batch that joined an
    // outer one: the outer one holds its files.
    [[nodiscard]] std::vector<PendingFile> TakePending();
    // Commit of files taken from a batch; may run on another thread.
    static void CommitFiles(std::vector<PendingFile> files);

private:
    std::vector<PendingFile> pending_;
    bool outermost_;
};

// Directory part of a path, without the trailing separator ("" when there is none).
[[nodiscard]] std::string ExtractFileDir(std::string_view path);
[[nodiscard]] std::string ExtractFileName(std::string_view path);

}  // namespace skylog
