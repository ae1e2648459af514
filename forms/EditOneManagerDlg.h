#pragma once
// The editor of one manager: family name, first name and e-mail address. OK refuses a
// text that Managers.inf could not hold (a comma separates its fields) and stays open.

#include <QDialog>

#include "managers/ManagerForm.h"

class QLineEdit;

namespace skylog {
class IMessageBoxes;
}

namespace skylog::forms {

class TEditOneManagerFrm : public QDialog {
    Q_OBJECT
public:
    // The boxes must outlive the dialog.
    explicit TEditOneManagerFrm(IMessageBoxes& boxes, QWidget* parent = nullptr);

    void SetTexts(const TManagerTexts& texts);
    [[nodiscard]] TManagerTexts Texts() const;

    void OkBtnClick();

private:
    [[nodiscard]] QLineEdit* box(TManagerField field) const;

    IMessageBoxes& boxes_;
    QLineEdit* name_;
    QLineEdit* forName_;
    QLineEdit* mail_;
};

}  // namespace skylog::forms
