// The skylog program end to end: sample working directory and ground-station files,
// outputs compared with golden files (the temporary folder written as <W>). Set
// SKYLOG_UPDATE_GOLDEN=1 to rewrite the golden files after a deliberate change.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>
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
    ExpectRuns({{"config set LimitFutur beaucoup", 1, "valeur refusée pour LimitFutur : beaucoup"},
                {"config set LimitPasse -1", 1, "(nombre entier de 0 ou plus attendu)"},
                {"config set TransInterval 0", 1, "(nombre entier de 1 ou plus attendu)"},
                {"config set WorkDir relative/dir", 1, "(chemin absolu attendu)"},
                {"config set WorkDri /x", 2,
                 "paramètre inconnu : WorkDri (vouliez-vous dire WorkDir ?) ; les paramètres : WorkDir, Automode,"}},
               err);
}

// Lines of the settings file at fault are named, with the setting meant or the value
// used instead, and kept as they were written.
TEST_F(Cli, SettingsFileMistakesAreNamedAndKept) {
    const std::string file = "# réglages\nWorkDri=/srv\nDCPDateNew=oui\nLimitFutur=-3\nen vrac\n";
    WriteText(dir.File("settings.conf"), file);
    for (const char* command : {"config show", "beacons list"}) {
        ASSERT_EQ(Skylog(command), 0) << command;
        EXPECT_NE(err.find("settings.conf, ligne 2 : WorkDri n'est pas un paramètre (vouliez-vous dire WorkDir ?)"),
                  std::string::npos) << err;
        EXPECT_NE(err.find("ligne 3 : DCPDateNew=oui : 0 ou 1 attendu, valeur utilisée : 1\n"), std::string::npos);
        EXPECT_NE(err.find("ligne 4 : LimitFutur=-3 : nombre entier de 0 ou plus attendu, valeur utilisée : 5\n"),
                  std::string::npos);
        EXPECT_NE(err.find("ligne 5 : ligne illisible (ni NOM=VALEUR ni commentaire) : en vrac\n"), std::string::npos);
    }
    EXPECT_EQ(ReadText(dir.File("settings.conf")).substr(0, file.size()), file);
    ASSERT_EQ(Skylog("config set DCPDateNew 0"), 0);
    EXPECT_NE(ReadText(dir.File("settings.conf")).find("\nDCPDateNew=0\nLimitFutur=-3\n"), std::string::npos);
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
                {"--vresion", 2, "skylog: option inconnue : --vresion (vouliez-vous dire --version ?)\n"},
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
                {"import '" + dir.File("in") + "'", 1, "<W>/in est un répertoire, pas un fichier"},
                {"import '" + dir.File("settings.txt") + "'", 1, "settings.txt : fichier ou répertoire introuvable"},
                {"import '" + dir.File("wd/DcpList.inf") + "'", 1,
                 "DcpList.inf est inconnu!\nskylog: extensions reconnues : .CNRS, .NASA, .DCP, .GOES, .BRU\n"},
                {"k7 dump '" + dir.File("none.K7") + "'", 1, "none.K7 : fichier ou répertoire introuvable"},
                {"k7 dump '" + dir.File("in") + "'", 1, "in : c'est un répertoire"},
                {"k7 dump '" + dir.File("in/20050307_1.BRU") + "'", 1, "20050307_1.BRU n'est pas un fichier K7"},
                {"k7 dump '" + dir.File("wd/DcpList.inf") + "'", 1, "n'est pas un fichier K7 (fichier texte)"},
                {"collect --dir '" + dir.File("wd/DcpList.inf") + "'", 1, "DcpList.inf est un fichier, pas un répertoire"},
                {"--workdir '" + dir.File("new") + "' beacons list", 0, "skylog: répertoire de travail créé : <W>/new\n"}},
               err);
}

