#include "forms/DCP_ConfigDlg.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include "Common/MessageBoxes.h"
#include "forms/FormsSupport.h"

namespace skylog::forms {

namespace {

QComboBox* dropDown(QWidget* parent, const char* name, std::initializer_list<const char*> items) {
    auto* box = Named(new QComboBox(parent), name);
    for (const char* item : items) box->addItem(Q(item));
    return box;
}

}  // namespace

TDCP_ConfigFrm::TDCP_ConfigFrm(TSkylogSettings& settings, IMessageBoxes& boxes, std::function<void()> saveSettings,
                               QWidget* parent)
    : QDialog(parent), settings_(settings), boxes_(boxes), saveSettings_(std::move(saveSettings)) {
    setObjectName(QStringLiteral("TDCP_ConfigFrm"));
    setWindowTitle(QStringLiteral("Configuration"));
    auto* pages = Named(new QTabWidget(this), "PageControl");

    auto* general = Named(new QWidget(pages), "GeneralTab");
    dirEdit_ = Named(new QLineEdit(general), "DirEdit");
    dirEdit_->setMinimumWidth(320);
    interpreteParam_ = dropDown(general, "InterpreteParamCmbBx", {"Numéro de country et district", "Latitude et longitude"});
    defaultInterval_ = Named(new QLineEdit(general), "DefaultIntervallEdit");
    defaultInterval_->setMaximumWidth(80);
    auto* generalLayout = new QVBoxLayout(general);
    auto* generalForm = new QFormLayout;
    generalForm->setRowWrapPolicy(QFormLayout::WrapAllRows);
    generalForm->addRow(QStringLiteral("Répértoire de travail"), dirEdit_);
    generalForm->addRow(QStringLiteral("Interprétation du paramétrage"), interpreteParam_);
    generalForm->addRow(QStringLiteral("Intervalle d'emission par défaut (en minutes)"), defaultInterval_);
    generalLayout->addLayout(generalForm);
    generalLayout->addStretch();
    pages->addTab(general, QStringLiteral("Général"));

    auto* decoding = Named(new QWidget(pages), "DecodingTab");
    decodIncomplete_ = Named(new QCheckBox(QStringLiteral("Décoder les scénarios incomplets"), decoding),
                             "DecodIncompleteScnChkBx");
    decodBadFE_ = Named(new QCheckBox(QStringLiteral("Décoder les scénarios avec un mauvais marqueur de fin "
                                                     "d'évènement"),
                                      decoding),
                        "DecodBadFEScnChkBx");
    decodBadTime_ = Named(new QCheckBox(QStringLiteral("Décoder les scénarios avec une mauvaise date"), decoding),
                          "DecodBadTimeScnChkBx");
    improbableDate_ = Named(new QCheckBox(QStringLiteral("Décoder les dates improbables"), decoding),
                            "ImprobableDateChkBx");
    connect(improbableDate_, &QCheckBox::clicked, this, &TDCP_ConfigFrm::ImprobableDateChkBxClick);
    passeLimit_ = Named(new QLineEdit(decoding), "PasseLimitEdit");
    futurLimit_ = Named(new QLineEdit(decoding), "FuturLimitEdit");
    auto* limits = new QGridLayout;
    limits->setContentsMargins(24, 0, 0, 0);  // under the box that governs them
    const struct {
        QLineEdit* edit;
        const char* caption;
        const char* labelName;
        const char* unitName;
    } limitRows[] = {{passeLimit_, "Limite dans le passé :", "PasseLimitLbl", "PasseUnitLbl"},
                     {futurLimit_, "Limite dans le futur :", "FuturLimitLbl", "FuturUnitLbl"}};
    int row = 0;
    for (const auto& limit : limitRows) {
        auto* label = Named(new QLabel(Q(limit.caption), decoding), limit.labelName);
        auto* unit = Named(new QLabel(QStringLiteral("jour(s)"), decoding), limit.unitName);
        label->setBuddy(limit.edit);
        limit.edit->setMaximumWidth(60);
        limits->addWidget(label, row, 0);
        limits->addWidget(limit.edit, row, 1);
        limits->addWidget(unit, row, 2);
        limitLabels_ << label << unit;
        ++row;
    }
    limits->setColumnStretch(3, 1);
    dateType_ = dropDown(decoding, "DCPFileDateTypeCmbBx", {"Format dd/mm/yy", "Format mm/dd/yy"});
    auto* dateForm = new QFormLayout;
    dateForm->addRow(QStringLiteral("Date fichiers DCP"), dateType_);
    auto* decodingLayout = new QVBoxLayout(decoding);
    for (QCheckBox* box : {decodIncomplete_, decodBadFE_, decodBadTime_, improbableDate_}) decodingLayout->addWidget(box);
    decodingLayout->addLayout(limits);
    decodingLayout->addLayout(dateForm);
    decodingLayout->addStretch();
    pages->addTab(decoding, QStringLiteral("Décodage"));

    auto* bottom = Named(new QWidget(this), "BottomPanel");
    auto* ok = Named(new QPushButton(QStringLiteral("OK"), bottom), "OkBtn");
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &TDCP_ConfigFrm::OkBtnClick);
    auto* cancel = Named(new QPushButton(QStringLiteral("Annuler"), bottom), "CancelBtn");
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    auto* buttons = new QHBoxLayout(bottom);
    buttons->setContentsMargins(0, 0, 0, 0);
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(pages);
    layout->addWidget(bottom);

