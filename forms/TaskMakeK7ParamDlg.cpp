#include "forms/TaskMakeK7ParamDlg.h"

#include <QComboBox>
#include <QDateEdit>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

#include "Common/MessageBoxes.h"
#include "Common/UUtils.h"
#include "forms/FormsSupport.h"
#include "tasks/UTaskMakeK7.h"

namespace skylog::forms {

TTaskMakeK7ParamFrm::TTaskMakeK7ParamFrm(IMessageBoxes& boxes, QWidget* parent)
    : QDialog(parent), boxes_(boxes) {
    setObjectName(QStringLiteral("TTaskMakeK7ParamFrm"));
    setWindowTitle(QStringLiteral("Reconstruction des fichiers K7"));
    auto* label =
        Named(new QLabel(QStringLiteral("Nombre de jours à reconstruire"), this), "Label1");
    auto* ok = Named(new QPushButton(QStringLiteral("OK"), this), "OKBtn");
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &TTaskMakeK7ParamFrm::OKBtnClick);
    nbDay_ = Named(new QComboBox(this), "NbDayCmbBx");
    nbDay_->setEditable(true);
    for (const int days : {1, 2, 3, 4, 5, 6, 8, 10, 15, 20, 25, 30})
        nbDay_->addItem(QString::number(days));
    nbDay_->setCurrentText(QStringLiteral("3"));
    nbDay_->setFixedWidth(70);
    fromCurrentDay_ = Named(new QRadioButton(QStringLiteral("A partir du jour courrant"), this),
                            "FromCurrentDayBtn");
    fromCurrentDay_->setChecked(true);
    fromSpecialDay_ = Named(new QRadioButton(QStringLiteral("A partir de la date suivante"), this),
                            "FromSpecialDayBtn");
    for (QRadioButton* button : {fromCurrentDay_, fromSpecialDay_})
        connect(button, &QRadioButton::clicked, this, &TTaskMakeK7ParamFrm::FromSpecialDayBtnClick);
    datePicker_ = Named(new QDateEdit(this), "Date_Picker");
    datePicker_->setDisplayFormat(QStringLiteral("dd/MM/yyyy"));

    auto* grid = new QGridLayout(this);
    grid->addWidget(label, 0, 0);
    grid->addWidget(nbDay_, 0, 1);
    grid->addWidget(fromCurrentDay_, 1, 0, 1, 2);
    grid->addWidget(fromSpecialDay_, 2, 0);
    grid->addWidget(datePicker_, 2, 1);
    grid->addWidget(ok, 3, 1, Qt::AlignRight);
    grid->setSizeConstraint(QLayout::SetFixedSize);  // not resizable
    FromSpecialDayBtnClick();
}

void TTaskMakeK7ParamFrm::Load(const TTaskMakeK7& task, TDateTime today) {
    nbDay_->setCurrentText(QString::number(task.NbDayToBuild));
    fromCurrentDay_->setChecked(!task.FromSpecialDate);
    fromSpecialDay_->setChecked(task.FromSpecialDate);
    // A special date never set shows today rather than the day count's origin.
    const TDateTime shown =
        task.FromSpecialDate && task.SpecialDate != 0 ? task.SpecialDate : today;
    datePicker_->setDate(ToQDate(shown));
    FromSpecialDayBtnClick();
}

void TTaskMakeK7ParamFrm::Store(TTaskMakeK7& task) const {
    const auto days = ParseInt32(Trim(S(nbDay_->currentText())));
    StoreMakeK7Params(days.value_or(task.NbDayToBuild), !fromCurrentDay_->isChecked(),
                      FromQDate(datePicker_->date()), task);
}

void TTaskMakeK7ParamFrm::FromSpecialDayBtnClick() {
    datePicker_->setEnabled(fromSpecialDay_->isChecked());
}

void TTaskMakeK7ParamFrm::OKBtnClick() {
    if (const auto error = DayCountError(S(nbDay_->currentText()))) {
        boxes_.Warning(*error);
        nbDay_->setFocus();
        return;
    }
    accept();
}

}  // namespace skylog::forms
