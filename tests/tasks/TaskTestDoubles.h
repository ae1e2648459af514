#pragma once
// Stand-ins for the run's reader and beacon list and the progress window, recording
// what the task runs asked of them.

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "Common/DateTime.h"
#include "Common/MessageBoxes.h"
#include "Common/UUtils.h"
#include "tasks/TaskServices.h"
#include "tests/support/TestEnvironment.h"

namespace skylog::test {

class FakeStore : public IMessageStore {
public:
    // ReadFile answers 0 for ground-station extensions, -1 otherwise, unless a test
    // sets its own behaviour. Each file read adds bytesPerRead to what is pending.
    std::function<int(const std::string&)> onRead;
    size_t bytesPerRead = 0;
    size_t pending = 0;
    std::function<void(TDateTime)> onLoadDay;
    std::function<void(TDateTime)> onFlushDay;
    std::function<void()> onFlush;

    std::vector<std::string> calls;  // "read <name>", "flush", "clear", "load dd/mm/yyyy", "k7 dd/mm/yyyy"

    int32_t ReadFile(const std::string& path) override {
        calls.push_back("read " + path.substr(path.rfind('/') + 1));
        if (onRead) return onRead(path);
        for (const char* mask : {"*.CNRS", "*.NASA", "*.DCP", "*.BRU", "*.GOES"}) {
            if (!MatchesMask(path, mask)) continue;
            pending += bytesPerRead;
            return 0;
        }
        return -1;
    }
    void FlushAll() override {
        calls.push_back("flush");
        if (onFlush) onFlush();
    }
    void ClearAll() override {
        calls.push_back("clear");
        pending = 0;
    }
    size_t PendingBytes() const override { return pending; }
    // Every file read gave a message, and every message was stored, unless a test says.
    int64_t messagesPerRead = 1;
    std::vector<std::string> unstored;
    size_t beacons = 1;
    int64_t MessagesOfLastFile() const override { return messagesPerRead; }
    std::vector<std::string> UnstoredFiles() const override { return unstored; }
    size_t BeaconCount() const override { return beacons; }
    void LoadDay(TDateTime date, int beaconIndex) override {
        calls.push_back("load " + FormatDateDMY(date) + (beaconIndex == -1 ? "" : " beacon?"));
        if (onLoadDay) onLoadDay(date);
    }
    void FlushK7ItemsOfDay(TDateTime date) override {
        calls.push_back("k7 " + FormatDateDMY(date));
        if (onFlushDay) onFlushDay(date);
    }
};

class RecordingProgress : public IProgress {
public:
    std::vector<std::string> captions;  // "+caption" at Begin, "-" at End
    std::vector<std::string> labels;
    std::vector<int> positions;
    int maximum = -1;
    int cancelChecks = 0;
    int cancelAfterChecks = -1;  // CancelRequested answers true from this check on
    bool cancelEnabled = true;

    void Begin(std::string_view caption) override { captions.push_back("+" + std::string(caption)); }
    void End() override { captions.emplace_back("-"); }
    void SetLabel(std::string_view text) override { labels.emplace_back(text); }
    void SetMaximum(int value) override { maximum = value; }
    void SetPosition(int value) override { positions.push_back(value); }
    bool CancelRequested() override {
        ++cancelChecks;
        return cancelAfterChecks >= 0 && cancelChecks > cancelAfterChecks;
    }
    void SetCancelEnabled(bool enabled) override { cancelEnabled = enabled; }
};

// The doubles above as the services of a run, for the tasks' own Execute, with a
// clock the test sets.
class TaskRunTest : public ::testing::Test {
protected:
    FakeStore store;
    RecordingProgress progress;
    TestEnvironment env{"", 0};
    RecordingMessageBoxes& boxes = env.boxes;
    TTaskServices services{env.Env(), store, &progress, {}, {}};

    void SetClock(TDateTime now) { env.clock.Set(now); }
    [[nodiscard]] TDateTime Now() const { return env.clock.Now(); }
};

[[nodiscard]] inline TDateTime At(int year, int month, int day, int hour = 0, int minute = 0, int second = 0) {
    return *EncodeDateTime(year, month, day, hour, minute, second);
}

}  // namespace skylog::test
