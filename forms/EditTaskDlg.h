#pragma once
// The task editor: the type of a task, its next call and period, and its parameters
// through the type's own dialog. It works on a task of its own (a copy of the one it
// is opened on), which the caller takes after OK; otherwise the editor destroys it.

#include <QDialog>
#include <memory>

#include "tasks/TaskForm.h"

class QComboBox;
class QDateEdit;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTimeEdit;
class QWidget;

namespace skylog {
class TTask;
struct TTaskServices;
}  // namespace skylog

namespace skylog::forms {

class TEditTaskFrm : public QDialog {
    Q_OBJECT
public:
    // The services (clock, reporter, the parameter dialogs) must outlive the editor.
    explicit TEditTaskFrm(TTaskServices& services, QWidget* parent = nullptr);
    ~TEditTaskFrm() override;

    // Loads the editor from a task, of which it makes its own copy.
    void SetTask(const TTask& task);
    // The working task (null: no type chosen).
    [[nodiscard]] TTask* Task() const { return task_.get(); }
    // The caller takes the working task; the editor has none left.
    [[nodiscard]] std::unique_ptr<TTask> TakeTask();

    void TypeChange(int index);
    void UnitChange(int index);
    void NumberExit();
    void StepNumber(int step);
    void ConfigBtnClick();
    void OkBtnClick();

private:
    [[nodiscard]] TPeriodUnit unit() const;
    void showType();
    void showUnit();

    TTaskServices& services_;
    std::unique_ptr<TTask> task_;
    bool loading_ = false;

    QComboBox* type_;
    QLabel* typeImage_;
    QGroupBox* planning_;
    QDateEdit* date_;
    QTimeEdit* time_;
    QLineEdit* number_;
    QWidget* upDown_;
    QComboBox* unit_;
    QLabel* description_;
    QPushButton* config_;
};

}  // namespace skylog::forms
