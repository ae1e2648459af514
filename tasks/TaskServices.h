#pragma once
// What a task's work needs from the rest of the system, behind small interfaces, so
// that the later windows, the command-line program and the tests drive the same run
// code: a progress sink (label, bar, cancel), the message store (reader and beacon
// list of the run), and the main window when there is one.

#include <functional>
#include <string>
#include <string_view>

#include "Common/DateTime.h"

namespace skylog {

class TTask;

// Progress of a task's run. A window repaints in SetLabel/SetPosition and lets its
// message loop run once in CancelRequested, which is where a click on Cancel is seen.
class ITaskProgress {
public:
    virtual ~ITaskProgress() = default;
    virtual void SetLabel(std::string_view text) = 0;
    virtual void SetMaximum(int maximum) = 0;
    virtual void SetPosition(int position) = 0;
    [[nodiscard]] virtual bool CancelRequested() { return false; }
    virtual void SetCancelEnabled(bool /*enabled*/) {}
};

// Shows nothing and never cancels.
class NullTaskProgress : public ITaskProgress {
public:
    void SetLabel(std::string_view) override {}
    void SetMaximum(int) override {}
    void SetPosition(int) override {}
};

// The process-wide progress sink used by the tasks' Execute; null restores the silent
// one. The sink must outlive its installation.
void SetTaskProgress(ITaskProgress* progress);
[[nodiscard]] ITaskProgress& TaskProgress();

// The main window's part in a task's run; absent in headless runs.
class IMainWindowHook {
public:
    virtual ~IMainWindowHook() = default;
    virtual void SetDCPLocked(bool locked) = 0;
    virtual void SetSelectedBeacon(int index) = 0;
    virtual void SetSelectedBlock(int index) = 0;
    virtual void RefreshDay() = 0;
};
void SetMainWindowHook(IMainWindowHook* hook);
[[nodiscard]] IMainWindowHook* MainWindowHook();

// The message store operations the tasks call: the reader's ReadFile and the day
// operations of the beacon list.
class ITaskStore {
public:
    virtual ~ITaskStore() = default;
    // 0 when the file was read, -1 when its format is not recognised.
    [[nodiscard]] virtual int ReadFile(const std::string& path) = 0;
    virtual void FlushAll() = 0;
    virtual void ClearAll() = 0;
    virtual void LoadDay(TDateTime date, int beaconIndex) = 0;
    virtual void FlushK7ItemsOfDay(TDateTime date) = 0;
};

// The store of the run: Run().Reader and Run().Beacons (a missing one reads nothing
// and stores nothing). Tests may install their own store instead (null restores it).
[[nodiscard]] ITaskStore& TaskStore();
void SetTaskStoreForTesting(ITaskStore* store);

// Opens a task's parameter dialog. The windows install it; without one, Configure
// does nothing.
using TaskConfigureHook = std::function<void(TTask&)>;
void SetTaskConfigureHook(TaskConfigureHook hook);
void CallTaskConfigureHook(TTask& task);

// RAII installation of a progress sink, for the command line and tests.
class ScopedTaskProgress {
public:
    explicit ScopedTaskProgress(ITaskProgress& progress) { SetTaskProgress(&progress); }
    ~ScopedTaskProgress() { SetTaskProgress(nullptr); }
    ScopedTaskProgress(const ScopedTaskProgress&) = delete;
    ScopedTaskProgress& operator=(const ScopedTaskProgress&) = delete;
};

}  // namespace skylog
