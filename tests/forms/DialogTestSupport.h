#pragma once
// Driving windows by their controls' names in the Qt tests.

#include <QAbstractButton>
#include <QApplication>
#include <QLineEdit>
#include <QTimer>
#include <QtTest>
#include <filesystem>
#include <functional>

#include "Common/Clock.h"
#include "Common/MessageBoxes.h"
#include "dcp/StoreContext.h"
#include "k7/HostDataLoader.h"
#include "plugin/USkylog.h"
#include "tests/support/TempDir.h"

namespace skylog::test {

template <typename T = QWidget>
T* child(QWidget& window, const char* name) {
    T* found = window.findChild<T*>(QString::fromLatin1(name));
    if (!found) qFatal("no control %s", name);
    return found;
}

inline void click(QWidget& window, const char* button) {
    QTest::mouseClick(child<QAbstractButton>(window, button), Qt::LeftButton);
}

// Types into a text box and leaves it.
inline void type(QWidget& window, const char* box, const char* text) {
    auto* edit = child<QLineEdit>(window, box);
    edit->setText(QString::fromUtf8(text));
    Q_EMIT edit->editingFinished();
}

// Runs f on the modal window that the next call opens, from inside its event loop.
inline void onNextModal(std::function<void(QWidget&)> f) {
    QTimer::singleShot(0, [f = std::move(f)] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal) qFatal("no modal window");
        f(*modal);
    });
}

// A loaded run on dir's "work", a copy of the sample working directory made when missing.
inline std::unique_ptr<TSkylog> OpenSampleRun(const TempDir& dir, const HostDataSet& host, IMessageBoxes& boxes,
                                              const IClock& clock) {
    if (!std::filesystem::exists(dir.File("work")))
        std::filesystem::copy(SKYLOG_SOURCE_DIR "/sample/workdir", dir.File("work"),
                              std::filesystem::copy_options::recursive);
    TSkylogOptions options;
    options.hostFileName = dir.File("host/ormawin");
    options.settingsFile = dir.File("Skylog.conf");
    options.workDirOverride = dir.File("work");
    options.host = HostDataOf(host);
    options.reporter = &boxes;
    options.clock = &clock;
    auto run = std::make_unique<TSkylog>(options);
    run->Load();
    return run;
}

// A run's message store passed through, for tests that watch or steer some calls.
class ForwardingStore : public IMessageStore {
public:
    explicit ForwardingStore(IMessageStore& store) : store_(store) {}
    int32_t ReadFile(const std::string& path) override { return store_.ReadFile(path); }
    int64_t MessagesOfLastFile() const override { return store_.MessagesOfLastFile(); }
    void FlushAll() override { store_.FlushAll(); }
    std::vector<std::string> UnstoredFiles() const override { return store_.UnstoredFiles(); }
    size_t BeaconCount() const override { return store_.BeaconCount(); }
    void ClearAll() override { store_.ClearAll(); }
    void LoadDay(TDateTime date, int beacon) override { store_.LoadDay(date, beacon); }
    void FlushK7ItemsOfDay(TDateTime date) override { store_.FlushK7ItemsOfDay(date); }
    size_t PendingBytes() const override { return store_.PendingBytes(); }
    void SetBulkReading(bool on) override { store_.SetBulkReading(on); }
    TRunCounts TakeCounts() override { return store_.TakeCounts(); }

private:
    IMessageStore& store_;
};

}  // namespace skylog::test
