// Tasks.inf: what the list writes, what it reads back, and what it makes of files
// written by hand or by earlier installations.

#include <gtest/gtest.h>

#include <tuple>

#include "Common/FileUtil.h"
#include "Common/IniFile.h"
#include "tasks/UTaskGetFiles.h"
#include "tasks/UTaskMakeK7.h"
#include "tasks/UTasks.h"
#include "tests/support/TempDir.h"
#include "tests/tasks/TaskTestDoubles.h"

namespace skylog {
namespace {

using test::At;

class TasksInfTest : public ::testing::Test {
protected:
    test::TempDir dir;
    std::string path = dir.File("Tasks.inf");

    void Write(std::string_view text) { test::WriteText(path, text); }
    [[nodiscard]] TIniFile Reread() const { return TIniFile(path); }
};

TEST_F(TasksInfTest, SavingFewerTasksRemovesTheLeftoverSections) {
    TTasksList list;
    for (int i = 0; i < 5; ++i) list.Add(TTasksList::CreateTask(i % 2));
    list.SaveToFile(path);
    ASSERT_TRUE(Reread().SectionExists("Task4"));

    list.Delete(4);
    list.Delete(3);
    list.Delete(2);
    list.SaveToFile("");  // the file name of the last save
    const TIniFile ini = Reread();
    EXPECT_EQ(ini.ReadInteger("Tasks", "NbTasks", -1), 2);
    EXPECT_EQ(ini.SectionNames(), (std::vector<std::string>{"Tasks", "Task0", "Task1"}));
}

TEST_F(TasksInfTest, RoundTripOfBothTaskTypes) {
    TTasksList list;
    auto collect = std::make_unique<TTaskGetFiles>();
    collect->NextCall = At(2024, 5, 10, 8, 15, 30);
    collect->Periodicity = 2.5;
    collect->InputDirectory = "/data/entrée";
    collect->SupprAfterAdd = true;
    collect->ImportationMask = "*.CNRS";
    list.Add(std::move(collect));
    auto rebuild = std::make_unique<TTaskMakeK7>();
    rebuild->NextCall = At(2024, 5, 11, 23, 59, 59);
    rebuild->Periodicity = 13.0 / 1440;
    rebuild->NbDayToBuild = 7;
    rebuild->FromSpecialDate = true;
    rebuild->SpecialDate = At(2006, 3, 10);
    list.Add(std::move(rebuild));
    list.SaveToFile(path);

    const TIniFile ini = Reread();
    EXPECT_EQ(ini.ReadString("Task0", "Type", ""), "0");
    EXPECT_EQ(ini.ReadString("Task0", "NextCallDate", ""), "10/05/2024");
    EXPECT_EQ(ini.ReadString("Task0", "NextCallTime", ""), "08:15:30");
    EXPECT_EQ(ini.ReadString("Task0", "Periodicity", ""), "12:00:00");
    EXPECT_EQ(ini.ReadString("Task0", "Periodicity_Day", ""), "2");
    EXPECT_EQ(ini.ReadString("Task0", "SupprAfterAdd", ""), "1");
    EXPECT_EQ(ini.ReadString("Task1", "Periodicity", ""), "00:13:00");
    EXPECT_EQ(ini.ReadString("Task1", "SpecialDate", ""), "10/03/2006");
    EXPECT_EQ(ini.KeyNames("Task1"),
              (std::vector<std::string>{"Type", "NextCallDate", "NextCallTime", "Periodicity",
                                        "Periodicity_Day", "NbDayToBuild", "FromSpecialDate", "SpecialDate"}));

    TTasksList loaded;
    loaded.LoadFromFile(path);
    ASSERT_EQ(loaded.Count(), 2u);
    EXPECT_EQ(loaded.FileName, path);
    const auto& c = dynamic_cast<const TTaskGetFiles&>(*loaded[0]);
    EXPECT_NEAR(c.NextCall, At(2024, 5, 10, 8, 15, 30), 1e-9);
    EXPECT_NEAR(c.Periodicity, 2.5, 1e-9);
    EXPECT_EQ(c.InputDirectory, "/data/entrée");
    EXPECT_TRUE(c.SupprAfterAdd);
    EXPECT_EQ(c.ImportationMask, "*.CNRS");
    EXPECT_EQ(c.DueCall, 0);
    const auto& r = dynamic_cast<const TTaskMakeK7&>(*loaded[1]);
    EXPECT_NEAR(r.NextCall, At(2024, 5, 11, 23, 59, 59), 1e-9);
    EXPECT_EQ(r.PeriodicityString(), "Toutes les 13 minutes");
    EXPECT_EQ(r.NbDayToBuild, 7);
    EXPECT_TRUE(r.FromSpecialDate);
    EXPECT_EQ(r.SpecialDate, At(2006, 3, 10));
}

TEST_F(TasksInfTest, NoNextCallRemovesItsKeysAndNoSpecialDateIsTheEpoch) {
    TTasksList list;
    auto* task = list.Add(std::make_unique<TTaskMakeK7>());
    task->NextCall = At(2024, 5, 10, 8, 0);
    list.SaveToFile(path);
    ASSERT_TRUE(Reread().ValueExists("Task0", "NextCallDate"));

    task->NextCall = 0;
    list.SaveToFile(path);
    const TIniFile ini = Reread();
    EXPECT_FALSE(ini.ValueExists("Task0", "NextCallDate"));
    EXPECT_FALSE(ini.ValueExists("Task0", "NextCallTime"));
    EXPECT_EQ(ini.ReadString("Task0", "SpecialDate", ""), "30/12/1899");
    EXPECT_EQ(ini.ReadString("Task0", "Periodicity", ""), "00:00:00");
    EXPECT_EQ(ini.ReadString("Task0", "Periodicity_Day", ""), "0");

    TTasksList loaded;
    loaded.LoadFromFile(path);
    ASSERT_EQ(loaded.Count(), 1u);
    EXPECT_EQ(loaded[0]->NextCall, 0);
    EXPECT_EQ(dynamic_cast<TTaskMakeK7&>(*loaded[0]).SpecialDate, 0);
}

TEST_F(TasksInfTest, SectionsWithoutAKnownTypeAreSkippedAndTheNextSaveRenumbers) {
    Write("[Tasks]\r\nNbTasks=4\r\n"
          "[Task0]\r\nType=0\r\nInputDirectory=/a\r\n"
          "[Task1]\r\nInputDirectory=/lost\r\n"
          "[Task2]\r\nType=7\r\n"
          "[Task3]\r\nType=1\r\nNbDayToBuild=5\r\n");
    TTasksList list;
    list.LoadFromFile(path);
    ASSERT_EQ(list.Count(), 2u);
    EXPECT_EQ(list[0]->Type, 0);
    EXPECT_EQ(list[1]->Type, 1);
    EXPECT_EQ(dynamic_cast<TTaskMakeK7&>(*list[1]).NbDayToBuild, 5);

    list.SaveToFile("");
    const TIniFile ini = Reread();
    EXPECT_EQ(ini.ReadInteger("Task1", "Type", -1), 1);
    EXPECT_FALSE(ini.ValueExists("Task1", "InputDirectory"));
    EXPECT_FALSE(ini.SectionExists("Task2"));
    EXPECT_FALSE(ini.SectionExists("Task3"));
}

TEST_F(TasksInfTest, ReadingDefaultsAndEarlierForms) {
    Write("[Tasks]\r\nNbTasks=5\r\n"
          // An earlier installation with a two-digit year and no leading zero.
          "[Task0]\r\nType=1\r\nNextCallDate=10/03/06\r\nNextCallTime=8:05:00\r\n"
          "Periodicity=00:30:00\r\nFromSpecialDate=2\r\nSpecialDate=09/03/2006\r\n"
          // A time without a readable date is no next call; an unreadable period
          // time leaves the whole days.
          "[Task1]\r\nType=0\r\nNextCallDate=31/02/2024\r\nNextCallTime=08:00:00\r\n"
          "Periodicity=soon\r\nPeriodicity_Day=3\r\nSupprAfterAdd=5\r\n"
          "[Task2]\r\nType=1\r\nSpecialDate=garbage\r\n"
          "[Task3]\r\nType=0\r\n"
          "[Task4]\r\nType=0\r\nNextCallDate= 11/05/2024 \r\n");
    TTasksList list;
    list.LoadFromFile(path);
    ASSERT_EQ(list.Count(), 5u);

    const auto& first = dynamic_cast<TTaskMakeK7&>(*list[0]);
    EXPECT_NEAR(first.NextCall, At(2006, 3, 10, 8, 5), 1e-9);
    EXPECT_NEAR(first.Periodicity, 30.0 / 1440, 1e-12);
    EXPECT_TRUE(first.FromSpecialDate);
    EXPECT_EQ(first.SpecialDate, At(2006, 3, 9));
    EXPECT_EQ(first.NbDayToBuild, 3);

    const auto& second = dynamic_cast<TTaskGetFiles&>(*list[1]);
    EXPECT_EQ(second.NextCall, 0);
    EXPECT_EQ(second.Periodicity, 3);
    EXPECT_TRUE(second.SupprAfterAdd);

    EXPECT_EQ(dynamic_cast<TTaskMakeK7&>(*list[2]).SpecialDate, 0);
    const auto& fourth = dynamic_cast<TTaskGetFiles&>(*list[3]);
    EXPECT_EQ(fourth.ImportationMask, "*.*");
    EXPECT_EQ(fourth.InputDirectory, "");
    EXPECT_FALSE(fourth.SupprAfterAdd);
    EXPECT_EQ(list[4]->NextCall, At(2024, 5, 11));
}

TEST_F(TasksInfTest, AMissingFileKeepsTheListButGivesItAFileName) {
    TTasksList list;
    list.Add(std::make_unique<TTaskGetFiles>());
    list.LoadFromFile(path);
    EXPECT_EQ(list.Count(), 1u);
    EXPECT_EQ(list.FileName, path);
    list.SaveToFile("");
    EXPECT_TRUE(FileExists(path));

    // A list with a file keeps it when asked for a missing one.
    list.LoadFromFile(dir.File("other.inf"));
    EXPECT_EQ(list.FileName, path);
    EXPECT_EQ(list.Count(), 1u);
}

TEST_F(TasksInfTest, PeriodsAreSplitIntoDaysAndATimeOfDay) {
    TTasksList list;
    auto* task = list.Add(std::make_unique<TTaskGetFiles>());
    const std::tuple<double, const char*, const char*> cases[] = {
        {3.0 / 24, "03:00:00", "0"},
        {1000, "00:00:00", "1000"},
        {1 - 1e-10, "00:00:00", "1"},  // just under a day must not lose that day
        {-1.5, "12:00:00", ""},        // a negative period (hand-edited) writes no day count
    };
    for (const auto& [period, time, days] : cases) {
        task->Periodicity = period;
        list.SaveToFile(path);
        const TIniFile ini = Reread();
        EXPECT_EQ(ini.ReadString("Task0", "Periodicity", ""), time) << period;
        EXPECT_EQ(ini.ReadString("Task0", "Periodicity_Day", ""), days) << period;
    }
}

TEST_F(TasksInfTest, SavingWithoutAnyFileNameFails) {
    TTasksList list;
    EXPECT_THROW(list.SaveToFile(""), FileError);
}

TEST_F(TasksInfTest, AnEmptyListWritesAZeroCount) {
    TTasksList list;
    list.SaveToFile(path);
    EXPECT_EQ(Reread().ReadString("Tasks", "NbTasks", ""), "0");
    TTasksList loaded;
    loaded.Add(std::make_unique<TTask>());
    loaded.LoadFromFile(path);
    EXPECT_EQ(loaded.Count(), 0u);
}

TEST_F(TasksInfTest, AHugeDeclaredCountReadsOnlyTheSectionsThere) {
    Write("[Tasks]\r\nNbTasks=2000000000\r\n[Task0]\r\nType=0\r\n");
    TTasksList list;
    list.LoadFromFile(path);
    EXPECT_EQ(list.Count(), 1u);
}

}  // namespace
}  // namespace skylog
