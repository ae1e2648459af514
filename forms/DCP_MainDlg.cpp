#include "forms/DCP_MainDlg.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QEventLoop>
#include <QFileDialog>
#include <QFileInfo>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSplitter>
#include <QStatusBar>
#include <QTimer>
#include <QWindow>
#include <QToolBar>
#include <QTreeView>
#include <exception>

#include "Common/MessageBoxes.h"
#include "Common/Settings.h"
#include "Common/UUtils.h"
#include "dcp/UDCPList.h"
#include "dcp/UDCPReport.h"
#include "forms/AboutDlg.h"
#include "forms/BodyChars.h"
#include "forms/DCPConfDlg.h"
#include "forms/DCP_ConfigDlg.h"
#include "forms/EditManagersDlg.h"
#include "forms/FormsSupport.h"
#include "forms/MainModels.h"
#include "forms/MainViewModel.h"
#include "forms/ScnInfoDlg.h"
#include "forms/SimpleMemoDlg.h"
#include "forms/SimpleMessageDlg.h"
#include "forms/TaskListDlg.h"
#include "forms/TaskWindows.h"
#include "forms/ViewBodyDlg.h"
#include "import/FileImport.h"
#include "import/UDecodFile.h"
#include "plugin/USkylog.h"
#include "tasks/UTasks.h"

