#include "forms/EditOneManagerDlg.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "Common/MessageBoxes.h"
#include "forms/FormsSupport.h"

namespace skylog::forms {

constexpr int kBoxWidth = 260;


TEditOneManagerFrm::TEditOneManagerFrm(IMessageBoxes& boxes, QWidget* parent)
    : QDialog(parent), boxes_(boxes) {
    setObjectName(QStringLiteral("TEditOneManagerFrm"));
    setWindowTitle(QStringLiteral("Edition d'un responsable"));
    name_ = LineEdit(this, "NameEdit", kBoxWidth);
    forName_ = LineEdit(this, "ForNameEdit", kBoxWidth);
    mail_ = LineEdit(this, "MailEdit", kBoxWidth);
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Nom :"), name_);
    form->addRow(QStringLiteral("Prénom :"), forName_);
    form->addRow(QStringLiteral("Adresse e-mail"), mail_);

    auto* ok = new QPushButton(QStringLiteral("&OK"), this);
    ok->setObjectName(QStringLiteral("OkBtn"));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &TEditOneManagerFrm::OkBtnClick);
    auto* cancel = new QPushButton(QStringLiteral("A&nnuler"), this);
    cancel->setObjectName(QStringLiteral("CancelBtn"));
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);  // not resizable
}

void TEditOneManagerFrm::SetTexts(const TManagerTexts& texts) {
    name_->setText(Q(texts.Name));
    forName_->setText(Q(texts.ForName));
    mail_->setText(Q(texts.Mail));
}

TManagerTexts TEditOneManagerFrm::Texts() const {
    return {S(name_->text()), S(forName_->text()), S(mail_->text())};
}

QLineEdit* TEditOneManagerFrm::box(TManagerField field) const {
    switch (field) {
        case TManagerField::Name: return name_;
        case TManagerField::ForName: return forName_;
        case TManagerField::Mail: break;
    }
    return mail_;
}

void TEditOneManagerFrm::OkBtnClick() {
    if (const auto refusal = CheckManagerTexts(Texts())) {
        boxes_.Warning(refusal->Message);
        box(refusal->Box)->setFocus();
        return;
    }
    accept();
}

}  // namespace skylog::forms
