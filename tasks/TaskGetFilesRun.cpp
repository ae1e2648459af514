#include "tasks/TaskGetFilesRun.h"

#include <utility>

#include "Common/FileUtil.h"
#include "Common/MessageBoxes.h"
#include "Common/UUtils.h"
#include "tasks/TaskServices.h"

namespace skylog {

TGetFilesRun::TGetFilesRun(std::string inputDirectory, std::string mask, bool deleteAfterAdd,
                           ITaskStore& store, IMainWindowHook* mainWindow, IMessageBoxes& reporter)
    : inputDirectory_(std::move(inputDirectory)),
      mask_(std::move(mask)),
      deleteAfterAdd_(deleteAfterAdd),
      store_(store),
      mainWindow_(mainWindow),
      reporter_(reporter) {}

TGetFilesResult TGetFilesRun::Execute(IProgress& progress) {
    TGetFilesResult result;
    if (started_) {
        result.Skipped = true;
        return result;
    }
    started_ = true;

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
    for (size_t i = 0; i < files->size(); ++i) {
        const std::string& name = (*files)[i];
        progress.SetPosition(static_cast<int>(i));
        progress.SetLabel(kGetFilesAdding + name);
        if (progress.CancelRequested()) {
            result.Cancelled = true;
            break;
        }
        readOne(folder, name, progress, result);
    }

    // Stored after a cancel too: the files read so far may already be deleted, and
    // their blocks would otherwise be lost at the next clearing of the beacon list.
    progress.SetLabel(kGetFilesSaving);
    progress.SetPosition(maximum);
    progress.SetCancelEnabled(false);
    store_.FlushAll();
    // Deleted only once stored: a run killed or failing before the save leaves the
    // files in the folder, to be read again by the next collection.
    if (deleteAfterAdd_)
        for (const std::string& name : result.ReadFiles) (void)DeleteFile(folder + name);
    if (mainWindow_) {
        mainWindow_->SetDCPLocked(false);
        mainWindow_->SetSelectedBeacon(-1);
        mainWindow_->SetSelectedBlock(-1);
        mainWindow_->RefreshDay();
    }

    if (!result.FailedFiles.empty()) {
        std::string text = "Les fichiers suivants n'ont pas pu être lus et restent dans le répertoire :";
        for (const std::string& failure : result.FailedFiles) text += "\n" + failure;
        reporter_.Warning(text);
    }
    result.CloseCountdown = kCloseAfterImport;
    progress.SetCloseCountdown(result.CloseCountdown);
    return result;
}

void TGetFilesRun::readOne(const std::string& folder, const std::string& name, IProgress& progress,
                           TGetFilesResult& result) {
    const std::string path = folder + name;
    int status = 0;
    try {
        status = store_.ReadFile(path);
    } catch (const FileError& error) {
        // The file stays where it is, to be read again by a later collection.
        result.FailedFiles.push_back(name + " : " + error.what());
        progress.SetLabel("Erreur de lecture du fichier " + name);
        return;
    }
    if (status != 0) {
        // Not a ground-station file: it is not ours to delete.
        result.UnrecognisedFiles.push_back(name);
        return;
    }
    result.ReadFiles.push_back(name);
}

}  // namespace skylog