namespace skylog::forms {
namespace {

constexpr int kClockPanelWidth = 70;
constexpr std::string_view kGeometryName = kMainWindowGeometryName;
constexpr std::string_view kMaximizedName = kMainWindowMaximizedName;

// The hourglass for as long as an operation lasts, whatever way it ends.
struct TWaitCursor {
    TWaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~TWaitCursor() { QApplication::restoreOverrideCursor(); }
    TWaitCursor(const TWaitCursor&) = delete;
    TWaitCursor& operator=(const TWaitCursor&) = delete;
};

QStringList defaultChooseFiles(QWidget* parent, const QString& folder) {
    return QFileDialog::getOpenFileNames(parent, QStringLiteral("Ajouter des fichiers"), folder,
                                         QStringLiteral("Fichiers AERONET (*.CNRS, *.NASA, *.DCP) (*.CNRS *.NASA *.DCP);;"
                                                        "Fichiers Emulation Balise (*.BRU) (*.BRU);;"
                                                        "Fichiers Goes US (*.GOES) (*.GOES)"));
}

void selectRow(QAbstractItemView* view, int row) {
    const QSignalBlocker blocker(view->selectionModel());
    view->selectionModel()->clearSelection();
    if (row >= 0 && row < view->model()->rowCount())
        view->selectionModel()->select(view->model()->index(row, 0),
                                       QItemSelectionModel::Select | QItemSelectionModel::Rows);
}

int selectedRow(const QAbstractItemView* view) {
    const QModelIndexList rows = view->selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.first().row();
}

}  // namespace

TMainFrmContext MainFrmContextOf(TSkylog& run) {
    TMainFrmContext context;
    context.Settings = &run.Settings();
    context.Beacons = &run.Beacons();
    context.Reader = &run.Reader();
    context.Tasks = &run.Tasks();
    context.TaskServices = &run.TaskServices();
    context.Store = &run.Store();
    context.Reporter = &run.Reporter();
    context.Clock = &run.Clock();
    context.Host = run.Host();
    context.Managers = &run.Managers();
    context.SaveSettings = [&run] { (void)run.SaveSettings(); };
    context.SettingsFile = run.SettingsFile();
    context.HelpFile = run.HelpFile();
    return context;
}

TDCP_MainFrm::TDCP_MainFrm(TMainFrmContext context, QWidget* parent)
    : QMainWindow(parent, Qt::Window), context_(std::move(context)),
      help_(context_.HelpFile, context_.HelpOpener, *context_.Reporter),
      beaconModel_(new TBeaconListModel(this)), blocModel_(new TBlocListModel(this)),
      eventModel_(new TEventListModel(this)), statisticsModel_(new TStatisticsModel(this)) {
    setObjectName(QStringLiteral("TDCP_MainFrm"));
    setWindowTitle(Q(kMainCaption));
    setWindowIcon(FormsIcon("skylog"));
    setAcceptDrops(true);
    if (!context_.ChooseFiles) context_.ChooseFiles = defaultChooseFiles;
    buildMenus();
    buildToolBar();

    auto* top = new QSplitter(Qt::Horizontal);
    top->setObjectName(QStringLiteral("TopSplitter"));
    top->addWidget(buildBeaconPane());
    top->addWidget(buildBlocPane());
    top->setStretchFactor(0, 3);
    top->setStretchFactor(1, 2);
    top->setSizes({600, 400});
    auto* main = new QSplitter(Qt::Vertical);
    main->setObjectName(QStringLiteral("MainSplitter"));
    main->addWidget(top);
    main->addWidget(buildDetailsPane());
    main->setStretchFactor(0, 3);
    main->setStretchFactor(1, 2);
    setCentralWidget(main);

    statusBar()->setObjectName(QStringLiteral("StatusBar"));
    statusText_ = new QLabel(this);
    statusText_->setObjectName(QStringLiteral("StatusText"));
    clock_ = new QLabel(this);
    clock_->setObjectName(QStringLiteral("StatusClock"));
    clock_->setFixedWidth(kClockPanelWidth);
    clock_->setAlignment(Qt::AlignCenter);
    statusBar()->addWidget(statusText_, 1);  // all of the bar but the clock's panel
    statusBar()->addPermanentWidget(clock_);
    resize(1000, 700);
    restoreGeometryFromSettings();

    // Construction: today, nothing selected, tool bar without captions.
    currentDate_ = DateOf(context_.Clock->Now());
    SetDCPLocked(false);
    SetShowToolBarCaption(false);
    ShowDate();
    RefreshDay();
    paramAsLatLon_ = context_.Settings && context_.Settings->ParamAsLatLon;
    applyViewState();
    if (context_.Tasks) {
        context_.Tasks->UpdateCalls(context_.Clock->Now());
        context_.Tasks->CancelDueCalls(context_.Clock->Now());
    }
    automodeAction_->setChecked(context_.Settings && context_.Settings->Automode);

    if (context_.Beacons) context_.Beacons->SetObserver(this);
    if (context_.TaskServices) taskWindows_ = std::make_unique<TTaskWindowsScope>(*context_.TaskServices, this);
    timer_ = new QTimer(this);
    timer_->setObjectName(QStringLiteral("AutoModeTimer"));
    timer_->setInterval(1000);
    connect(timer_, &QTimer::timeout, this, &TDCP_MainFrm::OnTimer);
    timer_->start();
}

TDCP_MainFrm::~TDCP_MainFrm() {
    if (context_.Beacons && context_.Beacons->Observer() == this) context_.Beacons->SetObserver(nullptr);
}

// ---- Views ----------------------------------------------------------------------------

TDCP* TDCP_MainFrm::selectedBeaconObject() const {
    if (!context_.Beacons) return nullptr;
    const int index = EffectiveIndex(selectedBeacon_, context_.Beacons->Count());
    return index < 0 ? nullptr : context_.Beacons->Beacons[static_cast<size_t>(index)].get();
}

TDCPDataBloc* TDCP_MainFrm::selectedBlockObject() const {
    const TDCP* beacon = selectedBeaconObject();
    if (!beacon) return nullptr;
    const int index = EffectiveIndex(selectedBlock_, beacon->Blocks().size());
    return index < 0 ? nullptr : beacon->Blocks()[static_cast<size_t>(index)].get();
}

// A file that cannot be read stops the refresh; what was loaded is shown.
void TDCP_MainFrm::RefreshDay() {
    try {
        refreshDay();
    } catch (const std::exception& e) {
        context_.Reporter->Warning(e.what());
        ShowBlocList();
    }
}

void TDCP_MainFrm::refreshDay() {
    const TWaitCursor wait;
    // The views let go of the blocks before the beacon list drops them.
    blocModel_->Show(nullptr);
    eventModel_->Show(nullptr);
    TDCPList* beacons = context_.Beacons;
    if (beacons) {
        beacons->ClearAll();
        if (!dcpLocked_) {
            beacons->LoadDay(currentDate_, -1);
        } else if (selectedBeacon_ >= 0) {
            const int daysBefore = DaysBeforeOf(S(daysBefore_->currentText()));
            for (int i = 0; i <= daysBefore; ++i) beacons->LoadDay(currentDate_ - i, selectedBeacon_);
        }
    }
    if (!dcpLocked_) {
        const QSignalBlocker blocker(choice_);
        choice_->clear();
        if (beacons)
            for (const auto& beacon : beacons->Beacons) choice_->addItem(Q(beacon->Name));
        beaconModel_->Show(beacons, currentDate_);
        selectRow(beaconView_, selectedBeacon_);
    } else {
        std::vector<std::string> labels, values;
        if (const TDCP* beacon = selectedBeaconObject()) {
            messageCount_->setText(QString::number(beacon->Blocks().size()));
            BuildReport(*beacon, labels, values, context_.Host.DecimalSeparator);
        }
        statisticsModel_->Show(std::move(labels), std::move(values));
    }
    ShowBlocList();
}

void TDCP_MainFrm::ShowDate() {
    const TDateFieldTexts texts = DateFieldTexts(currentDate_);
    dayEdit_->setText(Q(texts.Day));
    monthEdit_->setText(Q(texts.Month));
    yearEdit_->setText(Q(texts.Year));
}

void TDCP_MainFrm::ShowBlocList() {
    if (selectedBeacon_ == -1) {
        SetDCPLocked(false);
        blocModel_->Show(nullptr);
    } else {
        blocModel_->Show(selectedBeaconObject());
        selectRow(blocView_, EffectiveIndex(selectedBlock_, static_cast<size_t>(blocModel_->rowCount())));
    }
    ShowBlocDetails();
}

void TDCP_MainFrm::ShowBlocDetails() {
    const TDCPDataBloc* block = selectedBlockObject();
    headerEdit_->setText(block ? Q(block->Header) : Q(kNoBlockHeader));
    const TGeneralParamTexts params = GeneralParamTexts(block, context_.Host.InstrumentTypes);
    cycle_->setText(Q(params.Cycle));
    instrumentId_->setText(Q(params.InstrumentId));
    instrumentType_->setText(Q(params.InstrumentTypeName));
    instrumentTime_->setText(Q(params.InstrumentTime));
    instrumentNumber_->setText(Q(params.InstrumentNumber));
    dcpTime_->setText(Q(params.DCPTime));
    latitude_->setText(Q(params.Latitude));
    longitude_->setText(Q(params.Longitude));
    country_->setText(Q(params.Country));
    district_->setText(Q(params.District));
    QStringList errors;
    if (block)
        for (const std::string& line : BlocErrorLines(*block)) errors.append(Q(line));
    errorMemo_->setPlainText(errors.join(QLatin1Char('\n')));
    eventModel_->Show(block);
    applyViewState();
}

void TDCP_MainFrm::applyViewState() {
    const TDCPDataBloc* block = selectedBlockObject();
    const TMainViewState state =
        ViewStateOf(dcpLocked_, selectedBeacon_, block ? std::optional<size_t>(block->Errors.size()) : std::nullopt,
                    paramAsLatLon_);
    beaconView_->setVisible(state.BeaconListVisible);
    selectionGroup_->setVisible(state.SingleBeaconVisible);
    toggleButton_->setEnabled(state.ToggleEnabled);
    toggleButton_->setText(Q(state.ToggleText));
    voirCorpsButton_->setEnabled(state.VoirCorpsEnabled);
    paramsGroup_->setVisible(state.GeneralParamsVisible);
    latLonPanel_->setVisible(state.LatLonVisible);
    countryPanel_->setVisible(!state.LatLonVisible);
    errorPanel_->setVisible(state.ErrorReportVisible);
}

// ---- State ----------------------------------------------------------------------------

void TDCP_MainFrm::SetDCPLocked(bool locked) {
    dcpLocked_ = locked;
    if (locked) {
        const QSignalBlocker blocker(choice_);
        choice_->setCurrentIndex(selectedBeacon_ < choice_->count() ? selectedBeacon_ : -1);
    }
    applyViewState();
}

void TDCP_MainFrm::SetSelectedBeacon(int index) { selectedBeacon_ = index; }

void TDCP_MainFrm::SetSelectedBlock(int index) { selectedBlock_ = index; }

void TDCP_MainFrm::SetParamAsLatLon(bool on) {
    if (on == paramAsLatLon_) return;
    paramAsLatLon_ = on;
    applyViewState();
}

void TDCP_MainFrm::SetShowToolBarCaption(bool on) {
    showToolBarCaption_ = on;
    toolBar_->setToolButtonStyle(on ? Qt::ToolButtonTextUnderIcon : Qt::ToolButtonIconOnly);
    toolBar_->adjustSize();
    captionsAction_->setChecked(on);
}

void TDCP_MainFrm::beaconSelectionChanged() {
    const int row = selectedRow(beaconView_);
    if (row == -1) selectedBlock_ = -1;
    if (row == selectedBeacon_) return;
    selectedBeacon_ = row;
    ShowBlocList();
}

void TDCP_MainFrm::blocSelectionChanged() {
    const int row = selectedRow(blocView_);
    if (row == selectedBlock_) return;
    selectedBlock_ = row;
    ShowBlocDetails();
}

void TDCP_MainFrm::choiceActivated(int index) {
    selectedBeacon_ = index;
    RefreshDay();
}

void TDCP_MainFrm::toggleDCPLocked() {
    SetDCPLocked(!dcpLocked_);
    RefreshDay();
}

// ---- Day ------------------------------------------------------------------------------

void TDCP_MainFrm::stepDay(int days) {
    currentDate_ += days;
    ShowDate();
    RefreshDay();
}

// Leaving a field reads the three; Enter reads them and shows the day. The warning's
// box takes the focus from the field: that second leave is not read again.
void TDCP_MainFrm::readDateFields(bool thenRefresh) {
    if (readingDate_) return;
    readingDate_ = true;
    const std::optional<TDateTime> date =
        ReadDateFields({S(dayEdit_->text()), S(monthEdit_->text()), S(yearEdit_->text())});
    if (date)
        currentDate_ = *date;
    else
        context_.Reporter->Warning(kInvalidDate);
    ShowDate();
    readingDate_ = false;
    if (thenRefresh) RefreshDay();
}

bool TDCP_MainFrm::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusOut &&
        (watched == dayEdit_ || watched == monthEdit_ || watched == yearEdit_))
        readDateFields(false);
    if (event->type() == QEvent::Resize && watched == statisticsView_->viewport()) {
        const int width = StatisticsColumnWidth(statisticsView_->width());
        statisticsView_->header()->resizeSection(0, width);
        statisticsView_->header()->resizeSection(1, width);
    }
    return QMainWindow::eventFilter(watched, event);
}

