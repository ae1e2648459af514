#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include "Common/FileUtil.h"
#include "Common/SettingsForm.h"
#include "tests/support/TempDir.h"

namespace skylog {
namespace {

// The limits and the working directory of the confirmed form (the interval and the
// lists are driven through the dialog).
TEST(SettingsForm, LimitsAndWorkDir) {
    test::TempDir dir;
    ForceDirectories(dir.File("other"));
    TSkylogSettings current;
    current.WorkDir = dir.Path();
    current.LimitPasse = 20;
    current.LimitFutur = 2;
    const struct {
        std::string workDir;
        bool improbable;
        const char *passe, *futur;
        std::string expectedWorkDir;
        int32_t expectedPasse, expectedFutur;
    } cases[] = {
        {dir.File("other"), false, "", "-3", dir.File("other/"), kDefaultLimitPasse, kDefaultLimitFutur},
        {dir.File("missing"), true, "1", "1", dir.Path(), 20, 2},  // limits not read
        {"other", false, "7", " 8 ", dir.Path(), 7, 8},            // relative: not taken
    };
    for (const auto& c : cases) {
        TSettingsTexts texts = SettingsTexts(current);
        texts.WorkDir = c.workDir;
        texts.ImprobableDateDecod = c.improbable;
        texts.LimitPasse = c.passe;
        texts.LimitFutur = c.futur;
        const TSettingsReading reading = ReadSettingsForm(texts, current);
        ASSERT_TRUE(reading.Settings) << c.workDir;
        EXPECT_FALSE(reading.Warning);
        EXPECT_EQ(reading.Settings->WorkDir, c.expectedWorkDir);
        EXPECT_EQ(reading.Settings->LimitPasse, c.expectedPasse) << c.workDir;
        EXPECT_EQ(reading.Settings->LimitFutur, c.expectedFutur) << c.workDir;
    }
}

// A directory the run could not write to is not taken, and the user is told why.
TEST(SettingsForm, WorkDirThatCannotBeWritten) {
    if (::geteuid() == 0) GTEST_SKIP() << "root writes everywhere";
    test::TempDir dir;
    ForceDirectories(dir.File("locked"));
    ASSERT_EQ(::chmod(dir.File("locked").c_str(), 0555), 0);
    const TWorkDirChoice choice = ChooseWorkDir(dir.File("locked"), "/old/");
    ::chmod(dir.File("locked").c_str(), 0755);
    EXPECT_EQ(choice.WorkDir, "/old/");
    EXPECT_EQ(choice.Warning, "Le répertoire " + dir.File("locked") +
                                  " n'est pas accessible en écriture : le répertoire de travail reste /old/.");
}

}  // namespace
}  // namespace skylog
