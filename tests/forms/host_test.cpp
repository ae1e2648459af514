// The stand-in host: the plug-ins of its folder, the refusal of an incomplete one,
// the entry placed where query 2 says, and the record it hands over.

#include <unistd.h>

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QToolButton>
#include <QtTest>

#include "host/HostFrm.h"
#include "k7/HostDataLoader.h"
#include "tests/support/TempDir.h"

using namespace skylog;

class HostTest : public QObject {
    Q_OBJECT
public:
    HostTest(const char* plugIn, const char* broken) : plugIn_(plugIn), broken_(broken) {}

private Q_SLOTS:
    void loadsTheSkylogPlugInAndRefusesAnIncompleteOne() {
        test::TempDir dir;
        QVERIFY(symlink(plugIn_, dir.File("libskylog.so").c_str()) == 0);
        QVERIFY(symlink(broken_, dir.File("libbroken.so").c_str()) == 0);
        test::WriteText(dir.File("notes.txt"), "not a plug-in");

        host::THostOptions options;
        options.HostData = LoadHostData(SKYLOG_SOURCE_DIR "/sample/host");
        options.HostData->Dictionary.Options.DecimalSeparator = ",";
        options.HostFileName = dir.File("ormawin");
        options.Version = "0.1.0.0";
        options.Debug = true;
        host::THostFrm frame(std::move(options));
        frame.LoadPlugIns(dir.Path());

        QCOMPARE(frame.PlugIns().size(), size_t{1});
        const QStringList log = frame.LogLines();
        const QString refusal = QString::fromStdString("Le module " + dir.File("libbroken.so") +
                                                       " est refusé : il n'exporte pas la fonction Execute.");
        QVERIFY2(log.contains(refusal), qPrintable(log.join('\n')));

        auto* button = frame.findChild<QToolButton*>(QStringLiteral("TraitementsMnuBtn"));
        QVERIFY(button && button->menu());
        const QList<QAction*> entries = button->menu()->actions();
        QCOMPARE(entries.size(), 1);
        QCOMPARE(entries[0]->text(), QStringLiteral("Décodage des données des balises..."));

        const THostInitRecord& record = frame.Record();
        QCOMPARE(record.Debug, uint8_t{1});
        QCOMPARE(QString::fromLatin1(record.HostFileName), QString::fromStdString(dir.File("ormawin")));
        QCOMPARE(record.Application->MainWindow, static_cast<void*>(&frame));
        QCOMPARE(QString::fromLatin1(record.Application->Version), QStringLiteral("0.1.0.0"));
        QCOMPARE(static_cast<const EventDictionary*>(record.EventDictionary)->Options.DecimalSeparator,
                 std::string(","));
    }

private:
    const char* plugIn_;
    const char* broken_;
};

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    if (argc < 3) return 2;
    HostTest test(argv[1], argv[2]);
    char* qtArgs[] = {argv[0]};
    return QTest::qExec(&test, 1, qtArgs);
}

#include "host_test.moc"
