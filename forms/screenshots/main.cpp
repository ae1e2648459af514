// skylog-screenshots [OUTDIR]: renders every window on the sample data into
// OUTDIR/<class>.png (default docs/screenshots of the source tree), offscreen, in the
// Fusion style: the sample files are imported into a fresh working directory on the
// sample day, and the main window shows a block that has errors and decoded data.

#include <QAbstractItemView>
#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QPixmap>
#include <QStyleFactory>
#include <QTabWidget>
#include <QTextBlock>
#include <QTextEdit>
#include <QTreeWidget>
#include <QTemporaryDir>
#include <cstdio>
#include <filesystem>

#include "Common/Clock.h"
#include "Common/MessageBoxes.h"
#include "Common/Settings.h"
#include "Common/UUtils.h"
#include "dcp/UDCPList.h"
#include "forms/AboutDlg.h"
#include "forms/BodyChars.h"
#include "forms/DCPConfDlg.h"
#include "forms/DCP_ConfigDlg.h"
#include "forms/EditManagersDlg.h"
#include "forms/EditOneManagerDlg.h"
#include "forms/DCP_MainDlg.h"
#include "forms/MainViewModel.h"
#include "forms/ScnInfoDlg.h"
#include "forms/ViewBodyDlg.h"
#include "k7/UEvenement.h"
#include "forms/SimpleMemoDlg.h"
#include "forms/SimpleMessageDlg.h"
#include "forms/EditTaskDlg.h"
#include "forms/TaskGetFilesDlg.h"
#include "forms/TaskGetFilesParamDlg.h"
#include "forms/TaskListDlg.h"
#include "forms/TaskMakeK7ParamDlg.h"
#include "import/UDecodFile.h"
#include "managers/UManagers.h"
#include "k7/HostDataLoader.h"
#include "plugin/USkylog.h"
#include "tasks/UTaskGetFiles.h"
#include "tasks/UTaskMakeK7.h"

using namespace skylog;
using namespace skylog::forms;
namespace fs = std::filesystem;

