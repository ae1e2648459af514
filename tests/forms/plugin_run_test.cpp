// The plug-in as a host sees it: dlopen of the built library, Initialize with a host
// record, Execute twice with the main window closed from a timer.

#include <dlfcn.h>

#include <QAbstractItemView>
#include <QAction>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QApplication>
#include <QIcon>
#include <QMainWindow>
#include <QTimer>
#include <QtTest>
#include <filesystem>
#include <functional>

#include "Common/Encoding.h"
#include "k7/HostDataLoader.h"
#include "plugin/SkylogPlugin.h"
#include "tests/support/TempDir.h"

namespace {

QWidget* topLevel(const char* name) {
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (widget->objectName() == QLatin1String(name) && widget->isVisible()) return widget;
    return nullptr;
}

}  // namespace

class PluginRunTest : public QObject {
    Q_OBJECT
public:
    explicit PluginRunTest(const char* library) : libraryPath_(library) {}

private Q_SLOTS:
    void initTestCase() {
        library_ = dlopen(libraryPath_, RTLD_NOW | RTLD_LOCAL);
        QVERIFY2(library_, dlerror());
        initialize_ = reinterpret_cast<TInitializeFunc>(dlsym(library_, "Initialize"));
        execute_ = reinterpret_cast<TExecuteFunc>(dlsym(library_, "Execute"));
        QVERIFY(initialize_ && execute_);
        qputenv("SKYLOG_SETTINGS", QByteArray::fromStdString(dir_.File("config/Skylog.conf")));
        hostData_ = skylog::LoadHostData(SKYLOG_SOURCE_DIR "/sample/host");
        hostData_->Dictionary.Options.DecimalSeparator = ",";
        hostFile_ = dir_.File("host/ormawin");
        std::filesystem::create_directories(dir_.File("host"));
        std::filesystem::copy(SKYLOG_SOURCE_DIR "/sample/workdir", dir_.File("host/Skylog"),
                              std::filesystem::copy_options::recursive);
        application_.Context = this;
        application_.MainWindow = &hostWindow_;
        application_.SetTitle = [](void* self, THostString title) {
            static_cast<PluginRunTest*>(self)->hostTitle_ = title ? title : "";
        };
        application_.SetIcon = [](void* self, const void* icon) {
            static_cast<PluginRunTest*>(self)->hostIcon_ = *static_cast<const QIcon*>(icon);
        };
        application_.Version = "1.2.3.4";
        record_.EventDictionary = &hostData_->Dictionary;
        record_.InstrumentTypes = &hostData_->InstrumentTypes;
        record_.HostFileName = hostFile_.c_str();
        record_.Application = &application_;
        QCOMPARE(initialize_(&record_), uint8_t{1});
    }

    // Each Execute builds its own run: what the first changed (here the automatic
    // mode) is saved at its end and read again by the second. The first also adds the
    // sample files and shows a beacon's statistics, whose percentage carries the
    // host's decimal separator.
    void executeTwiceRereadsTheSettings() {
        bool before = true, after = false;
        QWidget* owner = nullptr;
        QString ignored;
        QCOMPARE(executeWhile([&](QMainWindow& window) {
                     QAction* automode = window.findChild<QAction*>(QStringLiteral("TachesActivesMnu"));
                     QVERIFY(automode);
                     before = automode->isChecked();
                     automode->trigger();
                     owner = window.parentWidget();
                     ignored = sampleStatistic(window, QStringLiteral("Octets ignorés"));
                 }),
                 0);
        QVERIFY2(ignored.contains(QRegularExpression(QStringLiteral("\\(\\d+,0%\\)$"))), qPrintable(ignored));
        QVERIFY(!before);
        QCOMPARE(owner, &hostWindow_);
        QCOMPARE(hostTitle_, skylog::Utf8ToCp1252("Décodage des fichiers DCP"));
        QVERIFY(!hostIcon_.isNull());
        QVERIFY(skylog::Cp1252ToUtf8(skylog::test::ReadText(dir_.File("config/Skylog.conf"))).find("Automode=1") !=
                std::string::npos);
        QCOMPARE(executeWhile([&](QMainWindow& window) {
                     after = window.findChild<QAction*>(QStringLiteral("TachesActivesMnu"))->isChecked();
                 }),
                 0);
        QVERIFY(after);
    }

    void cleanupTestCase() {
        if (library_) dlclose(library_);
    }

private:
    // Adds the sample files (closing their reports), shows the sample day and the
    // first beacon alone; the value of one row of its statistics.
    QString sampleStatistic(QMainWindow& window, const QString& label) {
        QStringList files;
        for (const auto& entry : std::filesystem::directory_iterator(SKYLOG_SOURCE_DIR "/sample/input")) {
            const std::string copy = dir_.File("input-") + entry.path().filename().string();
            std::filesystem::copy_file(entry.path(), copy);
            files.append(QString::fromStdString(copy));
        }
        QTimer closer;
        connect(&closer, &QTimer::timeout, [] {
            if (QWidget* report = topLevel("TSimpleMemoFrm")) report->close();
        });
        closer.start(10);
        QMetaObject::invokeMethod(&window, "AddFiles", Q_ARG(QStringList, files));
        closer.stop();
        const std::pair<const char*, const char*> fields[] = {{"DayEdit", "7"}, {"MonthEdit", "3"}, {"YearEdit", "2005"}};
        for (const auto& [name, text] : fields) window.findChild<QLineEdit*>(QString::fromLatin1(name))->setText(QString::fromLatin1(text));
        QTest::keyClick(window.findChild<QLineEdit*>(QStringLiteral("YearEdit")), Qt::Key_Return);
        auto* beacons = window.findChild<QAbstractItemView*>(QStringLiteral("DCPListView"));
        beacons->selectionModel()->select(beacons->model()->index(0, 0),
                                          QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        QTest::mouseClick(window.findChild<QPushButton*>(QStringLiteral("SelectDCPBtn")), Qt::LeftButton);
        const QAbstractItemModel* statistics =
            window.findChild<QAbstractItemView*>(QStringLiteral("StatisticsListView"))->model();
        for (int row = 0; row < statistics->rowCount(); ++row)
            if (statistics->index(row, 0).data().toString() == label) return statistics->index(row, 1).data().toString();
        return {};
    }

    // Runs Execute while `inside` looks at the main window, which is then closed.
    int executeWhile(const std::function<void(QMainWindow&)>& inside) {
        bool seen = false;
        QTimer::singleShot(0, [&] {
            if (auto* window = qobject_cast<QMainWindow*>(topLevel("TDCP_MainFrm"))) {
                seen = true;
                inside(*window);
                window->close();
            }
        });
        const int result = execute_();
        if (!seen) QTest::qFail("the main window was not shown", __FILE__, __LINE__);
        return result;
    }

    const char* libraryPath_;
    void* library_ = nullptr;
    TInitializeFunc initialize_ = nullptr;
    TExecuteFunc execute_ = nullptr;
    skylog::test::TempDir dir_;
    std::unique_ptr<skylog::HostDataSet> hostData_;
    std::string hostFile_;
    std::string hostTitle_;
    QIcon hostIcon_;
    QWidget hostWindow_;
    THostApplication application_{};
    THostInitRecord record_{};
};

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    if (argc < 2) return 2;
    PluginRunTest test(argv[1]);
    char* qtArgs[] = {argv[0]};
    return QTest::qExec(&test, 1, qtArgs);
}

#include "plugin_run_test.moc"
