// The schedule of a task: catch-up of missed calls, the automatic-mode sequence, the
// texts of the task list, and the guard against a task started inside another.

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <random>
#include <stdexcept>

#include "Common/UUtils.h"
#include "tasks/TaskForm.h"
#include "tasks/UTaskGetFiles.h"
#include "tasks/UTaskMakeK7.h"
#include "tasks/UTasks.h"
#include "tests/support/TempDir.h"
#include "tests/tasks/TaskTestDoubles.h"

namespace skylog {
namespace {

using test::At;

constexpr double kMinute = 1.0 / 1440;
constexpr double kHour = 1.0 / 24;
constexpr double kTolerance = 1e-9;

using ScheduleTest = test::TaskRunTest;

// Counts its runs; may run something of its own inside.
class CountingTask : public TTask {
public:
    int runs = 0;
    std::function<void()> during;
    void Execute(TTaskServices& services) override {
        TTask::Execute(services);
        ++runs;
        if (during) during();
    }
};

// The next call a new task proposes: five minutes on, to the whole minute, across
// midnight too.
TEST(TaskEditor, DefaultNextCall) {
    EXPECT_NEAR(DefaultNextCall(At(2005, 3, 7, 23, 57, 30)), At(2005, 3, 8, 0, 2), kTolerance);
    EXPECT_NEAR(DefaultNextCall(At(2005, 3, 7, 10, 0)), At(2005, 3, 7, 10, 5), kTolerance);
}

TEST(CatchUpSchedule, EdgeCases) {
    const TDateTime now = At(2024, 5, 10, 10, 30);
    struct Case {
        TDateTime next;
        double period;
        TDateTime wantNext, wantDue;
    };
    const Case cases[] = {
        {now, kHour, now, 0},                      // due only once now has passed it
        {now + kMinute, kHour, now + kMinute, 0},  // in the future
        {0, kHour, 0, 0},                          // no further call
        // Below a minute, or negative (hand-edited): a single call.
        {now - 400, 1e-12, 0, now - 400},
        {now - 400, 30.0 / 86400, 0, now - 400},
        {now - 400, -1.0, 0, now - 400},
        {now - 400, -1e-9, 0, now - 400},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        TDateTime next = cases[i].next, due = 0;
        CatchUpSchedule(next, due, cases[i].period, now);
        EXPECT_EQ(next, cases[i].wantNext) << "case " << i;
        EXPECT_EQ(due, cases[i].wantDue) << "case " << i;
    }
    // A minute read back from "00:01:00" may miss 1/1440 by a rounding step: still periodic.
    EXPECT_FALSE(IsSingleCallPeriod(*ParseTimeHMS("00:01:00")));
    EXPECT_FALSE(IsSingleCallPeriod(kMinute));

    // A century of missed minutes is computed, not stepped.
    TDateTime next = At(1924, 5, 10, 10, 0), due = 0;
    CatchUpSchedule(next, due, kMinute, now + 30.0 / 86400);
    EXPECT_NEAR(next, At(2024, 5, 10, 10, 31), 1e-6);
    EXPECT_NEAR(next - due, kMinute, 1e-9);
}

TEST_F(ScheduleTest, SwitchingAutomaticModeOnDropsMissedCallsAndRunsAtTheNextGridPoint) {
    TTasksList list;
    auto* task = static_cast<CountingTask*>(list.Add(std::make_unique<CountingTask>()));
    task->Periodicity = kHour;
    task->NextCall = At(2024, 5, 10, 8, 0);
    TTask* missed = list.Add(std::make_unique<TTask>());
    missed->NextCall = At(2024, 5, 10, 9, 0);  // a single call that came while inactive

    SetClock(At(2024, 5, 10, 10, 30));
    list.UpdateCalls(Now());
    EXPECT_EQ(NextCallString(*missed), "Annulée (Tâches non actives)");
    list.CancelDueCalls(Now());
    EXPECT_EQ(NextCallString(*missed), "Terminée");
    list.ExecuteDueTasks(services);
    EXPECT_EQ(task->runs, 0);

    SetClock(At(2024, 5, 10, 10, 59, 59));
    list.ExecuteDueTasks(services);
    EXPECT_EQ(task->runs, 0);

    SetClock(At(2024, 5, 10, 11, 0, 1));  // the first tick after 11:00
    list.ExecuteDueTasks(services);
    EXPECT_EQ(task->runs, 1);
    EXPECT_EQ(task->DueCall, 0);
    EXPECT_NEAR(task->NextCall, At(2024, 5, 10, 12, 0), kTolerance);
    EXPECT_EQ(NextCallString(*task), "10/05/2024 12:00:00");
    list.ExecuteDueTasks(services);
    EXPECT_EQ(task->runs, 1);
}

TEST(TaskSchedule, PeriodicityStrings) {
    TTask task;
    const std::pair<double, const char*> cases[] = {
        {0, "Appel unique"}, {-2, "Appel unique"}, {30.0 / 86400, "Appel unique"},  // below a minute: once
        {30 * kMinute, "Toutes les 30 minutes"}, {13 * kMinute, "Toutes les 13 minutes"},
        {kHour, "Toutes les 1 heures"},          {3 * kHour, "Toutes les 3 heures"},
        {1, "Tous les 1 jours"},                 {2.5, "Tous les 2 jours"}};
    for (const auto& [period, text] : cases) {
        task.Periodicity = period;
        EXPECT_EQ(task.PeriodicityString(), text) << period;
    }
}

// The stepping rule as first written, with its count of steps.
int stepCatchUp(TDateTime& nextCall, TDateTime& dueCall, double period, TDateTime now) {
    int steps = 0;
    for (; nextCall < now; ++steps) {
        dueCall = nextCall;
        nextCall += period;
    }
    return steps;
}

TEST(CatchUpSchedule, ComputedCatchUpMatchesSteppingForManyRandomCases) {
    std::mt19937_64 random(20240510);
    const auto uniform = [&random](double from, double to) {
        return std::uniform_real_distribution<double>(from, to)(random);
    };
    int compared = 0;
    for (int i = 0; i < 5000; ++i) {
        const double period = i % 2 ? std::floor(uniform(1, 20001)) * kMinute : uniform(kMinute, 3.0);
        const TDateTime first = uniform(36000, 50000);
        // Sometimes exactly on a stepped grid point, mostly anywhere.
        TDateTime now = first + uniform(0, 3000) * period, grid = first, unused = 0;
        if (i % 7 == 0) {
            stepCatchUp(grid, unused, period, now);
            now = grid;
        }
        TDateTime steppedNext = first, steppedDue = 0, next = first, due = 0;
        const int stepCount = stepCatchUp(steppedNext, steppedDue, period, now);
        CatchUpSchedule(next, due, period, now);
        if (stepCount == 0) {
            EXPECT_EQ(std::pair(next, due), std::pair(first, 0.0)) << "case " << i;
            continue;
        }
        // The defining property holds exactly for the computed values.
        ASSERT_LT(due, now) << "case " << i;
        ASSERT_GE(next, now) << "case " << i;
        // Stepping accumulates rounding; when now lies within that rounding of a grid
        // point the two may pick neighbouring points, both correct.
        if (std::fabs(steppedNext - now) < 1e-7 || std::fabs(next - now) < 1e-7) continue;
        EXPECT_NEAR(next, steppedNext, 1e-7) << "case " << i;
        EXPECT_NEAR(due, steppedDue, 1e-7) << "case " << i;
        ++compared;
    }
    EXPECT_GT(compared, 4000);
}

TEST_F(ScheduleTest, ATickDuringARunningTaskStartsNothingAndAFailureReleasesTheGuard) {
    SetClock(At(2024, 5, 10, 10, 30));
    TTasksList list;
    auto* first = static_cast<CountingTask*>(list.Add(std::make_unique<CountingTask>()));
    auto* second = static_cast<CountingTask*>(list.Add(std::make_unique<CountingTask>()));
    first->NextCall = second->NextCall = At(2024, 5, 10, 10, 0);
    bool sawRunning = false;
    first->during = [&] {
        sawRunning = list.Running();
        list.ExecuteDueTasks(services);  // the automatic-mode timer firing inside the run
        EXPECT_EQ(second->runs, 0);
    };
    list.ExecuteDueTasks(services);
    EXPECT_TRUE(sawRunning);
    EXPECT_EQ(first->runs, 1);
    EXPECT_EQ(second->runs, 1);
    EXPECT_FALSE(list.Running());

    first->NextCall = At(2024, 5, 10, 10, 15);
    first->during = [] { throw std::runtime_error("disk full"); };
    EXPECT_THROW(list.ExecuteDueTasks(services), std::runtime_error);
    EXPECT_FALSE(list.Running());
}

// Two pollers of one Tasks.inf (the desktop program's timer, a systemd timer): the one
// that takes a due call writes it taken before it runs, the other finds it so.
TEST_F(ScheduleTest, ADueTaskRunsOnceForTwoPollersOfOneFile) {
    test::TempDir dir;
    const std::string path = dir.File("Tasks.inf");
    SetClock(At(2024, 5, 10, 10, 30));
    {
        TTasksList written;
        written.Add(std::make_unique<TTaskMakeK7>())->NextCall = At(2024, 5, 10, 10, 0);
        written.SaveToFile(path);
    }
    TTasksList desktop, timer;
    desktop.LoadFromFile(path);
    timer.LoadFromFile(path);
    EXPECT_EQ(timer.ExecuteDueTasks(services).size(), 1u);
    EXPECT_TRUE(desktop.AnyCallDue(Now()));  // as it read the file
    EXPECT_TRUE(desktop.ExecuteDueTasks(services, TLockWait::TryOnly).empty());
    EXPECT_EQ(desktop[0]->NextCall, 0);
    EXPECT_FALSE(desktop.AnyCallDue(Now()));
}

// Never the schedule, and nothing of a task of another type.
TEST(TaskTypes, AssignCopiesOnlyTheParametersOfTheSameType) {
    TTaskGetFiles source;
    source.InputDirectory = "/in";
    source.NextCall = 45000;
    source.Periodicity = 1;
    TTaskGetFiles copy;
    copy.Assign(source);
    EXPECT_EQ(copy.InputDirectory, "/in");
    EXPECT_EQ(copy.NextCall, 0);
    EXPECT_EQ(copy.Periodicity, 0);
    TTaskMakeK7 other;
    other.NbDayToBuild = 8;
    other.Assign(source);
    EXPECT_EQ(other.NbDayToBuild, 8);
}

}  // namespace
}  // namespace skylog
