#include "tasks/UTasks.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>
#include <stdexcept>

#include "Common/FileUtil.h"
#include "Common/ListMerge.h"
#include "Common/UUtils.h"
#include "tasks/TaskServices.h"
#include "tasks/TasksInf.h"
#include "tasks/UTaskGetFiles.h"
#include "tasks/UTaskMakeK7.h"

namespace skylog {

namespace {

constexpr double kOneMinute = 1.0 / kMinutesPerDay;
// A period read back from "00:01:00" may miss 1/1440 by a rounding step: only a
// period clearly below a minute is refused.
constexpr double kSinglePeriodBound = kOneMinute - 1.0 / kMSecsPerDay;

// Whole days and the remaining time of day of a period, both from one rounding to the
// millisecond, so that a period just under a whole day never loses that day.
struct PeriodParts {
    long long days = 0;
    TDateTime timeOfDay = 0;
};
PeriodParts splitPeriod(double periodicity) {
    const auto totalMs = static_cast<long long>(std::llround(std::fabs(periodicity) * kMSecsPerDay));
    const auto msPerDay = static_cast<long long>(kMSecsPerDay);
    return {totalMs / msPerDay, static_cast<double>(totalMs % msPerDay) / kMSecsPerDay};
}

// Highest task section index present in the file, plus one.
size_t taskSectionLimit(const TIniFile& ini) {
    size_t limit = 0;
    for (const std::string& name : ini.SectionNames()) {
        if (name.size() <= 4 || !EqualsNoCase(std::string_view(name).substr(0, 4), "Task")) continue;
        const auto index = ParseInt32(std::string_view(name).substr(4));
        if (index && *index >= 0) limit = std::max(limit, static_cast<size_t>(*index) + 1);
    }
    return limit;
}

// Tasks.inf as this program reads it: the sections that hold a task of a known type.
struct TTasksImage {
    explicit TTasksImage(const std::string& path) : Ini(path) {}
    TIniFile Ini;
    size_t Limit = 0;  // task sections present: below this index
    std::vector<size_t> Sections;
    std::vector<TRecord> Records;
    std::optional<std::string> Unreadable;
    std::optional<std::string> NotWritable;
};

TTasksImage readImage(const std::string& path) {
    using namespace tasks_inf;
    TTasksImage image(path);
    if (image.Ini.Problem()) {
        image.Unreadable = *image.Ini.Problem();
        return image;
    }
    image.Limit = taskSectionLimit(image.Ini);
    const int32_t declared = std::max(image.Ini.ReadInteger(kListSection, kNbTasks, 0), 0);
    const size_t count = std::min(static_cast<size_t>(declared), image.Limit);
    for (size_t i = 0; i < image.Limit; ++i) {
        const std::string section = TaskSection(i);
        if (!TTasksList::CreateTask(image.Ini.ReadInteger(section, kType, kNoType))) continue;
        if (i >= count) {
            // A count too small (a hand-edited file) must not cost the tasks after it.
            image.NotWritable = std::string(kNbTasks) + "=" + std::to_string(declared) + " mais la section [" +
                                section + "] tient une tâche : elle n'est pas lue, et le fichier ne sera pas modifié tant que " +
                                std::string(kNbTasks) + " ne la compte pas";
            continue;
        }
        image.Sections.push_back(i);
        image.Records.push_back(image.Ini.Record(section));
    }
    return image;
}

TRecord recordOf(const TTask& task) {
    TIniFile scratch = TIniFile::FromText("");
    task.SaveToIni(scratch, "T");
    return scratch.Record("T");
}

}  // namespace

bool IsSingleCallPeriod(double periodicity) { return !(periodicity >= kSinglePeriodBound); }

void CatchUpSchedule(TDateTime& nextCall, TDateTime& dueCall, double periodicity, TDateTime now) {
    if (nextCall == 0 || nextCall > now) return;
    if (IsSingleCallPeriod(periodicity)) {
        dueCall = nextCall;
        nextCall = 0;
        return;
    }
    if (!(nextCall < now)) return;
    // The stepping rule (while nextCall < now: dueCall := nextCall; nextCall += P)
    // stops at the smallest k >= 1 with start + k*P >= now. The estimate is corrected
    // by single steps so that the result holds exactly for the values computed.
    const TDateTime start = nextCall;
    double k = std::max(1.0, std::ceil((now - start) / periodicity));
    while (start + k * periodicity < now) k += 1;
    while (k > 1 && start + (k - 1) * periodicity >= now) k -= 1;
    dueCall = start + (k - 1) * periodicity;
    nextCall = start + k * periodicity;
}

std::string NextCallString(const TTask& task) {
    if (task.NextCall != 0) return FormatShortDate(task.NextCall) + " " + FormatLongTime(task.NextCall);
    return task.DueCall == 0 ? "Terminée" : "Annulée (Tâches non actives)";
}

std::string TaskRunName(size_t index, const TTask& task) {
    return "tâche " + std::to_string(index) + " (" + task.Name() + ")";
}

void JournalTaskRun(const TRunEnvironment& env, size_t index, const TTask& task) {
    const TRunRecord record{env.Clock.Now(), TaskRunName(index, task), task.LastRun.Counts, task.LastRun.Failed ? 1 : 0};
    if (const auto problem = AppendToRunJournal(env.WorkDir(), record))
        env.Reporter.Warning("Journal des lancements non écrit : " + *problem);
}

// ---- TTask ----

void TTask::Assign(const TTask& /*source*/) {}
std::string TTask::GetDescription() const { return {}; }
std::string TTask::GetName() const { return {}; }
void TTask::Execute(TTaskServices& /*services*/) {
    DueCall = 0;
    LastRun = {};
}
void TTask::Configure(TTaskServices& /*services*/) {}

bool TTask::IsCallDue(TDateTime now) {
    CatchUpSchedule(NextCall, DueCall, Periodicity, now);
    return DueCall != 0;
}

std::string TTask::PeriodicityString() const {
    const double p = Periodicity;
    if (IsSingleCallPeriod(p)) return "Appel unique";
    if (p < 1.0 / 24)
        return "Toutes les " + std::to_string(static_cast<long long>(p * 24 * 60 + 0.5)) + " minutes";
    if (p < 1) return "Toutes les " + std::to_string(static_cast<long long>(p * 24 + 0.5)) + " heures";
    return "Tous les " + std::to_string(static_cast<long long>(p)) + " jours";
}

void TTask::SaveToIni(TIniFile& ini, std::string_view section) const {
    using namespace tasks_inf;
    ini.WriteInteger(section, kType, Type);
    if (NextCall == 0) {
        ini.DeleteKey(section, kNextCallDate);
        ini.DeleteKey(section, kNextCallTime);
    } else {
        ini.WriteString(section, kNextCallDate, FormatDateDMY(NextCall));
        ini.WriteString(section, kNextCallTime, FormatTimeHMS(NextCall));
    }
    const PeriodParts period = splitPeriod(Periodicity);
    ini.WriteString(section, kPeriodicity, FormatTimeHMS(period.timeOfDay));
    if (Periodicity < 0) {
        ini.DeleteKey(section, kPeriodicityDay);
    } else {
        constexpr long long kMaxDays = std::numeric_limits<int32_t>::max();
        ini.WriteInteger(section, kPeriodicityDay, static_cast<int32_t>(std::min(period.days, kMaxDays)));
    }
}

void TTask::LoadFromIni(const TIniFile& ini, std::string_view section) {
    using namespace tasks_inf;
    // Without a readable date there is no next call, whatever the time says.
    const auto date = ParseDate(ini.ReadString(section, kNextCallDate, ""));
    const TDateTime time = ParseTime(ini.ReadString(section, kNextCallTime, "")).value_or(0);
    NextCall = date && *date != 0 ? CombineDateTime(*date, time) : 0;
    Periodicity = ParseTime(ini.ReadString(section, kPeriodicity, "")).value_or(0) +
                  ini.ReadInteger(section, kPeriodicityDay, 0);
}

// ---- TTasksList ----

TTask* TTasksList::Add(std::unique_ptr<TTask> task) {
    items_.push_back(std::move(task));
    origins_.push_back(kNoRecord);
    return items_.back().get();
}

void TTasksList::Replace(size_t index, std::unique_ptr<TTask> task) { items_.at(index) = std::move(task); }

void TTasksList::Delete(size_t index) {
    if (index >= items_.size()) throw std::out_of_range("TTasksList::Delete");
    items_.erase(items_.begin() + static_cast<std::ptrdiff_t>(index));
    origins_.erase(origins_.begin() + static_cast<std::ptrdiff_t>(index));
}

void TTasksList::Clear() {
    items_.clear();
    origins_.clear();
}

std::unique_ptr<TTask> TTasksList::CreateTask(int type) {
    switch (type) {
        case 0: return std::make_unique<TTaskGetFiles>();
        case 1: return std::make_unique<TTaskMakeK7>();
        default: return nullptr;
    }
}

std::string TTasksList::TaskTypeName(int type) {
    if (type < 0 || type >= AvailableTasks) return {};
    const auto task = CreateTask(type);
    return task ? task->GetName() : std::string();
}

void TTasksList::UpdateCalls(TDateTime now) {
    for (const auto& task : items_) (void)task->TTask::IsCallDue(now);
}

void TTasksList::CancelDueCalls(TDateTime now) {
    for (const auto& task : items_)
        if (task->IsCallDue(now)) task->DueCall = 0;
}

bool TTasksList::AnyCallDue(TDateTime now) const {
    return std::any_of(items_.begin(), items_.end(), [now](const auto& task) {
        return task->DueCall != 0 || (task->NextCall != 0 && task->NextCall <= now);
    });
}

std::vector<size_t> TTasksList::ExecuteDueTasks(TTaskServices& services, TLockWait wait) {
    std::vector<size_t> ran;
    if (running_) return ran;
    std::optional<TWorkDirLock> lock;
    if (!FileName.empty()) {
        lock.emplace(ExtractFileDir(FileName), wait);
        if (!lock->Owned()) return ran;
        synchronize();
    }
    running_ = true;
    struct ResetOnExit {
        bool& flag;
        ~ResetOnExit() { flag = false; }
    } reset{running_};
    std::vector<const TTask*> due;
    for (const auto& task : items_)
        if (task->IsCallDue(services.Env.Clock.Now())) due.push_back(task.get());
    if (due.empty()) return ran;
    if (!FileName.empty()) synchronize();  // the calls taken, for every other poller to see
    // By position, looked up afresh after each task: a task's run may let the message
    // loop run.
    for (const TTask* wanted : due) {
        const auto it = std::find_if(items_.begin(), items_.end(), [wanted](const auto& t) { return t.get() == wanted; });
        if (it == items_.end()) continue;
        TTask& task = **it;
        const auto index = static_cast<size_t>(it - items_.begin());
        try {
            task.Execute(services);
        } catch (const std::exception& error) {
            task.LastRun.Failed = true;
            task.LastRun.Problem = error.what();
            JournalTaskRun(services.Env, index, task);
            throw;
        }
        JournalTaskRun(services.Env, index, task);
        ran.push_back(index);
    }
    return ran;
}

void TTasksList::LoadFromFile(std::string_view path) {
    if (!FileExists(path)) {
        // A list that has no file yet adopts this one, so that a later save with an
        // empty path writes where the list is looked for.
        if (FileName.empty()) FileName = std::string(path);
        return;
    }
    FileName = std::string(path);
    Clear();
    loadWarnings_.clear();
    const TTasksImage image = readImage(FileName);
    if (image.Unreadable)
        loadWarnings_.push_back(FileName + " ne peut pas être lu (" + *image.Unreadable +
                                ") : aucune tâche n'est lue, et le fichier ne sera pas modifié");
    if (image.NotWritable) loadWarnings_.push_back(FileName + " : " + *image.NotWritable);
    for (size_t i = 0; i < image.Sections.size(); ++i) {
        const std::string section = tasks_inf::TaskSection(image.Sections[i]);
        auto task = CreateTask(image.Ini.ReadInteger(section, tasks_inf::kType, tasks_inf::kNoType));
        task->LoadFromIni(image.Ini, section);
        items_.push_back(std::move(task));
        origins_.push_back(i);
    }
    base_ = records();
    read_ = image.Records;
}

std::vector<TRecord> TTasksList::records() const {
    std::vector<TRecord> out;
    for (const auto& task : items_) out.push_back(recordOf(*task));
    return out;
}

bool TTasksList::Changed() const { return RecordsChanged(base_, records(), origins_); }

void TTasksList::SaveToFile(std::string_view path) {
    if (!path.empty() && path != FileName) {
        // Another file: every task of the list is new to it.
        FileName = std::string(path);
        base_.clear();
        read_.clear();
        std::fill(origins_.begin(), origins_.end(), kNoRecord);
    }
    if (FileName.empty()) throw FileError("Tasks.inf : aucun nom de fichier");
    if (!Changed()) return;
    const TWorkDirLock lock(ExtractFileDir(FileName));
    synchronize();
}

void TTasksList::synchronize() {
    using namespace tasks_inf;
    TTasksImage image = readImage(FileName);
    const std::vector<TRecord> mine = records();
    const bool changed = RecordsChanged(base_, mine, origins_);
    if (changed && (image.Unreadable || image.NotWritable))
        throw FileError(FileName + " n'est pas modifié : " + *(image.Unreadable ? image.Unreadable : image.NotWritable));
    TMergeRules rules;
    // The same task when only its next call differs (another program ran it).
    rules.SameItem = [](const TRecord& base, const TRecord& file) {
        const auto parameters = [](const TRecord& r) {
            TRecord kept;
            for (const auto& line : r)
                if (!line.first.empty() && !EqualsNoCase(line.first, kNextCallDate) &&
                    !EqualsNoCase(line.first, kNextCallTime))
                    kept.push_back(line);
            return kept;
        };
        return SameRecord(parameters(base), parameters(file));
    };
    const std::vector<TMergedRecord> merged = MergeRecords(base_, read_, mine, origins_, image.Records, rules);
    TIniFile& ini = image.Ini;
    if (changed) {
        for (size_t i = 0; i < image.Limit; ++i) ini.EraseSection(TaskSection(i));
        ini.WriteInteger(kListSection, kNbTasks, static_cast<int32_t>(merged.size()));
        for (size_t p = 0; p < merged.size(); ++p) ini.SetRecord(TaskSection(p), merged[p].Record);
        ini.UpdateFile();
    }

    // The list takes what the file holds; a task this run held keeps its pending call.
    std::vector<std::unique_ptr<TTask>> adopted;
    std::vector<size_t> adoptedOrigins;
    for (size_t p = 0; p < merged.size(); ++p) {
        const TMergedRecord& m = merged[p];
        const std::string section = changed ? TaskSection(p) : TaskSection(image.Sections[m.File]);
        std::unique_ptr<TTask> task = m.Mine != kNoRecord ? std::move(items_[m.Mine]) : nullptr;
        if (!task || !SameRecord(m.Record, mine[m.Mine])) {
            const int type = ini.ReadInteger(section, kType, kNoType);
            if (!task || task->Type != type) task = CreateTask(type);
            if (!task) continue;
            task->LoadFromIni(ini, section);
        }
        adopted.push_back(std::move(task));
        adoptedOrigins.push_back(p);
    }
    items_ = std::move(adopted);
    origins_ = std::move(adoptedOrigins);
    base_ = records();
    read_.clear();
    for (const TMergedRecord& m : merged) read_.push_back(m.Record);
}

}  // namespace skylog
