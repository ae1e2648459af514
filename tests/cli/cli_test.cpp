// The skylog program end to end: sample working directory and ground-station files,
// outputs compared with golden files (the temporary folder written as <W>). Set
// SKYLOG_UPDATE_GOLDEN=1 to rewrite the golden files after a deliberate change.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/TempDir.h"

namespace skylog::test {
namespace {

namespace fs = std::filesystem;

const std::string kSample = std::string(SKYLOG_SOURCE_DIR) + "/sample/";
const std::string kGolden = std::string(SKYLOG_SOURCE_DIR) + "/tests/cli/golden/";

class Cli : public ::testing::Test {
protected:
    void SetUp() override {
        fs::copy(kSample + "workdir", dir.File("wd"), fs::copy_options::recursive);
        fs::copy(kSample + "input", dir.File("in"), fs::copy_options::recursive);
    }

    // Runs skylog with the sample host data and a private settings file.
    int Skylog(const std::string& args, const std::string& now = "") {
        std::string command = "SKYLOG_SETTINGS='" + dir.File("settings.conf") + "' ";
        if (!now.empty()) command += "SKYLOG_NOW='" + now + "' ";
        command += std::string("'") + SKYLOG_CLI + "' --workdir '" + dir.File("wd") +
                   "' --host-data '" + kSample + "host' " + args + " >'" + dir.File("out") +
                   "' 2>'" + dir.File("err") + "'";
        const int raw = std::system(command.c_str());
        out = Normalised(ReadText(dir.File("out")));
        err = Normalised(ReadText(dir.File("err")));
        return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    }

    std::string Normalised(std::string text) const {
        const std::string w = dir.Path();
        for (size_t pos = 0; (pos = text.find(w, pos)) != std::string::npos;)
            text.replace(pos, w.size(), "<W>/");
        return text;
    }

    void ExpectGolden(const std::string& name, const std::string& actual) {
        if (std::getenv("SKYLOG_UPDATE_GOLDEN")) WriteText(kGolden + name, actual);
        EXPECT_EQ(actual, ReadText(kGolden + name)) << "golden file " << name;
    }

    int ImportSample() { return Skylog("import '" + dir.File("in") + "'/*"); }

    // Each run of the table: its exit status, and a text that its standard error (or
    // standard output, for the help) must hold.
    struct Expected {
        std::string args;
        int status;
        std::string holds;
    };
    void ExpectRuns(const std::vector<Expected>& cases, const std::string& stream) {
        for (const Expected& c : cases) {
            EXPECT_EQ(Skylog(c.args), c.status) << c.args << '\n' << err;
            EXPECT_NE(stream.find(c.holds), std::string::npos) << c.args << '\n' << stream;
        }
    }

