// The main window's widgets: menus, tool bar, the beacon pane with the date panel, the
// block list and the block details. Behaviour is in DCP_MainDlg.cpp.

#include <QAction>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QToolBar>
#include <QToolButton>
#include <QTreeView>
#include <QVBoxLayout>

#include "forms/DCP_MainDlg.h"
#include "forms/FormsSupport.h"
#include "forms/MainModels.h"
#include "forms/MainViewModel.h"

namespace skylog::forms {
namespace {

// A pair of parameters that switches to the other presentation when clicked.
class TClickPanel : public QWidget {
public:
    TClickPanel(QWidget* parent, std::function<void()> onClick) : QWidget(parent), onClick_(std::move(onClick)) {
        setCursor(Qt::PointingHandCursor);
        setToolTip(QStringLiteral("Cliquer pour changer de présentation"));
    }

protected:
    void mouseReleaseEvent(QMouseEvent* event) override {
        if (event->button() == Qt::LeftButton) onClick_();
        QWidget::mouseReleaseEvent(event);
    }

private:
    std::function<void()> onClick_;
};

QTreeView* listView(QWidget* parent, const char* name, QAbstractItemModel* model, std::initializer_list<int> widths = {}) {
    auto* view = new QTreeView(parent);
    view->setObjectName(QString::fromLatin1(name));
    view->setModel(model);
    view->setRootIsDecorated(false);
    view->setItemsExpandable(false);
    view->setUniformRowHeights(true);  // rows are never measured one by one
    view->setAllColumnsShowFocus(true);
    view->setSelectionMode(QAbstractItemView::SingleSelection);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->header()->setStretchLastSection(true);
    view->header()->setSectionsMovable(false);
    int column = 0;
    for (int width : widths) view->header()->resizeSection(column++, width);
    return view;
}

QLabel* valueLabel(QWidget* parent, const char* name) {
    auto* label = new QLabel(parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

QLineEdit* dateField(QWidget* parent, const char* name, int maxLength, int width) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QString::fromLatin1(name));
    edit->setMaxLength(maxLength);
    edit->setFixedWidth(width);
    edit->setAlignment(Qt::AlignCenter);
    return edit;
}

}  // namespace

QAction* TDCP_MainFrm::addCommand(QMenu* menu, const char* name, const char* text, void (TDCP_MainFrm::*slot)()) {
    QAction* action = menu->addAction(Q(text));
    action->setObjectName(QString::fromLatin1(name));
    if (slot) connect(action, &QAction::triggered, this, slot);
    return action;
}

void TDCP_MainFrm::buildMenus() {
    QMenu* file = menuBar()->addMenu(QStringLiteral("&Fichier"));
    file->setObjectName(QStringLiteral("FichierMnu"));
    addCommand(file, "AjouterMnu", "Ajouter des fichiers...", &TDCP_MainFrm::addFilesCommand);
    addCommand(file, "RapportErreursMnu", "Voir le rapport des erreurs...", nullptr);
    connect(file->actions().last(), &QAction::triggered, this, [this] { ShowErrorReport(false); });
    file->addSeparator();
    automodeAction_ = addCommand(file, "TachesActivesMnu", "Tâches &actives", &TDCP_MainFrm::toggleAutomode);
    automodeAction_->setCheckable(true);
    addCommand(file, "PlanificationMnu", "&Planification des tâches...", &TDCP_MainFrm::planTasks);
    file->addSeparator();
    addCommand(file, "FermerMnu", "&Fermer", nullptr);
    connect(file->actions().last(), &QAction::triggered, this, &QWidget::close);

    QMenu* configuration = menuBar()->addMenu(QStringLiteral("&Configuration"));
    configuration->setObjectName(QStringLiteral("ConfigurationMnu"));
    addCommand(configuration, "ResponsablesMnu", "Edition des &responsables...", &TDCP_MainFrm::editManagers);
    configuration->addSeparator();
    addCommand(configuration, "ConfigDCPMnu", "Configuration des &DCP...", &TDCP_MainFrm::beaconConfiguration);
    addCommand(configuration, "ConfigGeneraleMnu", "&Configuration générale...", &TDCP_MainFrm::generalConfiguration);

    QMenu* helpMenu = menuBar()->addMenu(QStringLiteral("&Aide"));
    helpMenu->setObjectName(QStringLiteral("AideMnu"));
    addCommand(helpMenu, "AideSkylogMnu", "&Aide sur Skylog", &TDCP_MainFrm::showHelp);
    helpMenu->addSeparator();
    addCommand(helpMenu, "AProposMnu", "A &propos de Skylog...", &TDCP_MainFrm::showAbout);
}

void TDCP_MainFrm::buildToolBar() {
    toolBar_ = addToolBar(QStringLiteral("Outils"));
    toolBar_->setObjectName(QStringLiteral("ToolBar"));
    toolBar_->setMovable(false);
    toolBar_->setIconSize(QSize(32, 32));
    struct Button {
        const char* name;
        const char* icon;
        const char* caption;
        const char* hint;
        void (TDCP_MainFrm::*slot)();
    };
    const Button buttons[] = {
        {"AjouterBtn", "add", "Ajouter", "Ajoute un ou plusieurs fichiers", &TDCP_MainFrm::addFilesCommand},
        {"ManagersBtn", "managers", "Managers", "Edition des responsables", &TDCP_MainFrm::editManagers},
        {"DCPBtn", "dcp", "DCP", "Configuration des balises", &TDCP_MainFrm::beaconConfiguration},
        {"ConfigurationBtn", "config", "Configuration", "Configuration générale",
         &TDCP_MainFrm::generalConfiguration},
    };
    for (const Button& button : buttons) {
        QAction* action = toolBar_->addAction(FormsIcon(button.icon), Q(button.caption));
        action->setObjectName(QString::fromLatin1(button.name) + QStringLiteral("Action"));
        action->setToolTip(Q(button.hint));
        action->setStatusTip(Q(button.hint));
        connect(action, &QAction::triggered, this, button.slot);
        toolBar_->widgetForAction(action)->setObjectName(QString::fromLatin1(button.name));
    }
    captionsAction_ = new QAction(QStringLiteral("&Etiquettes texte"), this);
    captionsAction_->setObjectName(QStringLiteral("EtiquettesTexteMnu"));
    captionsAction_->setCheckable(true);
    connect(captionsAction_, &QAction::triggered, this, [this] { SetShowToolBarCaption(!showToolBarCaption_); });
    toolBar_->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(toolBar_, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        QMenu menu(this);
        menu.addAction(captionsAction_);
        menu.exec(toolBar_->mapToGlobal(at));
    });
}

