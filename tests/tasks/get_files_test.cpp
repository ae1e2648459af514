// The file collection: what it reads, stores and deletes, what it shows on the way,
// and what happens to the files on a cancel, an unknown format or a read failure.

#include <gtest/gtest.h>

#include "Common/FileUtil.h"
#include "Common/MessageBoxes.h"
#include "Common/UUtils.h"
#include "tasks/TaskGetFilesRun.h"
#include "tasks/UTaskGetFiles.h"
#include "tests/support/TempDir.h"
#include "tests/tasks/TaskTestDoubles.h"

namespace skylog {
namespace {

using Strings = std::vector<std::string>;

class GetFilesTest : public ::testing::Test {
protected:
    test::TempDir dir;
    test::FakeStore store;
    test::RecordingProgress progress;
    test::RecordingMainWindow mainWindow;
    RecordingMessageBoxes boxes;
    ScopedMessageBoxes scopedBoxes{boxes};

    void Put(const std::string& name) { test::WriteText(dir.File(name), "content of " + name); }
    [[nodiscard]] bool Present(const std::string& name) const { return FileExists(dir.File(name)); }
    TGetFilesResult Collect(std::string_view mask, bool deleteAfter, std::string folder = "") {
        TGetFilesRun run(folder.empty() ? dir.Path() : folder, std::string(mask), deleteAfter, store, &mainWindow);
        return run.Execute(progress);
    }
};

TEST_F(GetFilesTest, CollectsTheMatchingFilesStoresThemOnceAndDeletesThem) {
    for (const char* name : {"b.CNRS", "a.CNRS", "c.cnrs", "notes.txt"}) Put(name);
    const TGetFilesResult result = Collect("*.CNRS", true);

    EXPECT_EQ(progress.maximum, 4);
    EXPECT_EQ(progress.labels, (Strings{"Préparation de la liste des fichiers...", "Ajout du fichier a.CNRS",
                                        "Ajout du fichier b.CNRS", "Ajout du fichier c.cnrs",
                                        "Sauvegarde des fichiers et création K7..."}));
    EXPECT_EQ(progress.positions, (std::vector<int>{0, 1, 2, 4}));
    EXPECT_FALSE(progress.cancelEnabled);
    EXPECT_EQ(store.calls, (Strings{"read a.CNRS", "read b.CNRS", "read c.cnrs", "flush"}));
    EXPECT_EQ(mainWindow.calls, (Strings{"unlock", "beacon -1", "block -1", "refresh"}));
    EXPECT_EQ(result.ReadFiles.size(), 3u);
    EXPECT_EQ(result.CloseCountdown, 1);
    EXPECT_FALSE(Present("a.CNRS") || Present("b.CNRS") || Present("c.cnrs"));
    EXPECT_TRUE(Present("notes.txt"));
    EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(GetFilesTest, WithoutDeletionTheFilesStay) {
    Put("a.CNRS");
    (void)Collect("*.CNRS", false);
    EXPECT_TRUE(Present("a.CNRS"));
}

TEST_F(GetFilesTest, NoFolderOrNoFileReportsNothingFoundAndStoresNothing) {
    // An empty folder name must not list the current folder.
    for (const std::string& folder : {std::string(), dir.File("missing/")}) {
        progress = {};
        TGetFilesRun run(folder, "*.*", true, store, &mainWindow);
        const TGetFilesResult result = run.Execute(progress);
        EXPECT_TRUE(result.NothingFound);
        EXPECT_EQ(result.CloseCountdown, 10);
        EXPECT_EQ(progress.labels.back(), "Aucun fichier trouvé ou répertoire incorrect!");
        EXPECT_TRUE(store.calls.empty());
    }
    Put("a.BRU");
    EXPECT_TRUE(Collect("*.CNRS", true).NothingFound);
    EXPECT_TRUE(mainWindow.calls.empty());
}

TEST_F(GetFilesTest, ACancelStillStoresWhatWasReadAndLeavesTheRest) {
    for (const char* name : {"a.CNRS", "b.CNRS", "c.CNRS"}) Put(name);
    progress.cancelAfterChecks = 1;  // Cancel clicked while the first file is read
    const TGetFilesResult result = Collect("*.CNRS", true);
    EXPECT_TRUE(result.Cancelled);
    EXPECT_EQ(store.calls, (Strings{"read a.CNRS", "flush"}));
    EXPECT_FALSE(Present("a.CNRS"));
    EXPECT_TRUE(Present("b.CNRS"));
    EXPECT_TRUE(Present("c.CNRS"));
}

TEST_F(GetFilesTest, UnrecognisedFilesAreNotDeleted) {
    Put("a.DCP");
    Put("readme.txt");
    const TGetFilesResult result = Collect("*.*", true);
    EXPECT_EQ(result.UnrecognisedFiles, Strings{"readme.txt"});
    EXPECT_FALSE(Present("a.DCP"));
    EXPECT_TRUE(Present("readme.txt"));
    EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(GetFilesTest, AFileThatFailsToReadIsReportedKeptAndTheOthersGoOn) {
    for (const char* name : {"a.CNRS", "bad.CNRS", "c.CNRS"}) Put(name);
    store.onRead = [](const std::string& path) -> int {
        if (path.find("bad") != std::string::npos) throw FileError("Permission refusée");
        return 0;
    };
    const TGetFilesResult result = Collect("*.CNRS", true);
    EXPECT_EQ(store.calls, (Strings{"read a.CNRS", "read bad.CNRS", "read c.CNRS", "flush"}));
    EXPECT_TRUE(Present("bad.CNRS"));
    EXPECT_FALSE(Present("a.CNRS") || Present("c.CNRS"));
    ASSERT_EQ(result.FailedFiles.size(), 1u);
    const Strings warnings = boxes.Warnings();
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_NE(warnings[0].find("bad.CNRS : Permission refusée"), std::string::npos);
}

TEST_F(GetFilesTest, ARunStartsOnlyOnce) {
    Put("a.CNRS");
    TGetFilesRun run(dir.Path(), "*.CNRS", false, store, nullptr);
    EXPECT_FALSE(run.Execute(progress).Skipped);
    EXPECT_TRUE(run.Execute(progress).Skipped);
    EXPECT_EQ(store.calls, (Strings{"read a.CNRS", "flush"}));
}

TEST_F(GetFilesTest, ExecuteClearsTheDueCallAndUsesTheInstalledServices) {
    Put("x.GOES");
    TTaskGetFiles task;
    task.InputDirectory = dir.Path().substr(0, dir.Path().size() - 1);  // without the trailing "/"
    task.ImportationMask = "*.GOES";
    task.SupprAfterAdd = true;
    task.DueCall = 45000;
    SetTaskStoreForTesting(&store);
    SetMainWindowHook(&mainWindow);
    {
        ScopedTaskProgress scoped(progress);
        task.Execute();
    }
    SetTaskStoreForTesting(nullptr);
    SetMainWindowHook(nullptr);
    EXPECT_EQ(task.DueCall, 0);
    EXPECT_EQ(store.calls, (Strings{"read x.GOES", "flush"}));
    EXPECT_EQ(progress.maximum, 2);
    EXPECT_FALSE(Present("x.GOES"));
    EXPECT_EQ(mainWindow.calls.back(), "refresh");
}

TEST(GetFilesParams, MaskChoicesBothWays) {
    EXPECT_EQ(MaskChoiceOf("*.CNRS"), TMaskChoice::Cnrs);
    EXPECT_EQ(MaskChoiceOf("*.DCP"), TMaskChoice::Dcp);
    EXPECT_EQ(MaskChoiceOf("*.BRU"), TMaskChoice::Bru);
    EXPECT_EQ(MaskChoiceOf("*.*"), TMaskChoice::All);
    EXPECT_EQ(MaskChoiceOf("*.GOES"), TMaskChoice::Other);
    EXPECT_EQ(MaskChoiceOf("A*.CNRS"), TMaskChoice::Other);
    for (auto choice : {TMaskChoice::Cnrs, TMaskChoice::Dcp, TMaskChoice::Bru, TMaskChoice::All})
        EXPECT_EQ(MaskChoiceOf(MaskOfChoice(choice)), choice);
    EXPECT_EQ(MaskOfChoice(TMaskChoice::Other), "*.*");
    EXPECT_TRUE(MaskEditable(TMaskChoice::Other));
    EXPECT_FALSE(MaskEditable(TMaskChoice::All));
    EXPECT_STREQ(kMaskChoiceNames[static_cast<int>(TMaskChoice::Bru)], "Fichiers BRU");
}

TEST(GetFilesParams, StoringPutsTheMaskInUpperCase) {
    TTaskGetFiles task;
    TGetFilesParams params = LoadGetFilesParams(task);
    EXPECT_EQ(params.Mask, "*.*");
    params = {"/in", "a*.cnrs", true};
    StoreGetFilesParams(params, task);
    EXPECT_EQ(task.ImportationMask, "A*.CNRS");
    EXPECT_EQ(task.InputDirectory, "/in");
    EXPECT_TRUE(task.SupprAfterAdd);
}

}  // namespace
}  // namespace skylog
