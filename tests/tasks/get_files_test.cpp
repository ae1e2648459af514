// The file collection: what it reads, stores and deletes, what it shows on the way,
// and what happens to the files on a cancel, an unknown format or a read failure.

#include <gtest/gtest.h>

#include "Common/FileUtil.h"
#include "tasks/TaskGetFilesRun.h"
#include "tasks/UTaskGetFiles.h"
#include "tests/support/TempDir.h"
#include "tests/tasks/TaskTestDoubles.h"

namespace skylog {
namespace {

using Strings = std::vector<std::string>;

class GetFilesTest : public test::TaskRunTest {
protected:
    test::TempDir dir;

    void Put(std::initializer_list<const char*> names) {
        for (const char* name : names) test::WriteText(dir.File(name), std::string("content of ") + name);
    }
    [[nodiscard]] bool Present(const std::string& name) const { return FileExists(dir.File(name)); }
    TGetFilesResult Collect(std::string_view mask, bool deleteAfter, size_t budget = size_t{1} << 30) {
        TGetFilesRun run(dir.Path(), std::string(mask), deleteAfter, budget, store, boxes);
        return run.Execute(progress);
    }
};

// A file the reader does not recognise is not ours to delete.
TEST_F(GetFilesTest, StoresTheRecognisedFilesOnceAndDeletesThem) {
    Put({"b.CNRS", "a.CNRS", "c.cnrs", "notes.txt"});
    const TGetFilesResult result = Collect("*.*", true);

    EXPECT_EQ(progress.maximum, 5);
    EXPECT_EQ(progress.labels, (Strings{"Préparation de la liste des fichiers...", "Ajout du fichier a.CNRS",
                                        "Ajout du fichier b.CNRS", "Ajout du fichier c.cnrs",
                                        "Ajout du fichier notes.txt", "Sauvegarde des fichiers et création K7..."}));
    EXPECT_EQ(progress.positions, (std::vector<int>{0, 1, 2, 3, 5}));
    EXPECT_FALSE(progress.cancelEnabled);
    EXPECT_EQ(store.calls, (Strings{"read a.CNRS", "read b.CNRS", "read c.cnrs", "read notes.txt", "flush"}));
    EXPECT_EQ(result.ReadFiles, (Strings{"a.CNRS", "b.CNRS", "c.cnrs"}));
    EXPECT_EQ(result.UnrecognisedFiles, Strings{"notes.txt"});
    EXPECT_EQ(result.CloseCountdown, 1);
    EXPECT_FALSE(Present("a.CNRS") || Present("b.CNRS") || Present("c.cnrs"));
    EXPECT_TRUE(Present("notes.txt"));
    EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(GetFilesTest, NoFolderOrNoFileReportsNothingFoundAndStoresNothing) {
    // An empty folder name must not list the current folder.
    for (const std::string& folder : {std::string(), dir.File("missing/")}) {
        progress = {};
        TGetFilesRun run(folder, "*.*", true, size_t{1} << 30, store, boxes);
        const TGetFilesResult result = run.Execute(progress);
        EXPECT_TRUE(result.NothingFound);
        EXPECT_EQ(result.CloseCountdown, 10);
        EXPECT_EQ(progress.labels.back(), "Aucun fichier trouvé ou répertoire incorrect!");
        EXPECT_TRUE(store.calls.empty());
    }
    Put({"a.BRU"});
    EXPECT_TRUE(Collect("*.CNRS", true).NothingFound);
}

TEST_F(GetFilesTest, ACancelStillStoresWhatWasReadAndLeavesTheRest) {
    Put({"a.CNRS", "b.CNRS", "c.CNRS"});
    progress.cancelAfterChecks = 1;  // Cancel clicked while the first file is read
    const TGetFilesResult result = Collect("*.CNRS", true);
    EXPECT_TRUE(result.Cancelled);
    EXPECT_EQ(store.calls, (Strings{"read a.CNRS", "flush"}));
    EXPECT_FALSE(Present("a.CNRS"));
    EXPECT_TRUE(Present("b.CNRS") && Present("c.CNRS"));
}

TEST_F(GetFilesTest, AFileThatFailsToReadIsReportedKeptAndTheOthersGoOn) {
    Put({"a.CNRS", "bad.CNRS", "c.CNRS"});
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

TEST_F(GetFilesTest, ARunStartsOnlyOnceAndWithoutDeletionTheFilesStay) {
    Put({"a.CNRS"});
    TGetFilesRun run(dir.Path(), "*.CNRS", false, size_t{1} << 30, store, boxes);
    EXPECT_FALSE(run.Execute(progress).Skipped);
    EXPECT_TRUE(run.Execute(progress).Skipped);
    EXPECT_EQ(store.calls, (Strings{"read a.CNRS", "flush"}));
    EXPECT_TRUE(Present("a.CNRS"));
}

TEST_F(GetFilesTest, TaskExecuteClearsTheDueCallAndUsesTheRunsServices) {
    Put({"x.GOES"});
    TTaskGetFiles task;
    task.InputDirectory = dir.Path().substr(0, dir.Path().size() - 1);  // without the trailing "/"
    task.ImportationMask = "*.GOES";
    task.SupprAfterAdd = true;
    task.DueCall = 45000;
    task.Execute(services);
    EXPECT_EQ(task.DueCall, 0);
    EXPECT_EQ(store.calls, (Strings{"read x.GOES", "flush"}));
    EXPECT_EQ(progress.maximum, 2);
    EXPECT_EQ(progress.captions, (Strings{"+Importation des fichiers en cours...", "-"}));
    EXPECT_FALSE(Present("x.GOES"));
}

// Past the memory budget the store is written and emptied, and the files it holds are
// deleted then, not at the end.
TEST_F(GetFilesTest, PastTheBudgetFilesAreStoredAndDeletedSaveBySave) {
    Put({"a.CNRS", "b.CNRS", "c.CNRS"});
    store.bytesPerRead = 10;
    Strings presentAtFlush;
    store.onFlush = [&] {
        std::string present;
        for (const char* name : {"a.CNRS", "b.CNRS", "c.CNRS"}) present += Present(name) ? name[0] : '-';
        presentAtFlush.push_back(present);
    };
    Collect("*.CNRS", true, 15);
    EXPECT_EQ(store.calls, (Strings{"read a.CNRS", "read b.CNRS", "flush", "clear", "read c.CNRS", "flush"}));
    EXPECT_EQ(presentAtFlush, (Strings{"abc", "--c"}));
    EXPECT_FALSE(Present("c.CNRS"));
}

// A mask without a choice of its own shows as "other", and is stored in upper case.
TEST(GetFilesParams, MaskChoicesAndStoredMask) {
    EXPECT_EQ(MaskOfChoice(MaskChoiceOf("*.BRU")), "*.BRU");
    for (const char* other : {"*.GOES", "A*.CNRS"}) EXPECT_EQ(MaskChoiceOf(other), TMaskChoice::Other) << other;
    TTaskGetFiles task;
    StoreGetFilesParams({"/in", "a*.cnrs", true}, task);
    EXPECT_EQ(task.ImportationMask, "A*.CNRS");
    EXPECT_EQ(LoadGetFilesParams(task).Mask, "A*.CNRS");
}

}  // namespace
}  // namespace skylog