// Automatic-mode ticks with a fixed clock: nothing runs while the mode is off; then
// the single-call collection runs once, the hourly rebuild at its period.
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
    const std::string tasks = ReadText(dir.File("wd/Tasks.inf"));
    ASSERT_EQ(Skylog("tasks run", "2026-01-01 10:30:00"), 0) << err;
    EXPECT_NE(err.find("mode automatique désactivé : aucune tâche lancée"), std::string::npos) << err;
    EXPECT_FALSE(fs::exists(dir.File("wd/DataDCP")));
    EXPECT_EQ(ReadText(dir.File("wd/Tasks.inf")), tasks);

    ASSERT_EQ(Skylog("config set Automode 1"), 0);
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

// Each run that reads message files ends with a summary on standard error (not a
// terminal here) and a line of the run journal; --quiet leaves the journal only. A tick
// that runs no task writes no line.
TEST_F(Cli, RunsSayWhatTheyDidAndLeaveAJournalLine) {
    const std::string now = "2026-01-01 10:30:00";
    ASSERT_EQ(Skylog("tasks add collect --dir '" + dir.File("in") + "' --mask '*.BRU' --at '2026-01-01 10:00'",
                     "2026-01-01 09:00:00"),
              0);
    const std::string decoded = " 0 erreur(s) de lecture, 732 scénario(s) décodé(s), 11 message(s) avec erreurs de "
                                "décodage (skylog report --day AAAA-MM-JJ les détaille, du 2005-03-07 au 2005-03-08)\n";
    const struct {
        std::string args;
        int status;
        std::string err;      // standard error, whole
        std::string journal;  // the line added after the time; empty: none
    } runs[] = {
        {"import '" + dir.File("in") + "'/*", 0,
         "6 fichier(s) lu(s), 299 message(s), 2 erreur(s) de lecture, 732 scénario(s) décodé(s), 11 message(s) avec "
         "erreurs de décodage (skylog report --day AAAA-MM-JJ les détaille, du 2005-03-07 au 2005-03-08)\n",
         "import\t6\t299\t2\t732\t11\t0"},
        {"--quiet collect --dir '" + dir.File("in") + "' --mask '*.CNRS'", 0, "", "collect\t1\t60\t0\t148\t2\t0"},
        {"rebuild-k7 --days 1 --from 2005-03-08 --quiet", 0, "", "rebuild-k7\t10\t299\t0\t732\t11\t0"},
        {"rebuild-k7 --days 1 --from 2005-03-08", 0, "1 journée(s) reconstruite(s) : 10 fichier(s) lu(s), 299 message(s),"
         + decoded, "rebuild-k7\t10\t299\t0\t732\t11\t0"},
        {"collect --dir '" + dir.File("nowhere") + "'", 1, "skylog: répertoire introuvable : <W>/nowhere\n",
         "collect\t0\t0\t0\t0\t0\t1"},
        {"tasks run --force", 0,
         "tâche 0 (Ajout de fichiers balise) : 1 fichier(s) lu(s), 31 message(s), 0 erreur(s) de lecture, 73 "
         "scénario(s) décodé(s), 3 message(s) avec erreurs de décodage (skylog report --day 2005-03-07 les détaille)\n",
         "tâche 0 (Ajout de fichiers balise)\t1\t31\t0\t73\t3\t0"},
        {"tasks run --force", 0, "aucune tâche due\n", ""},
    };
    std::string journal;
    for (const auto& run : runs) {
        EXPECT_EQ(Skylog(run.args, now), run.status) << run.args;
        EXPECT_EQ(err, run.err) << run.args;
        if (!run.journal.empty()) journal += now + "\t" + run.journal + "\n";
        EXPECT_EQ(ReadText(dir.File("wd/skylog.log")), journal) << run.args;
    }
}

// The journal keeps its last 10,000 lines, cut once it holds a tenth more.
TEST_F(Cli, JournalKeepsItsLastLines) {
    for (const auto& [before, after] : {std::pair{10999, 11000}, std::pair{11000, 10000}}) {
        std::string lines;
        for (int i = 0; i < before; ++i) lines += "2026-01-01 09:00:00\timport\t" + std::to_string(i) + "\t0\t0\t0\t0\t0\n";
        WriteText(dir.File("wd/skylog.log"), lines);
        ASSERT_EQ(Skylog("--quiet import '" + dir.File("in/20050307_1.BRU") + "'", "2026-01-01 10:00:00"), 0);
        const std::string kept = ReadText(dir.File("wd/skylog.log"));
        EXPECT_EQ(std::count(kept.begin(), kept.end(), '\n'), after) << before;
        const std::string last = "10:00:00\timport\t1\t31\t0\t73\t3\t0\n";
        EXPECT_EQ(kept.substr(kept.size() - last.size()), last) << before;
        const std::string first = "\t" + std::to_string(before + 1 - after) + "\t";
        EXPECT_EQ(kept.substr(kept.find('\t') + 7, first.size()), first) << before;
    }
}

