#pragma once
// Task type 0: collects the ground-station files that have arrived in a folder, reads
// them, stores what they hold and optionally deletes the files it has read.

#include <string>
#include <string_view>

#include "import/FileImport.h"
#include "tasks/TaskGetFilesRun.h"
#include "tasks/UTasks.h"

namespace skylog {


class TTaskGetFiles : public TTask {
public:
    TTaskGetFiles();

    std::string InputDirectory;
    bool SupprAfterAdd = false;
    std::string ImportationMask = "*.*";
    // Bytes the collection holds before it writes what it read (not kept in Tasks.inf:
    // the command line may give another for one run).
    size_t MemoryBudget = kDefaultMemoryBudgetMB << 20;

    void Assign(const TTask& source) override;
    [[nodiscard]] std::string GetDescription() const override;
    [[nodiscard]] std::string GetName() const override;
    void Execute(TTaskServices& services) override;
    void Configure(TTaskServices& services) override;
    void SaveToIni(TIniFile& ini, std::string_view section) const override;
    void LoadFromIni(const TIniFile& ini, std::string_view section) override;

    // The collection itself with this task's parameters and the run's services;
    // Execute runs it.
    TGetFilesResult RunNow(TTaskServices& services) const;
};

// The parameter dialog's logic: the choice list derived from the mask and back.
enum class TMaskChoice { Cnrs, Dcp, Bru, All, Other };
inline constexpr const char* kMaskChoiceNames[] = {"Fichiers CNRS", "Fichiers DCP", "Fichiers BRU",
                                                   "Tous les fichiers", "Autres..."};
[[nodiscard]] TMaskChoice MaskChoiceOf(std::string_view mask);
[[nodiscard]] std::string MaskOfChoice(TMaskChoice choice);
// Only "Autres..." lets the user type a mask.
[[nodiscard]] inline bool MaskEditable(TMaskChoice choice) { return choice == TMaskChoice::Other; }

// What the dialog shows and gives back. Store puts the mask in upper case, as the
// mask field turns typed letters to upper case.
struct TGetFilesParams {
    std::string Folder;
    std::string Mask = "*.*";
    bool DeleteAfterAdd = false;
};
[[nodiscard]] TGetFilesParams LoadGetFilesParams(const TTaskGetFiles& task);
void StoreGetFilesParams(const TGetFilesParams& params, TTaskGetFiles& task);

// Why a collection in the working directory read nothing: no beacon is defined there.
[[nodiscard]] std::string NoBeaconProblem(std::string_view workDir);

}  // namespace skylog
