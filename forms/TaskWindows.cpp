#include "forms/TaskWindows.h"

#include <QApplication>

#include "forms/FormsSupport.h"
#include "forms/SimpleMessageDlg.h"
#include "forms/TaskGetFilesDlg.h"
#include "forms/TaskGetFilesParamDlg.h"
#include "forms/TaskMakeK7ParamDlg.h"
#include "tasks/UTaskGetFiles.h"
#include "tasks/UTaskMakeK7.h"

namespace skylog::forms {

QIcon TaskIcon(int imageIndex) {
    switch (imageIndex) {
        case 4:
            return FormsIcon("task-getfiles");
        case 5:
            return FormsIcon("task-makek7");
        default:
            return {};
    }
}

// Over the window that asked (the task editor), so that it stays in front of it.
void ConfigureTask(TTask& task, IMessageBoxes& boxes, TDateTime today) {
    QWidget* owner = QApplication::activeModalWidget();
    if (auto* collection = dynamic_cast<TTaskGetFiles*>(&task)) {
        TTaskGetFilesParamFrm dialog(owner);
        dialog.Load(*collection);
        if (dialog.exec() == QDialog::Accepted) dialog.Store(*collection);
    } else if (auto* rebuild = dynamic_cast<TTaskMakeK7*>(&task)) {
        TTaskMakeK7ParamFrm dialog(boxes, owner);
        dialog.Load(*rebuild, DateOf(today));
        if (dialog.exec() == QDialog::Accepted) dialog.Store(*rebuild);
    }
}

// The collection waits in its modal window, which runs it from its timer; the rebuild
// works holding the event loop, its message window shown without being modal.
void OpenTaskWindow(const TTask& task, const TaskWork& work, QWidget* owner) {
    if (dynamic_cast<const TTaskGetFiles*>(&task)) {
        TTaskGetFilesFrm window(work, owner);
        window.Execute();
    } else {
        TSimpleMessageFrm window(owner);
        work(window);
    }
}

TTaskWindowsScope::TTaskWindowsScope(TTaskServices& services, QWidget* owner)
    : services_(services),
      previousConfigure_(services.Configure),
      previousOpenWindow_(services.OpenWindow) {
    services_.Configure = [&services](TTask& task) {
        ConfigureTask(task, services.Env.Reporter, services.Env.Clock.Now());
    };
    services_.OpenWindow = [owner](const TTask& task, const TaskWork& work) {
        OpenTaskWindow(task, work, owner);
    };
}

TTaskWindowsScope::~TTaskWindowsScope() {
    services_.Configure = previousConfigure_;
    services_.OpenWindow = previousOpenWindow_;
}

}  // namespace skylog::forms
