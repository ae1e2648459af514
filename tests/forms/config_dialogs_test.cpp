// The configuration dialogs driven by their controls' names: the general settings, the
// managers and their editor (with the select-only mode), the beacons and their
// associations; the main window's commands that open them; and a configuration made
// through the dialogs found in the files and read back.

#include <QAbstractButton>
#include <QComboBox>
#include <QLineEdit>
#include <QPointer>
#include <QTreeWidget>
#include <QtTest>
#include <filesystem>
#include <functional>

#include "Common/Settings.h"
#include "Common/UUtils.h"
#include "dcp/UDCPList.h"
#include "forms/DCPConfDlg.h"
#include "forms/DCP_ConfigDlg.h"
#include "forms/DCP_MainDlg.h"
#include "forms/EditManagersDlg.h"
#include "import/UDecodFile.h"
#include "managers/UManagers.h"
#include "tests/forms/DialogTestSupport.h"

using namespace skylog;
using namespace skylog::forms;

namespace {

const TDateTime kToday = *EncodeDateTime(2005, 3, 7);
const char* const kComma = "Il n'est pas possible d'utiliser le caractère virgule (',') dans les champs!";

using skylog::test::child;
using skylog::test::click;
using skylog::test::onNextModal;

// Sets a box's text without leaving it.
void type(QWidget& window, const char* box, const char* text) {
    child<QLineEdit>(window, box)->setText(QString::fromUtf8(text));
}

QString text(QWidget& window, const char* box) { return child<QLineEdit>(window, box)->text(); }

int rows(QWidget& window, const char* list) { return child<QTreeWidget>(window, list)->topLevelItemCount(); }

void selectRow(QWidget& window, const char* list, int row) {
    auto* tree = child<QTreeWidget>(window, list);
    tree->setCurrentItem(tree->topLevelItem(row));
}

// The select-only managers dialog of the beacon dialog (no additions, OK once a row is
// chosen): chooses a row and confirms.
void chooseManager(QWidget& beaconDialog, int row) {
    onNextModal([row](QWidget& select) {
        QVERIFY(!child(select, "AddBtn")->isVisible() && !child(select, "OkBtn")->isEnabled());
        selectRow(select, "ManagersLstView", row);
        click(select, "OkBtn");
    });
    click(beaconDialog, "AddManagerBtn");
}

}  // namespace

class ConfigDialogsTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() {
        boxes_ = {};
        dir_ = std::make_unique<test::TempDir>();
        openRun();
    }

    void cleanup() {
        closeRun();
    }

    // ---- General configuration ------------------------------------------------------

    void generalDialogTakesTheFormOnlyWhenTheIntervalReads() {
        int saved = 0;
        TDCP_ConfigFrm dialog(run_->Settings(), boxes_, [&saved] { ++saved; });
        dialog.show();

        // The limits and their four labels follow "Décoder les dates improbables".
        for (const bool improbable : {true, false}) {
            child<QAbstractButton>(dialog, "ImprobableDateChkBx")->click();
            QCOMPARE(child<QAbstractButton>(dialog, "ImprobableDateChkBx")->isChecked(), improbable);
            for (const char* name : {"PasseLimitEdit", "FuturLimitEdit", "PasseLimitLbl", "PasseUnitLbl",
                                     "FuturLimitLbl", "FuturUnitLbl"})
                QVERIFY2(child(dialog, name)->isEnabled() == !improbable, name);
        }

        // A letter in the interval: the message, the dialog stays, nothing is taken.
        child<QAbstractButton>(dialog, "DecodBadTimeScnChkBx")->click();
        child<QComboBox>(dialog, "DCPFileDateTypeCmbBx")->setCurrentIndex(1);
        type(dialog, "DefaultIntervallEdit", "4S");
        click(dialog, "OkBtn");
        QCOMPARE(boxes_.Warnings(), std::vector<std::string>{"L'intervalle d'émission doit être un chiffre entier!"});
        QVERIFY(dialog.isVisible());
        QVERIFY(!run_->Settings().DecodBadTime && run_->Settings().DCPDateNew && saved == 0);

        type(dialog, "DefaultIntervallEdit", "45");
        click(dialog, "OkBtn");
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QVERIFY(run_->Settings().DecodBadTime && !run_->Settings().DCPDateNew);
        QCOMPARE(run_->Settings().TransInterval, 45);
        QCOMPARE(saved, 1);

        TDCP_ConfigFrm again(run_->Settings(), boxes_, {});
        QCOMPARE(child<QComboBox>(again, "DCPFileDateTypeCmbBx")->currentText(), QStringLiteral("Format mm/dd/yy"));
    }

    // A new working directory takes the messages and K7 files at once; the lists keep
    // their files, and are not written where they did not change.
    void newWorkingDirectoryTakesEffectAsTheRunGoes() {
        namespace fs = std::filesystem;
        fs::create_directories(dir_->File("new"));
        TDCP_ConfigFrm dialog(run_->Settings(), boxes_, {});
        type(dialog, "DirEdit", dir_->File("new").c_str());
        click(dialog, "OkBtn");
        QCOMPARE(run_->Settings().WorkDir, dir_->File("new/"));

        fs::copy_file(SKYLOG_SOURCE_DIR "/sample/input/20050307_1.CNRS", dir_->File("20050307_1.CNRS"));
        QCOMPARE(run_->Reader().ReadFile(dir_->File("20050307_1.CNRS")), 0);
        run_->Beacons().FlushAll();
        run_->Beacons().ClearAll();
        QVERIFY(fs::is_directory(dir_->File("new/DataDCP")) && fs::is_directory(dir_->File("new/DataK7")));
        QVERIFY(!fs::exists(dir_->File("work/DataDCP")) && !fs::exists(dir_->File("work/DataK7")));
        fs::remove(dir_->File("work/DcpList.inf"));
        closeRun();
        QVERIFY(!fs::exists(dir_->File("new/Tasks.inf")) && !fs::exists(dir_->File("new/DcpList.inf")));
        QVERIFY(!fs::exists(dir_->File("work/DcpList.inf")));
    }

    // ---- Managers -------------------------------------------------------------------

    void managersDialogActsAtOnceAndWritesOnlyOnOk() {
        TManagerList& managers = run_->Managers();
        const std::string file = test::ReadText(managers.FileName);
        TEditManagersFrm dialog(managers, boxes_);
        dialog.show();
        QCOMPARE(rows(dialog, "ManagersLstView"), 4);
        QVERIFY(!child(dialog, "EditBtn")->isEnabled());

        // A comma is refused and the editor stays open; then a manager is added.
        onNextModal([](QWidget& editor) {
            type(editor, "NameEdit", "Dupont, Jean");
            click(editor, "OkBtn");
            QVERIFY(editor.isVisible());
            type(editor, "NameEdit", "Martin");
            type(editor, "ForNameEdit", "Paul");
            type(editor, "MailEdit", "paul.martin@example.org");
            click(editor, "OkBtn");
        });
        click(dialog, "AddBtn");
        QCOMPARE(boxes_.Warnings(), std::vector<std::string>{kComma});
        QCOMPARE(rows(dialog, "ManagersLstView"), 5);
        QCOMPARE(managers.Managers.back()->AsLine(), "5,Martin,Paul,paul.martin@example.org");

        // Deleting asks first.
        boxes_.shown.clear();
        boxes_.answer = true;
        selectRow(dialog, "ManagersLstView", 1);
        click(dialog, "DeleteBtn");
        QCOMPARE(boxes_.shown.size(), size_t{1});
        QCOMPARE(rows(dialog, "ManagersLstView"), 4);

        // Cancelled: the file is as it was, the list keeps the changes until the run ends.
        click(dialog, "CancelBtn");
        QCOMPARE(test::ReadText(managers.FileName), file);
        QCOMPARE(managers.Count(), size_t{4});

        TEditManagersFrm confirmed(managers, boxes_);
        click(confirmed, "OkBtn");
        QCOMPARE(test::ReadText(managers.FileName), managers.ToBytes());
    }

    // ---- Beacons --------------------------------------------------------------------

    // The name reaches the beacon when another one is chosen or on OK; closed
    // without OK, the old name stays and the associations added stay too.
    void renamingReachesTheBeaconOnlyWhenLeftOrConfirmed() {
        TDCP& sede = *run_->Beacons().Beacons[0];
        {
            auto owned = beaconDialog();
            TDCPConfFrm& dialog = *owned;
            auto* choice = child<QComboBox>(dialog, "DCPChoiceCmbBx");
            type(dialog, "DCPNameEdit", "Sde Boker");
            QCOMPARE(choice->itemText(0), QStringLiteral("Sde Boker"));
            QCOMPARE(sede.Name, "Sede");
            type(dialog, "AssInsNumEdit", "300");
            click(dialog, "AddAssBtn");
            dialog.reject();
        }
        QCOMPARE(sede.Name, "Sede");
        QCOMPARE(sede.AssoList.size(), size_t{2});

        auto owned = beaconDialog();
        TDCPConfFrm& dialog = *owned;
        auto* choice = child<QComboBox>(dialog, "DCPChoiceCmbBx");
        type(dialog, "DCPNameEdit", "Avignon");  // another beacon's name
        choice->setCurrentIndex(2);
        QCOMPARE(boxes_.Warnings(), std::vector<std::string>{"Une balise nommée \"Avignon\" existe déjà!"});
        QCOMPARE(dialog.CurrentBeacon(), 0);
        type(dialog, "DCPNameEdit", "Sde Boker");
        choice->setCurrentIndex(2);
        QCOMPARE(sede.Name, "Sde Boker");
    }

    // A refused association changes nothing; managers picked with the small button
    // belong to the association only once it is added or modified.
    void associationsAndTheirManagers() {
        auto owned = beaconDialog();
        TDCPConfFrm& dialog = *owned;
        TDCPAsso& asso = *run_->Beacons().Beacons[0]->AssoList[0];
        type(dialog, "AssInsNumEdit", "12");
        type(dialog, "AssPosnameEdit", "Avignon, Vaucluse");
        click(dialog, "AddAssBtn");
        QCOMPARE(boxes_.Warnings(), std::vector<std::string>{
                                        "Il n'est pas possible d'utiliser le caractère virgule (',') dans la localité!"});
        QCOMPARE(rows(dialog, "AssoLstView"), 1);

        selectRow(dialog, "AssoLstView", 0);
        QCOMPARE(text(dialog, "ManagersEdit"), QStringLiteral("Jean Dupont, Hélène Lefèvre"));
        QVERIFY(child(dialog, "ModifAssBtn")->isEnabled());
        click(dialog, "EraseManagersBtn");
        chooseManager(dialog, 3);
        QCOMPARE(text(dialog, "ManagersEdit"), QStringLiteral("Loïc Moreau"));
        QCOMPARE(asso.Managers.IdsText(), "1|2");
        click(dialog, "ModifAssBtn");
        QCOMPARE(asso.Managers.IdsText(), "4");
        QCOMPARE(dialog.SelectedAssociation(), -1);
        QVERIFY(!child(dialog, "ModifAssBtn")->isEnabled());
    }

    void deletingABeaconAsksFirst() {
        auto owned = beaconDialog();
        TDCPConfFrm& dialog = *owned;
        dialog.SelectBeacon(1);
        for (const bool yes : {false, true}) {
            boxes_.answer = yes;
            click(dialog, "SupprDCPBtn");
        }
        QCOMPARE(boxes_.shown.size(), size_t{2});
        QCOMPARE(run_->Beacons().Count(), size_t{4});
        QCOMPARE(child<QComboBox>(dialog, "DCPChoiceCmbBx")->count(), 4);
    }

    // ---- From the main window -------------------------------------------------------

    void mainWindowCommandsOpenTheDialogsModally() {
        TMainFrmContext context = MainFrmContextOf(*run_);
        context.HelpOpener = {};
        TDCP_MainFrm window(std::move(context));
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        auto* beacons = child<QAbstractItemView>(window, "DCPListView");
        const struct {
            std::function<void()> command;
            const char* dialog;
            int beacon;  // shown by the beacon dialog
        } cases[] = {
            {[&] { click(window, "ManagersBtn"); }, "TEditManagersFrm", -1},
            {[&] { window.findChild<QAction*>(QStringLiteral("ResponsablesMnu"))->trigger(); }, "TEditManagersFrm", -1},
            {[&] { click(window, "DCPBtn"); }, "TDCPConfFrm", 0},
            {[&] { click(window, "ConfigurationBtn"); }, "TDCP_ConfigFrm", -1},
            {[&] { window.findChild<QAction*>(QStringLiteral("PlanificationMnu"))->trigger(); }, "TTaskListFrm", -1},
            {[&] {
                 const QRect row = beacons->visualRect(beacons->model()->index(2, 0));
                 QTest::mouseClick(beacons->viewport(), Qt::LeftButton, {}, row.center());
                 QTest::mouseDClick(beacons->viewport(), Qt::LeftButton, {}, row.center());
             },
             "TDCPConfFrm", 2},
        };
        for (const auto& c : cases) {
            QPointer<QWidget> opened;
            QString name;
            int shownBeacon = -1;
            onNextModal([&](QWidget& dialog) {
                opened = &dialog;
                name = dialog.objectName();
                if (auto* beaconDialog = qobject_cast<TDCPConfFrm*>(&dialog)) shownBeacon = beaconDialog->CurrentBeacon();
                dialog.close();
            });
            c.command();
            QCOMPARE(name, QString::fromLatin1(c.dialog));
            QCoreApplication::processEvents();
            QVERIFY2(opened.isNull(), c.dialog);  // destroyed once closed
            QCOMPARE(shownBeacon, c.beacon);
        }
        QVERIFY(boxes_.shown.empty());  // no "not yet" box
    }

    // ---- Round trip -----------------------------------------------------------------

    void configurationMadeThroughTheDialogsIsFoundInTheFiles() {
        closeRun();
        std::filesystem::remove(dir_->File("work/DcpList.inf"));
        openRun();
        run_->Settings().TransInterval = 45;
        {
            auto owned = beaconDialog();
            TDCPConfFrm& dialog = *owned;
            QVERIFY(!child(dialog, "DCPDetailsPanel")->isVisible() && !child(dialog, "SupprDCPBtn")->isEnabled());
            click(dialog, "NewDCPBtn");
            QVERIFY(child(dialog, "DCPDetailsPanel")->isVisible() && child(dialog, "SupprDCPBtn")->isEnabled());
            QCOMPARE(text(dialog, "DCPNameEdit") + text(dialog, "DCPIntervalTimeEdit"), QStringLiteral("Nouvelle DCP45"));
            type(dialog, "DCPNameEdit", "Avignon");
            type(dialog, "DCPIDEdit", "960CD1B6");
            type(dialog, "DCPBaseTransmitTimeEdit", "29:0");
            type(dialog, "DCPIntervalTimeEdit", "30");
            const struct {
                const char *from, *fromTime, *to, *toTime, *instrument;
                std::vector<int> managers;
            } associations[] = {{"07/12/2004", "00:00", "07/03/2005", "23:59:59", "235", {0}},
                                {"8/3/2005", "", "06/06/2005", "23:59:59", "252", {1, 0}}};
            for (const auto& a : associations) {
                type(dialog, "AssStartDateEdit", a.from);
                type(dialog, "AssStartTimeEdit", a.fromTime);
                type(dialog, "AssEndDateEdit", a.to);
                type(dialog, "AssEndTimeEdit", a.toTime);
                type(dialog, "AssInsNumEdit", a.instrument);
                type(dialog, "AssPosnameEdit", "Avignon");
                click(dialog, "EraseManagersBtn");
                for (const int row : a.managers) chooseManager(dialog, row);
                click(dialog, "AddAssBtn");
            }
            click(dialog, "OkBtn");
        }
        QVERIFY(boxes_.shown.empty());
        const std::string dcpList = test::ReadText(dir_->File("work/DcpList.inf"));
        QCOMPARE(dcpList,
                 std::string("[General]\r\nNbDCP=1\r\n\r\n[DCP0]\r\nName=Avignon\r\nNumber=960CD1B6\r\nBaseTime=1740\r\n"
                             "Interval=30\r\nNbAss=2\r\n"
                             "Asso0=07/12/2004,00:00:00,07/03/2005,23:59:59,235,Avignon,1\r\n"
                             "Asso1=08/03/2005,00:00:00,06/06/2005,23:59:59,252,Avignon,2|1\r\n"));

        // Read back by the next run, shown as typed and written again the same.
        closeRun();
        openRun();
        QCOMPARE(text(*beaconDialog(), "DCPBaseTransmitTimeEdit"), QStringLiteral("29:0"));
        closeRun();
        QCOMPARE(test::ReadText(dir_->File("work/DcpList.inf")), dcpList);
    }

private:
    void openRun() { run_ = test::OpenSampleRun(*dir_, *host_, boxes_, clock_); }
    // The end of a run: its lists and settings written.
    void closeRun() {
        if (run_) (void)run_->Save();
        run_.reset();
    }

    // Opened on the first beacon, as the main window opens it.
    [[nodiscard]] std::unique_ptr<TDCPConfFrm> beaconDialog() {
        auto dialog =
            std::make_unique<TDCPConfFrm>(run_->Beacons(), run_->Managers(), boxes_, run_->Settings().WorkDir, kToday);
        dialog->show();
        return dialog;
    }

    std::unique_ptr<test::TempDir> dir_;
    RecordingMessageBoxes boxes_;
    const TFixedClock clock_{kToday + 0.5};
    const std::unique_ptr<HostDataSet> host_ = LoadHostData(SKYLOG_SOURCE_DIR "/sample/host");
    std::unique_ptr<TSkylog> run_;
};

QTEST_MAIN(ConfigDialogsTest)
#include "config_dialogs_test.moc"
