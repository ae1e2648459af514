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

TEST_F(BlockIndexTest, AgreesWithRemovingByHeaderThroughOutsideChanges) {
    TDCP* beacon = AddBeacon("Lampedusa", "4711");
    struct Entry {
        std::string header, body;
        TDateTime date;
    };
    std::vector<Entry> model;
    const auto byDate = [](const auto& a, const auto& b) { return a.date < b.date; };
    std::mt19937 random(3);
    for (int step = 0; step < 3000; ++step) {
        const int second = static_cast<int>(random() % 40);
        const std::string header = "4711 0 at 07/03/05 14:00:" + std::to_string(second) + " UTC 3BT o";
        const std::string body = "B" + std::to_string(step);
        const TDateTime date = At(2005, 3, 7, 14, 0, second % 4);  // a few: sorting moves them
        const unsigned action = random() % 20;
        if (action == 0) {  // sorted by date, as decoding does: same dates keep their order
            std::stable_sort(beacon->Blocks.begin(), beacon->Blocks.end(),
                             [](const auto& a, const auto& b) { return a->Date < b->Date; });
            std::stable_sort(model.begin(), model.end(), byDate);
        } else if (action <= 2 && !model.empty()) {  // removed from outside
            const auto i = static_cast<std::ptrdiff_t>(random() % model.size());
            beacon->Blocks.erase(beacon->Blocks.begin() + i);
            model.erase(model.begin() + i);
            if (action == 2) {  // and another appended from outside: the size stays
                auto other = std::make_unique<TDCPDataBloc>(beacon);
                other->Header = "outside " + body;  // never read again
                other->Date = date;
                other->AddBody(body);
                beacon->Blocks.push_back(std::move(other));
                model.push_back({"outside " + body, body, date});
            }
        } else if (action > 2) {
            AddBlock(*beacon, header, date, body);
            std::erase_if(model, [&header](const Entry& entry) { return entry.header == header; });
            model.push_back({header, body, date});
        }
        std::vector<std::string> bodies, expected;
        for (const auto& block : beacon->Blocks) bodies.emplace_back(block->Body.begin(), block->Body.end());
        for (const Entry& entry : model) expected.push_back(entry.body);
        ASSERT_EQ(bodies, expected) << "step " << step;
    }
}

}  // namespace
}  // namespace skylog::test