    const TSettingsTexts shown = SettingsTexts(settings_);
    dirEdit_->setText(Q(shown.WorkDir));
    interpreteParam_->setCurrentIndex(shown.ParamIndex);
    defaultInterval_->setText(Q(shown.TransInterval));
    decodIncomplete_->setChecked(shown.DecodBadJump);
    decodBadFE_->setChecked(shown.DecodBadFE);
    decodBadTime_->setChecked(shown.DecodBadTime);
    improbableDate_->setChecked(shown.ImprobableDateDecod);
    passeLimit_->setText(Q(shown.LimitPasse));
    futurLimit_->setText(Q(shown.LimitFutur));
    dateType_->setCurrentIndex(shown.DCPDateIndex);
    ImprobableDateChkBxClick();
}

void TDCP_ConfigFrm::ImprobableDateChkBxClick() {
    const bool enabled = LimitsEnabled(improbableDate_->isChecked());
    passeLimit_->setEnabled(enabled);
    futurLimit_->setEnabled(enabled);
    for (QLabel* label : limitLabels_) label->setEnabled(enabled);
}

TSettingsTexts TDCP_ConfigFrm::texts() const {
    TSettingsTexts t;
    t.WorkDir = S(dirEdit_->text());
    t.ParamIndex = interpreteParam_->currentIndex();
    t.TransInterval = S(defaultInterval_->text());
    t.DecodBadJump = decodIncomplete_->isChecked();
    t.DecodBadFE = decodBadFE_->isChecked();
    t.DecodBadTime = decodBadTime_->isChecked();
    t.ImprobableDateDecod = improbableDate_->isChecked();
    t.LimitPasse = S(passeLimit_->text());
    t.LimitFutur = S(futurLimit_->text());
    t.DCPDateIndex = dateType_->currentIndex();
    return t;
}

void TDCP_ConfigFrm::OkBtnClick() {
    TSettingsReading reading = ReadSettingsForm(texts(), settings_);
    if (!reading.Settings) {
        boxes_.Warning(reading.Message);
        defaultInterval_->setFocus();
        return;
    }
    if (reading.Warning) boxes_.Warning(*reading.Warning);
    settings_ = std::move(*reading.Settings);
    if (saveSettings_) saveSettings_();
    accept();
}

}  // namespace skylog::forms
