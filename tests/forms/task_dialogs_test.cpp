// The task dialogs driven by their controls' names, on a run with a fixed clock: the
// task list with its states, additions, edits and deletions and the question of OK;
// the task editor's defaults, periods and bounds; the two parameter dialogs; the
// windows of a task's run, and automatic mode from the main window.

#include <QAction>
#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimeEdit>
#include <QTreeWidget>
#include <algorithm>
#include <filesystem>

#include "dcp/UDCPList.h"
#include "forms/DCP_MainDlg.h"
#include "forms/EditTaskDlg.h"
#include "forms/TaskGetFilesDlg.h"
#include "forms/TaskGetFilesParamDlg.h"
#include "forms/TaskListDlg.h"
#include "forms/TaskMakeK7ParamDlg.h"
#include "forms/TaskWindows.h"
#include "tasks/TaskForm.h"
#include "tasks/TaskGetFilesRun.h"
#include "tasks/TaskMakeK7Run.h"
#include "tasks/UTaskGetFiles.h"
#include "tasks/UTaskMakeK7.h"
#include "tests/forms/DialogTestSupport.h"

using namespace skylog;
using namespace skylog::forms;
using namespace skylog::test;

namespace {

const TDateTime kToday = *EncodeDateTime(2005, 3, 7);
const TDateTime kNow = *EncodeDateTime(2005, 3, 7, 10, 30, 20);
constexpr double kMinute = 1.0 / 1440;

QString cell(QWidget& window, int row, int column) {
    return child<QTreeWidget>(window, "TaskListView")->topLevelItem(row)->text(column);
}

void selectTask(QWidget& window, int row) {
    auto* list = child<QTreeWidget>(window, "TaskListView");
    list->clearSelection();
    list->topLevelItem(row)->setSelected(true);
}

void choose(QWidget& window, const char* box, int index) {
    auto* combo = child<QComboBox>(window, box);
    combo->setCurrentIndex(index);
    Q_EMIT combo->activated(index);
}

// What a run's window showed, as painted: each new text of a label and each new value
// of a progress bar, with the bar's maximum at that time.
class PaintRecorder : public QObject {
public:
    PaintRecorder() { qApp->installEventFilter(this); }
    ~PaintRecorder() override { qApp->removeEventFilter(this); }
    QStringList texts;
    QList<int> positions;
    int maximum = -1;
    std::function<void(const QString&)> onText;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::Paint) return false;
        const auto* label = qobject_cast<QLabel*>(watched);
        const bool stepLabel = label && (label->objectName() == QLatin1String("StepLbl") ||
                                         label->objectName() == QLatin1String("MessageLbl"));
        if (stepLabel && !label->text().isEmpty() && (texts.isEmpty() || texts.back() != label->text())) {
            texts << label->text();
            if (onText) onText(label->text());
        }
        if (auto* bar = qobject_cast<QProgressBar*>(watched);
            bar && bar->objectName() == QLatin1String("ProgressBar") &&
            (positions.isEmpty() || positions.back() != bar->value())) {
            positions << bar->value();
            maximum = bar->maximum();
        }
        return false;
    }
};

// The run's message store, counting its saves.
struct CountingStore final : ForwardingStore {
    using ForwardingStore::ForwardingStore;
    void FlushAll() override {
        ++saves;
        ForwardingStore::FlushAll();
    }
    int saves = 0;
};

// The collection window with its ticks given by the test alone.
TTaskGetFilesFrm& collectWindow(QWidget& window) {
    window.findChild<QTimer*>(QStringLiteral("CollectTimer"))->stop();
    return dynamic_cast<TTaskGetFilesFrm&>(window);
}

QString adding(const char* name) { return QString::fromUtf8(kGetFilesAdding) + QLatin1String(name); }

}  // namespace

class TaskDialogsTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() {
        boxes_ = {};
        clock_.Set(kNow);
        dir_ = std::make_unique<TempDir>();
        run_ = OpenSampleRun(*dir_, *host_, boxes_, clock_);
        windows_ = std::make_unique<TTaskWindowsScope>(run_->TaskServices());
    }

    void cleanup() {
        windows_.reset();
        run_.reset();
    }

    // A new task proposes the next whole minute plus five, and is refused once that
    // time has passed; without a type, nothing can be planned or configured.
    void newTaskIsAcceptedUntilItsProposedTimeHasPassed() {
        for (const bool late : {false, true}) {
            TEditTaskFrm editor(run_->TaskServices());
            editor.show();
            QCOMPARE(child<QDateEdit>(editor, "NextCallDatePicker")->date(), QDate(2005, 3, 7));
            QCOMPARE(child<QTimeEdit>(editor, "NextCallTimePicker")->time(), QTime(10, 35));
            QVERIFY(!child(editor, "PlanningGrpBx")->isEnabled());
            QVERIFY(child(editor, "ConfigBtn")->isHidden() && child(editor, "PeriodEdit")->isHidden());

            choose(editor, "TypeCmbBx", 0);
            QVERIFY(child(editor, "PlanningGrpBx")->isEnabled() && !child(editor, "ConfigBtn")->isHidden());
            QCOMPARE(child<QLabel>(editor, "DescriptionLbl")->text(), QString::fromUtf8(TTaskGetFiles().Description()));
            clock_.Set(kToday + (late ? 10 * 60 + 36 : 10 * 60 + 34) * kMinute);
            click(editor, "OkBtn");
            if (late) {
                QCOMPARE(boxes_.Warnings(), std::vector<std::string>{kNextCallInPast});
                QVERIFY(editor.isVisible());
            } else {
                QCOMPARE(editor.result(), int(QDialog::Accepted));
                QCOMPARE(FormatDateDMY(editor.Task()->NextCall) + " " + FormatTimeHMS(editor.Task()->NextCall),
                         std::string("07/03/2005 10:35:00"));
                QCOMPARE(editor.Task()->Periodicity, 0.0);
            }
            clock_.Set(kNow);
        }
    }

    void periodsShowAsLoadedAndAreBoundedByTheirUnit() {
        const struct {
            const char* name;
            double loaded;
            int unit;           // -1: left as loaded
            const char* typed;  // null: nothing typed
            const char* shown;
            const char* stored;  // null: OK refuses the number
        } cases[] = {
            {"13 minutes kept", 13 * kMinute, -1, nullptr, "13", "Toutes les 13 minutes"},
            {"hours propose 3", 0, 2, nullptr, "3", "Toutes les 3 heures"},
            {"hours end at 23", 0, 2, "40", "23", "Toutes les 23 heures"},
            {"minutes start at 1", 2.0, 1, "0", "1", "Toutes les 1 minutes"},
            {"loaded days beyond 100", 365, -1, nullptr, "365", "Tous les 365 jours"},
            {"days end at 1000", 365, -1, "2000", "1000", "Tous les 1000 jours"},
            {"not a number", 0, 3, "1x", "1x", nullptr},
        };
        for (const auto& c : cases) {
            boxes_ = {};
            TTaskMakeK7 source;
            source.NextCall = kNow + 1;
            source.Periodicity = c.loaded;
            TEditTaskFrm editor(run_->TaskServices());
            editor.SetTask(source);
            editor.show();
            if (c.unit >= 0) child<QComboBox>(editor, "PeriodUnitCmbBx")->setCurrentIndex(c.unit);
            if (c.typed) type(editor, "PeriodEdit", c.typed);
            QVERIFY2(child<QLineEdit>(editor, "PeriodEdit")->text() == QString::fromLatin1(c.shown), c.name);
            click(editor, "OkBtn");
            if (c.stored) {
                QVERIFY2(editor.result() == QDialog::Accepted, c.name);
                QVERIFY2(editor.Task()->PeriodicityString() == c.stored, c.name);
                QVERIFY2(editor.Task()->NextCall == source.NextCall, c.name);
            } else {
                QVERIFY2(boxes_.Warnings() == std::vector<std::string>{kPeriodNotANumber}, c.name);
                QVERIFY2(editor.isVisible(), c.name);
            }
        }
    }

    // The loaded task's parameters are copied and configured through the type's dialog;
    // another type starts from its own defaults.
    void editorConfiguresItsCopyAndAnotherTypeDropsTheParameters() {
        TTaskGetFiles source;
        source.NextCall = kNow + 1;
        source.InputDirectory = "/data/in";
        TEditTaskFrm editor(run_->TaskServices());
        editor.SetTask(source);
        editor.show();
        QCOMPARE(child<QComboBox>(editor, "TypeCmbBx")->currentIndex(), 0);
        auto* copy = dynamic_cast<TTaskGetFiles*>(editor.Task());
        QVERIFY(copy && copy != &source && copy->InputDirectory == "/data/in");
        onNextModal([](QWidget& parameters) {
            QCOMPARE(parameters.objectName(), QStringLiteral("TTaskGetFilesParamFrm"));
            type(parameters, "InputDirEdit", "/data/new");
            click(parameters, "OkBtn");
        });
        click(editor, "ConfigBtn");
        QCOMPARE(copy->InputDirectory, std::string("/data/new"));
        QCOMPARE(source.InputDirectory, std::string("/data/in"));

        choose(editor, "TypeCmbBx", 1);
        choose(editor, "TypeCmbBx", 0);
        copy = dynamic_cast<TTaskGetFiles*>(editor.Task());
        QVERIFY(copy && copy->InputDirectory.empty());
    }

    void taskListShowsTheStatesAndEditsTheRunsList() {
        TTasksList& tasks = run_->Tasks();
        auto collection = std::make_unique<TTaskGetFiles>();
        collection->NextCall = kToday + 11.0 / 24;
        collection->Periodicity = 1.0 / 24;
        tasks.Add(std::move(collection));
        auto missed = std::make_unique<TTaskMakeK7>();
        missed->NextCall = kNow - kMinute;
        tasks.Add(std::move(missed));
        tasks.Add(std::make_unique<TTaskMakeK7>());
        int activated = 0;
        TTaskListFrm dialog(tasks, run_->TaskServices(), [&activated] { ++activated; });
        dialog.show();
        const QString rows[][3] = {
            {"Ajout de fichiers balise", "07/03/2005 11:00:00", "Toutes les 1 heures"},
            {"Reconstruction des fichiers K7", "Annulée (Tâches non actives)", "Appel unique"},
            {"Reconstruction des fichiers K7", "Terminée", "Appel unique"},
        };
        for (int row = 0; row < 3; ++row)
            for (int column = 0; column < 3; ++column) QCOMPARE(cell(dialog, row, column), rows[row][column]);

        // Deleting asks; No keeps the task.
        selectTask(dialog, 2);
        for (const bool yes : {false, true}) {
            boxes_.answer = yes;
            click(dialog, "DeleteTaskBtn");
            QCOMPARE(tasks.Count(), size_t{yes ? 2u : 3u});
        }

        // An editor confirmed without a type adds nothing; with one, a task.
        onNextModal([](QWidget& editor) { click(editor, "OkBtn"); });
        child<QAction>(dialog, "NewTaskMnu")->trigger();
        QCOMPARE(tasks.Count(), size_t{2});
        onNextModal([](QWidget& editor) {
            choose(editor, "TypeCmbBx", 1);
            click(editor, "OkBtn");
        });
        click(dialog, "AddTaskBtn");
        QCOMPARE(tasks.Count(), size_t{3});
        QCOMPARE(cell(dialog, 2, 1), QStringLiteral("07/03/2005 10:35:00"));

        // Properties replace the task by the editor's.
        const TTask* before = tasks.At(0);
        selectTask(dialog, 0);
        onNextModal([](QWidget& editor) {
            child<QComboBox>(editor, "PeriodUnitCmbBx")->setCurrentIndex(3);
            click(editor, "OkBtn");
        });
        click(dialog, "PropertiesTaskBtn");
        QVERIFY(tasks.At(0) != before);
        QCOMPARE(cell(dialog, 0, 2), QStringLiteral("Tous les 1 jours"));

        // Cancel writes nothing; OK offers to switch the tasks on, then writes the file.
        const std::string file = run_->WorkDir() + "Tasks.inf";
        {
            TTaskListFrm cancelled(tasks, run_->TaskServices(), {});
            cancelled.show();
            click(cancelled, "CancelBtn");
        }
        QVERIFY(!std::filesystem::exists(file));
        boxes_ = {};
        boxes_.answer = true;
        click(dialog, "OkBtn");
        QCOMPARE(boxes_.shown.size(), size_t{1});
        QCOMPARE(boxes_.shown[0].text, std::string(kActivateTasksQuestion));
        QCOMPARE(activated, 1);
        TTasksList written;
        written.LoadFromFile(file);
        QCOMPARE(written.Count(), size_t{3});
    }

    // The counts themselves are the engine's (DayCountError): one refusal shows.
    void rebuildParametersRefuseWhatIsNotADayCount() {
        TTaskMakeK7 task;
        TTaskMakeK7ParamFrm dialog(boxes_);
        dialog.Load(task, kToday);
        dialog.show();
        auto* days = child<QComboBox>(dialog, "NbDayCmbBx");
        days->setCurrentText(QStringLiteral("0"));
        click(dialog, "OKBtn");
        QCOMPARE(boxes_.Warnings(), std::vector<std::string>{"Le nombre de jours doit être supérieur à zéro!"});
        QVERIFY(dialog.isVisible());

        // The picker follows the radio buttons; "from today" stores no date.
        auto* picker = child<QDateEdit>(dialog, "Date_Picker");
        QVERIFY(child<QAbstractButton>(dialog, "FromCurrentDayBtn")->isChecked() && !picker->isEnabled());
        QCOMPARE(picker->date(), QDate(2005, 3, 7));
        click(dialog, "FromSpecialDayBtn");
        QVERIFY(picker->isEnabled());
        picker->setDate(QDate(2006, 3, 10));
        dialog.Store(task);
        QVERIFY(task.FromSpecialDate && task.SpecialDate == *EncodeDateTime(2006, 3, 10));
        click(dialog, "FromCurrentDayBtn");
        QVERIFY(!picker->isEnabled());
        days->setCurrentText(QStringLiteral("7"));  // not in the list
        click(dialog, "OKBtn");
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        dialog.Store(task);
        QVERIFY(task.NbDayToBuild == 7 && !task.FromSpecialDate && task.SpecialDate == 0);

        // Closed without OK through the task's own Configure: unchanged.
        onNextModal([](QWidget& parameters) {
            child<QComboBox>(parameters, "NbDayCmbBx")->setCurrentText(QStringLiteral("9"));
            parameters.close();
        });
        task.Configure(run_->TaskServices());
        QCOMPARE(task.NbDayToBuild, 7);
    }

    void collectionParametersFollowTheKindOfFiles() {
        TTaskGetFiles task;
        task.ImportationMask = "*.DCP";
        TTaskGetFilesParamFrm dialog;
        dialog.Load(task);
        dialog.show();
        QCOMPARE(child<QComboBox>(dialog, "FilesTypeCmbBx")->currentText(), QStringLiteral("Fichiers DCP"));
        auto* mask = child<QLineEdit>(dialog, "MaskEdit");
        QVERIFY(!mask->isEnabled());
        choose(dialog, "FilesTypeCmbBx", 0);
        QCOMPARE(mask->text(), QStringLiteral("*.CNRS"));
        choose(dialog, "FilesTypeCmbBx", 4);
        QVERIFY(mask->isEnabled());
        QCOMPARE(mask->text(), QStringLiteral("*.*"));
        mask->clear();
        QTest::keyClicks(mask, QStringLiteral("a*.goes"));
        QCOMPARE(mask->text(), QStringLiteral("A*.GOES"));
        child<QAbstractButton>(dialog, "SupprAfterAddChkBx")->click();
        dialog.Store(task);
        QVERIFY(task.ImportationMask == "A*.GOES" && task.SupprAfterAdd);
    }

    // Automatic mode: a collection due within the minute runs from the main window's timer while another dialog is open, in its
    // progress window, which counts the files, saves once and closes one tick after; the
    // main window shows all beacons and the day's new messages; a tick during the run
    // starts nothing.
    void automaticModeCollectsInTheProgressWindow() {
        auto collection = std::make_unique<TTaskGetFiles>();
        collection->InputDirectory = collectionFolder();
        collection->ImportationMask = "*.CNRS";
        collection->SupprAfterAdd = true;
        collection->NextCall = kNow + 30.0 / 86400;
        TTask* task = run_->Tasks().Add(std::move(collection));
        run_->Settings().Automode = true;
        CountingStore store(run_->Store());
        TNullProgress silent;
        TTaskServices services{run_->Environment(), store, &silent, {}, {}};
        TMainFrmContext context = MainFrmContextOf(*run_);
        context.HelpOpener = {};
        context.TaskServices = &services;
        TDCP_MainFrm main(std::move(context));
        main.show();
        main.SetSelectedBeacon(0);
        main.SetDCPLocked(true);
        PaintRecorder painted;
        int countdown = 0;
        bool closedAfterOneTick = false;
        QDialog other;
        onNextModal([&](QWidget&) {
            main.OnTimer();  // not due yet
            clock_.Set(kNow + kMinute);
            onNextModal([&](QWidget& window) {
                auto& collect = collectWindow(window);
                // A tick of the main window during the run: the task is running.
                painted.onText = [&main](const QString& text) {
                    if (text == adding("b.CNRS")) main.OnTimer();
                };
                QVERIFY(QTest::qWaitForWindowExposed(&collect));
                collect.OnTimer();
                countdown = collect.CloseCountdown();
                collect.OnTimer();
                closedAfterOneTick = !collect.isVisible();
            });
            main.OnTimer();
            other.accept();
        });
        other.exec();
        run_->Settings().Automode = false;

        const QStringList expected = {QString::fromUtf8(kGetFilesPreparing), adding("a.CNRS"), adding("b.CNRS"),
                                      adding("c.CNRS"), QString::fromUtf8(kGetFilesSaving)};
        QCOMPARE(painted.texts, expected);
        QCOMPARE(painted.maximum, 4);
        QCOMPARE(painted.positions.back(), 4);
        QVERIFY(countdown == kCloseAfterImport && closedAfterOneTick);
        QCOMPARE(store.saves, 1);
        QCOMPARE(task->NextCall, 0.0);  // ran once
        QVERIFY(!main.DCPLocked() && main.SelectedBeacon() == -1 && main.SelectedBlock() == -1);
        QVERIFY(run_->Beacons().Beacons[0]->Blocks().size() > 0);
        QVERIFY(boxes_.shown.empty());
    }

    // Cancel after the first file ends the run there (what becomes of the files is the
    // collection's), and the window closes once the run has returned.
    void cancelAfterTheFirstFileKeepsWhatWasRead() {
        TTaskGetFiles task;
        task.InputDirectory = collectionFolder();
        task.ImportationMask = "*.CNRS";
        task.SupprAfterAdd = true;
        PaintRecorder painted;
        bool closed = false;
        onNextModal([&](QWidget& window) {
            painted.onText = [&window](const QString& text) {
                if (text == adding("b.CNRS")) child<QPushButton>(window, "CancelBtn")->click();
            };
            collectWindow(window).OnTimer();
            closed = !window.isVisible();
        });
        const TGetFilesResult result = task.RunNow(run_->TaskServices());
        QVERIFY(closed && result.Cancelled);
        QCOMPARE(result.ReadFiles, std::vector<std::string>{"a.CNRS"});
    }

    // No file: the message stays ten ticks.
    void nothingFoundClosesAfterTenTicks() {
        TTaskGetFiles task;
        task.InputDirectory = dir_->File("empty");
        std::filesystem::create_directories(task.InputDirectory);
        int ticksShown = 0;
        QString label;
        onNextModal([&](QWidget& window) {
            auto& collect = collectWindow(window);
            collect.OnTimer();
            label = child<QLabel>(window, "StepLbl")->text();
            while (collect.isVisible() && ticksShown < 20) {
                collect.OnTimer();
                ++ticksShown;
            }
        });
        QVERIFY(task.RunNow(run_->TaskServices()).NothingFound);
        QCOMPARE(label, QString::fromUtf8(kGetFilesNothingFound));
        QCOMPARE(ticksShown, kCloseAfterNothingFound);
    }

    // The rebuild shows its days and progress in the message window, which goes away
    // with the run.
    void rebuildShowsItsDaysInTheMessageWindow() {
        TTaskMakeK7 task;
        task.NbDayToBuild = 1;
        PaintRecorder painted;
        task.Execute(run_->TaskServices());
        const QString loading = QString::fromUtf8(kMakeK7Loading), writing = QString::fromUtf8(kMakeK7Writing);
        QCOMPARE(painted.texts, (QStringList{loading + "07/03/2005", loading + "06/03/2005", loading + "05/03/2005",
                                             writing + "06/03/2005"}));
        QCOMPARE(painted.positions, (QList<int>{0, 25, 50, 100}));
        QVERIFY(!task.LastRun.Failed);
        const QWidgetList windows = QApplication::topLevelWidgets();
        QVERIFY(std::none_of(windows.begin(), windows.end(), [](QWidget* w) { return w->isVisible(); }));
    }

private:
    // Three files of the mask and one of another kind.
    [[nodiscard]] std::string collectionFolder() const {
        const std::string folder = dir_->File("in");
        std::filesystem::create_directories(folder);
        const std::string sample = SKYLOG_SOURCE_DIR "/sample/input/20050307_1.CNRS";
        for (const char* name : {"a.CNRS", "b.CNRS", "c.CNRS"}) std::filesystem::copy_file(sample, folder + "/" + name);
        std::filesystem::copy_file(SKYLOG_SOURCE_DIR "/sample/input/20050307_1.NASA", folder + "/notes.NASA");
        return folder;
    }

    std::unique_ptr<TempDir> dir_;
    RecordingMessageBoxes boxes_;
    TFixedClock clock_{kNow};
    const std::unique_ptr<HostDataSet> host_ = LoadHostData(SKYLOG_SOURCE_DIR "/sample/host");
    std::unique_ptr<TSkylog> run_;
    std::unique_ptr<TTaskWindowsScope> windows_;
};

QTEST_MAIN(TaskDialogsTest)
#include "task_dialogs_test.moc"
