// The K7 rebuild: which days it loads and writes, the progress it shows, and a day
// that fails.

#include <gtest/gtest.h>

#include "Common/FileUtil.h"
#include "tasks/UTaskMakeK7.h"
#include "tests/tasks/TaskTestDoubles.h"

namespace skylog {
namespace {

using Strings = std::vector<std::string>;
using test::At;

using MakeK7Test = test::TaskRunTest;

// From now, today is loaded but not rewritten; from a special date, that day and the
// following ones are. One day must still reach the end of the bar; a hand-edited count
// of zero or below neither divides by zero nor loops.
TEST_F(MakeK7Test, DaysLoadedAndRewritten) {
    SetClock(At(2024, 5, 10, 14, 30));
    struct Case {
        int days;
        bool fromSpecialDate;  // without a date picked: still from now
        TDateTime specialDate;
        Strings calls;
        std::vector<int> positions;
    };
    const Case cases[] = {
        {3, true, At(2006, 3, 10), {"clear", "load 13/03/2006", "load 12/03/2006", "load 11/03/2006",
                                    "load 10/03/2006", "load 09/03/2006", "k7 12/03/2006", "k7 11/03/2006",
                                    "k7 10/03/2006"},
         {0, 15, 30, 45, 60, 83, 91, 100}},
        {3, false, 0, {"clear", "load 10/05/2024", "load 09/05/2024", "load 08/05/2024", "load 07/05/2024",
                       "load 06/05/2024", "k7 09/05/2024", "k7 08/05/2024", "k7 07/05/2024"},
         {0, 15, 30, 45, 60, 83, 91, 100}},
        {1, true, 0, {"clear", "load 10/05/2024", "load 09/05/2024", "load 08/05/2024", "k7 09/05/2024"},
         {0, 25, 50, 100}},
        {0, false, 0, {"clear", "load 10/05/2024", "load 09/05/2024"}, {0, 37}},
        {-5, false, 0, {"clear"}, {}},
    };
    for (const Case& c : cases) {
        store.calls.clear();
        progress = {};
        TTaskMakeK7 task;
        task.NbDayToBuild = c.days;
        task.FromSpecialDate = c.fromSpecialDate;
        task.SpecialDate = c.specialDate;
        task.DueCall = 40000;
        task.Execute(services);
        EXPECT_EQ(task.DueCall, 0);
        EXPECT_EQ(store.calls, c.calls) << c.days << " days";
        EXPECT_EQ(progress.positions, c.positions) << c.days << " days";
        EXPECT_EQ(progress.captions, (Strings{"+Reconstruction des fichiers K7", "-"}));
    }
}

TEST_F(MakeK7Test, ADayThatFailsIsReportedAndTheOthersAreRebuilt) {
    store.onLoadDay = [](TDateTime day) {
        if (day == At(2006, 3, 12)) throw FileError("fichier journalier illisible");
    };
    store.onFlushDay = [](TDateTime day) {
        if (day == At(2006, 3, 11)) throw FileError("disque plein");
    };
    TMakeK7Run run(3, At(2006, 3, 13), store, boxes);
    const TMakeK7Result result = run.Execute(progress);
    EXPECT_EQ(result.LoadedDays.size(), 5u);
    EXPECT_EQ(result.WrittenDays.size(), 3u);
    EXPECT_EQ(store.calls.back(), "k7 10/03/2006");
    ASSERT_EQ(result.Failures.size(), 2u);
    const Strings warnings = boxes.Warnings();
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_NE(warnings[0].find("12/03/2006 : fichier journalier illisible"), std::string::npos);
    EXPECT_NE(warnings[0].find("11/03/2006 : disque plein"), std::string::npos);
}

TEST(MakeK7Params, DayCountChecksAndStoring) {
    EXPECT_EQ(DayCountError(" 30 "), std::nullopt);
    EXPECT_EQ(DayCountError("3j"), "Le nombre de jours doit être un nombre!");
    EXPECT_EQ(DayCountError("-2"), "Le nombre de jours doit être supérieur à zéro!");

    // From the current day the picked date is forgotten; from a picked one, only its day is kept.
    TTaskMakeK7 task;
    StoreMakeK7Params(5, false, At(2006, 3, 10, 12, 0), task);
    EXPECT_EQ(task.NbDayToBuild, 5);
    EXPECT_FALSE(task.FromSpecialDate);
    EXPECT_EQ(task.SpecialDate, 0);
    StoreMakeK7Params(2, true, At(2006, 3, 10, 12, 0), task);
    EXPECT_TRUE(task.FromSpecialDate);
    EXPECT_EQ(task.SpecialDate, At(2006, 3, 10));
}

}  // namespace
}  // namespace skylog