// ---- Adding files ---------------------------------------------------------------------

void TDCP_MainFrm::addFilesCommand() {
    const QString folder = context_.Settings ? Q(context_.Settings->LUImpDir) : QString();
    const QStringList files = context_.ChooseFiles(this, folder);
    if (files.isEmpty()) return;
    if (context_.Settings) context_.Settings->LUImpDir = S(QFileInfo(files.first()).absolutePath());
    AddFiles(files);
}

namespace {

// "Ajouter" through the import: the status panel names each file, an unknown format is
// warned, a file with reader errors shows its report, and any failure stops the import
// (rethrown, for the general warning).
class AddFilesEvents : public IImportEvents {
public:
    AddFilesEvents(TDCP_MainFrm& window, QLabel& status, const TDecodFile& reader, IMessageBoxes& reporter,
                   int& selectedBlock)
        : window_(window), status_(status), reader_(reader), reporter_(reporter), selectedBlock_(selectedBlock) {}
    TImportStep BeforeFile(size_t index, size_t count, const std::string& path) override {
        status_.setText(Q(AddingFileStatus(path, index + 1, count)));
        status_.repaint();
        return TImportStep::Read;
    }
    void UnknownFormat(const std::string& path) override { reporter_.Warning(UnknownFormatWarning(path)); }
    void FileRead(const std::string&) override {
        if (!reader_.Errors.empty()) window_.ShowErrorReport(true);
    }
    void Saving(bool last) override {
        if (last) selectedBlock_ = -1;
    }

private:
    TDCP_MainFrm& window_;
    QLabel& status_;
    const TDecodFile& reader_;
    IMessageBoxes& reporter_;
    int& selectedBlock_;
};

}  // namespace

