#include <gtest/gtest.h>

#include "Common/FileUtil.h"
#include "Common/IniFile.h"
#include "Common/RunObjects.h"
#include "Common/Settings.h"
#include "dcp/UDCPList.h"
#include "plugin/USkylog.h"
#include "tasks/UTasks.h"
#include "tests/support/TempDir.h"

namespace skylog {
namespace {

class SkylogRun : public ::testing::Test {
protected:
    TSkylogOptions Options() const {
        TSkylogOptions options;
        options.hostFileName = dir.File("host/ormawin");
        options.settingsFile = dir.File("config/Skylog.conf");
        return options;
    }
    void TearDown() override { Settings() = TSkylogSettings{}; }
    test::TempDir dir;
};

TEST_F(SkylogRun, FirstRunCreatesWorkDirThenWritesSettingsAndListsAtItsEnd) {
    {
        TSkylog run(Options());
        EXPECT_EQ(Settings().WorkDir, dir.File("host/Skylog/"));
        EXPECT_TRUE(DirectoryExists(Settings().WorkDir));
        EXPECT_FALSE(FileExists(dir.File("config/Skylog.conf")));  // written at the end only
        EXPECT_NE(skylog::Run().Beacons, nullptr);
        EXPECT_NE(skylog::Run().Tasks, nullptr);
        EXPECT_NE(skylog::Run().Reader, nullptr);
        EXPECT_EQ(run.HelpFile(), dir.File("share/doc/skylog/html/index.html"));
    }
    EXPECT_EQ(skylog::Run().Beacons, nullptr);
    const std::string conf = test::ReadText(dir.File("config/Skylog.conf"));
    EXPECT_EQ(conf,
              "WorkDir=" + dir.File("host/Skylog/") +
                  "\nAutomode=0\nDecodBadJump=0\nDecodBadTime=0\nDecodBadFE=0\nParamAsLatLon=0\n"
                  "ImprobableDateDecod=0\nTransInterval=30\nLimitPasse=15\nLimitFutur=5\nLUImpDir=\n"
                  "DCPDateNew=1\n");
    const std::string w = dir.File("host/Skylog/");
    EXPECT_EQ(TIniFile(w + "DcpList.inf").ReadInteger("General", "NbDCP", -1), 0);
    EXPECT_EQ(TIniFile(w + "Tasks.inf").ReadInteger("Tasks", "NbTasks", -1), 0);
    EXPECT_FALSE(FileExists(w + "Managers.inf"));
}

TEST_F(SkylogRun, ChangesOfOneRunAreSeenByTheNext) {
    {
        TSkylog run(Options());
        Settings().LimitFutur = 9;
        auto beacon = std::make_unique<TDCP>();
        beacon->Name = "Lampedusa";
        beacon->Number = "4711";
        skylog::Run().Beacons->Add(std::move(beacon));
    }
    {
        TSkylog run(Options());
        EXPECT_EQ(Settings().LimitFutur, 9);
        ASSERT_EQ(skylog::Run().Beacons->Count(), 1u);
        EXPECT_EQ(skylog::Run().Beacons->Beacons[0]->Name, "Lampedusa");
    }
}

TEST_F(SkylogRun, MissingWorkDirIsCreatedWithItsParentsAndOverrideIsNotStored) {
    {
        TSettingsStore store(dir.File("config/Skylog.conf"));
        store.WriteString("WorkDir", dir.File("deep/er/work/"));
        store.Save();
    }
    {
        TSkylog run(Options());
        EXPECT_TRUE(DirectoryExists(dir.File("deep/er/work/")));
    }
    TSkylogOptions options = Options();
    options.workDirOverride = dir.File("other");
    {
        TSkylog run(options);
        EXPECT_EQ(Settings().WorkDir, dir.File("other/"));
    }
    TSkylogSettings stored;
    stored.LoadSettings(TSettingsStore(dir.File("config/Skylog.conf")));
    EXPECT_EQ(stored.WorkDir, dir.File("deep/er/work/"));
}

}  // namespace
}  // namespace skylog
