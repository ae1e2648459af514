#pragma once
// Adding ground-station files to the message store: the one operation behind the
// command line's import, the file collection task and the main window's "Ajouter".
// It reads the files one by one, writes the store as its save policy says (every so
// many files, or when what is held passes a memory budget, and at the end), deletes
// the files read once their messages are stored when asked, and tells its front end
// through IImportEvents what happens, which is where the front ends differ: what they
// show, whether a failure stops the import, and cancelling.

#include <cstddef>
#include <exception>
#include <optional>
#include <string>
#include <vector>

#include "Common/RunJournal.h"

namespace skylog {

class IMessageStore;

// When the store is written during an import (it always is at its end).
struct TImportPolicy {
    // After every so many files, counted whatever became of them (0: never).
    size_t FilesPerSave = 0;
    // When the content held since the last save passes this many bytes
    // (TDCPList::PendingBytes); 0 saves after every file read. None: no budget.
    std::optional<size_t> MemoryBudget;
    // Delete each file read once its messages are stored, save by save. A file whose
    // format is not recognised, that could not be read, that gave no message, or one
    // of whose messages could not be stored, is left where it is.
    bool DeleteAfterSave = false;
};

// The main window's rule, and the budget of the command line and the collection.
inline constexpr size_t kWindowFilesPerSave = 50;
inline constexpr size_t kDefaultMemoryBudgetMB = 256;

enum class TImportStep { Read, Skip, Stop };
enum class TImportFailure { Continue, Stop };

// What an import tells its front end. Every call has a default: read every file, stop
// at the first failure (the error is rethrown to the caller of Run).
class IImportEvents {
public:
    virtual ~IImportEvents() = default;
    // Before file `index` (from 0) of `count`: show it, and read it, skip it, or stop
    // the import here (a cancel: what was read is still saved).
    virtual TImportStep BeforeFile(size_t /*index*/, size_t /*count*/, const std::string& /*path*/) {
        return TImportStep::Read;
    }
    // The file was read; the run's reader holds its errors and counts.
    virtual void FileRead(const std::string& /*path*/) {}
    // The file's extension is no known format: it was not read.
    virtual void UnknownFormat(const std::string& /*path*/) {}
    // Reading the file failed. Continue: the file stays and the next one is read.
    virtual TImportFailure ReadFailed(const std::string& /*path*/, const std::exception& /*error*/) {
        return TImportFailure::Stop;
    }
    // The store is about to be written; `last` at the end of the import.
    virtual void Saving(bool /*last*/) {}
    // Writing the store failed. Continue: the content is dropped as after a save (the
    // files read since the last save stay where they are) and the import goes on.
    virtual TImportFailure SaveFailed(const std::exception& /*error*/) { return TImportFailure::Stop; }
};

struct TImportResult {
    std::vector<std::string> ReadFiles;          // in the order read
    std::vector<std::string> UnrecognisedFiles;  // not read
    std::vector<std::string> FailedFiles;        // could not be read: left in place
    std::vector<std::string> SilentFiles;        // read, no message filed: left in place
    std::vector<std::string> UnstoredFiles;      // a message not stored: left in place
    std::vector<std::string> DeletedFiles;       // read, stored and deleted
    bool Cancelled = false;
    bool SaveFailed = false;  // a save failed and the import went on
    size_t Saves = 0;         // saves that succeeded
    TRunCounts Counts;        // what the files read gave
};

class TFileImport {
public:
    // The store (the run's reader and beacon list) must outlive the import.
    TFileImport(IMessageStore& store, TImportPolicy policy) : store_(store), policy_(policy) {}

    // Reads the files in order. A failure the events answer with Stop is rethrown:
    // the rest is neither read nor saved.
    TImportResult Run(const std::vector<std::string>& paths, IImportEvents& events);

private:
    // True when the file was read.
    bool readOne(const std::string& path, IImportEvents& events, TImportResult& result);
    // Writes the store (dropping its content unless last) and deletes the files read
    // since the last save when asked.
    void save(bool last, IImportEvents& events, TImportResult& result);

    IMessageStore& store_;
    TImportPolicy policy_;
    std::vector<std::string> unsaved_;  // files read since the last save
};

}  // namespace skylog