void TDCP_MainFrm::AddFiles(const QStringList& files) {
    if (!context_.Reader || !context_.Store || files.isEmpty() || addingFiles_) return;
    addingFiles_ = true;
    // The lists let go of the blocks that reading replaces and saving drops.
    blocModel_->Show(nullptr);
    eventModel_->Show(nullptr);
    bool completed = false;
    {
        const TWaitCursor wait;
        try {
            std::vector<std::string> paths;
            for (const QString& file : files) paths.push_back(S(file));
            TImportPolicy policy;
            policy.FilesPerSave = kWindowFilesPerSave;  // pending messages written every so many files
            AddFilesEvents events(*this, *statusText_, *context_.Reader, *context_.Reporter, selectedBlock_);
            (void)TFileImport(*context_.Store, policy).Run(paths, events);
            completed = true;
        } catch (const std::exception&) {
        }
    }
    addingFiles_ = false;
    if (completed)
        RefreshDay();
    else
        context_.Reporter->Warning(kUnexpectedImportError);
    statusText_->clear();
}

void TDCP_MainFrm::ShowErrorReport(bool autoClose) {
    TSimpleMemoFrm report(this);
    report.setWindowTitle(Q(kErrorReportCaption));
    report.SetLines(context_.Reader ? ErrorReportLines(context_.Reader->Errors) : ErrorReportLines({}));
    report.SetCloseTimer(autoClose);
    report.exec();
}

