#include <gtest/gtest.h>

#include <set>

#include "Common/Encoding.h"
#include "Common/FileUtil.h"
#include "Common/IniFile.h"
#include "Common/UUtils.h"
#include "tools/gen/RandomSet.h"
#include "tools/gen/ScenarioTable.h"

namespace skylog::gen {
namespace {

RandomConfig SmallConfig() {
    RandomConfig config;
    config.seed = 42;
    config.messages = 120;
    config.beacons = 3;
    config.days = 2;
    return config;
}

TEST(RandomSet, SameSeedGivesTheSameFiles) {
    const GeneratedSet a = GenerateRandomSet(SmallConfig());
    const GeneratedSet b = GenerateRandomSet(SmallConfig());
    ASSERT_EQ(a.files.size(), b.files.size());
    for (size_t i = 0; i < a.files.size(); ++i) {
        EXPECT_EQ(a.files[i].name, b.files[i].name);
        EXPECT_EQ(a.files[i].bytes, b.files[i].bytes);
    }
    EXPECT_EQ(a.expected, b.expected);
    RandomConfig other = SmallConfig();
    other.seed = 43;
    EXPECT_NE(GenerateRandomSet(other).files[0].bytes, a.files[0].bytes);
}

TEST(RandomSet, EveryFormatAndEveryScenarioMarkerAppears) {
    const GeneratedSet set = GenerateRandomSet(SmallConfig());
    std::set<StationFormat> formats;
    for (const GeneratedFile& f : set.files) formats.insert(f.format);
    EXPECT_EQ(formats.size(), AllFormats().size());
    std::set<uint8_t> types;
    for (const ExpectedEvent& e : set.expected) types.insert(static_cast<uint8_t>(HexToByte(e.hex.substr(0, 2))));
    std::set<uint8_t> tableTypes;
    for (const ScenarioLayout& layout : ScenarioTable()) tableTypes.insert(layout.k7Type);
    EXPECT_EQ(types, tableTypes);
    EXPECT_GT(set.continuations, 0);
    EXPECT_EQ(set.messageCount, 120);
}

TEST(RandomSet, DefectsAreAboutOneInTwentyAndOfEveryKind) {
    RandomConfig config = SmallConfig();
    config.messages = 2000;
    config.defects = true;
    const GeneratedSet set = GenerateRandomSet(config);
    EXPECT_GT(set.defects.size(), 60u);
    EXPECT_LT(set.defects.size(), 150u);
    std::set<DefectKind> kinds;
    for (const DefectNote& d : set.defects) kinds.insert(d.kind);
    EXPECT_EQ(kinds.size(), 11u);
    const GeneratedSet clean = GenerateRandomSet(SmallConfig());
    EXPECT_TRUE(clean.defects.empty());
}

TEST(RandomSet, ExpectedEventsAreUniqueAndBelongToAssociatedInstruments) {
    RandomConfig config = SmallConfig();
    config.defects = true;
    const GeneratedSet set = GenerateRandomSet(config);
    std::set<int> instruments;
    for (const BeaconDef& b : set.beacons) {
        for (const AssociationDef& a : b.associations) instruments.insert(a.instrumentNumber);
    }
    std::set<ExpectedEvent> unique(set.expected.begin(), set.expected.end());
    EXPECT_EQ(unique.size(), set.expected.size());
    for (const ExpectedEvent& e : set.expected) {
        EXPECT_TRUE(instruments.count(e.instrumentNumber)) << e.instrumentNumber;
        const int length = HexToByte(e.hex.substr(2, 2));
        EXPECT_EQ(static_cast<int>(e.hex.size()), 2 * length);
        EXPECT_EQ(e.hex.substr(e.hex.size() - 4, 2), "FE");
    }
    const auto files = ExpectedK7Files(set.expected);
    EXPECT_FALSE(files.empty());
    EXPECT_EQ(files.begin()->first.substr(0, 7), "DataK7/");
}

TEST(RandomSet, DcpListDefinesEveryBeaconWithItsAssociations) {
    const GeneratedSet set = GenerateRandomSet(SmallConfig());
    const TIniFile ini = TIniFile::FromText(DcpListText(set.beacons));
    ASSERT_EQ(ini.ReadInteger("General", "NbDCP", 0), 3);
    EXPECT_EQ(ini.ReadString("DCP0", "Name", ""), "Sede");
    EXPECT_EQ(ini.ReadInteger("DCP1", "NbAss", 0), 2);  // moved halfway to another instrument
    const StringList fields = Split(ini.ReadString("DCP0", "Asso0", ""), ',');
    ASSERT_EQ(fields.size(), 7u);
    EXPECT_EQ(fields[5], "Sédé Boqer");
    EXPECT_EQ(fields[0], "07/12/2004");  // 90 days ahead of the first day
    EXPECT_EQ(ManagersText(set.managers).substr(0, 33), "1,Dupont,Jean,jean.dupont@example");
}

TEST(RandomSet, ExpectedEventsText) {
    ExpectedEvent e;
    e.instrumentNumber = 45;
    e.year = 2005;
    e.month = 3;
    e.day = 7;
    e.hex = "DF1EFF";
    EXPECT_EQ(ExpectedEventsText({e}), "P045 2005-03-07 DF1EFF\n");
    EXPECT_EQ(ExpectedK7Files({e}).begin()->first, "DataK7/2005_03_07/P045_20050307.K7");
}

TEST(RandomSet, UnworkableConfigurationsAreRefused) {
    RandomConfig config = SmallConfig();
    config.beacons = 0;
    EXPECT_THROW((void)GenerateRandomSet(config), std::invalid_argument);
    config = SmallConfig();
    config.messages = 3 * 2 * 1440 + 1;
    EXPECT_THROW((void)GenerateRandomSet(config), std::invalid_argument);
}

}  // namespace
}  // namespace skylog::gen


namespace skylog::gen {
namespace {

// The committed sample is what `skylog-gen --out sample --format all --messages 300
// --beacons 5 --days 2 --seed 2005 --defects` writes (docs/generator.md).
TEST(SampleData, CommittedSampleIsWhatTheDocumentedCommandWrites) {
    RandomConfig config;
    config.seed = 2005;
    config.messages = 300;
    config.beacons = 5;
    config.days = 2;
    config.defects = true;
    const GeneratedSet set = GenerateRandomSet(config);
    const std::string sample = std::string(SKYLOG_SOURCE_DIR) + "/sample/";
    ASSERT_EQ(set.files.size(), 5u);
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
