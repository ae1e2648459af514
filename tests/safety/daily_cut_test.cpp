// Daily message files after an append was cut short. The journal a killed append
// leaves beside the file cuts off what it wrote, and the blocks come back whole when
// stored again; without a journal every record is kept as it stands.

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <optional>
#include <string>

#include "Common/FileUtil.h"
#include "dcp/UDailyFile.h"
#include "tests/dcp/DcpFixture.h"

namespace skylog::test {
namespace {

class DailyCutTest : public DcpFixture {
protected:
    const std::string firstHeader_ = "4711 0 at 07/03/05 09:00:00 UTC 3BT o";
    const std::string header_ = "4711 0 at 07/03/05 10:00:00 UTC 9BT o";
    const std::string firstRecord_ = firstHeader_ + "\r\nxyz\r\n";
    const std::string record_ = header_ + "\r\nhalf a body\r\n";

    std::string Path() const { return dir_.Path() + "DataDCP/Lampedusa/2005_03_07.DCP"; }
    // Stores both blocks through a fresh beacon list, over the given file content and,
    // when given, the journal of a killed append that started at that size.
    std::string StoreOver(const std::string& content, std::optional<size_t> journal = std::nullopt) {
        ForceDirectories(dir_.Path() + "DataDCP/Lampedusa");
        WriteText(Path(), content);
        if (journal) WriteText(AppendJournalPath(Path()), std::to_string(*journal) + "\n");
        TDCPList list(dir_.File("DcpList.inf"), Context());
        auto beacon = std::make_unique<TDCP>();
        beacon->Name = "Lampedusa";
        beacon->Number = "4711";
        TDCP* b = list.Add(std::move(beacon));
        AddBlock(*b, firstHeader_, At(2005, 3, 7, 9), "xyz");
        AddBlock(*b, header_, At(2005, 3, 7, 10), "half a body");
        list.FlushAll();
        list.FlushAll();
        EXPECT_FALSE(FileExists(AppendJournalPath(Path())));
        return ReadText(Path());
    }
};

TEST_F(DailyCutTest, AJournalCutsOffWhatTheKilledAppendWrote) {
    const std::string both = firstRecord_ + record_;
    for (size_t cut = 0; cut <= record_.size(); ++cut)
        EXPECT_EQ(StoreOver(firstRecord_ + record_.substr(0, cut), firstRecord_.size()), both) << "cut at " << cut;
    for (size_t cut = 1; cut <= firstRecord_.size(); ++cut)
        EXPECT_EQ(StoreOver(firstRecord_.substr(0, cut), 0), both) << "cut at " << cut;
    // A journal written only in part was left before its append began.
    WriteText(AppendJournalPath(Path()), "1");
    EXPECT_FALSE(RepairKilledAppend(Path()));
    EXPECT_FALSE(FileExists(AppendJournalPath(Path())));
}

// Without a journal nothing is cut: a last record without its line end (a file edited
// or copied by hand), a body that reads like a header, a record cut by a program that
// kept no journal. A CR LF comes first when the file does not end with one.
TEST_F(DailyCutTest, WithoutAJournalEveryRecordIsKept) {
    const std::string headerLikeBody = firstHeader_ + "\r\nbody at 07/03/05 UTC reading as a header\r\n";
    const std::string noLineEnd = firstHeader_ + "\r\nxyz";
    const std::string cut = firstRecord_ + header_ + "\r\nhal";
    EXPECT_EQ(StoreOver(headerLikeBody), headerLikeBody + record_);
    EXPECT_EQ(StoreOver(noLineEnd), noLineEnd + "\r\n" + record_);
    EXPECT_EQ(StoreOver(cut), cut);
}

// A real kill in the middle of an append: the file size limit stops the writing process
// with SIGXFSZ halfway through its records.
TEST_F(DailyCutTest, AnAppendKilledMidwayIsCutOffAtTheNextLook) {
    ForceDirectories(dir_.Path() + "DataDCP/Lampedusa");
    WriteText(Path(), firstRecord_);
    std::string batch;
    for (int i = 0; i < 4000; ++i)
        batch += "4711 0 at 07/03/05 " + std::to_string(i) + " UTC 300BT o\r\n" + std::string(300, 'A') + "\r\n";
    const size_t limit = firstRecord_.size() + batch.size() / 2;
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        rlimit fileSize{};
        getrlimit(RLIMIT_FSIZE, &fileSize);
        fileSize.rlim_cur = limit;
        std::signal(SIGXFSZ, SIG_DFL);
        if (setrlimit(RLIMIT_FSIZE, &fileSize) == 0) {
            TDailyFileIndex index;
            static_cast<void>(index.Append(Path(), batch));
        }
        _exit(0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status));
    EXPECT_EQ(WTERMSIG(status), SIGXFSZ);
    EXPECT_EQ(ReadText(Path()).size(), limit);

    TDailyFileIndex index;
    EXPECT_FALSE(index.Contains(Path(), "4711 0 at 07/03/05 0 UTC 300BT o"));
    EXPECT_EQ(ReadText(Path()), firstRecord_);
    EXPECT_FALSE(FileExists(AppendJournalPath(Path())));
}

}  // namespace
}  // namespace skylog::test
