#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include "Common/FileUtil.h"
#include "Common/SettingsForm.h"
#include "tests/support/TempDir.h"

namespace skylog {
namespace {

// The form confirmed, box by box: what is taken, what falls back, what is left alone.
TEST(SettingsForm, ReadBack) {
    test::TempDir dir;
    ForceDirectories(dir.File("other"));
    TSkylogSettings current;
    current.WorkDir = dir.Path();
    current.LimitPasse = 20;
    current.LimitFutur = 2;
    const TSettingsTexts shown = SettingsTexts(current);
    EXPECT_EQ(shown.TransInterval, "30");
    EXPECT_EQ(shown.DCPDateIndex, 0);

    const struct {
        const char* name;
        void (*edit)(TSettingsTexts&, const test::TempDir&);
        void (*expect)(const TSkylogSettings&, const test::TempDir&);
    } cases[] = {
        {"limits left empty fall back",
         [](TSettingsTexts& t, const test::TempDir&) { t.LimitPasse = t.LimitFutur = ""; },
         [](const TSkylogSettings& s, const test::TempDir&) {
             EXPECT_EQ(s.LimitPasse, kDefaultLimitPasse);
             EXPECT_EQ(s.LimitFutur, kDefaultLimitFutur);
         }},
        {"a negative limit falls back",
         [](TSettingsTexts& t, const test::TempDir&) { t.LimitFutur = "-3"; },
         [](const TSkylogSettings& s, const test::TempDir&) { EXPECT_EQ(s.LimitFutur, kDefaultLimitFutur); }},
        {"limits not read while improbable dates are decoded",
         [](TSettingsTexts& t, const test::TempDir&) {
             t.ImprobableDateDecod = true;
             t.LimitPasse = "1";
         },
         [](const TSkylogSettings& s, const test::TempDir&) {
             EXPECT_TRUE(s.ImprobableDateDecod);
             EXPECT_EQ(s.LimitPasse, 20);
         }},
        {"a directory without its final slash",
         [](TSettingsTexts& t, const test::TempDir& d) { t.WorkDir = d.File("other"); },
         [](const TSkylogSettings& s, const test::TempDir& d) { EXPECT_EQ(s.WorkDir, d.File("other/")); }},
        {"a directory that does not exist",
         [](TSettingsTexts& t, const test::TempDir& d) { t.WorkDir = d.File("missing"); },
         [](const TSkylogSettings& s, const test::TempDir& d) { EXPECT_EQ(s.WorkDir, d.Path()); }},
        {"lists and switches",
         [](TSettingsTexts& t, const test::TempDir&) {
             t.ParamIndex = 1;
             t.DCPDateIndex = 1;
             t.DecodBadFE = true;
             t.TransInterval = " 45 ";
         },
         [](const TSkylogSettings& s, const test::TempDir&) {
             EXPECT_TRUE(s.ParamAsLatLon);
             EXPECT_FALSE(s.DCPDateNew);
             EXPECT_TRUE(s.DecodBadFE);
             EXPECT_EQ(s.TransInterval, 45);
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TSettingsTexts texts = shown;
        c.edit(texts, dir);
        const TSettingsReading reading = ReadSettingsForm(texts, current);
        ASSERT_TRUE(reading.Settings);
        EXPECT_FALSE(reading.Warning);
        c.expect(*reading.Settings, dir);
    }
    TSettingsTexts relative = shown;
    relative.WorkDir = "other";
    EXPECT_EQ(ReadSettingsForm(relative, current).Settings->WorkDir, dir.Path());

    // An interval that is not a whole number refuses the whole form.
    TSettingsTexts texts = shown;
    texts.TransInterval = "3O";
    texts.DecodBadJump = true;
    const TSettingsReading refused = ReadSettingsForm(texts, current);
    EXPECT_FALSE(refused.Settings);
    EXPECT_EQ(refused.Message, "L'intervalle d'émission doit être un chiffre entier!");
}

// A directory the run could not write to is not taken, and the user is told why.
TEST(SettingsForm, WorkDirThatCannotBeWritten) {
    if (::geteuid() == 0) GTEST_SKIP() << "root writes everywhere";
    test::TempDir dir;
    ForceDirectories(dir.File("locked"));
    ASSERT_EQ(::chmod(dir.File("locked").c_str(), 0555), 0);
    const TWorkDirChoice choice = ChooseWorkDir(dir.File("locked"), "/old/");
    EXPECT_EQ(choice.WorkDir, "/old/");
    EXPECT_EQ(choice.Warning, "Le répertoire " + dir.File("locked") +
                                  " n'est pas accessible en écriture : le répertoire de travail reste /old/.");
    ::chmod(dir.File("locked").c_str(), 0755);
}

}  // namespace
}  // namespace skylog
