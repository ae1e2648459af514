#include "tasks/UTaskMakeK7.h"

#include <utility>

#include "Common/UUtils.h"
#include "Common/WorkDirLock.h"
#include "tasks/TaskServices.h"
#include "tasks/TasksInf.h"

namespace skylog {

TTaskMakeK7::TTaskMakeK7() {
    Type = 1;
    ImageIndex = 5;
    HasConfig = true;
}

void TTaskMakeK7::Assign(const TTask& source) {
    if (const auto* other = dynamic_cast<const TTaskMakeK7*>(&source)) {
        NbDayToBuild = other->NbDayToBuild;
        FromSpecialDate = other->FromSpecialDate;
        SpecialDate = other->SpecialDate;
    }
}

std::string TTaskMakeK7::GetDescription() const {
    return "Reconstruit les fichiers .K7 des jours précédents avec les dernières données";
}

std::string TTaskMakeK7::GetName() const { return "Reconstruction des fichiers K7"; }

void TTaskMakeK7::Execute(TTaskServices& services) {
    DueCall = 0;
    LastRun = {};
    TMakeK7Result result = RunNow(services);
    LastRun.Counts = std::move(result.Counts);
    for (const std::string& failure : result.Failures) {
        LastRun.Failed = true;
        LastRun.Problem += (LastRun.Problem.empty() ? "" : " ; ") + failure;
    }
}

// The whole run holds the working directory lock: a scheduled run and the desktop
// program working in the same directory take turns rather than mixing their writes.
TMakeK7Result TTaskMakeK7::RunNow(TTaskServices& services) const {
    TMakeK7Result result;
    RunTaskWork(*this, services, [&](IProgress& progress) {
        const TWorkDirLock lock(services.Env.WorkDir());
        const TDateTime start =
            TMakeK7Run::StartOf(NbDayToBuild, FromSpecialDate, SpecialDate, services.Env.Clock.Now());
        const TProgressRun window(progress, GetName());
        TMakeK7Run run(NbDayToBuild, start, services.Store, services.Env.Reporter);
        result = run.Execute(progress);
    });
    return result;
}

void TTaskMakeK7::Configure(TTaskServices& services) {
    if (services.Configure) services.Configure(*this);
}

void TTaskMakeK7::SaveToIni(TIniFile& ini, std::string_view section) const {
    TTask::SaveToIni(ini, section);
    ini.WriteInteger(section, tasks_inf::kNbDayToBuild, NbDayToBuild);
    ini.WriteBool(section, tasks_inf::kFromSpecialDate, FromSpecialDate);
    // 0 comes out as 30/12/1899, which reads back as 0.
    ini.WriteString(section, tasks_inf::kSpecialDate, FormatDateDMY(DateOf(SpecialDate)));
}

void TTaskMakeK7::LoadFromIni(const TIniFile& ini, std::string_view section) {
    TTask::LoadFromIni(ini, section);
    NbDayToBuild = ini.ReadInteger(section, tasks_inf::kNbDayToBuild, 3);
    FromSpecialDate = ini.ReadBool(section, tasks_inf::kFromSpecialDate, false);
    const std::string text = ini.ReadString(section, tasks_inf::kSpecialDate, "");
    // An absent or unreadable date leaves the current one.
    if (const auto date = tasks_inf::ParseDate(text)) SpecialDate = *date;
}

std::optional<std::string> DayCountError(std::string_view text) {
    const auto count = ParseInt32(Trim(text));
    if (!count) return std::string("Le nombre de jours doit être un nombre!");
    if (*count < 1) return std::string("Le nombre de jours doit être supérieur à zéro!");
    return std::nullopt;
}

void StoreMakeK7Params(int32_t nbDayToBuild, bool fromSpecialDate, TDateTime pickerDate, TTaskMakeK7& task) {
    task.NbDayToBuild = nbDayToBuild;
    task.FromSpecialDate = fromSpecialDate;
    task.SpecialDate = fromSpecialDate ? DateOf(pickerDate) : 0;
}

}  // namespace skylog
