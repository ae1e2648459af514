// skylog tasks ...: the scheduled tasks without the main window. "tasks run" is one
// tick of the automatic mode, for a systemd timer or cron; "collect" and "rebuild-k7"
// run one task at once. The task list is the run's (from Tasks.inf).

#include <unistd.h>

#include <algorithm>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "Common/DateTime.h"
#include "Common/FileUtil.h"
#include "Common/UUtils.h"
#include "cli/Commands.h"
#include "cli/RunSummary.h"
#include "plugin/USkylog.h"
#include "tasks/TaskServices.h"
#include "tasks/UTaskGetFiles.h"
#include "tasks/UTaskMakeK7.h"
#include "tasks/UTasks.h"

namespace skylog::cli {
namespace {

// The task's step and bar on one terminal line, rewritten in place; the run's
// progress sink while it exists.
class TerminalProgress : public IProgress {
public:
    explicit TerminalProgress(TSkylog& run) : run_(run), enabled_(::isatty(STDERR_FILENO) != 0) {
        run_.SetProgress(this);
    }
    ~TerminalProgress() override {
        run_.SetProgress(nullptr);
        if (shown_) std::cerr << "\r\033[K" << std::flush;
    }
    TerminalProgress(const TerminalProgress&) = delete;
    TerminalProgress& operator=(const TerminalProgress&) = delete;

    void SetLabel(std::string_view text) override {
        label_ = std::string(text);
        draw();
    }
    void SetMaximum(int maximum) override { maximum_ = maximum; }
    void SetPosition(int position) override {
        position_ = position;
        draw();
    }

private:
    void draw() {
        if (!enabled_) return;
        std::cerr << "\r\033[K";
        if (maximum_ > 0) std::cerr << '[' << position_ << '/' << maximum_ << "] ";
        std::cerr << label_ << std::flush;
        shown_ = true;
    }