    TempDir dir;
    std::string out, err;
};

TEST_F(Cli, ConfigShowAndSet) {
    ASSERT_EQ(Skylog("config set LimitFutur 7"), 0);
    ASSERT_EQ(Skylog("config show"), 0);
    EXPECT_NE(out.find("\nLimitFutur=7\n"), std::string::npos);
    EXPECT_EQ(out.substr(0, 8), "WorkDir=");
    EXPECT_EQ(Skylog("config set LimitFutur beaucoup"), 2);
    EXPECT_EQ(Skylog("config set Nothing 1"), 2);
}

TEST_F(Cli, BeaconsList) {
    ASSERT_EQ(Skylog("beacons list"), 0);
    ExpectGolden("beacons_list.txt", out);
}

TEST_F(Cli, ImportReportAndDumpOfTheSample) {
    ASSERT_EQ(ImportSample(), 0) << err;
    ExpectGolden("import.txt", out);
    ASSERT_EQ(Skylog("report --day 2005-03-07 --tsv"), 0);
    ExpectGolden("report_20050307.tsv", out);
    ASSERT_EQ(Skylog("report --day 2005-03-07 --beacon Avignon --days-before 1"), 0);
    ExpectGolden("report_avignon.txt", out);
    ASSERT_EQ(Skylog("k7 dump '" + dir.File("wd/DataK7/2005_03_07/P034_20050307.K7") + "'"), 0);
    ExpectGolden("k7_dump_P034.txt", out);

    // Importing the same files again changes no stored byte.
    const std::string dailyBefore = ReadText(dir.File("wd/DataDCP/Avignon/2005_03_07.DCP"));
    const std::string k7Before = ReadText(dir.File("wd/DataK7/2005_03_07/P034_20050307.K7"));
    ASSERT_EQ(ImportSample(), 0);
    EXPECT_EQ(ReadText(dir.File("wd/DataDCP/Avignon/2005_03_07.DCP")), dailyBefore);
    EXPECT_EQ(ReadText(dir.File("wd/DataK7/2005_03_07/P034_20050307.K7")), k7Before);
}

TEST_F(Cli, GlobalOptionsMayFollowTheCommand) {
    const std::string command = "SKYLOG_SETTINGS='" + dir.File("settings.conf") + "' '" + SKYLOG_CLI +
                                "' import --host-data '" + kSample + "host' --workdir '" +
                                dir.File("wd") + "' '" + dir.File("in") + "'/*.BRU >/dev/null 2>&1";
    const int raw = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(raw));
    EXPECT_EQ(WEXITSTATUS(raw), 0);
    EXPECT_TRUE(fs::exists(dir.File("wd/DataDCP")));
}

TEST_F(Cli, HelpAndVersion) {
    ExpectRuns({{"--version", 0, "skylog " SKYLOG_VERSION "\n"},
                {"help", 0, "tasks add rebuild-k7  Schedules"},
                {"help report", 0, "usage: skylog report --day YYYY-MM-DD [--beacon NAME]"},
                {"tasks add collect --help", 0, "example:\n  skylog tasks add collect --dir"},
                {"-h k7 dump", 0, "--hex"},
                {"help tasks", 0, "skylog tasks remove INDEX"}},
               out);
}

TEST_F(Cli, MistakesAreNamedWithWhatWasMeant) {
    ExpectRuns({{"improt x", 2, "skylog: commande inconnue : improt (vouliez-vous dire « skylog import » ?)\n"},
                {"tasks lst", 2, "sous-commande inconnue : tasks lst (vouliez-vous dire « skylog tasks list » ?)"},
                {"tasks", 2, "skylog: tasks demande une sous-commande\n"},
                {"report --dya 2005-03-07", 2, "option inconnue : --dya (vouliez-vous dire --day ?)\nusage: skylog report"},
                {"import --wrokdir x", 2, "(vouliez-vous dire --workdir ?)"},
                {"report --day 2005-02-31", 2,
                 "--day : date inexistante : 2005-02-31 (forme attendue AAAA-MM-JJ, par exemple 2005-03-07)"},
                {"report --day 07/03/2005", 2, "--day : date illisible : 07/03/2005"},
                {"rebuild-k7 --from 2005-13-01", 2, "--from : date inexistante"},
                {"tasks add rebuild-k7 --from 7.3.2005 --at '2030-01-01 10:00'", 2, "--from : date illisible"},
                {"tasks add collect --dir x --at '2030-02-30 10:00'", 2, "--at : date et heure inexistantes"},
                {"tasks add collect --dir x --at demain", 2, "--at : date et heure illisibles"},
                {"report --day 2005-03-07 --days-before 1", 2, "--days-before ne s'emploie qu'avec --beacon"},
                {"report --day 2005-03-07 --beacon avignon", 2, "balise inconnue : avignon (vouliez-vous dire Avignon ?)"},
                {"report --day 2005-03-07 --beacon Avignn", 2, "(vouliez-vous dire Avignon ?)"},
                {"report --day 2005-03-07 --beacon Paris", 2, "balise inconnue : Paris\n"},
                {"report --tsv", 2, "option obligatoire absente : --day"},
                {"import", 2, "argument manquant"},
                {"k7 dump '" + dir.File("none.K7") + "'", 1, "introuvable"}},
               err);
}

// Two automatic-mode ticks with a fixed clock: the single-call collection runs once,
// the hourly rebuild at its period.
TEST_F(Cli, TasksRunWithAFixedClock) {
    ASSERT_EQ(Skylog("tasks add collect --dir '" + dir.File("in") + "' --mask '*.CNRS' --at '2026-01-01 10:00'",
                     "2026-01-01 09:00:00"),
              0)
        << err;
    ASSERT_EQ(Skylog("tasks add rebuild-k7 --days 1 --from 2005-03-07 --at '2026-01-01 10:00' --every 1h",
                     "2026-01-01 09:00:00"),
              0)
        << err;
    const std::string k7 = dir.File("wd/DataK7/2005_03_07");

    ASSERT_EQ(Skylog("tasks run", "2026-01-01 10:30:00"), 0) << err;
    EXPECT_TRUE(fs::exists(dir.File("wd/DataDCP")));  // the collection stored the messages
    EXPECT_TRUE(fs::exists(k7));
    ASSERT_EQ(Skylog("tasks list", "2026-01-01 10:30:00"), 0);
    ExpectGolden("tasks_list_after_first_run.txt", out);

    // Neither task is due a quarter of an hour later; a new file is not collected.
    fs::remove_all(k7);
    fs::remove_all(dir.File("wd/DataDCP"));
    ASSERT_EQ(Skylog("tasks run", "2026-01-01 10:45:00"), 0) << err;
    EXPECT_FALSE(fs::exists(dir.File("wd/DataDCP")));
    EXPECT_FALSE(fs::exists(k7));

    // At 11:00 the rebuild comes due again and writes the day's K7 files from the
    // stored messages; the collection stays done.
    ImportSample();
    fs::remove_all(k7);
    ASSERT_EQ(Skylog("tasks run", "2026-01-01 11:00:30"), 0) << err;
    EXPECT_TRUE(fs::exists(k7));
    ASSERT_EQ(Skylog("tasks list", "2026-01-01 11:00:30"), 0);
    ExpectGolden("tasks_list_after_second_run.txt", out);
}

}  // namespace
}  // namespace skylog::test
