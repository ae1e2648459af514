#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "Common/FileUtil.h"
#include "Common/IniFile.h"
#include "Common/InstalledPaths.h"
#include "Common/Settings.h"
#include "Common/UUtils.h"
#include "dcp/UDCPList.h"
#include "import/UDecodFile.h"
#include "k7/HostDataLoader.h"
#include "plugin/USkylog.h"
#include "tasks/UTasks.h"
#include "tests/support/TempDir.h"

namespace skylog {
namespace {

namespace fs = std::filesystem;

class SkylogRun : public ::testing::Test {
protected:
    TSkylogOptions Options() {
        TSkylogOptions options;
        options.hostFileName = dir.File("host/ormawin");
        options.settingsFile = dir.File("config/Skylog.conf");
        options.reporter = &boxes;
        return options;
    }
    test::TempDir dir;
    RecordingMessageBoxes boxes;
};

TEST_F(SkylogRun, FirstRunCreatesWorkDirAndWritesNothingItDidNotChange) {
    TSkylog run(Options());
    run.Load();
    EXPECT_EQ(run.WorkDir(), dir.File("host/Skylog/"));
    EXPECT_TRUE(DirectoryExists(run.WorkDir()));
    EXPECT_EQ(run.HelpFile(), dir.File("share/doc/skylog/html/index.html"));
    EXPECT_TRUE(run.Save());
    EXPECT_FALSE(FileExists(dir.File("config/Skylog.conf")));
    for (const char* list : {"DcpList.inf", "Tasks.inf", "Managers.inf"}) EXPECT_FALSE(FileExists(run.WorkDir() + list));
    // A changed setting is written alone.
    run.Settings().LimitFutur = 7;
    EXPECT_TRUE(run.Save());
    EXPECT_EQ(test::ReadText(dir.File("config/Skylog.conf")), "LimitFutur=7\n");
    EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(SkylogRun, ChangesOfOneRunAreSeenByTheNextOnlyOnceSaved) {
    for (bool save : {false, true}) {
        TSkylog run(Options());
        run.Load();
        run.Settings().LimitFutur = 9;
        run.Beacons().Add(run.Beacons().NewBeacon())->Name = "Lampedusa";
        if (save) {
            EXPECT_TRUE(run.Save());
        }
    }
    TSkylog run(Options());
    run.Load();
    EXPECT_EQ(run.Settings().LimitFutur, 9);
    ASSERT_EQ(run.Beacons().Count(), 1u);
    EXPECT_EQ(run.Beacons().Beacons[0]->Name, "Lampedusa");
}

TEST_F(SkylogRun, MissingWorkDirIsCreatedWithItsParentsAndOverrideIsNotStored) {
    {
        TSettingsStore store(dir.File("config/Skylog.conf"));
        store.WriteString("WorkDir", dir.File("deep/er/work/"));
        store.Save();
    }
    EXPECT_TRUE(DirectoryExists(TSkylog(Options()).WorkDir()));
    EXPECT_TRUE(DirectoryExists(dir.File("deep/er/work/")));
    TSkylogOptions options = Options();
    options.workDirOverride = dir.File("other");
    {
        TSkylog run(options);
        EXPECT_EQ(run.WorkDir(), dir.File("other/"));
        EXPECT_TRUE(run.Save());
    }
    TSkylogSettings stored;
    stored.LoadSettings(TSettingsStore(dir.File("config/Skylog.conf")));
    EXPECT_EQ(stored.WorkDir, dir.File("deep/er/work/"));
}

TEST_F(SkylogRun, InstalledHostKeepsNoDataBesideItself) {
    const std::string userDefault = IncludeBackslash(ExtractFileDir(DefaultHostFileName())) + "Skylog/";
    ASSERT_NE(TSkylog::DefaultWorkDir(dir.File("bin/skylog-host")), userDefault);
    ASSERT_TRUE(ForceDirectories(InstalledFolder(TInstalled::HostData, dir.File("bin"))));
    EXPECT_EQ(TSkylog::DefaultWorkDir(dir.File("bin/skylog-host")), userDefault);
}

// Two runs of one process, each on its own working directory, settings file and
// reporter, reading files in turns: each ends exactly as a run alone on its files.
class TwoRuns : public ::testing::Test {
protected:
    struct Run {
        RecordingMessageBoxes boxes;
        std::unique_ptr<TSkylog> skylog;
    };
    void Start(Run& run, const std::string& name, const std::string& badManagerLine = "") {
        fs::create_directories(dir_.File(name + "/in"));
        fs::copy_file(sample_ + "workdir/DcpList.inf", dir_.File(name + "/DcpList.inf"));
        test::WriteText(dir_.File(name + "/Managers.inf"),
                        ReadFileBytes(sample_ + "workdir/Managers.inf") + badManagerLine);
        TSkylogOptions options;
        options.hostFileName = dir_.File("host/ormawin");
        options.settingsFile = dir_.File(name + ".conf");
        options.workDirOverride = dir_.File(name);
        options.host = host_;
        options.reporter = &run.boxes;
        run.skylog = std::make_unique<TSkylog>(options);
        run.skylog->Load();
    }
    void Read(Run& run, const std::string& file) {
        const std::string copy = run.skylog->WorkDir() + "in/" + file;
        fs::copy_file(sample_ + "input/" + file, copy);
        ASSERT_EQ(run.skylog->Reader().ReadFile(copy), 0);
    }
    // Every file a run stored, by its path in the working directory.
    std::map<std::string, std::string> Stored(const Run& run) {
        std::map<std::string, std::string> files;
        const fs::path root = run.skylog->WorkDir();
        for (const auto& entry : fs::recursive_directory_iterator(root))
            if (entry.is_regular_file() && entry.path().extension() != ".lock" &&
                entry.path().parent_path().filename() != "in")
                files[fs::relative(entry.path(), root).string()] = ReadFileBytes(entry.path().string());
        return files;
    }

    test::TempDir dir_;
    const std::string sample_ = std::string(SKYLOG_SOURCE_DIR) + "/sample/";
    std::unique_ptr<HostDataSet> hostData_ = LoadHostData(sample_ + "host/");
    THostData host_ = HostDataOf(*hostData_);
};

TEST_F(TwoRuns, RunsOnTwoWorkDirsInOneProcessKeepApart) {
    const std::string badLine = "x,Sans,Numéro,\r\n";
    Run a, b;
    Start(a, "a");
    Start(b, "b", badLine);
    a.skylog->Settings().LimitFutur = 9;
    Read(a, "20050307_1.CNRS");
    Read(b, "20050307_1.GOES");
    Read(a, "20050307_1.NASA");
    b.skylog->Beacons().FlushAll();
    Read(a, "20050307_1.DCP");
    Read(b, "20050307_1.BRU");
    a.skylog->Beacons().FlushAll();
    b.skylog->Beacons().FlushAll();
    EXPECT_TRUE(a.skylog->Save() && b.skylog->Save());
    EXPECT_TRUE(a.boxes.shown.empty());
    EXPECT_EQ(b.boxes.Warnings().size(), 1u);  // its own Managers.inf only

    Run aloneA, aloneB;
    Start(aloneA, "aloneA");
    Start(aloneB, "aloneB", badLine);
    aloneA.skylog->Settings().LimitFutur = 9;
    // The same reads and flushes, one run after the other.
    for (const char* file : {"20050307_1.CNRS", "20050307_1.NASA", "20050307_1.DCP"}) Read(aloneA, file);
    aloneA.skylog->Beacons().FlushAll();
    for (const char* file : {"20050307_1.GOES", "20050307_1.BRU"}) {
        Read(aloneB, file);
        aloneB.skylog->Beacons().FlushAll();
    }
    EXPECT_TRUE(aloneA.skylog->Save() && aloneB.skylog->Save());
    const auto storedA = Stored(a), storedB = Stored(b);
    EXPECT_GT(storedA.size(), 10u);
    EXPECT_NE(storedA, storedB);
    EXPECT_EQ(storedA, Stored(aloneA));
    EXPECT_EQ(storedB, Stored(aloneB));
    EXPECT_EQ(TSettingsStore(dir_.File("a.conf")).ReadInteger("LimitFutur", 0), 9);
    EXPECT_FALSE(FileExists(dir_.File("b.conf")));  // b changed no setting
}

}  // namespace
}  // namespace skylog
