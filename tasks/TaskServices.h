#pragma once
// What a task's run reaches, handed to it by whoever runs it (the run's task services,
// built by plugin/USkylog; tests build their own): the run's environment, the message
// store (the run's reader and beacon list), the progress sink and the front end's
// parameter dialogs. The command line, the windows and the tests drive the same run
// code through it; a window learns what a task changed from the store
// (IStoreObserver).

#include <functional>
#include <string>

#include "Common/DateTime.h"
#include "Common/Progress.h"
#include "Common/RunEnvironment.h"
#include "dcp/StoreContext.h"

namespace skylog {

class TTask;

// Opens a task's parameter dialog; the windows provide it.
using TaskConfigureHook = std::function<void(TTask&)>;

// The work of one run of a task, reporting to the progress sink it is given.
using TaskWork = std::function<void(IProgress&)>;
// Opens the task's own window for one run (the collection's progress window, modal;
// the rebuild's message window) and returns once the run is over and the window gone:
// the window does the work by calling it with itself as the progress sink, and lets a
// failure of the work go on to the caller. The windows provide it.
using TaskWindowHook = std::function<void(const TTask&, const TaskWork&)>;

// Everything named must outlive the runs it serves.
struct TTaskServices {
    TRunEnvironment Env;
    IMessageStore& Store;
    IProgress* Progress;                     // never null (a TNullProgress shows nothing)
    TaskConfigureHook Configure;             // empty: Configure does nothing
    TaskWindowHook OpenWindow;               // empty: tasks work on Progress, without a window
};

// Does a run's work in the task's own window when the front end opens one, else on the
// services' progress sink.
inline void RunTaskWork(const TTask& task, TTaskServices& services, const TaskWork& work) {
    if (services.OpenWindow)
        services.OpenWindow(task, work);
    else
        work(*services.Progress);
}

// Points the services' progress at a sink for as long as it exists, then back.
class TProgressScope {
public:
    TProgressScope(TTaskServices& services, IProgress& progress) : services_(services), previous_(services.Progress) {
        services_.Progress = &progress;
    }
    ~TProgressScope() { services_.Progress = previous_; }
    TProgressScope(const TProgressScope&) = delete;
    TProgressScope& operator=(const TProgressScope&) = delete;

private:
    TTaskServices& services_;
    IProgress* previous_;
};

}  // namespace skylog