    TSkylog& run_;
    bool enabled_;
    bool shown_ = false;
    std::string label_;
    int maximum_ = 0;
    int position_ = 0;
};

// --every N{m,h,d}, with the bounds of the task editor (59 minutes, 23 hours, 1000
// days), so that the period shows and edits back as it was given.
std::optional<double> parsePeriod(std::string_view text) {
    if (text.size() < 2) return std::nullopt;
    const auto count = ParseInt32(text.substr(0, text.size() - 1));
    if (!count || *count < 1) return std::nullopt;
    switch (text.back()) {
        case 'm': return *count <= 59 ? std::optional(*count / kMinutesPerDay) : std::nullopt;
        case 'h': return *count <= 23 ? std::optional(*count / 24.0) : std::nullopt;
        case 'd': return *count <= 1000 ? std::optional(static_cast<double>(*count)) : std::nullopt;
        default: return std::nullopt;
    }
}

TTasksList* taskList(const Options& options) { return &options.run->Tasks(); }

void saveTasks(TTasksList& list, const Options& options) {
    list.SaveToFile(list.FileName.empty() ? options.run->WorkDir() + "Tasks.inf" : std::string());
}

// ---- collection and rebuild parameters, shared by "tasks add" and the direct runs ----

// Fills the task from --dir, --mask, --delete.
void collectParameters(const Args& args, TTaskGetFiles& task) {
    const std::string folder = args.Text("--dir").value_or("");
    if (folder.empty()) throw UsageError("--dir ne peut pas être vide");
    TGetFilesParams params{folder, args.Text("--mask").value_or("*.*"), args.Has("--delete")};
    if (params.Mask.empty()) throw UsageError("--mask ne peut pas être vide");
    StoreGetFilesParams(params, task);
}

void rebuildParameters(const Args& args, TTaskMakeK7& task) {
    int32_t days = task.NbDayToBuild;
    if (const auto text = args.Text("--days")) {
        if (const auto error = DayCountError(*text)) throw UsageError("--days : " + *error);
        days = *ParseInt32(Trim(*text));
    }
    const auto from = args.Date("--from");
    StoreMakeK7Params(days, from.has_value(), from.value_or(0), task);
}

// --at and --every.
void scheduleParameters(const Args& args, TTask& task, TDateTime now) {
    const TDateTime next = *args.DateTime("--at");
    if (next < now) throw UsageError("--at : La date du prochain lancement est dans le passé!");
    double period = 0;
    if (const auto every = args.Text("--every")) {
        const auto parsed = parsePeriod(*every);
        if (!parsed) throw UsageError("--every : périodicité illisible : " + *every + " (1-59m, 1-23h ou 1-1000d)");
        period = *parsed;
    }
    task.NextCall = next;
    task.Periodicity = period;
}

// ---- handlers ----

// What the task works on: the folder and mask of a collection, the days of a rebuild.
std::string parametersText(const TTask& task) {
    if (const auto* collect = dynamic_cast<const TTaskGetFiles*>(&task)) {
        std::string text = "répertoire " + collect->InputDirectory + ", masque " + collect->ImportationMask;
        if (collect->SupprAfterAdd) text += ", fichiers supprimés après l'ajout";
        return text;
    }
    if (const auto* rebuild = dynamic_cast<const TTaskMakeK7*>(&task)) {
        const std::string days = std::to_string(rebuild->NbDayToBuild) + " jour(s) ";
        if (rebuild->FromSpecialDate && rebuild->SpecialDate != 0)
            return days + "à partir du " + FormatShortDate(rebuild->SpecialDate);
        return days + "avant le jour du lancement";
    }
    return {};
}

// One line of "tasks list", tab-separated: index, name, next call, period, parameters.
std::string taskLine(size_t index, const TTask& task) {
    return std::to_string(index) + '\t' + task.Name() + '\t' + NextCallString(task) + '\t' +
           task.PeriodicityString() + '\t' + parametersText(task);
}

int listTasks(const Args& args, const Options& options) {
    args.ExpectPositional(0, 0);
    const TTasksList& list = *taskList(options);
    // Shown as stored: listing must not move a schedule nor drop a pending call.
    for (size_t i = 0; i < list.Count(); ++i) std::cout << taskLine(i, *list[i]) << '\n';
    return kExitOk;
}

int runDueTasks(const Args& args, const Options& options) {
    args.ExpectPositional(0, 0);
    if (!options.run->Settings().Automode && !args.Has("--force")) {
        std::cerr << "skylog: mode automatique désactivé : aucune tâche lancée (skylog config set Automode 1 "
                     "l'active, --force lance les tâches dues malgré tout)\n";
        return kExitOk;
    }
    TTasksList& list = *taskList(options);
    std::vector<size_t> ran;
    {
        TerminalProgress progress(*options.run);
        ran = list.ExecuteDueTasks(options.run->TaskServices());
    }
    saveTasks(list, options);
    if (ran.empty() && !options.quiet) std::cerr << "aucune tâche due\n";
    int status = kExitOk;
    for (const size_t i : ran) {
        const TTask& task = *list[i];
        PrintSummary(options, TaskRunName(i, task) + " : ", task.LastRun.Counts);
        if (!task.LastRun.Failed) continue;
        std::cerr << "skylog: " << TaskRunName(i, task) << " : " << task.LastRun.Problem << '\n';
        status = kExitFailure;
    }
    return status;
}

int addTask(std::unique_ptr<TTask> task, const Args& args, const Options& options) {
    args.ExpectPositional(0, 0);
    scheduleParameters(args, *task, options.run->Clock().Now());
    if (auto* collect = dynamic_cast<TTaskGetFiles*>(task.get())) {
        collectParameters(args, *collect);
        // Added all the same: the folder may be mounted or made later.
        if (!DirectoryExists(collect->InputDirectory))
            std::cerr << "skylog: attention, le répertoire " << collect->InputDirectory
                      << " n'existe pas : la collecte échouera tant qu'il manquera\n";
    }
    if (auto* rebuild = dynamic_cast<TTaskMakeK7*>(task.get())) rebuildParameters(args, *rebuild);
    TTasksList& list = *taskList(options);
    const TTask* added = list.Add(std::move(task));
    saveTasks(list, options);
    std::cout << taskLine(list.Count() - 1, *added) << '\n';
    return kExitOk;
}

int addCollectTask(const Args& args, const Options& options) {
    return addTask(std::make_unique<TTaskGetFiles>(), args, options);
}

int addRebuildTask(const Args& args, const Options& options) {
    return addTask(std::make_unique<TTaskMakeK7>(), args, options);
}

int removeTask(const Args& args, const Options& options) {
    args.ExpectPositional(1, 1);
    const std::string& text = args.Positional()[0];
    TTasksList& list = *taskList(options);
    const auto index = ParseInt32(text);
    if (!index || *index < 0 || static_cast<size_t>(*index) >= list.Count())
        throw UsageError("pas de tâche " + text + " (" + std::to_string(list.Count()) + " tâches)");
    const TTask& task = *list[static_cast<size_t>(*index)];
    const std::string removed = "tâche " + text + " supprimée : " + task.Name() + " (" + parametersText(task) +
                                ", " + task.PeriodicityString() + ")";
    list.Delete(static_cast<size_t>(*index));
    saveTasks(list, options);
    std::cerr << removed << '\n';
    return kExitOk;
}

int collectNow(const Args& args, const Options& options) {
    args.ExpectPositional(0, 0);
    TTaskGetFiles task;
    collectParameters(args, task);
    if (const auto budget = args.Count("--memory-budget")) task.MemoryBudget = static_cast<size_t>(*budget) << 20;
    return JournaledRun(options, "collect", [&](TRunCounts& counts) {
        // The run cannot tell a mistyped folder from an empty one; here that is a failure.
        if (!DirectoryExists(task.InputDirectory)) {
            if (FileExists(task.InputDirectory))
                std::cerr << "skylog: " << task.InputDirectory << " est un fichier, pas un répertoire (skylog import "
                          << task.InputDirectory << " le lit)\n";
            else
                std::cerr << "skylog: répertoire introuvable : " << task.InputDirectory << '\n';
            return kExitFailure;
        }
        TGetFilesResult result;
        {
            TerminalProgress progress(*options.run);
            result = task.RunNow(options.run->TaskServices());
        }
        counts = result.Counts;
        if (result.NoBeacon) {
            std::cerr << "skylog: " << NoBeaconProblem(options.run->WorkDir())
                      << " (skylog beacons add NOM NUMÉRO définit une balise)\n";
            return kExitFailure;
        }
        if (result.NothingFound) {
            if (!options.quiet) std::cerr << kGetFilesNothingFound << '\n';
            return kExitOk;
        }
        for (const std::string& name : result.UnrecognisedFiles)
            std::cerr << "skylog: format non reconnu, fichier laissé : " << name << '\n';
        if (task.SupprAfterAdd)
            for (const std::string& name : result.SilentFiles)
                std::cerr << "skylog: aucun message d'une balise définie, fichier laissé : " << name << '\n';
        PrintSummary(options, "", counts);
        return result.FailedFiles.empty() && result.UnstoredFiles.empty() ? kExitOk : kExitFailure;
    });
}

int rebuildNow(const Args& args, const Options& options) {
    args.ExpectPositional(0, 0);
    TTaskMakeK7 task;
    rebuildParameters(args, task);
    return JournaledRun(options, "rebuild-k7", [&](TRunCounts& counts) {
        TMakeK7Result result;
        {
            TerminalProgress progress(*options.run);
            result = task.RunNow(options.run->TaskServices());
        }
        counts = result.Counts;
        PrintSummary(options, std::to_string(result.WrittenDays.size()) + " journée(s) reconstruite(s) : ", counts);
        return result.Failures.empty() ? kExitOk : kExitFailure;
    });
}

Registrar regList("tasks list", listTasks);
Registrar regRun("tasks run", runDueTasks);
Registrar regAddCollect("tasks add collect", addCollectTask);
Registrar regAddRebuild("tasks add rebuild-k7", addRebuildTask);
Registrar regRemove("tasks remove", removeTask);
Registrar regCollect("collect", collectNow);
Registrar regRebuild("rebuild-k7", rebuildNow);

}  // namespace
}  // namespace skylog::cli
