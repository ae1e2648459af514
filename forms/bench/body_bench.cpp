// skylog-body-bench: the message body viewer on a 2,000-byte body, offscreen. Times
// ShowBody followed by the first paint of the window, with the byte classes in runs
// of four (as a decoded body has them) and changing at every byte (the worst case).

#include <QApplication>
#include <QElapsedTimer>
#include <QPixmap>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "dcp/UDCPList.h"
#include "forms/ViewBodyDlg.h"

using namespace skylog;
using namespace skylog::forms;

namespace {

constexpr size_t kBodyLength = 2000;
constexpr int kRuns = 7;

void measure(const char* name, size_t runLength) {
    TDCPDataBloc block(nullptr);
    std::vector<uint8_t> body(kBodyLength);
    for (size_t i = 0; i < kBodyLength; ++i) body[i] = static_cast<uint8_t>(0x40 + (i * 7) % 64);
    block.AddBody(body.data(), body.size());
    block.ByteStatus.assign(kBodyLength, 0);
    for (size_t i = 0; i < kBodyLength; ++i) block.ByteStatus.Set(i, static_cast<uint8_t>(i / runLength % 12));
    std::vector<double> times;
    for (int run = 0; run < kRuns; ++run) {
        TViewBodyFrm viewer;
        viewer.show();
        QElapsedTimer timer;
        timer.start();
        viewer.ShowBody(block);
        (void)viewer.grab();
        times.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
    }
    std::sort(times.begin(), times.end());
    std::printf("%s: ShowBody + first paint, best %.1f ms, median %.1f ms (%d runs)\n", name, times.front(),
                times[times.size() / 2], kRuns);
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    measure("classes in runs of 4", 4);
    measure("a class change at every byte", 1);
    return 0;
}