QWidget* TDCP_MainFrm::buildBeaconPane() {
    auto* pane = new QWidget(this);
    auto* layout = new QVBoxLayout(pane);
    layout->setContentsMargins(0, 0, 0, 0);

    beaconView_ = listView(pane, "DCPListView", beaconModel_, {100, 45, 60, 45, 120});
    beaconView_->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(beaconView_, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        QMenu menu(this);
        QAction* properties = menu.addAction(QStringLiteral("&Propriétés..."));
        properties->setObjectName(QStringLiteral("ProprietesMnu"));
        menu.setDefaultAction(properties);
        connect(properties, &QAction::triggered, this, &TDCP_MainFrm::properties);
        menu.exec(beaconView_->viewport()->mapToGlobal(at));
    });
    connect(beaconView_, &QAbstractItemView::doubleClicked, this, [this] { properties(); });
    connect(beaconView_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this] { beaconSelectionChanged(); });
    layout->addWidget(beaconView_, 1);

    selectionGroup_ = new QGroupBox(QStringLiteral("Informations sur la selection"), pane);
    selectionGroup_->setObjectName(QStringLiteral("SelectionGrp"));
    auto* form = new QFormLayout;
    choice_ = new QComboBox(selectionGroup_);
    choice_->setObjectName(QStringLiteral("DCPChoiceCmbBx"));
    connect(choice_, &QComboBox::activated, this, &TDCP_MainFrm::choiceActivated);
    form->addRow(QStringLiteral("Choix balise"), choice_);
    daysBefore_ = new QComboBox(selectionGroup_);
    daysBefore_->setObjectName(QStringLiteral("NbDaysBeforeCmbBx"));
    daysBefore_->setEditable(true);
    daysBefore_->setInsertPolicy(QComboBox::NoInsert);
    for (const char* value : kDaysBeforeChoices) daysBefore_->addItem(Q(value));
    daysBefore_->setCurrentText(QStringLiteral("0"));
    connect(daysBefore_->lineEdit(), &QLineEdit::returnPressed, this, [this] { RefreshDay(); });
    form->addRow(QStringLiteral("Nombre de jours précédents inclus"), daysBefore_);
    messageCount_ = valueLabel(selectionGroup_, "NbMessagesLbl");
    messageCount_->setText(QStringLiteral("-"));
    form->addRow(QStringLiteral("Nombres de messages :"), messageCount_);
    statisticsView_ = listView(selectionGroup_, "StatisticsListView", statisticsModel_);
    statisticsView_->setSelectionMode(QAbstractItemView::NoSelection);
    statisticsView_->header()->setStretchLastSection(false);
    statisticsView_->viewport()->installEventFilter(this);
    auto* groupLayout = new QVBoxLayout(selectionGroup_);
    groupLayout->addLayout(form);
    groupLayout->addWidget(statisticsView_, 1);
    layout->addWidget(selectionGroup_, 1);

    auto* dateGroup = new QGroupBox(QStringLiteral("Date choisie"), pane);
    dateGroup->setObjectName(QStringLiteral("DateGrp"));
    auto* dateRow = new QHBoxLayout;
    dayEdit_ = dateField(dateGroup, "DayEdit", 2, 36);
    monthEdit_ = dateField(dateGroup, "MonthEdit", 2, 36);
    yearEdit_ = dateField(dateGroup, "YearEdit", 4, 52);
    dateRow->addWidget(dayEdit_);
    dateRow->addWidget(new QLabel(QStringLiteral("/"), dateGroup));
    dateRow->addWidget(monthEdit_);
    dateRow->addWidget(new QLabel(QStringLiteral("/"), dateGroup));
    dateRow->addWidget(yearEdit_);
    for (QLineEdit* edit : {dayEdit_, monthEdit_, yearEdit_}) {
        edit->installEventFilter(this);
        connect(edit, &QLineEdit::returnPressed, this, [this] { readDateFields(true); });
    }
    auto addButton = [&](const char* name, const char* text, std::function<void()> onClick) {
        auto* button = new QPushButton(Q(text), dateGroup);
        button->setObjectName(QString::fromLatin1(name));
        button->setAutoDefault(false);
        connect(button, &QPushButton::clicked, this, std::move(onClick));
        return button;
    };
    QPushButton* previous = addButton("PrevDayBtn", "<", [this] { stepDay(-1); });
    QPushButton* next = addButton("NextDayBtn", ">", [this] { stepDay(1); });
    for (QPushButton* button : {previous, next}) button->setFixedWidth(32);
    dateRow->addSpacing(6);
    dateRow->addWidget(previous);
    dateRow->addWidget(next);
    dateRow->addWidget(addButton("ActualiserBtn", "Actualiser", [this] { RefreshDay(); }));
    dateRow->addStretch();
    toggleButton_ = addButton("SelectDCPBtn", "Selectionner DCP", [this] { toggleDCPLocked(); });
    auto* dateLayout = new QVBoxLayout(dateGroup);
    dateLayout->addLayout(dateRow);
    dateLayout->addWidget(toggleButton_);
    layout->addWidget(dateGroup);
    return pane;
}

