#pragma once
// The windows of the tasks as the run's task services reach them: a task's parameter
// dialog (Configure), the window a task's run opens (the collection's progress window,
// modal; the rebuild's message window), and the icons of the task types.

#include <QIcon>

#include "tasks/TaskServices.h"

class QWidget;

namespace skylog::forms {

// The icon of a task type by its ImageIndex (none for an index without one).
[[nodiscard]] QIcon TaskIcon(int imageIndex);

// Opens the parameter dialog of the task's type, modally; OK stores its values into the
// task. today: the day a K7 rebuild's date picker starts from.
void ConfigureTask(TTask& task, IMessageBoxes& boxes, TDateTime today);

// Does a run's work in the task's own window, and returns when the window has gone.
void OpenTaskWindow(const TTask& task, const TaskWork& work, QWidget* owner);

// Gives the services the task windows for as long as it exists, then the hooks they
// had before. owner: the window the tasks' windows stand over (may be null).
class TTaskWindowsScope {
public:
    explicit TTaskWindowsScope(TTaskServices& services, QWidget* owner = nullptr);
    ~TTaskWindowsScope();
    TTaskWindowsScope(const TTaskWindowsScope&) = delete;
    TTaskWindowsScope& operator=(const TTaskWindowsScope&) = delete;

private:
    TTaskServices& services_;
    TaskConfigureHook previousConfigure_;
    TaskWindowHook previousOpenWindow_;
};

}  // namespace skylog::forms