void TDCP_MainFrm::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void TDCP_MainFrm::dropEvent(QDropEvent* event) {
    QStringList files;
    for (const QUrl& url : event->mimeData()->urls())
        if (url.isLocalFile() && QFileInfo(url.toLocalFile()).isFile()) files.append(url.toLocalFile());
    if (files.isEmpty()) return;
    event->acceptProposedAction();
    // After the drop has returned to the file manager.
    QTimer::singleShot(0, this, [this, files] { AddFiles(files); });
}

// ---- Commands -------------------------------------------------------------------------

void TDCP_MainFrm::editManagers() {
    if (!context_.Managers) return;
    TEditManagersFrm dialog(*context_.Managers, *context_.Reporter, this);
    dialog.exec();
}

// The dialog may delete beacons: the lists let go of the blocks while it is open, no
// task runs meanwhile, and the day is shown again afterwards.
void TDCP_MainFrm::configureBeacons(int beacon) {
    if (!context_.Beacons || !context_.Managers || !context_.Settings) return;
    blocModel_->Show(nullptr);
    eventModel_->Show(nullptr);
    configuringBeacons_ = true;
    {
        TDCPConfFrm dialog(*context_.Beacons, *context_.Managers, *context_.Reporter, context_.Settings->WorkDir,
                           DateOf(context_.Clock->Now()), this);
        if (beacon >= 0) dialog.SelectBeacon(beacon);
        dialog.exec();
    }
    configuringBeacons_ = false;
    RefreshDay();
}

void TDCP_MainFrm::properties() {
    const int row = selectedRow(beaconView_);
    if (row >= 0) configureBeacons(row);
}

