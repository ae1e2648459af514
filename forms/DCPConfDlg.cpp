#include "forms/DCPConfDlg.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <exception>

#include "Common/MessageBoxes.h"
#include "dcp/UDCPList.h"
#include "forms/EditManagersDlg.h"
#include "forms/FormsSupport.h"

namespace skylog::forms {

namespace {

QToolButton* smallButton(QWidget* parent, const char* name, const char* text, const char* hint) {
    auto* btn = Named(new QToolButton(parent), name);
    btn->setText(Q(text));
    btn->setToolTip(Q(hint));
    return btn;
}

}  // namespace

TDCPConfFrm::TDCPConfFrm(TDCPList& beacons, TManagerList& managers, IMessageBoxes& boxes, std::string workDir,
                         TDateTime today, QWidget* parent)
    : QDialog(parent), beacons_(beacons), managers_(managers), boxes_(boxes), workDir_(std::move(workDir)),
      today_(today) {
    setObjectName(QStringLiteral("TDCPConfFrm"));
    setWindowTitle(Q(kBeaconsCaption));
    buildLayout();
    fillChoice();
    if (beacons_.Count() > 0) {
        current_ = 0;
        const QSignalBlocker blocker(choice_);
        choice_->setCurrentIndex(0);
    }
    ShowBeacon();
}

void TDCPConfFrm::buildLayout() {
    choice_ = Named(new QComboBox(this), "DCPChoiceCmbBx");
    choice_->setMinimumWidth(200);
    connect(choice_, &QComboBox::currentIndexChanged, this, &TDCPConfFrm::DCPChoiceCmbBxChange);
    newDCP_ = Button(this, "NewDCPBtn", "&Créer DCP");
    connect(newDCP_, &QPushButton::clicked, this, &TDCPConfFrm::NewDCPBtnClick);
    supprDCP_ = Button(this, "SupprDCPBtn", "Supprimer &DCP");
    supprDCP_->setEnabled(false);
    connect(supprDCP_, &QPushButton::clicked, this, &TDCPConfFrm::SupprDCPBtnClick);
    auto* top = new QHBoxLayout;
    auto* choiceLabel = new QLabel(QStringLiteral("Choix balise"), this);
    choiceLabel->setBuddy(choice_);
    top->addWidget(choiceLabel);
    top->addWidget(choice_, 1);
    top->addWidget(newDCP_);
    top->addWidget(supprDCP_);

    details_ = Named(new QWidget(this), "DCPDetailsPanel");

    auto* general = Named(new QGroupBox(QStringLiteral("Information générale sur la balise"), details_), "DCPGeneralGrp");
    name_ = LineEdit(general, "DCPNameEdit");
    connect(name_, &QLineEdit::textChanged, this, &TDCPConfFrm::DCPNameEditChange);
    number_ = LineEdit(general, "DCPIDEdit");
    baseTime_ = LineEdit(general, "DCPBaseTransmitTimeEdit", 70);
    interval_ = LineEdit(general, "DCPIntervalTimeEdit", 70);
    auto* generalGrid = new QGridLayout(general);
    generalGrid->addWidget(new QLabel(QStringLiteral("Nom :"), general), 0, 0);
    generalGrid->addWidget(name_, 0, 1, 1, 2);
    generalGrid->addWidget(new QLabel(QStringLiteral("N° Id :"), general), 1, 0);
    generalGrid->addWidget(number_, 1, 1, 1, 2);
    generalGrid->addWidget(new QLabel(QStringLiteral("Base de l'heure d'émission :"), general), 2, 0);
    generalGrid->addWidget(baseTime_, 2, 1);
    generalGrid->addWidget(new QLabel(QStringLiteral("mm:ss"), general), 2, 2);
    generalGrid->addWidget(new QLabel(QStringLiteral("Interval d'émission :"), general), 3, 0);
    generalGrid->addWidget(interval_, 3, 1);
    generalGrid->addWidget(new QLabel(QStringLiteral("min."), general), 3, 2);
    generalGrid->setColumnStretch(2, 1);

    auto* asso = Named(new QGroupBox(QStringLiteral("Association balise -> Instrument"), details_), "AssoGrp");
    assoList_ = Named(new QTreeWidget(asso), "AssoLstView");
    assoList_->setHeaderLabels(
        {QStringLiteral("Date début"), QStringLiteral("Date fin"), QStringLiteral("N° Ins"), QStringLiteral("Localité")});
    assoList_->setRootIsDecorated(false);
    assoList_->setSelectionMode(QAbstractItemView::SingleSelection);
    assoList_->setSelectionBehavior(QAbstractItemView::SelectRows);
    assoList_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    assoList_->setAllColumnsShowFocus(true);
    assoList_->header()->resizeSection(0, 110);
    assoList_->header()->resizeSection(1, 110);
    assoList_->header()->resizeSection(2, 60);
    assoList_->setMinimumHeight(110);
    connect(assoList_, &QTreeWidget::itemSelectionChanged, this, &TDCPConfFrm::AssoLstViewChange);
    startDate_ = LineEdit(asso, "AssStartDateEdit", 90);
    startTime_ = LineEdit(asso, "AssStartTimeEdit", 70);
    endDate_ = LineEdit(asso, "AssEndDateEdit", 90);
    endTime_ = LineEdit(asso, "AssEndTimeEdit", 70);
    instrument_ = LineEdit(asso, "AssInsNumEdit", 90);
    posName_ = LineEdit(asso, "AssPosnameEdit");
    managersEdit_ = LineEdit(asso, "ManagersEdit");
    managersEdit_->setReadOnly(true);
    managersEdit_->setEnabled(false);
    addManager_ = smallButton(asso, "AddManagerBtn", "+", "Ajouter un responsable de site");
    connect(addManager_, &QToolButton::clicked, this, &TDCPConfFrm::AddManagerBtnClick);
    eraseManagers_ = smallButton(asso, "EraseManagersBtn", "×", "Supprimer les responsables");
    connect(eraseManagers_, &QToolButton::clicked, this, &TDCPConfFrm::EraseManagersBtnClick);
    addAsso_ = Button(asso, "AddAssBtn", "&Ajouter");
    connect(addAsso_, &QPushButton::clicked, this, &TDCPConfFrm::AddAssBtnClick);
    modifAsso_ = Button(asso, "ModifAssBtn", "&Modifier");
    connect(modifAsso_, &QPushButton::clicked, this, &TDCPConfFrm::ModifAssBtnClick);
    supprAsso_ = Button(asso, "SupprAssBtn", "&Supprimer");
    connect(supprAsso_, &QPushButton::clicked, this, &TDCPConfFrm::SupprAssBtnClick);

    auto* fields = new QGridLayout;
    fields->addWidget(new QLabel(QStringLiteral("Date début :"), asso), 0, 0);
    fields->addWidget(startDate_, 0, 1);
    fields->addWidget(new QLabel(QStringLiteral("Heure début :"), asso), 0, 2);
    fields->addWidget(startTime_, 0, 3);
    fields->addWidget(new QLabel(QStringLiteral("Date fin :"), asso), 1, 0);
    fields->addWidget(endDate_, 1, 1);
    fields->addWidget(new QLabel(QStringLiteral("Heure fin :"), asso), 1, 2);
    fields->addWidget(endTime_, 1, 3);
    fields->addWidget(new QLabel(QStringLiteral("Numéro d'instrument :"), asso), 2, 0);
    fields->addWidget(instrument_, 2, 1);
    fields->addWidget(new QLabel(QStringLiteral("Localité :"), asso), 3, 0);
    fields->addWidget(posName_, 3, 1, 1, 4);
    auto* managersRow = new QHBoxLayout;
    managersRow->addWidget(managersEdit_, 1);
    managersRow->addWidget(addManager_);
    managersRow->addWidget(eraseManagers_);
    fields->addWidget(new QLabel(QStringLiteral("Managers :"), asso), 4, 0);
    fields->addLayout(managersRow, 4, 1, 1, 4);
    fields->setColumnStretch(4, 1);
    auto* assoButtons = new QHBoxLayout;
    assoButtons->addStretch();
    assoButtons->addWidget(addAsso_);
    assoButtons->addWidget(modifAsso_);
    assoButtons->addWidget(supprAsso_);
    auto* assoLayout = new QVBoxLayout(asso);
    assoLayout->addWidget(assoList_, 1);
    assoLayout->addLayout(fields);
    assoLayout->addLayout(assoButtons);

    auto* detailsLayout = new QVBoxLayout(details_);
    detailsLayout->setContentsMargins(0, 0, 0, 0);
    detailsLayout->addWidget(general);
    detailsLayout->addWidget(asso, 1);

    // Enter in a box means nothing here: no button (OK above all, which writes the
    // file) takes it.
    QPushButton* ok = Button(this, "OkBtn", "OK");
    connect(ok, &QPushButton::clicked, this, &TDCPConfFrm::OkBtnClick);
    auto* bottom = new QHBoxLayout;
    bottom->addStretch();
    bottom->addWidget(ok);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(details_, 1);
    layout->addLayout(bottom);
    resize(560, 600);
}

// ---- Showing --------------------------------------------------------------------------

TDCP* TDCPConfFrm::currentBeacon() const {
    return current_ >= 0 && static_cast<size_t>(current_) < beacons_.Count()
               ? beacons_.Beacons[static_cast<size_t>(current_)].get()
               : nullptr;
}

void TDCPConfFrm::fillChoice() {
    const QSignalBlocker blocker(choice_);
    choice_->clear();
    for (const auto& beacon : beacons_.Beacons) choice_->addItem(Q(beacon->Name));
    choice_->setCurrentIndex(-1);
}

void TDCPConfFrm::SelectBeacon(int index) {
    {
        const QSignalBlocker blocker(choice_);
        choice_->setCurrentIndex(index);
    }
    current_ = choice_->currentIndex();
    selectedAsso_ = -1;
    ShowBeacon();
}

void TDCPConfFrm::ShowBeacon() {
    updating_ = true;
    const TDCP* beacon = currentBeacon();
    details_->setVisible(beacon != nullptr);
    supprDCP_->setEnabled(beacon != nullptr);
    if (beacon) {
        const TBeaconTexts texts = BeaconTexts(*beacon);
        name_->setText(Q(texts.Name));
        number_->setText(Q(texts.Number));
        baseTime_->setText(Q(texts.BaseTime));
        interval_->setText(Q(texts.Interval));
        showAssoTexts(NewAssoTexts(today_));
        // A new association starts without managers, as without dates.
        working_.Clear();
        managersEdit_->clear();
        ShowAssociations();
    }
    updating_ = false;
}

void TDCPConfFrm::ShowAssociations() {
    const TDCP* beacon = currentBeacon();
    {
        const QSignalBlocker blocker(assoList_);
        assoList_->clear();
        if (beacon)
            for (const auto& asso : beacon->AssoList) {
                const std::array<std::string, 4> row = AssoRowTexts(*asso);
                new QTreeWidgetItem(assoList_, {Q(row[0]), Q(row[1]), Q(row[2]), Q(row[3])});
            }
        if (selectedAsso_ >= 0 && selectedAsso_ < assoList_->topLevelItemCount())
            assoList_->topLevelItem(selectedAsso_)->setSelected(true);
    }
    ShowAssociation();
}

void TDCPConfFrm::ShowAssociation() {
    const TDCP* beacon = currentBeacon();
    const bool selected =
        beacon && selectedAsso_ >= 0 && static_cast<size_t>(selectedAsso_) < beacon->AssoList.size();
    modifAsso_->setEnabled(selected);
    supprAsso_->setEnabled(selected);
    if (!selected) return;
    TDCPAsso& asso = *beacon->AssoList[static_cast<size_t>(selectedAsso_)];
    showAssoTexts(AssoTexts(asso));
    working_.SetIdsText(asso.Managers.IdsText(), boxes_);
    managersEdit_->setText(Q(working_.DisplayStr()));
}

void TDCPConfFrm::showAssoTexts(const TAssoTexts& texts) {
    startDate_->setText(Q(texts.StartDate));
    startTime_->setText(Q(texts.StartTime));
    endDate_->setText(Q(texts.EndDate));
    endTime_->setText(Q(texts.EndTime));
    instrument_->setText(Q(texts.InstrumentNumber));
    posName_->setText(Q(texts.PosName));
}

TBeaconTexts TDCPConfFrm::beaconTexts() const {
    return {S(name_->text()), S(number_->text()), S(baseTime_->text()), S(interval_->text())};
}

TAssoTexts TDCPConfFrm::assoTexts() const {
    return {S(startDate_->text()), S(startTime_->text()),  S(endDate_->text()),
            S(endTime_->text()),   S(instrument_->text()), S(posName_->text())};
}

// ---- Beacons --------------------------------------------------------------------------

bool TDCPConfFrm::StoreBeacon() {
    TDCP* beacon = currentBeacon();
    if (!beacon) return true;
    std::optional<TFormRefusal<TBeaconField>> refusal;
    try {
        refusal = StoreBeaconInList(beacons_, *beacon, beaconTexts(), workDir_);
    } catch (const std::exception& e) {
        boxes_.Warning(e.what());
        return false;
    }
    if (refusal) {
        boxes_.Warning(refusal->Message);
        QLineEdit* const boxOf[] = {name_, number_, baseTime_, interval_};
        boxOf[static_cast<int>(refusal->Box)]->setFocus();
        return false;
    }
    choice_->setItemText(current_, Q(beacon->Name));  // as stored: trimmed
    return true;
}

void TDCPConfFrm::DCPChoiceCmbBxChange(int index) {
    if (index == current_) return;
    if (!StoreBeacon()) {
        const QSignalBlocker blocker(choice_);
        choice_->setCurrentIndex(current_);
        return;
    }
    current_ = index;
    selectedAsso_ = -1;
    ShowBeacon();
}

void TDCPConfFrm::DCPNameEditChange(const QString& text) {
    if (current_ >= 0 && !updating_) choice_->setItemText(current_, text);
}

void TDCPConfFrm::NewDCPBtnClick() {
    // What was typed for the beacon left is kept, as when another beacon is chosen.
    if (!StoreBeacon()) return;
    auto beacon = beacons_.NewBeacon();  // with the default interval of the settings
    beacon->Name = std::string(kNewBeaconName);
    beacons_.Add(std::move(beacon));
    selectedAsso_ = -1;
    fillChoice();
    const int last = choice_->count() - 1;
    {
        const QSignalBlocker blocker(choice_);
        choice_->setCurrentIndex(last);
    }
    current_ = last;
    ShowBeacon();
}

void TDCPConfFrm::SupprDCPBtnClick() {
    if (!currentBeacon() || !boxes_.Confirmation(kDeleteBeaconQuestion)) return;
    beacons_.Delete(static_cast<size_t>(current_));
    current_ = -1;
    selectedAsso_ = -1;
    fillChoice();
    ShowBeacon();
}

// ---- Associations ---------------------------------------------------------------------

void TDCPConfFrm::AssoLstViewChange() {
    const QList<QTreeWidgetItem*> selected = assoList_->selectedItems();
    const int row = selected.isEmpty() ? -1 : assoList_->indexOfTopLevelItem(selected.first());
    if (row == selectedAsso_) return;
    selectedAsso_ = row;
    ShowAssociation();
}

void TDCPConfFrm::storeAssociation(bool modify) {
    TDCP* beacon = currentBeacon();
    if (!beacon) return;
    if (modify && (selectedAsso_ < 0 || static_cast<size_t>(selectedAsso_) >= beacon->AssoList.size())) return;
    const TAssoReading reading = ReadAssociation(assoTexts());
    if (!reading.Values) {
        boxes_.Warning(reading.Refusal.Message);
        QLineEdit* const boxOf[] = {instrument_, startDate_, endDate_, startTime_, endTime_, posName_};
        boxOf[static_cast<int>(reading.Refusal.Box)]->setFocus();
        return;
    }
    TDCPAsso* asso = modify ? beacon->AssoList[static_cast<size_t>(selectedAsso_)].get()
                            : beacon->AssoList.emplace_back(std::make_unique<TDCPAsso>(&managers_)).get();
    StoreAssociation(*asso, *reading.Values, working_);
    selectedAsso_ = -1;
    ShowAssociations();
}

void TDCPConfFrm::AddAssBtnClick() { storeAssociation(false); }

void TDCPConfFrm::ModifAssBtnClick() { storeAssociation(true); }

void TDCPConfFrm::SupprAssBtnClick() {
    TDCP* beacon = currentBeacon();
    if (!beacon || selectedAsso_ < 0 || static_cast<size_t>(selectedAsso_) >= beacon->AssoList.size()) return;
    beacon->AssoList.erase(beacon->AssoList.begin() + selectedAsso_);
    selectedAsso_ = -1;
    ShowAssociations();
}

void TDCPConfFrm::AddManagerBtnClick() {
    TEditManagersFrm select(managers_, boxes_, this);
    select.SetSelectOnly(true);
    if (select.exec() != QDialog::Accepted) return;
    working_.AddManager(select.SelectedId());
    managersEdit_->setText(Q(working_.DisplayStr()));
}

void TDCPConfFrm::EraseManagersBtnClick() {
    working_.Clear();
    managersEdit_->clear();
}

void TDCPConfFrm::OkBtnClick() {
    if (!StoreBeacon()) return;
    try {
        beacons_.SaveToFile();
    } catch (const std::exception& e) {
        // Nothing is lost: the list stays in memory (and is written at the end of the run).
        boxes_.Warning(std::string("Impossible d'enregistrer la liste des balises : ") + e.what());
        return;
    }
    accept();
}

}  // namespace skylog::forms