// ---- beacons, associations and managers configured from the command line ----

class ConfigCli : public Cli {
protected:
    void SetUp() override { fs::create_directories(dir.File("wd")); }

    // Every file the program may write, with its bytes (not the lock's).
    std::map<std::string, std::string> Files() const {
        std::map<std::string, std::string> files;
        for (const auto& entry : fs::recursive_directory_iterator(dir.Path()))
            if (entry.is_regular_file() && entry.path().filename() != "out" && entry.path().filename() != "err" &&
                entry.path().filename() != ".skylog.lock")
                files[entry.path()] = ReadText(entry.path());
        return files;
    }

    // Two managers, a beacon, two associations.
    void Configure() {
        ASSERT_EQ(Skylog("managers add --name Dupont --forname Jean --mail jd@example.org"), 0) << err;
        EXPECT_EQ(out, "1\n");
        ASSERT_EQ(Skylog("managers add --name 'Lefèvre' --forname 'Hélène'"), 0) << err;
        ASSERT_EQ(Skylog("beacons add Avignon 960CD1B6 --base-time 29:0 --interval 60"), 0) << err;
        ASSERT_EQ(Skylog("assoc add Avignon --from 07/12/2004 --to '07/03/2005 23:59:59' --instrument 235 "
                         "--locality 'Sédé Boqer' --managers 1,2"),
                  0)
            << err;
        EXPECT_EQ(out, "0\n");
        ASSERT_EQ(Skylog("assoc add Avignon --from '8/3/2005 00:00' --to '06/06/2005 23:59:59' --instrument 252 "
                         "--locality Avignon --managers 2"),
                  0)
            << err;
    }
};

TEST_F(ConfigCli, ConfigurationBuiltFromTheCommandLineReloadsIdentically) {
    Configure();
    const std::string dcpList =
        "[General]\r\nNbDCP=1\r\n\r\n[DCP0]\r\nName=Avignon\r\nNumber=960CD1B6\r\nBaseTime=1740\r\nInterval=60\r\n"
        "NbAss=2\r\nAsso0=07/12/2004,00:00:00,07/03/2005,23:59:59,235,S\xE9" "d\xE9 Boqer,1|2\r\n"
        "Asso1=08/03/2005,00:00:00,06/06/2005,23:59:59,252,Avignon,2\r\n";
    EXPECT_EQ(ReadText(dir.File("wd/DcpList.inf")), dcpList);
    EXPECT_EQ(ReadText(dir.File("wd/Managers.inf")), "1,Dupont,Jean,jd@example.org\r\n2,Lef\xE8vre,H\xE9l\xE8ne,\r\n");

    const auto files = Files();
    ASSERT_EQ(Skylog("beacons show Avignon"), 0);
    EXPECT_EQ(out,
              "Nom : Avignon\nN° Id : 960CD1B6\nBase de l'heure d'émission : 29:0 (mm:ss)\nInterval d'émission : "
              "60 min.\n0 : du 07/12/2004 00:00 au 07/03/2005 23:59:59, instrument 235, localité Sédé Boqer, "
              "responsables 1,2 : Jean Dupont, Hélène Lefèvre\n1 : du 08/03/2005 00:00 au 06/06/2005 23:59:59, "
              "instrument 252, localité Avignon, responsables 2 : Hélène Lefèvre\n");
    ASSERT_EQ(Skylog("managers list"), 0);
    EXPECT_EQ(out, "1\tJean Dupont\tjd@example.org\n2\tHélène Lefèvre\t\n");
    EXPECT_EQ(Files(), files);

    // A change given by one option leaves the rest of the association as it was.
    ASSERT_EQ(Skylog("assoc set Avignon 1 --locality \"L'Isle\" --managers ''"), 0) << err;
    std::string changed = dcpList;
    changed.replace(changed.find("252,Avignon,2"), 13, "252,L'Isle,");
    EXPECT_EQ(ReadText(dir.File("wd/DcpList.inf")), changed);
}

