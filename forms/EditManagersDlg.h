#pragma once
// The managers dialog over the run's manager list: add, edit and delete act on the list
// at once; OK writes Managers.inf, Cancel leaves the file as it was (the changes stay
// in memory until the run ends). In select-only mode it picks one manager for an
// association instead: OK is possible only with a row selected and writes nothing.

#include <QDialog>
#include <optional>

#include "managers/ManagerForm.h"

class QPushButton;
class QTreeWidget;

namespace skylog {
class IMessageBoxes;
class TManagerList;
}  // namespace skylog

namespace skylog::forms {

inline constexpr const char* kManagersCaption = "Edition des responsables";
inline constexpr const char* kSelectManagerCaption = "Selection d'un responsable";

class TEditManagersFrm : public QDialog {
    Q_OBJECT
    Q_PROPERTY(bool SelectOnly READ SelectOnly WRITE SetSelectOnly)
public:
    // The list and the boxes must outlive the dialog.
    TEditManagersFrm(TManagerList& managers, IMessageBoxes& boxes, QWidget* parent = nullptr);

    [[nodiscard]] bool SelectOnly() const { return selectOnly_; }
    void SetSelectOnly(bool on);
    // The manager chosen in select-only mode, once closed with OK; -1 before.
    [[nodiscard]] int SelectedId() const { return selectedId_; }

    void AddBtnClick();
    void EditBtnClick();
    void DeleteBtnClick();
    void OkBtnClick();

private:
    void showRows(int selectRow);
    [[nodiscard]] int selectedRow() const;
    void updateButtons();
    // The one-manager editor, modal: the texts confirmed, or nothing when cancelled.
    std::optional<TManagerTexts> editManager(const TManagerTexts& texts);

    TManagerList& managers_;
    IMessageBoxes& boxes_;
    bool selectOnly_ = false;
    int selectedId_ = -1;
    QTreeWidget* list_;
    QWidget* sideButtons_;
    QPushButton* editBtn_;
    QPushButton* deleteBtn_;
    QPushButton* okBtn_;
};

}  // namespace skylog::forms
