// Managers.inf inputs that once broke the manager list.

#include <gtest/gtest.h>

#include <climits>
#include <memory>
#include <set>
#include <string>

#include "Common/MessageBoxes.h"
#include "managers/UManagers.h"

namespace skylog {
namespace {

// Identifiers at or one below the largest integer: adding a manager overflowed NextId
// and the next ones got identifiers that wrap around (fuzz_managers). Nothing is left
// above the largest identifier read: the smallest free ones are handed out, once each.
TEST(ManagersRegression, IdentifiersNearTheLargestIntegerAreNeverHandedOutTwice) {
    const struct {
        const char* file;
        size_t read;
        std::set<int32_t> added;
    } cases[] = {
        // The line without a numeric identifier is skipped.
        {"3,Nom,Pr\xc3\xa9nom,a@b\n-1,x\n2147483646,y,z,w\r\nnot,a,manager\r\n", 3, {1, 2, 4}},
        {"1,a\r\n2147483647,b\r\n", 2, {2, 3, 4}},
    };
    for (const auto& c : cases) {
        RecordingMessageBoxes boxes;
        TManagerList list("");
        list.LoadFromBytes(c.file, boxes);
        ASSERT_EQ(list.Count(), c.read) << c.file;
        std::set<int32_t> added;
        for (int k = 0; k < 3; ++k) added.insert(list.Add(std::make_unique<TManager>())->Id);
        EXPECT_EQ(added, c.added) << c.file;
    }
}

}  // namespace
}  // namespace skylog
