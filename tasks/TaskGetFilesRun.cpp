#include "tasks/TaskGetFilesRun.h"

#include <utility>

#include "Common/FileUtil.h"
#include "Common/MessageBoxes.h"
#include "Common/Progress.h"
#include "Common/UUtils.h"
#include "dcp/StoreContext.h"
#include "import/FileImport.h"

namespace skylog {

namespace {

std::string nameOf(const std::string& path) { return path.substr(path.rfind('/') + 1); }

// The collection's window follows the import: the bar counts the files and one more
// step for the last save, Cancel is looked at before each file, and a file that cannot
// be read is noted and left for a later collection.
class CollectEvents : public IImportEvents {
public:
    CollectEvents(IProgress& progress, int maximum, TGetFilesResult& result)
        : progress_(progress), maximum_(maximum), result_(result) {}

    TImportStep BeforeFile(size_t index, size_t, const std::string& path) override {
        progress_.SetPosition(static_cast<int>(index));
        progress_.SetLabel(kGetFilesAdding + nameOf(path));
        return progress_.CancelRequested() ? TImportStep::Stop : TImportStep::Read;
    }
    void FileRead(const std::string& path) override { result_.ReadFiles.push_back(nameOf(path)); }
    // Not a ground-station file: it is not ours to delete.
    void UnknownFormat(const std::string& path) override { result_.UnrecognisedFiles.push_back(nameOf(path)); }
    TImportFailure ReadFailed(const std::string& path, const std::exception& error) override {
        if (dynamic_cast<const FileError*>(&error) == nullptr) return TImportFailure::Stop;
        result_.FailedFiles.push_back(nameOf(path) + " : " + error.what());
        progress_.SetLabel("Erreur de lecture du fichier " + nameOf(path));
        return TImportFailure::Continue;
    }
    void Saving(bool last) override {
        if (!last) return;
        progress_.SetLabel(kGetFilesSaving);
        progress_.SetPosition(maximum_);
        progress_.SetCancelEnabled(false);
    }

private:
    IProgress& progress_;
    int maximum_;
    TGetFilesResult& result_;
};

}  // namespace

TGetFilesRun::TGetFilesRun(std::string inputDirectory, std::string mask, bool deleteAfterAdd, size_t memoryBudget,
                           IMessageStore& store, IMessageBoxes& reporter)
    : inputDirectory_(std::move(inputDirectory)),
      mask_(std::move(mask)),
      deleteAfterAdd_(deleteAfterAdd),
      memoryBudget_(memoryBudget),
      store_(store),
      reporter_(reporter) {}

TGetFilesResult TGetFilesRun::Execute(IProgress& progress) {
    TGetFilesResult result;
    if (started_) {
        result.Skipped = true;
        return result;
    }
    started_ = true;

    // Every message would be refused as from an unknown beacon, and with deletion
    // every file lost.
    if (store_.BeaconCount() == 0) {
        result.NoBeacon = true;
        result.CloseCountdown = kCloseAfterNothingFound;
        progress.SetLabel(kGetFilesNoBeacon);
        progress.SetCloseCountdown(result.CloseCountdown);
        return result;
    }
    progress.SetLabel(kGetFilesPreparing);
    // An empty folder name lists nothing (never the current folder).
    const auto files = ListFiles(inputDirectory_, mask_);
    if (inputDirectory_.empty() || !files || files->empty()) {
        result.NothingFound = true;
        result.FolderMissing = !DirectoryExists(inputDirectory_);
        result.CloseCountdown = kCloseAfterNothingFound;
        progress.SetLabel(kGetFilesNothingFound);
        progress.SetCloseCountdown(result.CloseCountdown);
        return result;
    }

    const int maximum = static_cast<int>(files->size()) + 1;
    progress.SetMaximum(maximum);
    const std::string folder = IncludeBackslash(inputDirectory_);
    std::vector<std::string> paths;
    for (const std::string& name : *files) paths.push_back(folder + name);
    // What was read is stored after a cancel too: the files read so far may already be
    // deleted, and their blocks would otherwise be lost at the next clearing.
    TImportPolicy policy;
    policy.MemoryBudget = memoryBudget_;
    policy.DeleteAfterSave = deleteAfterAdd_;
    CollectEvents events(progress, maximum, result);
    TImportResult imported = TFileImport(store_, policy).Run(paths, events);
    result.Cancelled = imported.Cancelled;
    result.Counts = std::move(imported.Counts);
    for (const std::string& path : imported.SilentFiles) result.SilentFiles.push_back(nameOf(path));
    for (const std::string& path : imported.UnstoredFiles) result.UnstoredFiles.push_back(nameOf(path));

    const auto warnOf = [this](const char* text, const std::vector<std::string>& files) {
        if (files.empty()) return;
        std::string message = text;
        for (const std::string& file : files) message += "\n" + file;
        reporter_.Warning(message);
    };
    warnOf("Les fichiers suivants n'ont pas pu être lus et restent dans le répertoire :", result.FailedFiles);
    warnOf("Des messages des fichiers suivants n'ont pas pu être enregistrés ; les fichiers restent dans le "
           "répertoire :",
           result.UnstoredFiles);
    result.CloseCountdown = kCloseAfterImport;
    progress.SetCloseCountdown(result.CloseCountdown);
    return result;
}

}  // namespace skylog
