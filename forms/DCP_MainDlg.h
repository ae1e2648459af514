#pragma once
// Skylog's main window: one day of beacon messages (all beacons, or one beacon with
// the days before), the blocks of the chosen beacon and the details of the chosen
// block, adding files, and the commands of the plug-in. The rules without widgets
// are in MainViewModel; the lists are item models over the engine's objects.

#include <QMainWindow>
#include <QStringList>
#include <functional>
#include <memory>
#include <string>

#include "Common/Clock.h"
#include "Common/DateTime.h"
#include "Common/MessageBoxes.h"
#include "forms/UHTMLHelp.h"
#include "k7/HostData.h"
#include "tasks/TaskServices.h"

class QAction;
class QComboBox;
class QEventLoop;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListView;
class QModelIndex;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QTimer;
class QToolBar;
class QTreeView;
class QWidget;

namespace skylog {
class TSkylog;
struct TSkylogSettings;
class TDCPList;
class TDCP;
class TDCPDataBloc;
class TDecodFile;
class TManagerList;
class TTasksList;
}  // namespace skylog

namespace skylog::forms {

class TBeaconListModel;
class TBlocListModel;
class TEventListModel;
class TScnInfoFrm;
class TViewBodyFrm;
class TStatisticsModel;
class TTaskWindowsScope;

inline constexpr const char* kMainCaption = "Décodage des fichiers DCP";

// What the window works on: the shared objects of the run (not owned; they outlive
// the window) and what the host handed over.
struct TMainFrmContext {
    TSkylogSettings* Settings = nullptr;
    TDCPList* Beacons = nullptr;
    TDecodFile* Reader = nullptr;
    TTasksList* Tasks = nullptr;
    TTaskServices* TaskServices = nullptr;  // what the tasks run with
    IMessageStore* Store = nullptr;         // what "Ajouter" reads files into
    IMessageBoxes* Reporter = nullptr;      // required
    const IClock* Clock = nullptr;          // required
    THostData Host;
    bool Debug = false;  // the host's debug flag: the scenario window's debug panel
    TManagerList* Managers = nullptr;
    // Writes the settings at once (the general configuration's OK); reports its failures.
    std::function<void()> SaveSettings;
    std::string SettingsFile;  // where the window keeps its size and position; empty: nowhere
    std::string HelpFile;      // the manual
    std::string HostVersion;   // for the about box
    THTMLHelp::Opener HelpOpener = THTMLHelp::DesktopOpener();
    // The file-open dialog of "Ajouter": the files chosen (empty when cancelled),
    // starting in a folder. Tests replace it.
    std::function<QStringList(QWidget* parent, const QString& folder)> ChooseFiles;
};

// The context of a window on a run: its shared objects, settings file and manual.
[[nodiscard]] TMainFrmContext MainFrmContextOf(TSkylog& run);

class TDCP_MainFrm : public QMainWindow, public IStoreObserver {
    Q_OBJECT
    Q_PROPERTY(bool DCPLocked READ DCPLocked WRITE SetDCPLocked)
    Q_PROPERTY(bool ParamAsLatLon READ ParamAsLatLon WRITE SetParamAsLatLon)
    Q_PROPERTY(bool ShowToolBarCaption READ ShowToolBarCaption WRITE SetShowToolBarCaption)
public:
    explicit TDCP_MainFrm(TMainFrmContext context, QWidget* parent = nullptr);
    ~TDCP_MainFrm() override;

    // Shows the window modally and returns when it is closed.
    void ShowModal();

    void RefreshDay();
    void SetDCPLocked(bool locked);
    void SetSelectedBeacon(int index);
    void SetSelectedBlock(int index);

    // IStoreObserver: what the tasks change is shown once they have run; the views
    // let go of the blocks before the list drops them.
    void BlocksAdded(const TDCP& beacon, bool fromStore) override;
    void DaySaved(TDateTime day) override;
    void ContentDropping() override;

    void ShowDate();
    void ShowBlocList();
    void ShowBlocDetails();
    void ShowErrorReport(bool autoClose);
    // Steps 3 to 6 of "Ajouter" on files already chosen (also for files dropped).
    Q_INVOKABLE void AddFiles(const QStringList& files);

    [[nodiscard]] bool DCPLocked() const { return dcpLocked_; }
    [[nodiscard]] bool ParamAsLatLon() const { return paramAsLatLon_; }
    void SetParamAsLatLon(bool on);
    [[nodiscard]] bool ShowToolBarCaption() const { return showToolBarCaption_; }
    void SetShowToolBarCaption(bool on);
    [[nodiscard]] TDateTime CurrentDate() const { return currentDate_; }
    [[nodiscard]] int SelectedBeacon() const { return selectedBeacon_; }
    [[nodiscard]] int SelectedBlock() const { return selectedBlock_; }
    // The scenario information window, once a decoded entry has been opened.
    [[nodiscard]] TScnInfoFrm* ScnInfo() const { return scnInfo_; }

