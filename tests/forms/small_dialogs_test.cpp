// The report window's close timer, the message window as a task's progress, the about
// box's version line and the help launcher's warnings.

#include <QApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QtTest>

#include "Common/MessageBoxes.h"
#include "forms/AboutDlg.h"
#include "forms/SimpleMemoDlg.h"
#include "forms/SimpleMessageDlg.h"
#include "forms/UHTMLHelp.h"
#include "tests/support/TempDir.h"

using namespace skylog;
using namespace skylog::forms;

class SmallDialogsTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void reportWindowClosesAtTheSixtiethTickOnlyWithItsTimerOn() {
        for (const bool timerOn : {true, false}) {
            TSimpleMemoFrm memo;
            memo.SetLines({"Ligne 1, E=2, premier", "Ligne 4, E=3, second"});
            QCOMPARE(memo.findChild<QPlainTextEdit*>(QStringLiteral("Memo"))->toPlainText(),
                     QStringLiteral("Ligne 1, E=2, premier\nLigne 4, E=3, second"));
            memo.SetCloseTimer(timerOn);
            memo.show();
            if (timerOn) {
                for (int tick = 1; tick < TSimpleMemoFrm::kCloseTicks; ++tick) memo.OnCloseTimer();
                QVERIFY(memo.isVisible());
                memo.OnCloseTimer();
                QVERIFY(!memo.isVisible());
                QCOMPARE(memo.result(), int(QDialog::Accepted));
            } else {
                QVERIFY(memo.isVisible());
                QTest::mouseClick(memo.findChild<QWidget*>(QStringLiteral("OkBtn")), Qt::LeftButton);
                QVERIFY(!memo.isVisible());
            }
        }
    }

    // What a task shows in it is followed by the task tests.
    void messageWindowHidesItsBarOnRequest() {
        TSimpleMessageFrm window;
        window.show();
        auto* bar = window.findChild<QProgressBar*>(QStringLiteral("ProgressBar"));
        QVERIFY(bar->isVisible());
        window.setProperty("IsProgressBar", false);
        QVERIFY(!bar->isVisible());
        QVERIFY(!(window.windowFlags() & Qt::WindowCloseButtonHint));
    }

    void aboutBoxTellsTheHostVersion() {
        const std::pair<std::string, std::string> cases[] = {{"1.2.3.4", "Build 1.2.3.4"}, {"", "Build "}};
        for (const auto& [version, shown] : cases) {
            RecordingMessageBoxes boxes;
            TAboutBox box(version, boxes);
            box.show();
            QTest::mouseClick(box.findChild<QLabel*>(QStringLiteral("Version")), Qt::LeftButton);
            QCOMPARE(boxes.shown.size(), size_t{1});
            QCOMPARE(boxes.shown[0].kind, RecordingMessageBoxes::Shown::kInformation);
            QCOMPARE(boxes.shown[0].text, shown);
        }
    }

    void helpWarnsAsItsConditionsSay() {
        test::TempDir dir;
        const std::string manual = dir.File("index.html");
        test::WriteText(manual, "<html></html>");
        const std::string missing = dir.File("nowhere/index.html");
        struct Case {
            const char* name;
            std::string file;
            bool hasOpener, opens;
            bool result;
            std::string warning;  // empty: none
            bool opened;
        } cases[] = {
            {"no way to open", manual, false, false, false, kNoHelpSystemWarning, false},
            {"file missing", missing, true, true, true, "Le fichier d'aide " + missing + " n'existe pas!", false},
            {"opened", manual, true, true, true, "", true},
            {"opening failed", manual, true, false, false, kNoHelpSystemWarning, true},
        };
        for (const Case& c : cases) {
            RecordingMessageBoxes boxes;
            std::string opened;
            THTMLHelp::Opener opener;
            if (c.hasOpener)
                opener = [&](const std::string& path) {
                    opened = path;
                    return c.opens;
                };
            const THTMLHelp help(c.file, opener, boxes);
            QVERIFY2(help.ShowHelp() == c.result, c.name);
            QVERIFY2(boxes.Warnings() == (c.warning.empty() ? std::vector<std::string>{}
                                                            : std::vector<std::string>{c.warning}),
                     c.name);
            QVERIFY2(opened == (c.opened ? c.file : std::string()), c.name);
        }
    }
};

QTEST_MAIN(SmallDialogsTest)
#include "small_dialogs_test.moc"
