#pragma once
// The work of one file collection, apart from its window: list the files, then import
// them (TFileImport), showing each on the progress sink, storing what was read as the
// memory budget says and at the end, deleting the files stored when asked.

#include <cstddef>
#include <string>
#include <vector>

#include "Common/RunJournal.h"

namespace skylog {

class IProgress;
class IMessageStore;
class IMessageBoxes;

inline constexpr const char* kGetFilesCaption = "Importation des fichiers en cours...";
inline constexpr const char* kGetFilesPreparing = "Préparation de la liste des fichiers...";
inline constexpr const char* kGetFilesNothingFound = "Aucun fichier trouvé ou répertoire incorrect!";
inline constexpr const char* kGetFilesNoBeacon = "Aucune balise définie : aucun fichier lu ni supprimé!";
inline constexpr const char* kGetFilesAdding = "Ajout du fichier ";
inline constexpr const char* kGetFilesSaving = "Sauvegarde des fichiers et création K7...";

// Ticks of one second before the progress window closes itself.
inline constexpr int kCloseAfterNothingFound = 10;  // also after kGetFilesNoBeacon
inline constexpr int kCloseAfterImport = 1;

struct TGetFilesResult {
    bool Skipped = false;       // the run had already been started
    bool NothingFound = false;  // no folder, or no file matching the mask
    bool FolderMissing = false;  // no folder named, or no folder of that name
    // No beacon is defined (a mistyped working directory): nothing was read or deleted.
    bool NoBeacon = false;
    bool Cancelled = false;
    std::vector<std::string> ReadFiles;          // read (and deleted when asked, see below)
    std::vector<std::string> UnrecognisedFiles;  // format not recognised: left in place
    std::vector<std::string> FailedFiles;        // reading failed: left in place
    std::vector<std::string> SilentFiles;        // read, but no message filed: left in place
    std::vector<std::string> UnstoredFiles;      // a message could not be stored: left in place
    TRunCounts Counts;                           // what the files read gave
    int CloseCountdown = kCloseAfterImport;
};

class TGetFilesRun {
public:
    // The store and the reporter must outlive the run. memoryBudget: bytes held before
    // the store is written (TImportPolicy::MemoryBudget).
    TGetFilesRun(std::string inputDirectory, std::string mask, bool deleteAfterAdd, size_t memoryBudget,
                 IMessageStore& store, IMessageBoxes& reporter);

    // Runs once; a further call (a window timer that re-enters) returns at once with
    // Skipped set. Store failures (K7 or daily file writes) are not caught here.
    TGetFilesResult Execute(IProgress& progress);

private:
    std::string inputDirectory_;
    std::string mask_;
    bool deleteAfterAdd_;
    size_t memoryBudget_;
    IMessageStore& store_;
    IMessageBoxes& reporter_;
    bool started_ = false;
};

}  // namespace skylog
