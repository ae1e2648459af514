#pragma once
// The task list: every scheduled task with its next call and period; tasks are added,
// edited (TEditTaskFrm) and deleted in the run's list at once. OK offers to switch
// the tasks on when they are off, and writes Tasks.inf; Cancel writes nothing (the
// list is written when the main window closes).

#include <QDialog>
#include <functional>

class QTreeWidget;

namespace skylog {
class TTasksList;
struct TTaskServices;
}  // namespace skylog

namespace skylog::forms {

class TTaskListFrm : public QDialog {
    Q_OBJECT
public:
    // The list and the services must outlive the dialog. activateTasks: what the main
    // window's "Tâches actives" command does, run when the user agrees to switch the
    // tasks on.
    TTaskListFrm(TTasksList& tasks, TTaskServices& services, std::function<void()> activateTasks,
                 QWidget* parent = nullptr);

    void FillList();
    void AddTask();
    void TaskProperties();
    void DeleteTask();
    void OkBtnClick();

private:
    [[nodiscard]] int selectedTask() const;

    TTasksList& tasks_;
    TTaskServices& services_;
    std::function<void()> activateTasks_;
    QTreeWidget* list_;
};

}  // namespace skylog::forms
