// The schedule of a task: catch-up of missed calls, the automatic-mode sequence, the
// texts of the task list, and the guard against a task started inside another.

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <random>
#include <stdexcept>

#include "Common/UUtils.h"
#include "tests/tasks/TaskTestDoubles.h"
#include "tasks/UTaskGetFiles.h"
#include "tasks/UTaskMakeK7.h"
#include "tasks/UTasks.h"

namespace skylog {
namespace {

using test::At;

constexpr double kMinute = 1.0 / 1440;
constexpr double kHour = 1.0 / 24;
constexpr double kTolerance = 1e-9;

class ScheduleTest : public ::testing::Test {
protected:
    void SetNow(TDateTime now) { SetClockForTesting(now); }
    void TearDown() override { SetClockForTesting(std::nullopt); }
};

// Counts its runs; may run something of its own inside.
class CountingTask : public TTask {
public:
    int runs = 0;
    std::function<void()> during;
    void Execute() override {
        TTask::Execute();
        ++runs;
        if (during) during();
    }
};

TEST_F(ScheduleTest, SingleCallComesDueOnceAndEndsFinished) {
    const TDateTime now = At(2024, 5, 10, 10, 30);
    SetNow(now);
    TTask task;
    task.NextCall = now - kMinute;
    EXPECT_TRUE(task.IsCallDue());
    EXPECT_DOUBLE_EQ(task.DueCall, now - kMinute);
    EXPECT_EQ(task.NextCall, 0);
    EXPECT_EQ(NextCallString(task), "Annulée (Tâches non actives)");
    task.Execute();
    EXPECT_EQ(task.DueCall, 0);
    EXPECT_EQ(NextCallString(task), "Terminée");
    EXPECT_FALSE(task.IsCallDue());
}

TEST_F(ScheduleTest, MissedHourlyCallsCollapseIntoOneOnTheGrid) {
    SetNow(At(2024, 5, 10, 10, 30));
    TTask task;
    task.Periodicity = kHour;
    task.NextCall = At(2024, 5, 10, 8, 0);
    EXPECT_TRUE(task.IsCallDue());
    EXPECT_NEAR(task.DueCall, At(2024, 5, 10, 10, 0), kTolerance);
    EXPECT_NEAR(task.NextCall, At(2024, 5, 10, 11, 0), kTolerance);
    EXPECT_EQ(NextCallString(task), "10/05/2024 11:00:00");
}

TEST_F(ScheduleTest, NextCallEqualToNowChangesNothing) {
    const TDateTime now = At(2024, 5, 10, 10, 30);
    SetNow(now);
    TTask task;
    task.Periodicity = kHour;
    task.NextCall = now;
    EXPECT_FALSE(task.IsCallDue());
    EXPECT_EQ(task.NextCall, now);
    EXPECT_EQ(task.DueCall, 0);

    task.NextCall = now + kMinute;  // in the future: nothing either
    EXPECT_FALSE(task.IsCallDue());
    EXPECT_EQ(task.NextCall, now + kMinute);
}

TEST_F(ScheduleTest, SwitchingAutomaticModeOnDropsMissedCallsAndRunsAtTheNextGridPoint) {
    TTasksList list;
    auto* task = static_cast<CountingTask*>(list.Add(std::make_unique<CountingTask>()));
    task->Periodicity = kHour;
    task->NextCall = At(2024, 5, 10, 8, 0);

    SetNow(At(2024, 5, 10, 10, 30));
    list.UpdateCalls();
    list.CancelDueCalls();
    list.ExecuteDueTasks();
    EXPECT_EQ(task->runs, 0);

    SetNow(At(2024, 5, 10, 10, 59, 59));
    list.ExecuteDueTasks();
    EXPECT_EQ(task->runs, 0);

    SetNow(At(2024, 5, 10, 11, 0, 1));  // the first tick after 11:00
    list.ExecuteDueTasks();
    EXPECT_EQ(task->runs, 1);
    EXPECT_EQ(task->DueCall, 0);
    EXPECT_NEAR(task->NextCall, At(2024, 5, 10, 12, 0), kTolerance);
    list.ExecuteDueTasks();
    EXPECT_EQ(task->runs, 1);
}

TEST_F(ScheduleTest, PeriodicityStrings) {
    TTask task;
    const std::pair<double, const char*> cases[] = {
        {0, "Appel unique"},
        {30 * kMinute, "Toutes les 30 minutes"},
        {13 * kMinute, "Toutes les 13 minutes"},
        {3 * kHour, "Toutes les 3 heures"},
        {kHour, "Toutes les 1 heures"},
        {1, "Tous les 1 jours"},
        {2.5, "Tous les 2 jours"},
        {30.0 / 86400, "Appel unique"},  // below a minute: runs once
        {-2, "Appel unique"},
    };
    for (const auto& [period, text] : cases) {
        task.Periodicity = period;
        EXPECT_EQ(task.PeriodicityString(), text) << period;
    }
}

// The stepping rule as first written, with its count of steps.
int stepCatchUp(TDateTime& nextCall, TDateTime& dueCall, double period, TDateTime now) {
    int steps = 0;
    while (nextCall < now) {
        dueCall = nextCall;
        nextCall += period;
        ++steps;
    }
    return steps;
}

TEST_F(ScheduleTest, ComputedCatchUpMatchesSteppingForManyRandomCases) {
    std::mt19937_64 random(20240510);
    std::uniform_real_distribution<double> start(36000, 50000);
    std::uniform_int_distribution<int> minutes(1, 20000);
    std::uniform_real_distribution<double> realPeriod(kMinute, 3.0);
    std::uniform_real_distribution<double> steps(0, 3000);
    int compared = 0;
    for (int i = 0; i < 5000; ++i) {
        const double period = i % 2 ? minutes(random) * kMinute : realPeriod(random);
        const TDateTime first = start(random);
        // Sometimes exactly on a stepped grid point, mostly anywhere.
        TDateTime now = first + steps(random) * period;
        if (i % 7 == 0) {
            TDateTime grid = first, unused = 0;
            stepCatchUp(grid, unused, period, now);
            now = grid;
        }
        TDateTime steppedNext = first, steppedDue = 0;
        const int stepCount = stepCatchUp(steppedNext, steppedDue, period, now);
        TDateTime next = first, due = 0;
        CatchUpSchedule(next, due, period, now);

        // The defining property holds exactly for the computed values.
        if (stepCount == 0) {
            EXPECT_EQ(next, first);
            EXPECT_EQ(due, 0);
            continue;
        }
        ASSERT_LT(due, now);
        ASSERT_GE(next, now);
        // Stepping accumulates rounding; when now lies within that rounding of a grid
        // point the two may pick neighbouring points, both correct.
        if (std::fabs(steppedNext - now) < 1e-7 || std::fabs(next - now) < 1e-7) continue;
        EXPECT_NEAR(next, steppedNext, 1e-7) << "case " << i;
        EXPECT_NEAR(due, steppedDue, 1e-7) << "case " << i;
        ++compared;
    }
    EXPECT_GT(compared, 4000);
}

TEST_F(ScheduleTest, TinyOrNegativePeriodCountsAsASingleCall) {
    const TDateTime now = At(2024, 5, 10, 10, 30);
    for (double period : {1e-12, 30.0 / 86400, -1.0, -1e-9}) {
        TDateTime next = now - 400, due = 0;
        CatchUpSchedule(next, due, period, now);
        EXPECT_EQ(next, 0) << period;
        EXPECT_EQ(due, now - 400) << period;
    }
}

TEST_F(ScheduleTest, CatchUpOverAHundredYearsOfMinutesIsImmediate) {
    const TDateTime now = At(2024, 5, 10, 10, 30, 30);
    TDateTime next = At(1924, 5, 10, 10, 0), due = 0;
    CatchUpSchedule(next, due, kMinute, now);
    EXPECT_LT(due, now);
    EXPECT_GE(next, now);
    EXPECT_NEAR(next - due, kMinute, 1e-9);
    EXPECT_NEAR(next, At(2024, 5, 10, 10, 31), 1e-6);
}

TEST_F(ScheduleTest, PeriodReadBackFromOneMinuteIsStillPeriodic) {
    const auto minute = ParseTimeHMS("00:01:00");
    ASSERT_TRUE(minute);
    EXPECT_FALSE(IsSingleCallPeriod(*minute));
    EXPECT_FALSE(IsSingleCallPeriod(kMinute));
    EXPECT_TRUE(IsSingleCallPeriod(0));
}

TEST_F(ScheduleTest, CancelDueCallsKeepsTheScheduleAndDropsPendingCalls) {
    SetNow(At(2024, 5, 10, 10, 30));
    TTasksList list;
    auto* missed = list.Add(std::make_unique<TTask>());
    missed->NextCall = At(2024, 5, 10, 9, 0);  // a single call that came while inactive
    list.UpdateCalls();
    EXPECT_EQ(NextCallString(*missed), "Annulée (Tâches non actives)");
    list.CancelDueCalls();
    EXPECT_EQ(NextCallString(*missed), "Terminée");
}

TEST_F(ScheduleTest, ATickDuringARunningTaskStartsNothing) {
    SetNow(At(2024, 5, 10, 10, 30));
    TTasksList list;
    auto* first = static_cast<CountingTask*>(list.Add(std::make_unique<CountingTask>()));
    auto* second = static_cast<CountingTask*>(list.Add(std::make_unique<CountingTask>()));
    first->NextCall = second->NextCall = At(2024, 5, 10, 10, 0);
    bool sawRunning = false;
    first->during = [&] {
        sawRunning = list.Running();
        list.ExecuteDueTasks();  // the automatic-mode timer firing inside the run
        EXPECT_EQ(second->runs, 0);
    };
    list.ExecuteDueTasks();
    EXPECT_TRUE(sawRunning);
    EXPECT_EQ(first->runs, 1);
    EXPECT_EQ(second->runs, 1);
    EXPECT_FALSE(list.Running());
}

TEST_F(ScheduleTest, AFailingTaskReleasesTheGuard) {
    SetNow(At(2024, 5, 10, 10, 30));
    TTasksList list;
    auto* task = static_cast<CountingTask*>(list.Add(std::make_unique<CountingTask>()));
    task->NextCall = At(2024, 5, 10, 10, 0);
    task->during = [] { throw std::runtime_error("disk full"); };
    EXPECT_THROW(list.ExecuteDueTasks(), std::runtime_error);
    EXPECT_FALSE(list.Running());
}

TEST(TaskTypes, CreateTaskAndTypeNames) {
    EXPECT_EQ(TTasksList::AvailableTasks, 2);
    EXPECT_EQ(TTasksList::TaskTypeName(0), "Ajout de fichiers balise");
    EXPECT_EQ(TTasksList::TaskTypeName(1), "Reconstruction des fichiers K7");
    EXPECT_EQ(TTasksList::TaskTypeName(2), "");
    EXPECT_EQ(TTasksList::TaskTypeName(-1), "");
    EXPECT_EQ(TTasksList::CreateTask(7), nullptr);

    const auto collect = TTasksList::CreateTask(0);
    ASSERT_NE(collect, nullptr);
    EXPECT_EQ(collect->Type, 0);
    EXPECT_EQ(collect->ImageIndex, 4);
    EXPECT_TRUE(collect->HasConfig);
    EXPECT_EQ(static_cast<TTaskGetFiles&>(*collect).ImportationMask, "*.*");

    const auto rebuild = TTasksList::CreateTask(1);
    ASSERT_NE(rebuild, nullptr);
    EXPECT_EQ(rebuild->Type, 1);
    EXPECT_EQ(rebuild->ImageIndex, 5);
    EXPECT_EQ(static_cast<TTaskMakeK7&>(*rebuild).NbDayToBuild, 3);
    EXPECT_EQ(rebuild->Description(),
              "Reconstruit les fichiers .K7 des jours précédents avec les dernières données");
}

TEST(TaskTypes, AssignCopiesOnlyTheParametersOfTheSameType) {
    TTaskGetFiles source;
    source.InputDirectory = "/in";
    source.SupprAfterAdd = true;
    source.ImportationMask = "*.BRU";
    source.NextCall = 45000;
    source.Periodicity = 1;

    TTaskGetFiles copy;
    copy.Assign(source);
    EXPECT_EQ(copy.InputDirectory, "/in");
    EXPECT_TRUE(copy.SupprAfterAdd);
    EXPECT_EQ(copy.ImportationMask, "*.BRU");
    EXPECT_EQ(copy.NextCall, 0);
    EXPECT_EQ(copy.Periodicity, 0);

    TTaskMakeK7 other;
    other.Assign(source);
    EXPECT_EQ(other.NbDayToBuild, 3);
    TTaskMakeK7 rebuild;
    rebuild.NbDayToBuild = 8;
    rebuild.FromSpecialDate = true;
    rebuild.SpecialDate = 38786;
    other.Assign(rebuild);
    EXPECT_EQ(other.NbDayToBuild, 8);
    EXPECT_TRUE(other.FromSpecialDate);
    EXPECT_EQ(other.SpecialDate, 38786);
}

}  // namespace
}  // namespace skylog
