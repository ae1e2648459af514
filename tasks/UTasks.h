#pragma once
// Scheduled tasks: the task base class with its schedule, and the owned list of
// tasks kept in Tasks.inf. A task's NextCall always stays on its schedule grid; calls
// missed since the last check collapse into one pending call (DueCall).

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "Common/DateTime.h"
#include "Common/IniFile.h"
#include "Common/RunJournal.h"
#include "Common/WorkDirLock.h"

namespace skylog {

struct TTaskServices;
struct TRunEnvironment;

// What a task's last run came to, for the front end's account of a tick (a line of
// its own, a run journal); set by Execute.
struct TTaskRunReport {
    bool Failed = false;
    std::string Problem;  // why it failed, as a message
    TRunCounts Counts;    // what reading message files (or stored days) gave
};

class TTask {
public:
    TTask() = default;
    virtual ~TTask() = default;
    TTask(const TTask&) = delete;
    TTask& operator=(const TTask&) = delete;

    double Periodicity = 0;  // days between two calls; 0 = a single call
    TDateTime NextCall = 0;  // 0 = no further call
    bool HasConfig = false;
    int ImageIndex = 0;
    int Type = -1;
    TDateTime DueCall = 0;   // the call that has come due and not been run or dropped
    TTaskRunReport LastRun;  // not stored

    // Copies the type's own parameters when the source is of the same type; the
    // schedule is not copied.
    virtual void Assign(const TTask& source);
    [[nodiscard]] virtual std::string GetDescription() const;
    [[nodiscard]] virtual std::string GetName() const;
    // Runs the task's work with the run's services and returns when it is over;
    // LastRun then says how it went. Overrides first clear DueCall.
    virtual void Execute(TTaskServices& services);
    // Opens the type's parameter dialog when the front end provides one.
    virtual void Configure(TTaskServices& services);
    virtual void SaveToIni(TIniFile& ini, std::string_view section) const;
    virtual void LoadFromIni(const TIniFile& ini, std::string_view section);
    // Brings the schedule up to date at `now` and answers whether a call is pending.
    [[nodiscard]] virtual bool IsCallDue(TDateTime now);

    [[nodiscard]] std::string Description() const { return GetDescription(); }
    [[nodiscard]] std::string Name() const { return GetName(); }
    [[nodiscard]] std::string PeriodicityString() const;
};

// A period below one minute (a hand-edited file) counts as a single call, so that the
// catch-up never has to walk a grid of absurd density.
[[nodiscard]] bool IsSingleCallPeriod(double periodicity);

// The catch-up rule on one schedule at `now`: a single call that has come moves to
// dueCall (nextCall := 0); a periodic schedule moves nextCall to the first grid point
// at or after now and dueCall to the grid point before it, computed, not stepped.
void CatchUpSchedule(TDateTime& nextCall, TDateTime& dueCall, double periodicity, TDateTime now);

// "Date du prochain lancement" of a task: date and time of NextCall, or "Terminée",
// or "Annulée (Tâches non actives)" for a call missed while the tasks were not active.
[[nodiscard]] std::string NextCallString(const TTask& task);

// "tâche 0 (Ajout de fichiers balise)": a task run as messages and the run journal name it.
[[nodiscard]] std::string TaskRunName(size_t index, const TTask& task);

// Appends the task's last run (LastRun) to the run journal of the working directory; a
// journal that cannot be written is warned about. ExecuteDueTasks does it after each
// task it runs; a front end that runs a task by other means calls it after the run.
void JournalTaskRun(const TRunEnvironment& env, size_t index, const TTask& task);

class TTasksList {
public:
    static constexpr int AvailableTasks = 2;

    TTasksList() = default;
    TTasksList(const TTasksList&) = delete;
    TTasksList& operator=(const TTasksList&) = delete;

    std::string FileName;  // the Tasks.inf last loaded or saved

    [[nodiscard]] size_t Count() const { return items_.size(); }
    [[nodiscard]] TTask* At(size_t index) const { return items_.at(index).get(); }
    [[nodiscard]] TTask* operator[](size_t index) const { return At(index); }
    TTask* Add(std::unique_ptr<TTask> task);
    // Puts the task at that position and destroys the one it replaces (an edit of it).
    void Replace(size_t index, std::unique_ptr<TTask> task);
    void Delete(size_t index);
    void Clear();

    // A new task of that type with its defaults, or none for an unknown type.
    [[nodiscard]] static std::unique_ptr<TTask> CreateTask(int type);
    [[nodiscard]] static std::string TaskTypeName(int type);

    // The schedule rules at `now` (the run's clock).
    void UpdateCalls(TDateTime now);
    void CancelDueCalls(TDateTime now);
    // Runs every task due at the services' clock, one after the other. A call made
    // while a task of this list is running (a timer tick during a collection) starts
    // nothing: the due tasks run at a later call. The positions of the tasks run, in
    // order (their LastRun says how each went); each run is a line of the run journal.
    //
    // A list on a file is polled under the working directory lock: it is brought up to
    // date with the file, and the calls it takes are written before the tasks run, so
    // that a due task runs once however many programs poll the same directory. TryOnly:
    // when another program holds the lock, nothing runs (a later tick will). Throws
    // FileError when Tasks.inf cannot be read or written; then nothing runs.
    std::vector<size_t> ExecuteDueTasks(TTaskServices& services, TLockWait wait = TLockWait::Wait);
    [[nodiscard]] bool Running() const { return running_; }
    // Whether a call is pending or has come at `now`; changes nothing.
    [[nodiscard]] bool AnyCallDue(TDateTime now) const;

    void LoadFromFile(std::string_view path);
    // What is wrong in the file last loaded (it could not be read, tasks past NbTasks).
    [[nodiscard]] const std::vector<std::string>& LoadWarnings() const { return loadWarnings_; }
    // Writes this run's changes to the list since it was read or last written (none:
    // nothing is written) into what the file holds now, under the working directory
    // lock; the list then holds what was written, other programs' changes included.
    // An empty path means FileName; another path makes every task new to that file.
    // Throws FileError, writing nothing, when there is no file name, or the file cannot
    // be written or read as a task list.
    void SaveToFile(std::string_view path);
    [[nodiscard]] bool Changed() const;

private:
    [[nodiscard]] std::vector<TRecord> records() const;
    // Under the lock: reads the file again, writes this run's changes into it when
    // there are any, and takes what the file then holds.
    void synchronize();

    std::vector<std::unique_ptr<TTask>> items_;
    // Per task, the index of the record it was read as (Common/ListMerge.h).
    std::vector<size_t> origins_;
    // The tasks as read or last written: as SaveToIni writes them, and as the file
    // held them.
    std::vector<TRecord> base_;
    std::vector<TRecord> read_;
    std::vector<std::string> loadWarnings_;
    bool running_ = false;
};

}  // namespace skylog