// One refusal of each kind per command (the engine's checks have their own tables).
TEST_F(ConfigCli, RefusalsLeaveEveryFileAsItWas) {
    Configure();
    const std::string from = "--from 01/01/2006 --to 31/12/2006 --instrument 7 --locality Dakar ";
    const struct {
        std::string args;
        int status;
        const char* message;
    } cases[] = {
        {"assoc add Avignon --instrument 7a --from 2006 --to 31/12/2006 --locality Dakar", 1,
         "Mauvais numéro d'instrument (--instrument 7a)"},
        {"assoc add Avignon " + from + "--managers 1,9", 1, "aucun responsable n'a l'identifiant \"9\""},
        {"assoc add Avignn " + from, 2, "balise inconnue : Avignn (vouliez-vous dire Avignon ?)"},
        {"assoc add Avignon --from 01/01/2006 --instrument 7 --locality Dakar", 2, "absente : --to"},
        {"assoc set Avignon 2 --instrument 8", 2, "n'a pas d'association 2"},
        {"assoc set Avignon 0 --to 31/02/2005", 1, "Date de fin incorrecte (--to 31/02/2005)"},
        {"beacons add Avignon 6527EA87", 1, "Une balise nommée \"Avignon\" existe déjà!"},
        {"beacons set Avignon --interval 1h", 1, "L'intervalle d'émission doit être un chiffre entier!"},
        {"beacons set Avignon", 2, "rien à changer"},
        {"beacons add Sede", 2, "argument manquant"},
        {"beacons remove Avignon", 2, "absente : --yes"},
        {"managers add --name 'Dupont, Jean'", 1, "dans les champs! (--name)"},
        {"managers set 9 --mail x", 2, "aucun responsable n'a l'identifiant 9"},
        {"managers remove 1", 2, "absente : --yes"},
    };
    const auto files = Files();
    for (const auto& c : cases) {
        EXPECT_EQ(Skylog(c.args), c.status) << c.args;
        EXPECT_NE(err.find(c.message), std::string::npos) << c.args << '\n' << err;
        EXPECT_EQ(Files(), files) << c.args;
    }
}

// A manager's removal takes it out of the associations at once; a renamed beacon keeps
// its stored messages; a removed beacon leaves no section.
TEST_F(ConfigCli, RemovalsAndRename) {
    Configure();
    ASSERT_EQ(Skylog("managers remove 2 --yes"), 0) << err;
    EXPECT_EQ(ReadText(dir.File("wd/Managers.inf")), "1,Dupont,Jean,jd@example.org\r\n");
    const std::string list = ReadText(dir.File("wd/DcpList.inf"));
    EXPECT_NE(list.find("Boqer,1\r\n"), std::string::npos);
    EXPECT_NE(list.find("252,Avignon,\r\n"), std::string::npos);

    fs::create_directories(dir.File("wd/DataDCP/Avignon"));
    WriteText(dir.File("wd/DataDCP/Avignon/2005_03_07.DCP"), "x");
    ASSERT_EQ(Skylog("beacons set Avignon --name 'Avignon 2' --number 960CD1B7"), 0) << err;
    EXPECT_EQ(ReadText(dir.File("wd/DataDCP/Avignon 2/2005_03_07.DCP")), "x");
    ASSERT_EQ(Skylog("assoc remove 'Avignon 2' 0"), 0) << err;
    ASSERT_EQ(Skylog("beacons remove 'Avignon 2' --yes"), 0) << err;
    EXPECT_EQ(ReadText(dir.File("wd/DcpList.inf")), "[General]\r\nNbDCP=0\r\n");
}