QWidget* TDCP_MainFrm::buildBlocPane() {
    blocView_ = listView(this, "BlocListView", blocModel_, {72, 48, 48, 40});
    connect(blocView_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this] { blocSelectionChanged(); });
    return blocView_;
}

QWidget* TDCP_MainFrm::buildDetailsPane() {
    auto* pane = new QWidget(this);
    auto* layout = new QVBoxLayout(pane);
    layout->setContentsMargins(0, 0, 0, 0);

    auto* headerRow = new QHBoxLayout;
    headerRow->addWidget(new QLabel(QStringLiteral("En-tête :"), pane));
    headerEdit_ = new QLineEdit(pane);
    headerEdit_->setObjectName(QStringLiteral("HeaderEdit"));
    headerEdit_->setReadOnly(true);
    headerRow->addWidget(headerEdit_, 1);
    voirCorpsButton_ = new QPushButton(QStringLiteral("Voir corps"), pane);
    voirCorpsButton_->setObjectName(QStringLiteral("VoirCorpsBtn"));
    voirCorpsButton_->setAutoDefault(false);
    connect(voirCorpsButton_, &QPushButton::clicked, this, &TDCP_MainFrm::voirCorps);
    headerRow->addWidget(voirCorpsButton_);
    layout->addLayout(headerRow);

    auto* row = new QHBoxLayout;
    paramsGroup_ = new QGroupBox(QStringLiteral("Paramètres généraux"), pane);
    paramsGroup_->setObjectName(QStringLiteral("ParamsGrp"));
    auto* params = new QFormLayout;
    cycle_ = valueLabel(paramsGroup_, "CycleLbl");
    params->addRow(QStringLiteral("Cycle:"), cycle_);
    instrumentId_ = valueLabel(paramsGroup_, "IdInsLbl");
    instrumentType_ = valueLabel(paramsGroup_, "InsTypeLbl");
    auto* idRow = new QHBoxLayout;
    idRow->addWidget(instrumentId_);
    idRow->addSpacing(8);
    idRow->addWidget(instrumentType_, 1);
    params->addRow(QStringLiteral("ID Ins. :"), idRow);
    instrumentTime_ = valueLabel(paramsGroup_, "HeureInsLbl");
    params->addRow(QStringLiteral("Heure Ins. :"), instrumentTime_);
    instrumentNumber_ = valueLabel(paramsGroup_, "NumInsLbl");
    params->addRow(QStringLiteral("N° Ins. :"), instrumentNumber_);
    dcpTime_ = valueLabel(paramsGroup_, "HeureDCPLbl");
    params->addRow(QStringLiteral("Heure DCP :"), dcpTime_);
    auto pairPanel = [&](const char* name, const char* firstCaption, QLabel*& first, const char* firstName,
                         const char* secondCaption, QLabel*& second, const char* secondName) {
        auto* panel = new TClickPanel(paramsGroup_, [this] { SetParamAsLatLon(!paramAsLatLon_); });
        panel->setObjectName(QString::fromLatin1(name));
        auto* pair = new QFormLayout(panel);
        pair->setContentsMargins(0, 0, 0, 0);
        first = new QLabel(panel);
        first->setObjectName(QString::fromLatin1(firstName));
        second = new QLabel(panel);
        second->setObjectName(QString::fromLatin1(secondName));
        pair->addRow(Q(firstCaption), first);
        pair->addRow(Q(secondCaption), second);
        return panel;
    };
    latLonPanel_ =
        pairPanel("LatLonPnl", "Latitude :", latitude_, "LatitudeLbl", "Longitude :", longitude_, "LongitudeLbl");
    countryPanel_ =
        pairPanel("CountryPnl", "Country :", country_, "CountryLbl", "District :", district_, "DistrictLbl");
    auto* paramsLayout = new QVBoxLayout(paramsGroup_);
    paramsLayout->addLayout(params);
    paramsLayout->addWidget(latLonPanel_);
    paramsLayout->addWidget(countryPanel_);
    paramsLayout->addStretch();
    row->addWidget(paramsGroup_);

    errorPanel_ = new QWidget(pane);
    errorPanel_->setObjectName(QStringLiteral("ErrorPnl"));
    auto* errors = new QVBoxLayout(errorPanel_);
    errors->setContentsMargins(0, 0, 0, 0);
    errors->addWidget(new QLabel(QStringLiteral("Rapport des erreurs :"), errorPanel_));
    errorMemo_ = new QPlainTextEdit(errorPanel_);
    errorMemo_->setObjectName(QStringLiteral("ErrorMemo"));
    errorMemo_->setReadOnly(true);
    errorMemo_->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    errors->addWidget(errorMemo_, 1);
    row->addWidget(errorPanel_, 1);

    auto* decoded = new QVBoxLayout;
    decoded->addWidget(new QLabel(QStringLiteral("Données décodées :"), pane));
    eventView_ = new QListView(pane);
    eventView_->setObjectName(QStringLiteral("DecodedListView"));
    eventView_->setModel(eventModel_);
    eventView_->setUniformItemSizes(true);
    eventView_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    connect(eventView_, &QAbstractItemView::doubleClicked, this, &TDCP_MainFrm::showScnInfo);
    connect(eventView_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this] { decodedSelectionChanged(); });
    decoded->addWidget(eventView_, 1);
    row->addLayout(decoded, 1);
    layout->addLayout(row, 1);
    return pane;
}

}  // namespace skylog::forms
