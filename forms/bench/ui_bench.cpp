// skylog-ui-bench WORKDIR YYYY-MM-DD [HOSTDATA]: the main window on a working directory
// whose first beacon has a large day (bench/ui.sh makes one of 10,000 blocks). Times
// RefreshDay with that beacon chosen (the day read again, every view rebuilt) followed
// by the first paint of the whole window, offscreen.

#include <QAbstractItemView>
#include <QApplication>
#include <QElapsedTimer>
#include <QPixmap>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "Common/Clock.h"
#include "Common/MessageBoxes.h"
#include "Common/Settings.h"
#include "Common/UUtils.h"
#include "dcp/UDCPList.h"
#include "forms/DCP_MainDlg.h"
#include "k7/HostDataLoader.h"
#include "plugin/USkylog.h"

using namespace skylog;
using namespace skylog::forms;

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fputs("usage: skylog-ui-bench WORKDIR YYYY-MM-DD [HOSTDATA]\n", stderr);
        return 2;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    const auto day = ParseIsoDate(argv[2]);
    if (!day) return 2;
    ConsoleMessageBoxes boxes;
    std::unique_ptr<HostDataSet> host = LoadHostData(argc > 3 ? argv[3] : SKYLOG_SOURCE_DIR "/sample/host");
    const TFixedClock clock(*day + 0.5);
    TSkylogOptions options;
    options.settingsFile = std::string(argv[1]) + "/ui-bench.conf";
    options.hostFileName = std::string(argv[1]) + "/host";
    options.workDirOverride = argv[1];
    options.host = HostDataOf(*host);
    options.reporter = &boxes;
    options.clock = &clock;
    TSkylog run(options);
    run.Load();

    TMainFrmContext context = MainFrmContextOf(run);
    TDCP_MainFrm window(std::move(context));
    window.resize(1100, 760);
    window.show();
    auto* beacons = window.findChild<QAbstractItemView*>(QStringLiteral("DCPListView"));
    beacons->selectionModel()->select(beacons->model()->index(0, 0),
                                      QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    (void)window.grab();

    std::vector<double> times, paints;
    for (int i = 0; i < 7; ++i) {
        QElapsedTimer timer;
        timer.start();
        window.RefreshDay();
        const qint64 refreshed = timer.nsecsElapsed();
        (void)window.grab();
        times.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
        paints.push_back(static_cast<double>(timer.nsecsElapsed() - refreshed) / 1e6);
    }
    std::sort(times.begin(), times.end());
    std::sort(paints.begin(), paints.end());
    const size_t blocks = run.Beacons().Count() ? run.Beacons().Beacons[0]->Blocks().size() : 0;
    std::printf("blocks of the day: %zu\nRefreshDay + first paint: best %.0f ms, median %.0f ms (7 runs)\n"
                "of which the paint: best %.1f ms, median %.1f ms\n",
                blocks, times.front(), times[times.size() / 2], paints.front(), paints[paints.size() / 2]);
    run.Beacons().ClearAll();
    return 0;
}
