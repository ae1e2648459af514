// A beacon's blocks keep one block per header, the last one read, in reading order,
// whatever was done to Blocks from outside in between.

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "tests/dcp/DcpFixture.h"

namespace skylog::test {
namespace {

using BlockIndexTest = DcpFixture;

std::vector<std::string> Bodies(const TDCP& beacon) {
    std::vector<std::string> bodies;
    for (const auto& block : beacon.Blocks) bodies.emplace_back(block->Body.begin(), block->Body.end());
    return bodies;
}

TEST_F(BlockIndexTest, AgreesWithRemovingByHeaderThroughOutsideChanges) {
    TDCP* beacon = AddBeacon("Lampedusa", "4711");
    struct Entry {
        std::string header, body;
        TDateTime date;
    };
    std::vector<Entry> model;
    std::mt19937 random(3);
    for (int step = 0; step < 3000; ++step) {
        const int second = static_cast<int>(random() % 40);
        const std::string header = "4711 0 at 07/03/05 14:00:" + std::to_string(second) + " UTC 3BT o";
        const std::string body = "B" + std::to_string(step);
        // Blocks of a few dates, so that sorting moves them.
        const TDateTime date = At(2005, 3, 7, 14, 0, second % 4);
        switch (random() % 20) {
            case 0:  // sorted by date, as decoding does: same dates keep their order
                std::stable_sort(beacon->Blocks.begin(), beacon->Blocks.end(),
                                 [](const auto& a, const auto& b) { return a->Date < b->Date; });
                std::stable_sort(model.begin(), model.end(), [](const Entry& a, const Entry& b) { return a.date < b.date; });
                break;
            case 1:  // a block removed from outside
                if (!model.empty()) {
                    const size_t i = random() % model.size();
                    beacon->Blocks.erase(beacon->Blocks.begin() + static_cast<std::ptrdiff_t>(i));
                    model.erase(model.begin() + static_cast<std::ptrdiff_t>(i));
                }
                break;
            case 2:  // one removed and another appended from outside: the size stays
                if (!model.empty()) {
                    const size_t i = random() % model.size();
                    beacon->Blocks.erase(beacon->Blocks.begin() + static_cast<std::ptrdiff_t>(i));
                    model.erase(model.begin() + static_cast<std::ptrdiff_t>(i));
                    auto other = std::make_unique<TDCPDataBloc>(beacon);
                    other->Header = "outside " + body;  // never read again
                    other->Date = date;
                    other->AddBody("outside" + body);
                    beacon->Blocks.push_back(std::move(other));
                    model.push_back({"outside " + body, "outside" + body, date});
                }
                break;
            default:
                AddBlock(*beacon, header, date, body);
                std::erase_if(model, [&header](const Entry& entry) { return entry.header == header; });
                model.push_back({header, body, date});
        }
        std::vector<std::string> expected;
        for (const Entry& entry : model) expected.push_back(entry.body);
        ASSERT_EQ(Bodies(*beacon), expected) << "step " << step;
    }
}

}  // namespace
}  // namespace skylog::test