// Mistakes in hand-edited lists are named by every command, and a file that cannot be
// read whole is left as it is, even by a change.
TEST_F(ConfigCli, ListMistakesAreNamedAndTheFilesLeftAsTheyAre) {
    WriteText(dir.File("wd/Managers.inf"), "1,Dupont,Jean,\r\n");
    WriteText(dir.File("wd/DcpList.inf"),
              "\xEF\xBB\xBF[General]\r\nNbDCP=2\r\n[DCP0]\r\nName=Avignon\r\nNumbr=960CD1B6\r\nNbAss=2\r\n"
              "Asso0=07/12/2004,00:00:00,31/02/2005,23:59:59,235,Sede,1\r\n"
              "Asso1=08/03/2005,00:00:00,06/06/2005,23:59:59,252,Avignon,1|9\r\n");
    const auto files = Files();
    ASSERT_EQ(Skylog("beacons list"), 0) << err;
    EXPECT_NE(out.find("Balise Avignon"), std::string::npos);
    for (const char* named : {"NbDCP=2 mais la dernière section de balise est [DCP0]",
                              "[DCP0] clé inconnue Numbr (vouliez-vous dire Number ?)",
                              "[DCP0] Asso0 : date, heure ou numéro d'instrument illisible, association ignorée",
                              "[DCP0] Asso1 : le responsable 9 n'existe pas"})
        EXPECT_NE(err.find(named), std::string::npos) << named << '\n' << err;
    EXPECT_EQ(Files(), files);
    EXPECT_EQ(Skylog("beacons check"), 1);
    EXPECT_EQ(out, "4 problème(s) dans DcpList.inf, Managers.inf ou Tasks.inf (ci-dessus)\n");

    WriteText(dir.File("wd/DcpList.inf"), std::string("\xFF\xFE[\0G\0", 6));
    const auto damaged = Files();
    EXPECT_EQ(Skylog("beacons add Sede 6527EA87"), 1);
    EXPECT_NE(err.find("DcpList.inf n'est pas modifié : fichier en UTF-16"), std::string::npos) << err;
    EXPECT_EQ(Files(), damaged);
    fs::remove(dir.File("wd/DcpList.inf"));
    EXPECT_EQ(Skylog("beacons check"), 0) << err;
}

// Lists written in UTF-8 by a Linux editor are changed in UTF-8, names typed as read.
TEST_F(ConfigCli, Utf8ListsStayUtf8) {
    WriteText(dir.File("wd/DcpList.inf"), "[General]\r\nNbDCP=1\r\n[DCP0]\r\nName=Sédé\r\nNumber=6527EA87\r\nNbAss=0\r\n");
    WriteText(dir.File("wd/Managers.inf"), "1,Lefèvre,Hélène,\r\n");
    ASSERT_EQ(Skylog("beacons set Sédé --interval 45"), 0) << err;
    ASSERT_EQ(Skylog("managers add --name Ndiaye"), 0) << err;
    EXPECT_NE(ReadText(dir.File("wd/DcpList.inf")).find("Name=Sédé\r\nNumber=6527EA87\r\n"), std::string::npos);
    EXPECT_EQ(ReadText(dir.File("wd/Managers.inf")), "1,Lefèvre,Hélène,\r\n2,Ndiaye,,\r\n");
}

// A collection of a folder that does not exist is added with a warning and fails when
// it runs; a removal names the task removed.
TEST_F(Cli, TasksSayWhatTheyDo) {
    const std::string before = "2026-01-01 09:00:00";
    ASSERT_EQ(Skylog("tasks add collect --dir '" + dir.File("nowhere") + "' --at '2026-01-01 10:00'", before), 0);
    EXPECT_NE(err.find("attention, le répertoire <W>/nowhere n'existe pas"), std::string::npos) << err;
    EXPECT_EQ(Skylog("tasks run --force", "2026-01-01 10:00:30"), 1);
    EXPECT_NE(err.find("tâche 0 (Ajout de fichiers balise) : répertoire introuvable : <W>/nowhere\n"),
              std::string::npos) << err;
    ASSERT_EQ(Skylog("tasks remove 0", before), 0);
    EXPECT_EQ(err, "tâche 0 supprimée : Ajout de fichiers balise (répertoire <W>/nowhere, masque *.*, Appel unique)\n");
}

