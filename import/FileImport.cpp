#include "import/FileImport.h"

#include <algorithm>

#include "Common/FileUtil.h"
#include "dcp/StoreContext.h"

namespace skylog {

TImportResult TFileImport::Run(const std::vector<std::string>& paths, IImportEvents& events) {
    // Nothing reads the blocks between two files but the store's observer.
    const struct Bulk {
        IMessageStore& store;
        explicit Bulk(IMessageStore& s) : store(s) { store.SetBulkReading(true); }
        ~Bulk() { store.SetBulkReading(false); }
    } bulk(store_);
    TImportResult result;
    unsaved_.clear();
    (void)store_.TakeCounts();  // what was read before is not this import's
    const size_t count = paths.size();
    for (size_t i = 0; i < count; ++i) {
        const std::string& path = paths[i];
        const TImportStep step = events.BeforeFile(i, count, path);
        if (step == TImportStep::Stop) {
            result.Cancelled = true;
            break;
        }
        const bool read = step == TImportStep::Read && readOne(path, events, result);
        const bool everyFiles = policy_.FilesPerSave > 0 && (i + 1) % policy_.FilesPerSave == 0;
        const bool overBudget = read && policy_.MemoryBudget && store_.PendingBytes() > *policy_.MemoryBudget;
        if (everyFiles || overBudget) save(false, events, result);
    }
    save(true, events, result);
    result.Counts = store_.TakeCounts();
    return result;
}

bool TFileImport::readOne(const std::string& path, IImportEvents& events, TImportResult& result) {
    int32_t status = 0;
    try {
        status = store_.ReadFile(path);
    } catch (const std::exception& error) {
        if (events.ReadFailed(path, error) == TImportFailure::Stop) throw;
        result.FailedFiles.push_back(path);
        return false;
    }
    if (status < 0) {
        result.UnrecognisedFiles.push_back(path);
        events.UnknownFormat(path);
        return false;
    }
    result.ReadFiles.push_back(path);
    // Nothing of the file is stored: a file that is not what it seemed, or input for
    // a working directory that does not define its beacons, is not ours to delete.
    if (store_.MessagesOfLastFile() > 0)
        unsaved_.push_back(path);
    else
        result.SilentFiles.push_back(path);
    events.FileRead(path);
    return true;
}

void TFileImport::save(bool last, IImportEvents& events, TImportResult& result) {
    events.Saving(last);
    try {
        store_.FlushAll();
    } catch (const std::exception& error) {
        if (events.SaveFailed(error) == TImportFailure::Stop) throw;
        result.SaveFailed = true;
        unsaved_.clear();
        if (!last) store_.ClearAll();
        return;
    }
    ++result.Saves;
    // Deleted only once stored: an import killed or failing before the save leaves the
    // files in place, to be read again by the next one, and so does a daily file that
    // could not be written for some of a file's messages.
    std::vector<std::string> unstored = store_.UnstoredFiles();
    std::sort(unstored.begin(), unstored.end());
    for (const std::string& path : unsaved_) {
        if (std::binary_search(unstored.begin(), unstored.end(), path))
            result.UnstoredFiles.push_back(path);
        else if (policy_.DeleteAfterSave && DeleteFile(path))
            result.DeletedFiles.push_back(path);
    }
    unsaved_.clear();
    if (!last) store_.ClearAll();
}

}  // namespace skylog