// With a decoded entry chosen, its scenario's characters are highlighted. The scenario
// window stays usable meanwhile (its element lines highlight in the viewer): the viewer
// becomes its transient parent, which the viewer's modality does not block.
void TDCP_MainFrm::voirCorps() {
    const TDCPDataBloc* block = selectedBlockObject();
    if (!block) return;
    TViewBodyFrm viewer(this);
    viewer.ShowBody(*block);
    viewer.SetScenarios(BodyScenarios(*block));
    const QModelIndexList entries = eventView_->selectionModel()->selectedRows();
    if (!entries.isEmpty())
        if (const std::optional<size_t> scenario = ScenarioOfEntry(*block, static_cast<size_t>(entries.first().row())))
            viewer.ChooseScenario(static_cast<int>(*scenario));
    viewer.winId();  // its native window, for the transient parent below
    QWindow* scnWindow = scnInfo_ && scnInfo_->isVisible() ? scnInfo_->windowHandle() : nullptr;
    QWindow* scnParent = scnWindow ? scnWindow->transientParent() : nullptr;
    if (scnWindow) scnWindow->setTransientParent(viewer.windowHandle());
    bodyViewer_ = &viewer;
    viewer.exec();
    bodyViewer_ = nullptr;
    if (scnWindow && scnInfo_ && scnInfo_->windowHandle() == scnWindow) scnWindow->setTransientParent(scnParent);
}

// The event of a decoded entry in the scenario window, with its elements' characters.
void TDCP_MainFrm::showScnInfoEntry(int entry) {
    const TEvenement* event = eventModel_->EventAt(entry);
    if (!event) return;
    if (!scnInfo_) {
        scnInfo_ = new TScnInfoFrm(context_.Debug, this);
        scnInfo_->SetOnElementChosen([this](const std::string& header, const TBodyChars& chars) {
            if (bodyViewer_ && bodyViewer_->BlockHeader() == header) bodyViewer_->Highlight(chars);
        });
    }
    if (const TDCPDataBloc* block = selectedBlockObject())
        scnInfo_->SetEvt(event, block->Header, ElementChars(*block, static_cast<size_t>(entry)));
    else
        scnInfo_->SetEvt(event);
}

void TDCP_MainFrm::showScnInfo(const QModelIndex& entry) {
    if (!eventModel_->EventAt(entry.row())) return;
    showScnInfoEntry(entry.row());
    scnInfo_->show();
    scnInfo_->raise();
}

// Another entry chosen while the scenario window exists shows its event there.
void TDCP_MainFrm::decodedSelectionChanged() {
    if (!scnInfo_) return;
    const QModelIndexList rows = eventView_->selectionModel()->selectedRows();
    if (!rows.isEmpty()) showScnInfoEntry(rows.first().row());
}

void TDCP_MainFrm::generalConfiguration() {
    if (!context_.Settings) return;
    TDCP_ConfigFrm dialog(*context_.Settings, *context_.Reporter, context_.SaveSettings, this);
    if (dialog.exec() == QDialog::Accepted) SetParamAsLatLon(context_.Settings->ParamAsLatLon);
}

void TDCP_MainFrm::toggleAutomode() {
    if (context_.Tasks) {
        context_.Tasks->UpdateCalls(context_.Clock->Now());
        context_.Tasks->CancelDueCalls(context_.Clock->Now());
    }
    if (context_.Settings) context_.Settings->Automode = !context_.Settings->Automode;
    automodeAction_->setChecked(context_.Settings && context_.Settings->Automode);
    // Written at once: a scheduled "skylog tasks run" on the same settings follows it.
    if (context_.SaveSettings) context_.SaveSettings();
}

// No task runs while the list is edited: the dialog's rows stand for the list's tasks.
void TDCP_MainFrm::planTasks() {
    if (!context_.Tasks || !context_.TaskServices) return;
    editingTasks_ = true;
    {
        TTaskListFrm dialog(*context_.Tasks, *context_.TaskServices, [this] { toggleAutomode(); }, this);
        dialog.exec();
    }
    editingTasks_ = false;
}

void TDCP_MainFrm::showHelp() { (void)help_.ShowHelp(); }

void TDCP_MainFrm::showAbout() {
    TAboutBox box(context_.HostVersion, *context_.Reporter, this);
    box.exec();
}