// Input is deleted only when every message it gave is stored: a daily file that cannot
// be created keeps the files whose messages were meant for it (the .CNRS file's messages
// of Tamanrasset are stored, those of Sede are not), a working directory without beacons
// reads nothing, and a file that gave no message stays. The journal keeps the status.
TEST_F(Cli, InputWhoseMessagesAreNotStoredIsKept) {
    const std::string in = "'" + dir.File("in") + "'";
    const auto sedeFolderIsAFile = [this] { WriteText(dir.File("wd/DataDCP/Sede"), "x"); };
    const auto noBeacon = [this] { fs::remove(dir.File("wd/DcpList.inf")); };
    const std::string tasksRun = "tasks add collect --dir " + in + " --mask '*.CNRS' --delete --at '2026-01-01 10:00'";
    const struct {
        const char* name;
        std::function<void()> setUp;
        std::string args;
        int status;
        std::string holds;  // in standard error
        std::vector<std::string> kept, gone;
    } cases[] = {
        {"folder is a file", sedeFolderIsAFile, "collect --dir " + in + " --mask '*.CNRS' --delete", 1,
         "les fichiers restent dans le répertoire :\n20050307_1.CNRS\n", {"20050307_1.CNRS"}, {}},
        {"name too long", [this] {
             std::string list = ReadText(dir.File("wd/DcpList.inf"));
             WriteText(dir.File("wd/DcpList.inf"), list.replace(list.find("Name=Sede") + 5, 4, std::string(300, 'S')));
         }, "collect --dir " + in + " --mask '*.CNRS' --delete", 1, "\n20050307_1.CNRS\n", {"20050307_1.CNRS"}, {}},
        {"import", sedeFolderIsAFile, "import " + in + "/20050307_1.CNRS", 1,
         "skylog: des messages de <W>/in/20050307_1.CNRS n'ont pas pu être enregistrés", {"20050307_1.CNRS"}, {}},
        {"no beacon", noBeacon, "collect --dir " + in + " --delete", 1,
         "skylog: aucune balise définie dans <W>/wd/DcpList.inf : aucun fichier lu ni supprimé",
         {"20050307_1.CNRS", "20050307_1.GOES"}, {}},
        {"no message", [this] {
             WriteText(dir.File("in/undefined.DCP"), "9999-ALL 0 at 03/07/05 14:02:10 UTC 4BT o\r\nBODY\r\n");
             WriteText(dir.File("in/none.DCP"), "nothing\n");
         }, "collect --dir " + in + " --mask '*.DCP' --delete", 0,
         "aucun message d'une balise définie, fichier laissé : none.DCP\n", {"undefined.DCP", "none.DCP"},
         {"20050307_1.DCP"}},
        {"task", [&] { sedeFolderIsAFile(); ASSERT_EQ(Skylog(tasksRun, "2026-01-01 09:00:00"), 0); },
         "tasks run --force", 1, "tâche 0 (Ajout de fichiers balise) : 1 fichier(s) aux messages non enregistrés",
         {"20050307_1.CNRS"}, {}},
        {"task, no beacon", [&] { noBeacon(); ASSERT_EQ(Skylog(tasksRun, "2026-01-01 09:00:00"), 0); },
         "tasks run --force", 1, "tâche 0 (Ajout de fichiers balise) : aucune balise définie", {"20050307_1.CNRS"}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove_all(dir.File("wd"));
        fs::remove_all(dir.File("in"));
        SetUp();
        c.setUp();
        EXPECT_EQ(Skylog(c.args, "2026-01-01 10:30:00"), c.status) << err;
        EXPECT_NE(err.find(c.holds), std::string::npos) << err;
        for (const std::string& name : c.kept) EXPECT_TRUE(fs::exists(dir.File("in/" + name))) << name;
        for (const std::string& name : c.gone) EXPECT_FALSE(fs::exists(dir.File("in/" + name))) << name;
        const std::string journal = ReadText(dir.File("wd/skylog.log"));
        EXPECT_EQ(journal.substr(journal.size() - 2), std::to_string(c.status) + "\n");
    }
}

}  // namespace
}  // namespace skylog::test
