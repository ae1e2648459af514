#include "tasks/UTasks.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <stdexcept>

#include "Common/FileUtil.h"
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
    return items_.back().get();
}

void TTasksList::Replace(size_t index, std::unique_ptr<TTask> task) { items_.at(index) = std::move(task); }

void TTasksList::Delete(size_t index) {
    if (index >= items_.size()) throw std::out_of_range("TTasksList::Delete");
    items_.erase(items_.begin() + static_cast<std::ptrdiff_t>(index));
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

std::vector<size_t> TTasksList::ExecuteDueTasks(TTaskServices& services) {
    std::vector<size_t> ran;
    if (running_) return ran;
    running_ = true;
    struct ResetOnExit {
        bool& flag;
        ~ResetOnExit() { flag = false; }
    } reset{running_};
    // By index: a task's run may let the message loop run, and the list must be
    // looked at afresh after each task.
    for (size_t i = 0; i < items_.size(); ++i) {
        TTask* task = items_[i].get();
        if (!task->IsCallDue(services.Env.Clock.Now())) continue;
        task->Execute(services);
        ran.push_back(i);
    }
    return ran;
}

void TTasksList::LoadFromFile(std::string_view path) {
    using namespace tasks_inf;
    if (!FileExists(path)) {
        // A list that has no file yet adopts this one, so that a later save with an
        // empty path writes where the list is looked for.
        if (FileName.empty()) FileName = std::string(path);
        return;
    }
    FileName = std::string(path);
    items_.clear();
    const TIniFile ini(FileName);
    const int32_t declared = ini.ReadInteger(kListSection, kNbTasks, 0);
    if (declared <= 0) return;
    const size_t count = std::min(static_cast<size_t>(declared), taskSectionLimit(ini));
    for (size_t i = 0; i < count; ++i) {
        const std::string section = TaskSection(i);
        auto task = CreateTask(ini.ReadInteger(section, kType, kNoType));
        if (!task) continue;  // no Type, or a type this version does not know
        task->LoadFromIni(ini, section);
        items_.push_back(std::move(task));
    }
}

void TTasksList::SaveToFile(std::string_view path) {
    using namespace tasks_inf;
    if (!path.empty()) FileName = std::string(path);
    if (FileName.empty()) throw FileError("Tasks.inf : aucun nom de fichier");
    TIniFile ini(FileName);
    ini.WriteInteger(kListSection, kNbTasks, static_cast<int32_t>(items_.size()));
    for (size_t i = 0; i < items_.size(); ++i) {
        const std::string section = TaskSection(i);
        ini.EraseSection(section);  // keys of a task that used to stand here go too
        items_[i]->SaveToIni(ini, section);
    }
    for (size_t i = items_.size();; ++i) {
        const std::string section = TaskSection(i);
        if (ini.ReadInteger(section, kType, kNoType) == kNoType) break;
        ini.EraseSection(section);
    }
    ini.UpdateFile();
}

}  // namespace skylog
