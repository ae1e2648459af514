#include "forms/EditManagersDlg.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <exception>

#include "Common/MessageBoxes.h"
#include "forms/EditOneManagerDlg.h"
#include "forms/FormsSupport.h"
#include "managers/UManagers.h"

namespace skylog::forms {


TEditManagersFrm::TEditManagersFrm(TManagerList& managers, IMessageBoxes& boxes, QWidget* parent)
    : QDialog(parent), managers_(managers), boxes_(boxes) {
    setObjectName(QStringLiteral("TEditManagersFrm"));
    setWindowTitle(Q(kManagersCaption));
    resize(520, 320);

    list_ = new QTreeWidget(this);
    list_->setObjectName(QStringLiteral("ManagersLstView"));
    list_->setHeaderLabels({QStringLiteral("Nom complet"), QStringLiteral("Adresse e-mail")});
    list_->setRootIsDecorated(false);
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    list_->setSelectionBehavior(QAbstractItemView::SelectRows);
    list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list_->setAllColumnsShowFocus(true);
    list_->header()->resizeSection(0, 200);
    connect(list_, &QTreeWidget::itemSelectionChanged, this, &TEditManagersFrm::updateButtons);
    connect(list_, &QTreeWidget::activated, this, &TEditManagersFrm::EditBtnClick);

    sideButtons_ = new QWidget(this);
    auto* side = new QVBoxLayout(sideButtons_);
    side->setContentsMargins(0, 0, 0, 0);
    QPushButton* add = Button(sideButtons_, "AddBtn", "&Ajouter...");
    editBtn_ = Button(sideButtons_, "EditBtn", "&Editer...");
    deleteBtn_ = Button(sideButtons_, "DeleteBtn", "&Supprimer");
    connect(add, &QPushButton::clicked, this, &TEditManagersFrm::AddBtnClick);
    connect(editBtn_, &QPushButton::clicked, this, &TEditManagersFrm::EditBtnClick);
    connect(deleteBtn_, &QPushButton::clicked, this, &TEditManagersFrm::DeleteBtnClick);
    side->addWidget(add);
    side->addWidget(editBtn_);
    side->addWidget(deleteBtn_);
    side->addStretch();

    // Enter in the list edits (or chooses) the manager: no button takes it as well.
    okBtn_ = Button(this, "OkBtn", "&OK");
    QPushButton* cancel = Button(this, "CancelBtn", "A&nnuler");
    connect(okBtn_, &QPushButton::clicked, this, &TEditManagersFrm::OkBtnClick);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    auto* bottom = new QHBoxLayout;
    bottom->addStretch();
    bottom->addWidget(okBtn_);
    bottom->addWidget(cancel);

    auto* top = new QHBoxLayout;
    top->addWidget(list_, 1);
    top->addWidget(sideButtons_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top, 1);
    layout->addLayout(bottom);

    showRows(-1);
}

void TEditManagersFrm::SetSelectOnly(bool on) {
    selectOnly_ = on;
    sideButtons_->setVisible(!on);
    setWindowTitle(Q(on ? kSelectManagerCaption : kManagersCaption));
    if (on) list_->clearSelection();
    updateButtons();
}

void TEditManagersFrm::showRows(int selectRow) {
    const QSignalBlocker blocker(list_);
    list_->clear();
    const QIcon person = FormsIcon("person");
    for (const auto& manager : managers_.Managers) {
        auto* item = new QTreeWidgetItem(list_, {Q(manager->FullName()), Q(manager->Mail)});
        item->setIcon(0, person);
    }
    if (selectRow >= 0 && selectRow < list_->topLevelItemCount()) {
        list_->setCurrentItem(list_->topLevelItem(selectRow));
        list_->topLevelItem(selectRow)->setSelected(true);
    }
    updateButtons();
}

int TEditManagersFrm::selectedRow() const {
    const QList<QTreeWidgetItem*> selected = list_->selectedItems();
    return selected.isEmpty() ? -1 : list_->indexOfTopLevelItem(selected.first());
}

void TEditManagersFrm::updateButtons() {
    const bool row = selectedRow() >= 0;
    editBtn_->setEnabled(row);
    deleteBtn_->setEnabled(row);
    okBtn_->setEnabled(!selectOnly_ || row);
}

std::optional<TManagerTexts> TEditManagersFrm::editManager(const TManagerTexts& texts) {
    TEditOneManagerFrm editor(boxes_, this);
    editor.SetTexts(texts);
    if (editor.exec() != QDialog::Accepted) return std::nullopt;
    return editor.Texts();
}

void TEditManagersFrm::AddBtnClick() {
    if (selectOnly_) return;
    const std::optional<TManagerTexts> texts = editManager({});
    if (!texts) return;
    auto manager = std::make_unique<TManager>();
    StoreManager(*manager, *texts);
    managers_.Add(std::move(manager));
    showRows(static_cast<int>(managers_.Count()) - 1);
}

void TEditManagersFrm::EditBtnClick() {
    if (selectOnly_) {
        OkBtnClick();
        return;
    }
    const int row = selectedRow();
    if (row < 0) return;
    TManager& manager = *managers_.Managers[static_cast<size_t>(row)];
    const std::optional<TManagerTexts> texts = editManager(ManagerTexts(manager));
    if (!texts) return;
    StoreManager(manager, *texts);
    showRows(row);
}

void TEditManagersFrm::DeleteBtnClick() {
    const int row = selectedRow();
    if (selectOnly_ || row < 0) return;
    if (!boxes_.Confirmation(DeleteManagerQuestion(*managers_.Managers[static_cast<size_t>(row)]))) return;
    managers_.Delete(static_cast<size_t>(row));
    showRows(-1);
}

void TEditManagersFrm::OkBtnClick() {
    if (selectOnly_) {
        const int row = selectedRow();
        if (row < 0) return;
        selectedId_ = managers_.Managers[static_cast<size_t>(row)]->Id;
        accept();
        return;
    }
    try {
        managers_.SaveToFile();
    } catch (const std::exception& e) {
        // Nothing is lost: the list stays in memory and the dialog open.
        boxes_.Warning(std::string("Impossible d'enregistrer la liste des responsables : ") + e.what());
        return;
    }
    accept();
}

}  // namespace skylog::forms
