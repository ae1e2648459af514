#pragma once
// The parameter dialog of a K7 rebuild task: how many days, counted from today or from
// a date of the user's. OK refuses a count that is not a whole number of at least 1;
// closing the window otherwise leaves the task unchanged.

#include <QDialog>

#include "Common/DateTime.h"

class QComboBox;
class QDateEdit;
class QRadioButton;

namespace skylog {
class IMessageBoxes;
class TTaskMakeK7;
}  // namespace skylog

namespace skylog::forms {

class TTaskMakeK7ParamFrm : public QDialog {
    Q_OBJECT
public:
    // The boxes must outlive the dialog.
    explicit TTaskMakeK7ParamFrm(IMessageBoxes& boxes, QWidget* parent = nullptr);

    // today: what the date picker shows when the days count from today.
    void Load(const TTaskMakeK7& task, TDateTime today);
    void Store(TTaskMakeK7& task) const;

    void FromSpecialDayBtnClick();
    void OKBtnClick();

private:
    IMessageBoxes& boxes_;
    QComboBox* nbDay_;
    QRadioButton* fromCurrentDay_;
    QRadioButton* fromSpecialDay_;
    QDateEdit* datePicker_;
};

}  // namespace skylog::forms
