#include "tasks/UTaskGetFiles.h"

#include <utility>

#include "Common/UUtils.h"
#include "Common/WorkDirLock.h"
#include "dcp/DcpListFormat.h"
#include "tasks/TaskServices.h"
#include "tasks/TasksInf.h"

namespace skylog {

TTaskGetFiles::TTaskGetFiles() {
    Type = 0;
    ImageIndex = 4;
    HasConfig = true;
}

void TTaskGetFiles::Assign(const TTask& source) {
    if (const auto* other = dynamic_cast<const TTaskGetFiles*>(&source)) {
        InputDirectory = other->InputDirectory;
        SupprAfterAdd = other->SupprAfterAdd;
        ImportationMask = other->ImportationMask;
    }
}

std::string TTaskGetFiles::GetDescription() const {
    return "Permet de récupèrer des fichiers de balise d'un répertoire, de les décoder et de les "
           "ajouter dans la liste des messages";
}

std::string TTaskGetFiles::GetName() const { return "Ajout de fichiers balise"; }

void TTaskGetFiles::Execute(TTaskServices& services) {
    DueCall = 0;
    LastRun = {};
    TGetFilesResult result = RunNow(services);
    LastRun.Counts = std::move(result.Counts);
    const auto fail = [this](const std::string& problem) {
        LastRun.Failed = true;
        LastRun.Problem += (LastRun.Problem.empty() ? "" : " ; ") + problem;
    };
    // A folder that is not there is a failure: the run cannot tell it from an empty
    // one, and a mistyped or unmounted folder would otherwise go unseen.
    if (result.NoBeacon) {
        fail(NoBeaconProblem(services.Env.WorkDir()));
    } else if (result.FolderMissing) {
        fail(InputDirectory.empty() ? std::string("aucun répertoire à collecter")
                                    : "répertoire introuvable : " + InputDirectory);
    }
    if (!result.FailedFiles.empty())
        fail(std::to_string(result.FailedFiles.size()) + " fichier(s) non lu(s), laissé(s) dans " + InputDirectory);
    if (!result.UnstoredFiles.empty())
        fail(std::to_string(result.UnstoredFiles.size()) + " fichier(s) aux messages non enregistrés, laissé(s) dans " +
             InputDirectory);
}

std::string NoBeaconProblem(std::string_view workDir) {
    return "aucune balise définie dans " + std::string(workDir) + std::string(dcplist::kFileName) +
           " : aucun fichier lu ni supprimé";
}

// The whole run holds the working directory lock: a scheduled run and the desktop
// program working in the same directory take turns rather than mixing their writes.
TGetFilesResult TTaskGetFiles::RunNow(TTaskServices& services) const {
    TGetFilesResult result;
    // A window closed before its run started (Cancel at once) read nothing.
    result.Cancelled = true;
    RunTaskWork(*this, services, [&](IProgress& progress) {
        const TWorkDirLock lock(services.Env.WorkDir());
        const TProgressRun window(progress, kGetFilesCaption);
        TGetFilesRun run(InputDirectory, ImportationMask, SupprAfterAdd, MemoryBudget, services.Store,
                         services.Env.Reporter);
        result = run.Execute(progress);
    });
    return result;
}

void TTaskGetFiles::Configure(TTaskServices& services) {
    if (services.Configure) services.Configure(*this);
}

void TTaskGetFiles::SaveToIni(TIniFile& ini, std::string_view section) const {
    TTask::SaveToIni(ini, section);
    ini.WriteString(section, tasks_inf::kInputDirectory, InputDirectory);
    ini.WriteBool(section, tasks_inf::kSupprAfterAdd, SupprAfterAdd);
    ini.WriteString(section, tasks_inf::kImportationMask, ImportationMask);
}

void TTaskGetFiles::LoadFromIni(const TIniFile& ini, std::string_view section) {
    TTask::LoadFromIni(ini, section);
    InputDirectory = ini.ReadString(section, tasks_inf::kInputDirectory, "");
    SupprAfterAdd = ini.ReadBool(section, tasks_inf::kSupprAfterAdd, false);
    ImportationMask = ini.ReadString(section, tasks_inf::kImportationMask, "*.*");
}

// ---- parameter dialog logic ----

TMaskChoice MaskChoiceOf(std::string_view mask) {
    if (mask == "*.CNRS") return TMaskChoice::Cnrs;
    if (mask == "*.DCP") return TMaskChoice::Dcp;
    if (mask == "*.BRU") return TMaskChoice::Bru;
    if (mask == "*.*") return TMaskChoice::All;
    return TMaskChoice::Other;
}

std::string MaskOfChoice(TMaskChoice choice) {
    switch (choice) {
        case TMaskChoice::Cnrs: return "*.CNRS";
        case TMaskChoice::Dcp: return "*.DCP";
        case TMaskChoice::Bru: return "*.BRU";
        case TMaskChoice::All:
        case TMaskChoice::Other: break;
    }
    return "*.*";
}

TGetFilesParams LoadGetFilesParams(const TTaskGetFiles& task) {
    return {task.InputDirectory, task.ImportationMask, task.SupprAfterAdd};
}

void StoreGetFilesParams(const TGetFilesParams& params, TTaskGetFiles& task) {
    task.InputDirectory = params.Folder;
    task.ImportationMask = ToUpperAscii(params.Mask);
    task.SupprAfterAdd = params.DeleteAfterAdd;
}

}  // namespace skylog
