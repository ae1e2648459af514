#include <gtest/gtest.h>

#include <cstdlib>

#include "Common/Settings.h"
#include "tests/support/TempDir.h"

namespace skylog {
namespace {

// The order and code page the file is written in, and the values read back.
TEST(Settings, SavedAsTextAndReadBack) {
    test::TempDir dir;
    const std::string path = dir.File("conf/Skylog.conf");
    TSkylogSettings s;
    s.WorkDir = "/data/Sédé/";
    s.LimitFutur = 6;
    s.DCPDateNew = false;
    {
        TSettingsStore store(path);
        s.SaveSettings(store);
        store.Save();
    }
    EXPECT_EQ(test::ReadText(path),
              "WorkDir=/data/S\xE9" "d\xE9/\nAutomode=0\nDecodBadJump=0\nDecodBadTime=0\nDecodBadFE=0\n"
              "ParamAsLatLon=0\nImprobableDateDecod=0\nTransInterval=30\nLimitPasse=15\nLimitFutur=6\n"
              "LUImpDir=\nDCPDateNew=0\n");

    TSkylogSettings back;
    back.LoadSettings(TSettingsStore(path));
    EXPECT_EQ(back.WorkDir, "/data/Sédé/");
    EXPECT_EQ(back.LimitFutur, 6);
    EXPECT_FALSE(back.DCPDateNew);
}

TEST(Settings, AbsentValuesKeepDefaultsAndSetValueChecksText) {
    test::TempDir dir;
    test::WriteText(dir.File("s.conf"), "limitpasse=20\nAutomode=2\nTransInterval=abc\n");
    TSkylogSettings s;
    s.WorkDir = "/default/";
    s.LoadSettings(TSettingsStore(dir.File("s.conf")));
    EXPECT_EQ(s.LimitPasse, 20);
    EXPECT_TRUE(s.Automode);
    EXPECT_EQ(s.TransInterval, 30);
    EXPECT_EQ(s.WorkDir, "/default/");
    EXPECT_TRUE(s.SetValue("WorkDir", "/elsewhere"));
    EXPECT_EQ(s.WorkDir, "/elsewhere/");
    EXPECT_FALSE(s.SetValue("LimitFutur", "beaucoup"));
    EXPECT_FALSE(s.SetValue("Unknown", "1"));
}

// A run writes the values it changed, into the file as it is then: what another
// program wrote meanwhile (skylog config set during an import) stays.
TEST(Settings, ARunWritesOnlyTheValuesItChanged) {
    test::TempDir dir;
    const std::string path = dir.File("s.conf");
    test::WriteText(path, "# réglages\nLimitFutur=7\n");
    TSkylogSettings read;
    read.LoadSettings(TSettingsStore(path));
    TSkylogSettings run = read;
    EXPECT_FALSE(run.SaveChanges(path, read));
    test::WriteText(path, "# réglages\nLimitFutur=7\nLimitPasse=20\n");
    run.Automode = true;
    EXPECT_TRUE(run.SaveChanges(path, read));
    EXPECT_EQ(test::ReadText(path), "# réglages\nLimitFutur=7\nLimitPasse=20\nAutomode=1\n");
}

TEST(Settings, FileLocation) {
    const char* old = std::getenv("SKYLOG_SETTINGS");
    const std::string saved = old ? old : "";
    setenv("SKYLOG_SETTINGS", "/tmp/x.conf", 1);
    EXPECT_EQ(SettingsFilePath(), "/tmp/x.conf");
    unsetenv("SKYLOG_SETTINGS");
    setenv("XDG_CONFIG_HOME", "/cfg", 1);
    EXPECT_EQ(SettingsFilePath(), "/cfg/Velmont/ORMA Win/Skylog.conf");
    unsetenv("XDG_CONFIG_HOME");
    setenv("XDG_DATA_HOME", "/data", 1);
    EXPECT_EQ(DefaultHostFileName(), "/data/skylog/skylog");
    unsetenv("XDG_DATA_HOME");
    if (old) setenv("SKYLOG_SETTINGS", saved.c_str(), 1);
}

}  // namespace
}  // namespace skylog
