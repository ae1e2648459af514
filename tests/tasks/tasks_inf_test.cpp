// Tasks.inf: what the list writes, what it reads back, and what it makes of files
// written by hand or by earlier installations.

#include <gtest/gtest.h>

#include <filesystem>
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
using test::ReadText;

class TasksInfTest : public ::testing::Test {
protected:
    test::TempDir dir;
    std::string path = dir.File("Tasks.inf");

    void Write(std::string_view text) { test::WriteText(path, text); }
    [[nodiscard]] TIniFile Reread() const { return TIniFile(path); }
};

// Read and written back byte for byte: no parameter is lost or reshaped on the way.
TEST_F(TasksInfTest, BothTaskTypesAreReadAndWrittenBackWhole) {
    const std::string written =
        "[Tasks]\r\nNbTasks=3\r\n\r\n"
        "[Task0]\r\nType=0\r\nNextCallDate=10/05/2024\r\nNextCallTime=08:15:30\r\n"
        "Periodicity=12:00:00\r\nPeriodicity_Day=2\r\nInputDirectory=/data/entr\xE9" "e\r\n"
        "SupprAfterAdd=1\r\nImportationMask=*.CNRS\r\n\r\n"
        "[Task1]\r\nType=1\r\nNextCallDate=11/05/2024\r\nNextCallTime=23:59:59\r\n"
        "Periodicity=00:13:00\r\nPeriodicity_Day=0\r\nNbDayToBuild=7\r\nFromSpecialDate=1\r\n"
        "SpecialDate=10/03/2006\r\n\r\n"
        "[Task2]\r\nType=1\r\nPeriodicity=00:00:00\r\nPeriodicity_Day=0\r\nNbDayToBuild=3\r\n"
        "FromSpecialDate=0\r\nSpecialDate=30/12/1899\r\n";
    Write(written);
    TTasksList loaded;
    loaded.LoadFromFile(path);
    ASSERT_EQ(loaded.Count(), 3u);
    EXPECT_NEAR(loaded[0]->NextCall, At(2024, 5, 10, 8, 15, 30), 1e-9);
    EXPECT_NEAR(loaded[0]->Periodicity, 2.5, 1e-9);
    EXPECT_EQ(dynamic_cast<TTaskGetFiles&>(*loaded[0]).InputDirectory, "/data/entrée");
    loaded.SaveToFile(dir.File("again.inf"));
    EXPECT_EQ(ReadText(dir.File("again.inf")), written);
}

