// skylog import, end to end: the program run on files in a temporary working directory.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "tests/support/TempDir.h"

namespace skylog::test {
namespace {

class ImportCommandTest : public ::testing::Test {
protected:
    void SetUp() override {
        WriteText(dir.File("wd/DcpList.inf"),
                  "[General]\r\nNbDCP=1\r\n[DCP0]\r\nName=Lampedusa\r\nNumber=4711\r\nNbAss=0\r\n");
    }

    // Runs the program; returns its exit status, with stdout and stderr in out and err.
    int Import(const std::string& files) {
        const std::string command = "SKYLOG_SETTINGS='" + dir.File("settings.conf") + "' '" +
                                    SKYLOG_CLI + "' --workdir '" + dir.File("wd/") +
                                    "' --host-data '" + SKYLOG_SOURCE_DIR + "/sample/host' import " +
                                    files + " >'" + dir.File("out") + "' 2>'" + dir.File("err") + "'";
        const int raw = std::system(command.c_str());
        out = ReadText(dir.File("out"));
        err = ReadText(dir.File("err"));
        return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    }

    static std::string Message(int minute) {
        char header[64];
        std::snprintf(header, sizeof header, "4711-ALL 0 at 03/07/05 14:%02d:10 UTC 4BT o\r\n", minute);
        return std::string(header) + "BODY\r\n";
    }

    TempDir dir;
    std::string out, err;
};

// A file read without an error that gives no message says so; the others do not.
TEST_F(ImportCommandTest, ErrorsOnStdoutFailuresOnStderr) {
    WriteText(dir.File("a.cnrs"), Message(0) + "9999-ALL 0 at 03/07/05 14:02:10 UTC 4BT o\r\n");
    WriteText(dir.File("b.txt"), "x\n");
    WriteText(dir.File("none.DCP"), "no header\n\nnor here\n");
    const std::string a = dir.File("a.cnrs");
    const std::string b = dir.File("b.txt");

    EXPECT_EQ(Import("'" + dir.File("none.DCP") + "' '" + a + "'"), 0);
    EXPECT_EQ(out, a + ": Ligne 3, E=3, La balise 9999 a émis un message sans être définie "
                       "(en-tête :9999-ALL 0 at 03/07/05 14:02:10 UTC 4BT o)\n");
    EXPECT_EQ(err.substr(0, err.find(", 0 scénario(s)")),
              dir.File("none.DCP") + ": aucun message reconnu (2 lignes lues)\n"
                                     "2 fichier(s) lu(s), 1 message(s), 1 erreur(s) de lecture");
    EXPECT_EQ(ReadText(dir.File("wd/DataDCP/Lampedusa/2005_07_03.DCP")), Message(0));

    EXPECT_EQ(Import("'" + b + "' '" + dir.File("missing.DCP") + "' '" + a + "'"), 1);
    EXPECT_NE(err.find("Le format du fichier " + b + " est inconnu!\n"), std::string::npos);
    EXPECT_NE(err.find("missing.DCP"), std::string::npos);
    EXPECT_NE(out.find(a + ": Ligne 3, E=3"), std::string::npos);
}

// The summary groups the messages of undefined beacons by beacon and points to the
// report of the messages whose decoding found errors; each reader error keeps its line
// on standard output, and the run its line in the journal.
TEST_F(ImportCommandTest, SummaryTellsTheWholeStory) {
    std::string file = Message(0);
    for (const char* beacon : {"9999", "8888", "9999", "9999"})
        file += std::string(beacon) + "-ALL 0 at 03/07/05 14:05:10 UTC 4BT o\r\n";
    WriteText(dir.File("a.DCP"), file);
    EXPECT_EQ(Import("'" + dir.File("a.DCP") + "'"), 0);
    EXPECT_EQ(err, "1 fichier(s) lu(s), 1 message(s), 4 erreur(s) de lecture, 0 scénario(s) décodé(s), 1 message(s) "
                   "avec erreurs de décodage (skylog report --day 2005-07-03 les détaille)\n"
                   "balise non définie : 8888, 1 message\n"
                   "balise non définie : 9999, 3 messages\n"
                   "les messages d'une balise non définie ne sont pas gardés : skylog beacons add NOM NUMÉRO la "
                   "définit, et les fichiers lus à nouveau les ajoutent\n");
    EXPECT_EQ(out.find(dir.File("a.DCP") + ": Ligne 4, E=3, La balise 8888 a émis un message sans être définie "
                                           "(en-tête :8888-ALL 0 at 03/07/05 14:05:10 UTC 4BT o)\n"),
              out.find('\n') + 1);
    EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 4);
    const std::string journal = ReadText(dir.File("wd/skylog.log"));
    EXPECT_EQ(journal.substr(journal.find('\t')), "\timport\t1\t1\t4\t0\t1\t0\n");
}

TEST_F(ImportCommandTest, StoreIsFlushedAcrossBatchesOfFiles) {
    std::string files, expected;
    for (int i = 0; i < 51; ++i) {
        const std::string path = dir.File("in/" + std::to_string(i) + ".DCP");
        WriteText(path, Message(i));
        files += "'" + path + "' ";
        expected += Message(i);
    }
    EXPECT_EQ(Import(files), 0);
    EXPECT_EQ(out, "");
    EXPECT_EQ(ReadText(dir.File("wd/DataDCP/Lampedusa/2005_07_03.DCP")), expected);
}

}  // namespace
}  // namespace skylog::test
