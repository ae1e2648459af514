#include <gtest/gtest.h>

#include "Common/FileUtil.h"
#include "import/UDecodFile.h"
#include "tests/dcp/DcpFixture.h"

namespace skylog::test {
namespace {

// Three beacons, each with a stored day of 7 March 2005 holding one record per beacon
// (two for the third), written through the store itself.
class DayTest : public DcpFixture {
protected:
    void SetUp() override {
        List().SetReader(&reader_);
        const char* names[] = {"Lampedusa", "Sede", "../Avignon"};
        for (int i = 0; i < 3; ++i) {
            TDCP* beacon = AddBeacon(names[i], "471" + std::to_string(i));
            AddBlock(*beacon, Header(i, 10), At(2005, 3, 7, 10), "NO DATA!");
        }
        AddBlock(*List().Beacons[2], Header(2, 11), At(2005, 3, 7, 11), "NO DATA!");
        List().FlushAll();
        List().ClearAll();
    }
    static std::string Header(int beacon, int hour) {
        return "471" + std::to_string(beacon) + " 0 at 07/03/05 " + std::to_string(hour) +
               ":00:00 UTC 8BT o";
    }
    std::vector<size_t> BlockCounts() {
        std::vector<size_t> counts;
        for (const auto& beacon : List().Beacons) counts.push_back(beacon->Blocks().size());
        return counts;
    }

    TDecodFile reader_{List()};
};

// -1, and any index naming no beacon, load every beacon.
TEST_F(DayTest, AnIndexLoadsThatBeaconOnly) {
    const std::vector<std::pair<int, std::vector<size_t>>> cases = {
        {2, {0, 0, 2}}, {0, {1, 0, 0}}, {3, {1, 1, 2}}, {-5, {1, 1, 2}}, {-1, {1, 1, 2}}};
    for (const auto& [index, counts] : cases) {
        List().ClearAll();
        List().LoadDay(At(2005, 3, 7, 18), index);
        EXPECT_EQ(BlockCounts(), counts) << index;
    }
    const TDCPDataBloc& block = *List().Beacons[2]->Blocks()[1];
    EXPECT_EQ(block.Header, Header(2, 11));
    EXPECT_EQ(block.Date, At(2005, 3, 7, 11));
    EXPECT_TRUE(block.Decoded);
}

// Read again, the day's records replace their blocks, and nothing new is stored.
TEST_F(DayTest, LoadingTwiceKeepsOneBlockPerRecordAndStoresNothingNew) {
    // The third beacon's name "../Avignon" is stored under a safe folder.
    const std::string file = dir_.Path() + "DataDCP/.._Avignon/2005_03_07.DCP";
    const std::string before = ReadText(file);
    List().LoadDay(At(2005, 3, 7), -1);
    List().LoadDay(At(2005, 3, 7), -1);
    EXPECT_EQ(BlockCounts(), (std::vector<size_t>{1, 1, 2}));
    List().FlushAll();
    EXPECT_EQ(ReadText(file), before);
    List().LoadDay(At(2005, 3, 8), -1);  // a day without files
    EXPECT_EQ(BlockCounts(), (std::vector<size_t>{1, 1, 2}));
    EXPECT_TRUE(boxes_.shown.empty());
}

// The station's limit on the length of a body line does not apply to a stored body.
TEST_F(DayTest, LongBodiesReadBackWhole) {
    const std::vector<size_t> lengths = {4095, 4096, 20000};
    for (size_t i = 0; i < lengths.size(); ++i)
        AddBlock(*List().Beacons[0], Header(0, 12 + static_cast<int>(i)), At(2005, 3, 7, 12 + static_cast<int>(i)),
                 std::string(lengths[i], 'A'));
    List().FlushAll();
    List().ClearAll();
    List().LoadDay(At(2005, 3, 7), 0);
    std::vector<size_t> read;
    for (const auto& block : List().Beacons[0]->Blocks()) read.push_back(block->Body.size());
    EXPECT_EQ(read, (std::vector<size_t>{8, 4095, 4096, 20000}));
}

// A front end watching the store hears of the blocks read (from the store here), of
// the days written and of the content about to be dropped; the content's estimate
// grows as it is read and starts again from nothing.
TEST_F(DayTest, TheObserverHearsWhatChanges) {
    struct Recorder : IStoreObserver {
        std::vector<std::string> heard;
        void BlocksAdded(const TDCP& beacon, bool fromStore) override {
            heard.push_back("blocks " + beacon.Name + (fromStore ? " stored" : ""));
        }
        void DaySaved(TDateTime day) override { heard.push_back("saved " + FormatDateDMY(day)); }
        void ContentDropping() override { heard.emplace_back("dropping"); }
    } recorder;
    List().SetObserver(&recorder);
    List().LoadDay(At(2005, 3, 7), 2);
    EXPECT_GT(List().PendingBytes(), 2u * sizeof(TDCPDataBloc));
    List().FlushAll();
    List().ClearAll();
    EXPECT_EQ(List().PendingBytes(), 0u);
    EXPECT_EQ(recorder.heard,
              (std::vector<std::string>{"blocks ../Avignon stored", "saved 07/03/2005", "dropping"}));
    List().SetObserver(nullptr);
}

}  // namespace
}  // namespace skylog::test