// Sections without a known type are skipped, and the next save of a change renumbers
// and removes the leftover sections; unreadable values leave the defaults.
TEST_F(TasksInfTest, ReadingHandWrittenAndEarlierFiles) {
    Write("[Tasks]\r\nNbTasks=7\r\n"
          // An earlier installation with a two-digit year and no leading zero.
          "[Task0]\r\nType=1\r\nNextCallDate=10/03/06\r\nNextCallTime=8:05:00\r\n"
          "Periodicity=00:30:00\r\nFromSpecialDate=2\r\nSpecialDate=09/03/2006\r\n"
          // A time without a readable date is no next call; an unreadable period
          // time leaves the whole days.
          "[Task1]\r\nType=0\r\nNextCallDate=31/02/2024\r\nNextCallTime=08:00:00\r\n"
          "Periodicity=soon\r\nPeriodicity_Day=3\r\nSupprAfterAdd=5\r\n"
          "[Task2]\r\nInputDirectory=/lost\r\n"
          "[Task3]\r\nType=7\r\n"
          "[Task4]\r\nType=1\r\nSpecialDate=garbage\r\n"
          "[Task5]\r\nType=0\r\n"
          "[Task6]\r\nType=0\r\nNextCallDate= 11/05/2024 \r\n");
    TTasksList list;
    list.LoadFromFile(path);
    ASSERT_EQ(list.Count(), 5u);

    const auto& first = dynamic_cast<TTaskMakeK7&>(*list[0]);
    EXPECT_NEAR(first.NextCall, At(2006, 3, 10, 8, 5), 1e-9);
    EXPECT_NEAR(first.Periodicity, 30.0 / 1440, 1e-12);
    EXPECT_EQ(std::tuple(first.FromSpecialDate, first.SpecialDate, first.NbDayToBuild),
              std::tuple(true, At(2006, 3, 9), 3));
    const auto& second = dynamic_cast<TTaskGetFiles&>(*list[1]);
    EXPECT_EQ(std::tuple(second.NextCall, second.Periodicity, second.SupprAfterAdd), std::tuple(0.0, 3.0, true));
    EXPECT_EQ(dynamic_cast<TTaskMakeK7&>(*list[2]).SpecialDate, 0);
    const auto& fourth = dynamic_cast<TTaskGetFiles&>(*list[3]);
    EXPECT_EQ(std::tuple(fourth.ImportationMask, fourth.InputDirectory, fourth.SupprAfterAdd),
              std::tuple("*.*", "", false));
    EXPECT_EQ(list[4]->NextCall, At(2024, 5, 11));

    list.Delete(4);
    list.SaveToFile("");
    const TIniFile ini = Reread();
    EXPECT_EQ(ini.SectionNames(), (std::vector<std::string>{"Tasks", "Task0", "Task1", "Task2", "Task3"}));
    EXPECT_EQ(ini.ReadInteger("Task2", "Type", -1), 1);
    EXPECT_FALSE(ini.ValueExists("Task2", "InputDirectory"));
}

TEST_F(TasksInfTest, TheListKeepsAFileNameAndNeedsOneToSave) {
    TTasksList list;
    EXPECT_THROW(list.SaveToFile(""), FileError);
    list.Add(std::make_unique<TTaskGetFiles>());
    list.LoadFromFile(path);  // missing: the list stays and adopts the name
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

TEST_F(TasksInfTest, TheDeclaredCountIsBoundedByTheSectionsThere) {
    TTasksList list;
    Write("[Tasks]\r\nNbTasks=2000000000\r\n[Task0]\r\nType=0\r\n");
    list.LoadFromFile(path);
    EXPECT_EQ(list.Count(), 1u);
    // A count too small leaves the tasks past it unread, and the file as it is.
    const std::string tooSmall = "[Tasks]\r\nNbTasks=1\r\n[Task0]\r\nType=0\r\n[Task1]\r\nType=1\r\n";
    Write(tooSmall);
    list.LoadFromFile(path);
    EXPECT_EQ(list.Count(), 1u);
    EXPECT_EQ(list.LoadWarnings().size(), 1u);
    list.Add(std::make_unique<TTaskMakeK7>());
    EXPECT_THROW(list.SaveToFile(""), FileError);
    EXPECT_EQ(ReadText(path), tooSmall);
}

// Two programs holding the list: each writes its own changes into what the file holds
// then, and takes the other's.
TEST_F(TasksInfTest, ChangesOfTwoListsOnOneFileAreBothKept) {
    TTasksList first;
    first.Add(std::make_unique<TTaskGetFiles>());
    first.SaveToFile(path);
    TTasksList second;
    second.LoadFromFile(path);
    second.Add(std::make_unique<TTaskMakeK7>());
    second.SaveToFile("");
    dynamic_cast<TTaskGetFiles&>(*first[0]).InputDirectory = "/in";
    first.SaveToFile("");
    ASSERT_EQ(first.Count(), 2u);
    TTasksList reread;
    reread.LoadFromFile(path);
    ASSERT_EQ(reread.Count(), 2u);
    EXPECT_EQ(dynamic_cast<TTaskGetFiles&>(*reread[0]).InputDirectory, "/in");
    EXPECT_EQ(reread[1]->Type, 1);
    // Nothing changed, nothing written.
    std::filesystem::remove(path);
    first.SaveToFile("");
    EXPECT_FALSE(FileExists(path));
}

}  // namespace
}  // namespace skylog
