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

// An identifier one below the largest integer: adding a manager overflowed NextId and
// the next ones got identifiers that wrap around (fuzz_managers).
constexpr unsigned char kNearMaxId[] = {
    0x33, 0x2c, 0x4e, 0x6f, 0x6d, 0x2c, 0x50, 0x72, 0xc3, 0xa9, 0x6e, 0x6f, 0x6d, 0x2c, 0x61, 0x40,
    0x62, 0x0a, 0x2d, 0x31, 0x2c, 0x78, 0x0a, 0x32, 0x31, 0x34, 0x37, 0x34, 0x38, 0x33, 0x36, 0x34,
    0x36, 0x2c, 0x79, 0x2c, 0x7a, 0x2c, 0x77, 0x0d, 0x0a, 0x6e, 0x6f, 0x74, 0x2c, 0x61, 0x2c, 0x6d,
    0x61, 0x6e, 0x61, 0x67, 0x65, 0x72, 0x0d, 0x0a};

std::string Bytes(const unsigned char* data, size_t size) { return std::string(reinterpret_cast<const char*>(data), size); }

TEST(ManagersRegression, IdentifiersNearTheLargestIntegerAreNeverHandedOutTwice) {
    RecordingMessageBoxes boxes;
    TManagerList list("");
    list.LoadFromBytes(Bytes(kNearMaxId, sizeof kNearMaxId), boxes);
    ASSERT_EQ(list.Count(), 3u);  // the line without a numeric identifier is skipped
    EXPECT_EQ(list.NextId, INT32_MAX);

    for (int k = 0; k < 3; ++k) list.Add(std::make_unique<TManager>());
    std::set<int32_t> ids;
    for (const auto& m : list.Managers) EXPECT_TRUE(ids.insert(m->Id).second) << "identifier " << m->Id << " twice";
    // Nothing is left above the largest identifier read: the smallest free ones.
    EXPECT_EQ(list.Managers[3]->Id, 1);
    EXPECT_EQ(list.Managers[4]->Id, 2);
    EXPECT_EQ(list.Managers[5]->Id, 4);
}

TEST(ManagersRegression, TheLargestIntegerReadLeavesNewIdentifiersFree) {
    RecordingMessageBoxes boxes;
    TManagerList list("");
    list.LoadFromBytes("1,a\r\n2147483647,b\r\n", boxes);
    TManager* added = list.Add(std::make_unique<TManager>());
    EXPECT_NE(added->Id, 1);
    EXPECT_NE(added->Id, INT32_MAX);
    EXPECT_GT(added->Id, 0);
}

}  // namespace
}  // namespace skylog
