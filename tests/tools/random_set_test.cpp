#include <gtest/gtest.h>

#include <set>

#include "Common/Encoding.h"
#include "Common/FileUtil.h"
#include "Common/UUtils.h"
#include "tools/gen/RandomSet.h"
#include "tools/gen/ScenarioTable.h"

namespace skylog::gen {
namespace {

RandomConfig Config(uint64_t seed, int messages, int beacons, bool defects) {
    RandomConfig config;
    config.seed = seed;
    config.messages = messages;
    config.beacons = beacons;
    config.days = 2;
    config.defects = defects;
    return config;
}

// The round trip only proves what the sets hold: every format, every event type and
// scenarios continued into the next message.
TEST(RandomSet, EveryFormatAndEveryScenarioMarkerAppears) {
    const GeneratedSet set = GenerateRandomSet(Config(42, 120, 3, false));
    std::set<StationFormat> formats;
    for (const GeneratedFile& f : set.files) formats.insert(f.format);
    EXPECT_EQ(formats.size(), AllFormats().size());
    std::set<uint8_t> types, tableTypes;
    for (const ExpectedEvent& e : set.expected) types.insert(static_cast<uint8_t>(HexToByte(e.hex.substr(0, 2))));
    for (const ScenarioLayout& layout : ScenarioTable()) tableTypes.insert(layout.k7Type);
    EXPECT_EQ(types, tableTypes);
    EXPECT_GT(set.continuations, 0);
    EXPECT_EQ(set.messageCount, 120);
}

TEST(RandomSet, DefectsAreAboutOneInTwentyAndOfEveryKind) {
    const GeneratedSet set = GenerateRandomSet(Config(42, 2000, 3, true));
    EXPECT_GT(set.defects.size(), 60u);
    EXPECT_LT(set.defects.size(), 150u);
    std::set<DefectKind> kinds;
    for (const DefectNote& d : set.defects) kinds.insert(d.kind);
    EXPECT_EQ(kinds.size(), 11u);
    EXPECT_TRUE(GenerateRandomSet(Config(42, 120, 3, false)).defects.empty());
}

TEST(RandomSet, UnworkableConfigurationsAreRefused) {
    EXPECT_THROW((void)GenerateRandomSet(Config(42, 120, 0, false)), std::invalid_argument);
    // More than one message a minute per beacon.
    EXPECT_THROW((void)GenerateRandomSet(Config(42, 3 * 2 * 1440 + 1, 3, false)), std::invalid_argument);
}

// The committed sample is what `skylog-gen --out sample --format all --messages 300
// --beacons 5 --days 2 --seed 2005 --defects` writes (docs/generator.md).
TEST(SampleData, CommittedSampleIsWhatTheDocumentedCommandWrites) {
    const GeneratedSet set = GenerateRandomSet(Config(2005, 300, 5, true));
    const std::string sample = std::string(SKYLOG_SOURCE_DIR) + "/sample/";
    ASSERT_EQ(set.files.size(), 6u);
    for (const GeneratedFile& file : set.files) {
        EXPECT_EQ(ReadFileBytes(sample + "input/" + file.name), file.bytes) << file.name;
    }
    EXPECT_EQ(ReadFileBytes(sample + "expected-events.txt"), ExpectedEventsText(set.expected));
    const std::string dcpList = ReadFileBytes(sample + "workdir/DcpList.inf");
    EXPECT_EQ(dcpList, Utf8ToCp1252(DcpListText(set.beacons)));
    EXPECT_NE(dcpList.find("S\xE9" "d\xE9"), std::string::npos);  // Windows-1252 on disk
    EXPECT_NE(dcpList.find("\r\n"), std::string::npos);
    EXPECT_EQ(ReadFileBytes(sample + "workdir/Managers.inf"), Utf8ToCp1252(ManagersText(set.managers)));
}

}  // namespace
}  // namespace skylog::gen
