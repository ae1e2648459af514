// The main window on the sample data, driven by its controls' names: adding files
// with their reports and warnings, the date fields, selections and the details, the
// single-beacon view with the days before.

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QTextBlock>
#include <QTextEdit>
#include <QTimer>
#include <QToolButton>
#include <QtTest>
#include <filesystem>
#include <vector>

#include "dcp/UDCPList.h"
#include "forms/DCP_MainDlg.h"
#include "forms/MainViewModel.h"
#include "forms/ScnInfoDlg.h"
#include "forms/ViewBodyDlg.h"
#include "import/UDecodFile.h"
#include "k7/UEvenement.h"
#include "tests/forms/DialogTestSupport.h"

using namespace skylog;
using namespace skylog::forms;

namespace {

const TDateTime kSampleDay = *EncodeDateTime(2005, 3, 7);

using test::child;

QString cell(QAbstractItemView* view, int row, int column) {
    return view->model()->index(row, column).data().toString();
}

void selectRow(QAbstractItemView* view, int row) {
    view->selectionModel()->select(view->model()->index(row, 0),
                                   QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

// The run's store, counting the files read before each save and keeping what the status
// bar said at the last one; while `pretend`, files are counted but not read.
struct CountingStore final : test::ForwardingStore {
    using ForwardingStore::ForwardingStore;
    int32_t ReadFile(const std::string& path) override {
        ++reads;
        if (status != nullptr) lastStatus = status->text();
        return pretend ? 0 : ForwardingStore::ReadFile(path);
    }
    void FlushAll() override {
        savedAfter.push_back(reads);
        ForwardingStore::FlushAll();
    }
    int64_t MessagesOfLastFile() const override { return pretend ? 0 : ForwardingStore::MessagesOfLastFile(); }
    QLabel* status = nullptr;
    QString lastStatus;
    bool pretend = false;
    int reads = 0;
    std::vector<int> savedAfter;
};

}  // namespace

class MainWindowTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() {
        host_ = LoadHostData(SKYLOG_SOURCE_DIR "/sample/host");
        std::filesystem::copy(SKYLOG_SOURCE_DIR "/sample/input", dir_.File("input"),
                              std::filesystem::copy_options::recursive);
        test::WriteText(dir_.File("input/notes.txt"), "not a message file");
        run_ = test::OpenSampleRun(dir_, *host_, boxes_, clock_);
        store_ = std::make_unique<CountingStore>(run_->Store());
        TMainFrmContext context = MainFrmContextOf(*run_);
        context.Store = store_.get();
        context.HelpOpener = {};
        context.ChooseFiles = [this](QWidget*, const QString&) { return chosen_; };
        window_ = std::make_unique<TDCP_MainFrm>(std::move(context));
        window_->show();
    }

    void opensOnTodayWithEveryBeaconAndNoMessage() {
        auto* beacons = child<QAbstractItemView>(*window_, "DCPListView");
        QCOMPARE(beacons->model()->rowCount(), 5);
        QCOMPARE(cell(beacons, 0, 1), QStringLiteral("0"));
        QCOMPARE(child<QLineEdit>(*window_, "DayEdit")->text(), QStringLiteral("7"));
        QCOMPARE(child<QAbstractItemView>(*window_, "BlocListView")->model()->rowCount(), 0);
        QVERIFY(!child<QPushButton>(*window_, "SelectDCPBtn")->isEnabled());
    }

    // The unknown file is warned and skipped, every file with reader errors shows its
    // report (which closes itself), and the day is shown again at the end.
    void addingFilesReadsThemAllAndShowsTheDay() {
        chosen_.clear();
        for (const char* name : {"20050307_1.CNRS", "notes.txt", "20050307_1.NASA", "20050307_1.DCP",
                                 "20050307_1.BRU", "20050307_1.GOES"})
            chosen_.append(QString::fromStdString(dir_.File("input/") + name));
        QStringList reports;
        QTimer closer;
        connect(&closer, &QTimer::timeout, [&] {
            for (QWidget* widget : QApplication::topLevelWidgets())
                if (widget->objectName() == QLatin1String("TSimpleMemoFrm") && widget->isVisible()) {
                    reports.append(widget->windowTitle());
                    widget->close();
                }
        });
        closer.start(10);
        QTest::mouseClick(child<QToolButton>(*window_, "AjouterBtn"), Qt::LeftButton);
        closer.stop();

        QCOMPARE(boxes_.Warnings(),
                 std::vector<std::string>{"Le format du fichier " + dir_.File("input/notes.txt") + " est inconnu!"});
        boxes_.shown.clear();
        QVERIFY(!reports.isEmpty());
        QVERIFY(reports.count(QStringLiteral("Rapport des erreurs de premier niveau")) == reports.size());
        QCOMPARE(run_->Settings().LUImpDir + "/", dir_.File("input/"));
        QVERIFY(child<QLabel>(*window_, "StatusText")->text().isEmpty());
        auto* beacons = child<QAbstractItemView>(*window_, "DCPListView");
        int messages = 0;
        for (int row = 0; row < beacons->model()->rowCount(); ++row) messages += cell(beacons, row, 1).toInt();
        QVERIFY(messages > 0);
    }

    // A file that cannot be read stops the addition with the general warning; the
    // files after it are not read.
    void aFailureWhileAddingStopsWithTheGeneralWarning() {
        std::filesystem::create_directories(dir_.File("input/folder.CNRS"));
        window_->AddFiles({QString::fromStdString(dir_.File("input/folder.CNRS")),
                           QString::fromStdString(dir_.File("input/notes.txt"))});
        QCOMPARE(boxes_.Warnings(), std::vector<std::string>{kUnexpectedImportError});
        boxes_.shown.clear();
        QVERIFY(child<QLabel>(*window_, "StatusText")->text().isEmpty());
    }

    // 120 files dropped on the window (chosen ones take the same way): saved after the
    // 50th, the 100th and the last.
    void addingManyFilesSavesEveryFiftyFiles() {
        std::filesystem::create_directories(dir_.File("many"));
        QList<QUrl> urls;
        for (int k = 1; k <= 120; ++k) {
            urls.append(QUrl::fromLocalFile(QString::fromStdString(dir_.File("many/" + std::to_string(k) + ".CNRS"))));
            test::WriteText(urls.back().toLocalFile().toStdString(), "");
        }
        store_->status = child<QLabel>(*window_, "StatusText");
        store_->pretend = true;
        store_->reads = 0;
        store_->savedAfter.clear();
        run_->Reader().Errors.clear();  // no report window for files not read
        QMimeData data;
        data.setUrls(urls);
        QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        static_cast<QObject*>(window_.get())->event(&drop);  // what ends a drag from the file manager
        QTRY_COMPARE(store_->reads, 120);
        store_->pretend = false;
        QCOMPARE(store_->savedAfter, (std::vector<int>{50, 100, 120}));
        QCOMPARE(store_->lastStatus, QStringLiteral("Ajout du fichier %1 (120/120)").arg(urls.back().toLocalFile()));
        QVERIFY(boxes_.Warnings().empty());
    }

    void dateFieldsShowTheDayTypedOrWarn() {
        auto* day = child<QLineEdit>(*window_, "DayEdit");
        auto* month = child<QLineEdit>(*window_, "MonthEdit");
        auto* year = child<QLineEdit>(*window_, "YearEdit");
        const struct {
            const char *d, *m, *y;
            TDateTime expected;
            bool warned;
        } cases[] = {
            {"5", "3", "7", *EncodeDateTime(2007, 3, 5), false},
            {"31", "2", "2006", *EncodeDateTime(2007, 3, 5), true},
            {"7", "3", "05", kSampleDay, false},
        };
        for (const auto& c : cases) {
            day->setText(QString::fromLatin1(c.d));
            month->setText(QString::fromLatin1(c.m));
            year->setText(QString::fromLatin1(c.y));
            QTest::keyClick(year, Qt::Key_Return);
            QCOMPARE(window_->CurrentDate(), c.expected);
            QCOMPARE(boxes_.Warnings(), c.warned ? std::vector<std::string>{"Date invalide"} : std::vector<std::string>{});
            boxes_.shown.clear();
            const DateParts parts = DecodeDate(c.expected);
            QCOMPARE(year->text(), QString::number(parts.year));
        }
    }

    void choosingABeaconThenABlockFillsTheDetails() {
        auto* beacons = child<QAbstractItemView>(*window_, "DCPListView");
        auto* blocks = child<QAbstractItemView>(*window_, "BlocListView");
        selectRow(beacons, 0);
        QCOMPARE(window_->SelectedBeacon(), 0);
        QCOMPARE(blocks->model()->rowCount(), cell(beacons, 0, 1).toInt());
        QVERIFY(child<QPushButton>(*window_, "SelectDCPBtn")->isEnabled());
        QVERIFY(!child<QWidget>(*window_, "ParamsGrp")->isVisible());
        selectRow(blocks, 0);
        const TDCPDataBloc& block = *run_->Beacons().Beacons[0]->Blocks()[0];
        QCOMPARE(child<QLineEdit>(*window_, "HeaderEdit")->text(), QString::fromStdString(block.Header));
        QVERIFY(child<QWidget>(*window_, "ParamsGrp")->isVisible());
        QCOMPARE(child<QWidget>(*window_, "ErrorPnl")->isVisible(), !block.Errors.empty());
        QCOMPARE(child<QAbstractItemView>(*window_, "DecodedListView")->model()->rowCount(),
                 static_cast<int>(block.Events.size()));

        // Clicking the pair of parameters shown switches to the other one.
        const bool latLon = window_->ParamAsLatLon();
        QTest::mouseClick(child<QWidget>(*window_, latLon ? "LatLonPnl" : "CountryPnl"), Qt::LeftButton);
        QCOMPARE(window_->ParamAsLatLon(), !latLon);
        QVERIFY(child<QWidget>(*window_, latLon ? "CountryPnl" : "LatLonPnl")->isVisible());

        beacons->selectionModel()->clearSelection();
        QCOMPARE(window_->SelectedBeacon(), -1);
        QCOMPARE(blocks->model()->rowCount(), 0);
        QCOMPARE(child<QLineEdit>(*window_, "HeaderEdit")->text(), QStringLiteral("Selectionnez un bloc transmis..."));
        QVERIFY(!child<QPushButton>(*window_, "SelectDCPBtn")->isEnabled());
    }

    // "Voir corps" shows the selected block's body; a double-click on a decoded entry
    // opens the scenario window, which then follows the entry chosen.
    void viewersOpenOnTheSelectedBlockAndEntry() {
        const TDCPList& list = run_->Beacons();
        int beacon = 0, block = 0;
        while (list.Beacons[beacon]->Blocks().size() <= static_cast<size_t>(block) ||
               list.Beacons[beacon]->Blocks()[block]->Events.size() < 2)
            if (++block >= 200) block = 0, ++beacon;
        const TDCPDataBloc& shown = *list.Beacons[beacon]->Blocks()[block];
        selectRow(child<QAbstractItemView>(*window_, "DCPListView"), beacon);
        selectRow(child<QAbstractItemView>(*window_, "BlocListView"), block);
        QString firstRow;
        test::onNextModal([&](QWidget& viewer) {
            QCOMPARE(viewer.objectName(), QStringLiteral("TViewBodyFrm"));
            firstRow = child<QTextEdit>(viewer, "HexBodyMemo")->document()->firstBlock().text();
            viewer.close();
        });
        test::click(*window_, "VoirCorpsBtn");
        const QByteArray head(reinterpret_cast<const char*>(shown.Body.data()), 16);
        QCOMPARE(firstRow, QString::fromLatin1(head.toHex(' ').toUpper() + ' '));

        auto* decoded = child<QAbstractItemView>(*window_, "DecodedListView");
        QVERIFY(window_->ScnInfo() == nullptr);
        const QPoint first = decoded->visualRect(decoded->model()->index(0, 0)).center();
        QTest::mouseClick(decoded->viewport(), Qt::LeftButton, {}, first);  // a double-click starts with a press
        QVERIFY(window_->ScnInfo() == nullptr);
        QTest::mouseDClick(decoded->viewport(), Qt::LeftButton, {}, first);
        QVERIFY(window_->ScnInfo() != nullptr && window_->ScnInfo()->isVisible());
        QCOMPARE(window_->ScnInfo()->Evt(), shown.Events[0]);
        decoded->setCurrentIndex(decoded->model()->index(1, 0));
        QCOMPARE(window_->ScnInfo()->Evt(), shown.Events[1]);

        // With that entry chosen, the viewer opens on its scenario, and the scenario
        // window stays usable while the viewer is open.
        // The scenario highlighted starts at its marker (a character of 17 to 63); the
        // element line clicked highlights characters inside it instead.
        int chosen = -1;
        std::vector<TBodyRange> scenario, element;
        const std::vector<uint8_t> body = shown.Body;
        test::onNextModal([&](QWidget& shownViewer) {
            auto& viewer = static_cast<TViewBodyFrm&>(shownViewer);
            chosen = child<QComboBox>(viewer, "ScenarioCmbBx")->currentIndex();
            scenario = viewer.Highlighted();
            auto* lines = child<QAbstractItemView>(*window_->ScnInfo(), "MesListView");
            // Through the window system, which drops the input of a window a modal one blocks.
            const QPoint at = lines->viewport()->mapTo(window_->ScnInfo(), lines->visualRect(lines->model()->index(1, 0)).center());
            QTest::mouseClick(window_->ScnInfo()->windowHandle(), Qt::LeftButton, {}, at);
            element = viewer.Highlighted();
            // A task's refresh meanwhile frees the blocks and events: both windows show
            // what they copied.
            window_->RefreshDay();
            auto* hex = child<QTextEdit>(viewer, "HexBodyMemo");
            hex->moveCursor(QTextCursor::End);
            (void)viewer.grab();
            (void)window_->ScnInfo()->grab();
            viewer.close();
        });
        test::click(*window_, "VoirCorpsBtn");
        QCOMPARE(chosen, 2);
        QCOMPARE(scenario.size(), size_t{1});
        QVERIFY(body[scenario[0].First] >= 17 && body[scenario[0].First] <= 63);
        QVERIFY(!element.empty() && element != scenario);
        for (const TBodyRange& range : element)
            QVERIFY(range.First > scenario[0].First && range.First + range.Count <= scenario[0].First + scenario[0].Count);
        QVERIFY(child<QLabel>(*window_->ScnInfo(), "StatusLbl")->text().startsWith(QStringLiteral("Caractères ")));
        window_->ScnInfo()->close();
    }

    // On the day after the sample day with one day before, the single-beacon view lists
    // the blocks of both days, as many as the beacon list shows for each day.
    void singleBeaconViewIncludesTheDaysBefore() {
        auto* beacons = child<QAbstractItemView>(*window_, "DCPListView");
        selectRow(beacons, 1);
        const int firstDay = cell(beacons, 1, 1).toInt();
        QTest::mouseClick(child<QPushButton>(*window_, "NextDayBtn"), Qt::LeftButton);
        const int secondDay = cell(beacons, 1, 1).toInt();
        QVERIFY(firstDay > 0 && secondDay > 0);
        child<QComboBox>(*window_, "NbDaysBeforeCmbBx")->setCurrentText(QStringLiteral("1"));
        QTest::mouseClick(child<QPushButton>(*window_, "SelectDCPBtn"), Qt::LeftButton);
        QVERIFY(window_->DCPLocked());
        QVERIFY(!beacons->isVisible());
        QCOMPARE(child<QComboBox>(*window_, "DCPChoiceCmbBx")->currentIndex(), 1);
        QCOMPARE(child<QAbstractItemView>(*window_, "BlocListView")->model()->rowCount(), firstDay + secondDay);
        QCOMPARE(child<QLabel>(*window_, "NbMessagesLbl")->text(), QString::number(firstDay + secondDay));
        QVERIFY(child<QAbstractItemView>(*window_, "StatisticsListView")->model()->rowCount() >= 3);
        QTest::mouseClick(child<QPushButton>(*window_, "SelectDCPBtn"), Qt::LeftButton);
        QVERIFY(!window_->DCPLocked());
        QVERIFY(beacons->isVisible());
    }

    void cleanupTestCase() {
        window_.reset();
        run_.reset();
    }

private:
    test::TempDir dir_;
    std::unique_ptr<HostDataSet> host_;
    RecordingMessageBoxes boxes_;
    TFixedClock clock_{kSampleDay + 0.5};
    std::unique_ptr<TSkylog> run_;
    std::unique_ptr<CountingStore> store_;
    std::unique_ptr<TDCP_MainFrm> window_;
    QStringList chosen_;
};

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