    // One tick of the automatic-mode timer: the due tasks when Automode is on (not
    // while files are being added), then the clock.
    void OnTimer();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void buildMenus();
    void buildToolBar();
    QWidget* buildBeaconPane();
    QWidget* buildBlocPane();
    QWidget* buildDetailsPane();
    QAction* addCommand(QMenu* menu, const char* name, const char* text, void (TDCP_MainFrm::*slot)());

    void refreshDay();
    [[nodiscard]] TDCP* selectedBeaconObject() const;
    [[nodiscard]] TDCPDataBloc* selectedBlockObject() const;
    void applyViewState();
    void beaconSelectionChanged();
    void blocSelectionChanged();
    void choiceActivated(int index);
    void readDateFields(bool thenRefresh);
    void stepDay(int days);
    void toggleDCPLocked();
    void addFilesCommand();
    void editManagers();
    void beaconConfiguration() { configureBeacons(-1); }
    void configureBeacons(int beacon);
    void properties();
    void voirCorps();
    // The scenario window on an entry of "Données décodées :", created on first demand.
    void showScnInfo(const QModelIndex& entry);
    void decodedSelectionChanged();
    void showScnInfoEntry(int entry);
    void toggleAutomode();
    void planTasks();
    void generalConfiguration();
    void showHelp();
    void showAbout();
    void restoreGeometryFromSettings();
    void saveGeometryToSettings() const;

    TMainFrmContext context_;
    THTMLHelp help_;
    std::unique_ptr<TTaskWindowsScope> taskWindows_;  // the tasks' dialogs, while the window exists
    QEventLoop* modalLoop_ = nullptr;

    TDateTime currentDate_ = 0;
    int selectedBeacon_ = -1;
    int selectedBlock_ = -1;
    bool dcpLocked_ = false;
    bool paramAsLatLon_ = false;
    bool showToolBarCaption_ = false;
    bool addingFiles_ = false;
    // What the tasks of one timer tick changed: files read (the view returns to all
    // beacons), or days written (the day is shown again).
    bool filesAddedByTasks_ = false;
    bool daysSavedByTasks_ = false;
    bool configuringBeacons_ = false;
    std::string timerProblem_;  // the last failure of the automatic mode, shown once
    bool editingTasks_ = false;
    bool readingDate_ = false;

    TBeaconListModel* beaconModel_;
    TBlocListModel* blocModel_;
    TEventListModel* eventModel_;
    TStatisticsModel* statisticsModel_;

    QToolBar* toolBar_ = nullptr;
    QAction* automodeAction_ = nullptr;
    QAction* captionsAction_ = nullptr;
    QTreeView* beaconView_ = nullptr;
    QGroupBox* selectionGroup_ = nullptr;
    QComboBox* choice_ = nullptr;
    QComboBox* daysBefore_ = nullptr;
    QLabel* messageCount_ = nullptr;
    QTreeView* statisticsView_ = nullptr;
    QLineEdit* dayEdit_ = nullptr;
    QLineEdit* monthEdit_ = nullptr;
    QLineEdit* yearEdit_ = nullptr;
    QPushButton* toggleButton_ = nullptr;
    QTreeView* blocView_ = nullptr;
    QLineEdit* headerEdit_ = nullptr;
    QPushButton* voirCorpsButton_ = nullptr;
    QGroupBox* paramsGroup_ = nullptr;
    QLabel* cycle_ = nullptr;
    QLabel* instrumentId_ = nullptr;
    QLabel* instrumentType_ = nullptr;
    QLabel* instrumentTime_ = nullptr;
    QLabel* instrumentNumber_ = nullptr;
    QLabel* dcpTime_ = nullptr;
    QWidget* latLonPanel_ = nullptr;
    QWidget* countryPanel_ = nullptr;
    QLabel* latitude_ = nullptr;
    QLabel* longitude_ = nullptr;
    QLabel* country_ = nullptr;
    QLabel* district_ = nullptr;
    QWidget* errorPanel_ = nullptr;
    QPlainTextEdit* errorMemo_ = nullptr;
    QListView* eventView_ = nullptr;
    TScnInfoFrm* scnInfo_ = nullptr;  // a child: destroyed with the window
    TViewBodyFrm* bodyViewer_ = nullptr;  // while "Voir corps" is open
    QLabel* statusText_ = nullptr;
    QLabel* clock_ = nullptr;
    QTimer* timer_ = nullptr;
};

}  // namespace skylog::forms