// A tick during an addition of files runs no task: a task's refresh would drop the
// blocks read and not yet saved; nor while the beacons or the tasks are being edited.
// The lists let go of the blocks while tasks run, for a task reloads days; the task's
// own refresh (or the one here) shows them again. A task opens its own window.
void TDCP_MainFrm::OnTimer() {
    if (context_.Settings && context_.Settings->Automode && context_.Tasks && !addingFiles_ && !configuringBeacons_ &&
        !editingTasks_ && !context_.Tasks->Running() && context_.TaskServices &&
        context_.Tasks->AnyCallDue(context_.Clock->Now())) {
        blocModel_->Show(nullptr);
        eventModel_->Show(nullptr);
        try {
            filesAddedByTasks_ = daysSavedByTasks_ = false;
            // Without waiting: while another program works in the directory (a
            // scheduled run of the same tasks), a later tick will see to the tasks.
            context_.Tasks->ExecuteDueTasks(*context_.TaskServices, TLockWait::TryOnly);
            timerProblem_.clear();
        } catch (const std::exception& e) {
            // Once, not at every tick while the cause lasts.
            if (timerProblem_ != e.what()) context_.Reporter->Warning(e.what());
            timerProblem_ = e.what();
        }
        // After a collection, all beacons with no selection; after a rebuild, the day again.
        if (filesAddedByTasks_) {
            SetDCPLocked(false);
            selectedBeacon_ = -1;
            selectedBlock_ = -1;
        }
        if (filesAddedByTasks_ || daysSavedByTasks_)
            RefreshDay();
        else
            ShowBlocList();
        filesAddedByTasks_ = daysSavedByTasks_ = false;
    }
    clock_->setText(Q(FormatLongTime(context_.Clock->Now())));
}

void TDCP_MainFrm::BlocksAdded(const TDCP&, bool fromStore) {
    if (!fromStore && !addingFiles_) filesAddedByTasks_ = true;
}

void TDCP_MainFrm::DaySaved(TDateTime) {
    if (!addingFiles_) daysSavedByTasks_ = true;
}

void TDCP_MainFrm::ContentDropping() {
    blocModel_->Show(nullptr);
    eventModel_->Show(nullptr);
}

// ---- Window ---------------------------------------------------------------------------

void TDCP_MainFrm::ShowModal() {
    setWindowModality(Qt::ApplicationModal);
    show();
    QEventLoop loop;
    modalLoop_ = &loop;
    loop.exec(QEventLoop::DialogExec);
    modalLoop_ = nullptr;
}

void TDCP_MainFrm::closeEvent(QCloseEvent* event) {
    saveGeometryToSettings();
    QMainWindow::closeEvent(event);
    if (event->isAccepted() && modalLoop_) modalLoop_->quit();
}

void TDCP_MainFrm::restoreGeometryFromSettings() {
    if (context_.SettingsFile.empty()) return;
    const TSettingsStore store(context_.SettingsFile);
    const QStringList parts = Q(store.ReadString(kGeometryName, "")).split(QLatin1Char(','));
    if (parts.size() == 4) {
        bool ok[4];
        const QRect rect(parts[0].toInt(&ok[0]), parts[1].toInt(&ok[1]), parts[2].toInt(&ok[2]),
                         parts[3].toInt(&ok[3]));
        if (ok[0] && ok[1] && ok[2] && ok[3] && rect.width() > 100 && rect.height() > 100) setGeometry(rect);
    }
    if (store.ReadBool(kMaximizedName, false)) setWindowState(windowState() | Qt::WindowMaximized);
}

void TDCP_MainFrm::saveGeometryToSettings() const {
    if (context_.SettingsFile.empty()) return;
    try {
        const QRect rect = normalGeometry();
        const std::string geometry =
            S(QStringLiteral("%1,%2,%3,%4").arg(rect.x()).arg(rect.y()).arg(rect.width()).arg(rect.height()));
        UpdateSettingsFile(context_.SettingsFile, [&](TSettingsStore& store) {
            store.WriteString(kGeometryName, geometry);
            store.WriteBool(kMaximizedName, isMaximized());
        });
    } catch (const std::exception&) {
        // The size and position are a convenience; the run's own save reports a
        // settings file that cannot be written.
    }
}

}  // namespace skylog::forms
