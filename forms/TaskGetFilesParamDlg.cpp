#include "forms/TaskGetFilesParamDlg.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "forms/FormsSupport.h"

namespace skylog::forms {

TTaskGetFilesParamFrm::TTaskGetFilesParamFrm(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("TTaskGetFilesParamFrm"));
    setWindowTitle(QStringLiteral("Ajout de fichiers balise"));
    folder_ = LineEdit(this, "InputDirEdit", 320);
    filesType_ = Named(new QComboBox(this), "FilesTypeCmbBx");
    for (const char* name : kMaskChoiceNames) filesType_->addItem(Q(name));
    connect(filesType_, &QComboBox::activated, this, &TTaskGetFilesParamFrm::FilesTypeChange);
    mask_ = LineEdit(this, "MaskEdit", 120);
    // Letters typed turn to upper case, the cursor staying where it was.
    connect(mask_, &QLineEdit::textEdited, this, [this](const QString& text) {
        const int cursor = mask_->cursorPosition();
        mask_->setText(text.toUpper());
        mask_->setCursorPosition(cursor);
    });
    deleteAfterAdd_ =
        Named(new QCheckBox(QStringLiteral("Supprimer les fichiers après l'ajout"), this),
              "SupprAfterAddChkBx");

    auto* form = new QFormLayout;
    form->setRowWrapPolicy(QFormLayout::WrapAllRows);
    form->addRow(QStringLiteral("Répertoire à importer"), folder_);
    auto* kind = new QHBoxLayout;
    kind->addWidget(filesType_);
    kind->addSpacing(12);
    kind->addWidget(Named(new QLabel(QStringLiteral("Masque"), this), "MaskLbl"));
    kind->addWidget(mask_);
    kind->addStretch();
    form->addRow(QStringLiteral("Fichiers à importer "), kind);

    auto* ok = Named(new QPushButton(QStringLiteral("OK"), this), "OkBtn");
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(deleteAfterAdd_);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    followChoice(TMaskChoice::All);
    mask_->setText(Q(MaskOfChoice(TMaskChoice::All)));
}

void TTaskGetFilesParamFrm::followChoice(TMaskChoice choice) {
    filesType_->setCurrentIndex(static_cast<int>(choice));
    mask_->setEnabled(MaskEditable(choice));
}

void TTaskGetFilesParamFrm::Load(const TTaskGetFiles& task) {
    const TGetFilesParams params = LoadGetFilesParams(task);
    folder_->setText(Q(params.Folder));
    mask_->setText(Q(params.Mask));
    deleteAfterAdd_->setChecked(params.DeleteAfterAdd);
    followChoice(MaskChoiceOf(params.Mask));
}

void TTaskGetFilesParamFrm::Store(TTaskGetFiles& task) const {
    StoreGetFilesParams({S(folder_->text()), S(mask_->text()), deleteAfterAdd_->isChecked()}, task);
}

void TTaskGetFilesParamFrm::FilesTypeChange(int index) {
    const auto choice = static_cast<TMaskChoice>(index);
    mask_->setText(Q(MaskOfChoice(choice)));
    followChoice(choice);
}

}  // namespace skylog::forms
