#pragma once
// The work of one file collection, apart from its window: list the files, read them
// one by one, store what was read, refresh the main window.

#include <string>
#include <vector>

namespace skylog {

class IProgress;
class ITaskStore;
class IMainWindowHook;
class IMessageBoxes;

inline constexpr const char* kGetFilesCaption = "Importation des fichiers en cours...";
inline constexpr const char* kGetFilesPreparing = "Préparation de la liste des fichiers...";
inline constexpr const char* kGetFilesNothingFound = "Aucun fichier trouvé ou répertoire incorrect!";
inline constexpr const char* kGetFilesAdding = "Ajout du fichier ";
inline constexpr const char* kGetFilesSaving = "Sauvegarde des fichiers et création K7...";

// Ticks of one second before the progress window closes itself.
inline constexpr int kCloseAfterNothingFound = 10;
inline constexpr int kCloseAfterImport = 1;

struct TGetFilesResult {
    bool Skipped = false;       // the run had already been started
    bool NothingFound = false;  // no folder, or no file matching the mask
    bool FolderMissing = false;  // no folder named, or no folder of that name
    bool Cancelled = false;
    std::vector<std::string> ReadFiles;          // read (and deleted when asked)
    std::vector<std::string> UnrecognisedFiles;  // format not recognised: left in place
    std::vector<std::string> FailedFiles;        // reading failed: left in place
    int CloseCountdown = kCloseAfterImport;
};

class TGetFilesRun {
public:
    // The store, the hook (which may be null) and the reporter must outlive the run.
    TGetFilesRun(std::string inputDirectory, std::string mask, bool deleteAfterAdd, ITaskStore& store,
                 IMainWindowHook* mainWindow, IMessageBoxes& reporter);

    // Runs once; a further call (a window timer that re-enters) returns at once with
    // Skipped set. Store failures (K7 or daily file writes) are not caught here.
    TGetFilesResult Execute(IProgress& progress);

private:
    void readOne(const std::string& folder, const std::string& name, IProgress& progress,
                 TGetFilesResult& result);

    std::string inputDirectory_;
    std::string mask_;
    bool deleteAfterAdd_;
    ITaskStore& store_;
    IMainWindowHook* mainWindow_;
    IMessageBoxes& reporter_;
    bool started_ = false;
};

}  // namespace skylog
