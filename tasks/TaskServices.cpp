#include "tasks/TaskServices.h"

#include <utility>

namespace skylog {

namespace {
ITaskProgress*& installedProgress() {
    static ITaskProgress* progress = nullptr;
    return progress;
}
IMainWindowHook*& installedMainWindow() {
    static IMainWindowHook* hook = nullptr;
    return hook;
}
ITaskStore*& installedStore() {
    static ITaskStore* store = nullptr;
    return store;
}
TaskConfigureHook& configureHook() {
    static TaskConfigureHook hook;
    return hook;
}
}  // namespace

// Defined with the adapter to the run's reader and beacon list.
ITaskStore& RunObjectsStore();

void SetTaskProgress(ITaskProgress* progress) { installedProgress() = progress; }

ITaskProgress& TaskProgress() {
    static NullTaskProgress silent;
    return installedProgress() ? *installedProgress() : silent;
}

void SetMainWindowHook(IMainWindowHook* hook) { installedMainWindow() = hook; }
IMainWindowHook* MainWindowHook() { return installedMainWindow(); }

ITaskStore& TaskStore() { return installedStore() ? *installedStore() : RunObjectsStore(); }
void SetTaskStoreForTesting(ITaskStore* store) { installedStore() = store; }

void SetTaskConfigureHook(TaskConfigureHook hook) { configureHook() = std::move(hook); }
void CallTaskConfigureHook(TTask& task) {
    if (configureHook()) configureHook()(task);
}

}  // namespace skylog
