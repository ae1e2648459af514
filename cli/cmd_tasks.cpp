// skylog tasks ...: the scheduled tasks without the main window. "tasks run" is one
// tick of the automatic mode, for a systemd timer or cron; "collect" and "rebuild-k7"
// run one task at once. The task list is the run's (Run().Tasks, from Tasks.inf).

#include <unistd.h>

#include <algorithm>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "Common/DateTime.h"
#include "Common/FileUtil.h"
#include "Common/RunObjects.h"
#include "Common/Settings.h"
#include "Common/UUtils.h"
#include "cli/Commands.h"
#include "tasks/TaskServices.h"
#include "tasks/UTaskGetFiles.h"
#include "tasks/UTaskMakeK7.h"
#include "tasks/UTasks.h"

namespace skylog::cli {
namespace {

constexpr const char* kUsageList = "tasks list";
constexpr const char* kUsageRun = "tasks run";
constexpr const char* kUsageAddCollect =
    "tasks add collect --dir DIR [--mask MASK] [--delete] --at \"YYYY-MM-DD hh:mm\" [--every N{m,h,d}]";
constexpr const char* kUsageAddRebuild =
    "tasks add rebuild-k7 [--days N] [--from YYYY-MM-DD] --at \"YYYY-MM-DD hh:mm\" [--every N{m,h,d}]";
constexpr const char* kUsageRemove = "tasks remove INDEX";
constexpr const char* kUsageCollect = "collect --dir DIR [--mask MASK] [--delete]";
constexpr const char* kUsageRebuild = "rebuild-k7 [--days N] [--from YYYY-MM-DD]";

// The task's step and bar on one terminal line, rewritten in place.
class TerminalProgress : public ITaskProgress {
public:
    TerminalProgress() : enabled_(::isatty(STDERR_FILENO) != 0) {}
    ~TerminalProgress() override {
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

    bool enabled_;
    bool shown_ = false;
    std::string label_;
    int maximum_ = 0;
    int position_ = 0;
};

int usage(const char* text, const std::string& problem = {}) {
    if (!problem.empty()) std::cerr << "skylog: " << problem << '\n';
    std::cerr << "usage: skylog " << text << '\n';
    return kExitUsage;
}

// Options of the form --name [value]; flags take no value.
struct ParsedOptions {
    std::vector<std::pair<std::string, std::string>> values;
    std::string error;
    [[nodiscard]] std::optional<std::string> Get(std::string_view name) const {
        for (const auto& [key, value] : values)
            if (key == name) return value;
        return std::nullopt;
    }
    [[nodiscard]] bool Has(std::string_view name) const { return Get(name).has_value(); }
};

ParsedOptions parseOptions(const std::vector<std::string>& args, const std::vector<std::string>& withValue,
                           const std::vector<std::string>& flags) {
    ParsedOptions parsed;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const bool takesValue = std::find(withValue.begin(), withValue.end(), arg) != withValue.end();
        const bool isFlag = std::find(flags.begin(), flags.end(), arg) != flags.end();
        if (!takesValue && !isFlag) {
            parsed.error = "argument inattendu : " + arg;
            return parsed;
        }
        if (takesValue && i + 1 >= args.size()) {
            parsed.error = arg + " demande une valeur";
            return parsed;
        }
        parsed.values.emplace_back(arg, takesValue ? args[++i] : std::string());
    }
    return parsed;
}

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

TTasksList* taskList() {
    if (!Run().Tasks) throw FileError("la liste des tâches n'est pas chargée");
    return Run().Tasks;
}

void saveTasks(TTasksList& list) {
    list.SaveToFile(list.FileName.empty() ? Settings().WorkDir + "Tasks.inf" : std::string());
}

// ---- collection and rebuild parameters, shared by "tasks add" and the direct runs ----

// Fills the task from --dir, --mask, --delete; an error text when they are wrong.
std::string collectParameters(const ParsedOptions& options, TTaskGetFiles& task) {
    const auto folder = options.Get("--dir");
    if (!folder || folder->empty()) return "--dir est obligatoire";
    TGetFilesParams params{*folder, options.Get("--mask").value_or("*.*"), options.Has("--delete")};
    if (params.Mask.empty()) return "--mask ne peut pas être vide";
    StoreGetFilesParams(params, task);
    return {};
}

std::string rebuildParameters(const ParsedOptions& options, TTaskMakeK7& task) {
    int32_t days = task.NbDayToBuild;
    if (const auto text = options.Get("--days")) {
        if (const auto error = DayCountError(*text)) return *error;
        days = *ParseInt32(Trim(*text));
    }
    TDateTime from = 0;
    if (const auto text = options.Get("--from")) {
        const auto date = ParseIsoDate(*text);
        if (!date) return "date illisible : " + *text;
        from = *date;
    }
    StoreMakeK7Params(days, from != 0, from, task);
    return {};
}

// --at and --every; an error text when they are wrong.
std::string scheduleParameters(const ParsedOptions& options, TTask& task) {
    const auto at = options.Get("--at");
    if (!at) return "--at est obligatoire";
    const auto next = ParseIsoDateTime(*at);
    if (!next) return "date et heure illisibles : " + *at;
    if (*next < CurrentDateTime()) return "La date du prochain lancement est dans le passé!";
    double period = 0;
    if (const auto every = options.Get("--every")) {
        const auto parsed = parsePeriod(*every);
        if (!parsed) return "périodicité illisible : " + *every + " (1-59m, 1-23h ou 1-1000d)";
        period = *parsed;
    }
    task.NextCall = *next;
    task.Periodicity = period;
    return {};
}

// ---- handlers ----

int listTasks(const std::vector<std::string>& args, const Options&) {
    if (!args.empty()) return usage(kUsageList, "argument inattendu : " + args[0]);
    const TTasksList& list = *taskList();
    // Shown as stored: listing must not move a schedule nor drop a pending call.
    for (size_t i = 0; i < list.Count(); ++i) {
        const TTask& task = *list[i];
        std::cout << i << '\t' << task.Name() << '\t' << NextCallString(task) << '\t' << task.PeriodicityString()
                  << '\n';
    }
    return kExitOk;
}

int runDueTasks(const std::vector<std::string>& args, const Options&) {
    if (!args.empty()) return usage(kUsageRun, "argument inattendu : " + args[0]);
    TTasksList& list = *taskList();
    {
        TerminalProgress progress;
        ScopedTaskProgress scoped(progress);
        list.ExecuteDueTasks();
    }
    saveTasks(list);
    return kExitOk;
}

int addTask(std::unique_ptr<TTask> task, const ParsedOptions& options, const char* usageText) {
    std::string error = scheduleParameters(options, *task);
    if (error.empty()) {
        if (auto* collect = dynamic_cast<TTaskGetFiles*>(task.get())) error = collectParameters(options, *collect);
        if (auto* rebuild = dynamic_cast<TTaskMakeK7*>(task.get())) error = rebuildParameters(options, *rebuild);
    }
    if (!error.empty()) return usage(usageText, error);
    TTasksList& list = *taskList();
    const TTask* added = list.Add(std::move(task));
    saveTasks(list);
    std::cout << list.Count() - 1 << '\t' << added->Name() << '\t' << NextCallString(*added) << '\t'
              << added->PeriodicityString() << '\n';
    return kExitOk;
}

int addCollectTask(const std::vector<std::string>& args, const Options&) {
    const ParsedOptions options = parseOptions(args, {"--dir", "--mask", "--at", "--every"}, {"--delete"});
    if (!options.error.empty()) return usage(kUsageAddCollect, options.error);
    return addTask(std::make_unique<TTaskGetFiles>(), options, kUsageAddCollect);
}

int addRebuildTask(const std::vector<std::string>& args, const Options&) {
    const ParsedOptions options = parseOptions(args, {"--days", "--from", "--at", "--every"}, {});
    if (!options.error.empty()) return usage(kUsageAddRebuild, options.error);
    return addTask(std::make_unique<TTaskMakeK7>(), options, kUsageAddRebuild);
}

int removeTask(const std::vector<std::string>& args, const Options&) {
    if (args.size() != 1) return usage(kUsageRemove);
    TTasksList& list = *taskList();
    const auto index = ParseInt32(args[0]);
    if (!index || *index < 0 || static_cast<size_t>(*index) >= list.Count())
        return usage(kUsageRemove, "pas de tâche " + args[0] + " (" + std::to_string(list.Count()) + " tâches)");
    list.Delete(static_cast<size_t>(*index));
    saveTasks(list);
    return kExitOk;
}

int collectNow(const std::vector<std::string>& args, const Options&) {
    const ParsedOptions options = parseOptions(args, {"--dir", "--mask"}, {"--delete"});
    if (!options.error.empty()) return usage(kUsageCollect, options.error);
    TTaskGetFiles task;
    if (std::string error = collectParameters(options, task); !error.empty()) return usage(kUsageCollect, error);
    // The run cannot tell a mistyped folder from an empty one; here that is a failure.
    if (!DirectoryExists(task.InputDirectory)) {
        std::cerr << "skylog: répertoire introuvable : " << task.InputDirectory << '\n';
        return kExitFailure;
    }
    TGetFilesResult result;
    {
        TerminalProgress progress;
        result = task.RunNow(progress);
    }
    if (result.NothingFound) {
        std::cerr << kGetFilesNothingFound << '\n';
        return kExitOk;
    }
    for (const std::string& name : result.UnrecognisedFiles)
        std::cerr << "skylog: format non reconnu, fichier laissé : " << name << '\n';
    std::cerr << result.ReadFiles.size() << " fichier(s) ajouté(s)\n";
    return result.FailedFiles.empty() ? kExitOk : kExitFailure;
}

int rebuildNow(const std::vector<std::string>& args, const Options&) {
    const ParsedOptions options = parseOptions(args, {"--days", "--from"}, {});
    if (!options.error.empty()) return usage(kUsageRebuild, options.error);
    TTaskMakeK7 task;
    if (std::string error = rebuildParameters(options, task); !error.empty()) return usage(kUsageRebuild, error);
    TMakeK7Result result;
    {
        TerminalProgress progress;
        result = task.RunNow(progress);
    }
    return result.Failures.empty() ? kExitOk : kExitFailure;
}

Registrar regList("tasks list", kUsageList, listTasks);
Registrar regRun("tasks run", kUsageRun, runDueTasks);
Registrar regAddCollect("tasks add collect", kUsageAddCollect, addCollectTask);
Registrar regAddRebuild("tasks add rebuild-k7", kUsageAddRebuild, addRebuildTask);
Registrar regRemove("tasks remove", kUsageRemove, removeTask);
Registrar regCollect("collect", kUsageCollect, collectNow);
Registrar regRebuild("rebuild-k7", kUsageRebuild, rebuildNow);

}  // namespace
}  // namespace skylog::cli