namespace {

constexpr const char* kSource = SKYLOG_SOURCE_DIR;

bool save(QWidget& window, const QString& folder, const QString& suffix = {}) {
    window.show();
    QApplication::processEvents();
    const QString path = folder + QLatin1Char('/') + window.objectName() + suffix + QStringLiteral(".png");
    const bool ok = window.grab().save(path);
    std::fprintf(ok ? stdout : stderr, "%s %s\n", ok ? "wrote" : "cannot write", qPrintable(path));
    window.close();
    return ok;
}

// Copies the sample input files into the folder, for the reader rewrites them.
std::vector<std::string> copyInput(const std::string& folder) {
    fs::create_directories(folder);
    std::vector<std::string> files;
    for (const auto& entry : fs::directory_iterator(std::string(kSource) + "/sample/input")) {
        const fs::path copy = fs::path(folder) / entry.path().filename();
        fs::copy_file(entry.path(), copy, fs::copy_options::overwrite_existing);
        files.push_back(copy.string());
    }
    std::sort(files.begin(), files.end());
    return files;
}

// The first beacon and block that have both errors and decoded data.
std::pair<int, int> interestingBlock(const TDCPList& beacons) {
    for (size_t b = 0; b < beacons.Count(); ++b) {
        const TDCP& beacon = *beacons.Beacons[b];
        for (size_t k = 0; k < beacon.Blocks().size(); ++k)
            if (!beacon.Blocks()[k]->Errors.empty() && !beacon.Blocks()[k]->Events.empty())
                return {static_cast<int>(b), static_cast<int>(k)};
    }
    return {0, 0};
}

void selectRow(QWidget& window, const char* view, int row) {
    auto* list = window.findChild<QAbstractItemView*>(QString::fromLatin1(view));
    list->selectionModel()->select(list->model()->index(row, 0),
                                   QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    list->scrollTo(list->model()->index(row, 0));
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString::fromLatin1(kSource) + "/docs/screenshots";
    QDir().mkpath(folder);
    QTemporaryDir temporary;
    const std::string work = temporary.path().toStdString();

    RecordingMessageBoxes boxes;
    const TDateTime sampleDay = *EncodeDateTime(2005, 3, 7);
    const TFixedClock clock(sampleDay + 14.5 / 24);
    std::unique_ptr<HostDataSet> host = LoadHostData(std::string(kSource) + "/sample/host");
    fs::copy(std::string(kSource) + "/sample/workdir", work + "/work", fs::copy_options::recursive);
    TSkylogOptions options;
    options.hostFileName = work + "/host/skylog-host";
    options.settingsFile = work + "/Skylog.conf";
    options.workDirOverride = work + "/work";
    options.host = HostDataOf(*host);
    options.reporter = &boxes;
    options.clock = &clock;
    TSkylog run(options);
    run.Load();
    for (const std::string& file : copyInput(work + "/input")) (void)run.Reader().ReadFile(file);
    run.Beacons().FlushAll();
    run.Beacons().ClearAll();
    bool ok = true;

    {
        // The report of the sample file with the most reader errors.
        std::vector<std::string> lines;
        for (const std::string& file : copyInput(work + "/again")) {
            (void)run.Reader().ReadFile(file);
            if (run.Reader().Errors.size() >= lines.size()) lines = ErrorReportLines(run.Reader().Errors);
        }
        TSimpleMemoFrm memo;
        memo.setWindowTitle(QString::fromUtf8(kErrorReportCaption));
        memo.SetLines(lines);
        ok &= save(memo, folder);
        run.Beacons().ClearAll();
    }
    {
        TSimpleMessageFrm message;
        message.SetLabel("Chargement DCP de la journée : 07/03/2005");
        message.SetPosition(40);
        ok &= save(message, folder);
    }
    {
        TAboutBox about("0.1.0.0", boxes);
        ok &= save(about, folder);
    }
    {
        TDCP_ConfigFrm config(run.Settings(), boxes, {});
        // A working directory that does not change from one rendering to the next.
        config.findChild<QLineEdit*>(QStringLiteral("DirEdit"))->setText(QStringLiteral("/home/skylog/.local/share/skylog/Skylog/"));
        ok &= save(config, folder);
        config.findChild<QTabWidget*>(QStringLiteral("PageControl"))->setCurrentIndex(1);
        ok &= save(config, folder, QStringLiteral("-Decodage"));
    }
    {
        TEditManagersFrm managers(run.Managers(), boxes);
        ok &= save(managers, folder);
        TEditOneManagerFrm manager(boxes);
        manager.SetTexts(ManagerTexts(*run.Managers().Managers[1]));
        ok &= save(manager, folder);
    }
    {
        // On the beacon with two associations, the second one chosen.
        TDCPConfFrm beacons(run.Beacons(), run.Managers(), boxes, run.WorkDir(), sampleDay);
        beacons.SelectBeacon(1);
        auto* associations = beacons.findChild<QAbstractItemView*>(QStringLiteral("AssoLstView"));
        associations->setCurrentIndex(associations->model()->index(1, 0));
        ok &= save(beacons, folder);
    }
    {
        // A collection every hour, a rebuild every day and a single call missed.
        auto collection = std::make_unique<TTaskGetFiles>();
        collection->NextCall = sampleDay + 15.0 / 24;
        collection->Periodicity = 1.0 / 24;
        collection->InputDirectory = "/srv/dcp/arrivee";
        collection->ImportationMask = "*.CNRS";
        collection->SupprAfterAdd = true;
        auto rebuild = std::make_unique<TTaskMakeK7>();
        rebuild->NextCall = sampleDay + 1 + 2.0 / 24;
        rebuild->Periodicity = 1;
        auto missed = std::make_unique<TTaskMakeK7>();
        missed->NextCall = sampleDay + 8.0 / 24;
        TTaskGetFiles& edited = *static_cast<TTaskGetFiles*>(run.Tasks().Add(std::move(collection)));
        TTaskMakeK7& rebuilt = *static_cast<TTaskMakeK7*>(run.Tasks().Add(std::move(rebuild)));
        run.Tasks().Add(std::move(missed));
        TTaskListFrm list(run.Tasks(), run.TaskServices(), {});
        list.findChild<QTreeWidget*>(QStringLiteral("TaskListView"))->topLevelItem(0)->setSelected(true);
        ok &= save(list, folder);
        TEditTaskFrm editor(run.TaskServices());
        editor.SetTask(edited);
        ok &= save(editor, folder);
        TTaskGetFilesParamFrm collectionParameters;
        collectionParameters.Load(edited);
        ok &= save(collectionParameters, folder);
        rebuilt.FromSpecialDate = true;
        rebuilt.SpecialDate = sampleDay - 10;
        TTaskMakeK7ParamFrm rebuildParameters(boxes);
        rebuildParameters.Load(rebuilt, sampleDay);
        ok &= save(rebuildParameters, folder);
        run.Tasks().Clear();
    }
    {
        // A collection at its second file of three.
        const TaskWork work = [](IProgress&) {};
        TTaskGetFilesFrm collect(work);
        IProgress& progress = collect;
        progress.SetMaximum(4);
        progress.SetPosition(1);
        progress.SetLabel("Ajout du fichier 20050307_1.CNRS");
        ok &= save(collect, folder);
    }
    {
        TMainFrmContext context = MainFrmContextOf(run);
        context.HostVersion = "0.1.0.0";
        TDCP_MainFrm window(std::move(context));
        window.resize(1100, 760);
        window.show();
        const auto [beacon, block] = interestingBlock(run.Beacons());
        selectRow(window, "DCPListView", beacon);
        selectRow(window, "BlocListView", block);
        window.OnTimer();
        ok &= save(window, folder);

        // The same block's body with its second scenario highlighted and the caret on its
        // marker; its event element by element, the third element chosen.
        const TDCPDataBloc& shown = *run.Beacons().Beacons[static_cast<size_t>(beacon)]->Blocks()[static_cast<size_t>(block)];
        TViewBodyFrm viewer;
        viewer.ShowBody(shown);
        const std::vector<TBodyScenario> scenarios = BodyScenarios(shown);
        viewer.SetScenarios(scenarios);
        const size_t entry = shown.Events.size() > 1 ? 1 : 0;
        const size_t scenario = ScenarioOfEntry(shown, entry).value_or(0);
        viewer.ChooseScenario(static_cast<int>(scenario));
        if (scenario < scenarios.size() && !scenarios[scenario].Chars.Ranges.empty()) {
            const size_t marker = scenarios[scenario].Chars.Ranges.front().First;
            auto* hex = viewer.findChild<QTextEdit*>(QStringLiteral("HexBodyMemo"));
            QTextCursor caret(hex->document()->findBlockByNumber(static_cast<int>(marker / kBodyBytesPerRow)));
            caret.movePosition(QTextCursor::Right, QTextCursor::MoveAnchor,
                               static_cast<int>(marker % kBodyBytesPerRow * kHexCharsPerByte));
            hex->setTextCursor(caret);
        }
        ok &= save(viewer, folder);
        TScnInfoFrm info(false);
        info.resize(260, 300);
        if (!shown.Events.empty()) {
            info.SetEvt(shown.Events[entry], shown.Header, ElementChars(shown, entry));
            auto* lines = info.findChild<QAbstractItemView*>(QStringLiteral("MesListView"));
            lines->setCurrentIndex(lines->model()->index(2, 0));
        }
        ok &= save(info, folder);
    }
    return ok ? 0 : 1;
}
