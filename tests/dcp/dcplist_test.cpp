#include <gtest/gtest.h>

#include "Common/FileUtil.h"
#include "Common/IniFile.h"
#include "managers/UManagers.h"
#include "tests/dcp/DcpFixture.h"

namespace skylog::test {
namespace {

class DcpListTest : public DcpFixture {
protected:
    static TDCPAsso* AddAsso(TDCP& beacon, TDateTime start, TDateTime end, int32_t instrument,
                             std::string place = "") {
        auto asso = std::make_unique<TDCPAsso>();
        asso->StartDate = start;
        asso->EndDate = end;
        asso->InstrumentNumber = instrument;
        asso->PosName = std::move(place);
        beacon.AssoList.push_back(std::move(asso));
        return beacon.AssoList.back().get();
    }
    std::string FileName() const { return dir_.File("DcpList.inf"); }
};

TEST_F(DcpListTest, SavedSectionsAndKeys) {
    WriteText(dir_.File("Managers.inf"), "4,Dupont,Jean,\r\n7,Curie,Marie,\r\n");
    TManagerList managers(dir_.File("Managers.inf"));
    skylog::Run().Managers = &managers;

    AddBeacon("Avignon", "4711");
    TDCP* second = AddBeacon("Lampedusa", "4712");
    second->BaseTime = 725;
    second->Interval = 60;
    AddAsso(*second, At(2005, 3, 1), At(2005, 12, 31, 23, 59), 123, "Avignon")->Managers.SetIdsText("4|7");
    AddAsso(*second, At(2006, 1, 1), At(2006, 6, 30, 12), 45, "Sede");
    List().SaveToFile();

    const TIniFile ini(FileName());
    EXPECT_EQ(ini.SectionNames(), (std::vector<std::string>{"General", "DCP0", "DCP1"}));
    EXPECT_EQ(ini.ReadInteger("General", "NbDCP", -1), 2);
    EXPECT_EQ(ini.ReadInteger("DCP0", "NbAss", -1), 0);
    EXPECT_FALSE(ini.ValueExists("DCP0", "Asso0"));
    EXPECT_EQ(ini.KeyNames("DCP1"),
              (std::vector<std::string>{"Name", "Number", "BaseTime", "Interval", "NbAss", "Asso0", "Asso1"}));
    EXPECT_EQ(ini.ReadString("DCP1", "BaseTime", ""), "725");
    EXPECT_EQ(ini.ReadInteger("DCP1", "NbAss", -1), 2);
    EXPECT_EQ(ini.ReadString("DCP1", "Asso0", ""), "01/03/2005,00:00:00,31/12/2005,23:59:00,123,Avignon,4|7");
    EXPECT_EQ(ini.ReadString("DCP1", "Asso1", ""), "01/01/2006,00:00:00,30/06/2006,12:00:00,45,Sede,");

    TDCPList reloaded(FileName());
    ASSERT_EQ(reloaded.Count(), 2u);
    const TDCP& back = *reloaded.Beacons[1];
    EXPECT_EQ(back.Name, "Lampedusa");
    EXPECT_EQ(back.Number, "4712");
    EXPECT_EQ(back.BaseTime, 725);
    EXPECT_EQ(back.Interval, 60);
    ASSERT_EQ(back.AssoList.size(), 2u);
    EXPECT_EQ(back.AssoList[0]->StartDate, At(2005, 3, 1));
    EXPECT_EQ(back.AssoList[0]->EndDate, At(2005, 12, 31, 23, 59));
    EXPECT_EQ(back.AssoList[0]->Managers.Ids(), (std::vector<int32_t>{4, 7}));
    EXPECT_EQ(back.AssoList[1]->PosName, "Sede");
}

TEST_F(DcpListTest, DeletedBeaconLeavesNoSection) {
    TDCP* first = AddBeacon("A", "1");
    AddAsso(*first, At(2005, 1, 1), At(2005, 2, 1), 1);
    AddAsso(*first, At(2005, 2, 1), At(2005, 3, 1), 2);
    TDCP* second = AddBeacon("B", "2");
    AddAsso(*second, At(2005, 1, 1), At(2005, 2, 1), 3);
    List().SaveToFile();
    List().Delete(0);
    List().SaveToFile();

    const TIniFile ini(FileName());
    EXPECT_EQ(ini.SectionNames(), (std::vector<std::string>{"General", "DCP0"}));
    EXPECT_EQ(ini.ReadString("DCP0", "Name", ""), "B");
    EXPECT_EQ(ini.ReadInteger("DCP0", "NbAss", -1), 1);
    EXPECT_FALSE(ini.ValueExists("DCP0", "Asso1"));
}

TEST_F(DcpListTest, MissingFileGivesEmptyListAndIsCreatedOnSave) {
    EXPECT_EQ(List().Count(), 0u);
    List().SaveToFile();
    EXPECT_EQ(ReadText(FileName()), "[General]\r\nNbDCP=0\r\n");
}

TEST_F(DcpListTest, FindAssoBoundsAreInclusive) {
    TDCP* beacon = AddBeacon("A", "1");
    const TDateTime start = At(2005, 3, 1, 8);
    const TDateTime end = At(2005, 3, 31, 23, 59, 59);
    AddAsso(*beacon, start, end, 1);
    const TDateTime oneSecond = 1.0 / 86400.0;

    ASSERT_NE(beacon->FindAsso(start), nullptr);
    EXPECT_EQ(beacon->FindAsso(start)->InstrumentNumber, 1);
    EXPECT_NE(beacon->FindAsso(end), nullptr);
    EXPECT_EQ(beacon->FindAsso(At(2005, 3, 1, 7, 59, 59)), nullptr);
    EXPECT_EQ(beacon->FindAsso(At(2005, 4, 1)), nullptr);
    EXPECT_EQ(beacon->FindAsso(end + oneSecond), nullptr);

    AddAsso(*beacon, At(2005, 4, 1), At(2005, 5, 1), 2);
    ASSERT_NE(beacon->FindAsso(At(2005, 4, 1)), nullptr);
    EXPECT_EQ(beacon->FindAsso(At(2005, 4, 1))->InstrumentNumber, 2);
}

TEST_F(DcpListTest, OverlappingAssociationsFirstInListWins) {
    TDCP* beacon = AddBeacon("A", "1");
    AddAsso(*beacon, At(2005, 3, 10), At(2005, 3, 20), 7);
    AddAsso(*beacon, At(2005, 3, 1), At(2005, 3, 31), 8);
    EXPECT_EQ(beacon->FindAsso(At(2005, 3, 15))->InstrumentNumber, 7);
    EXPECT_EQ(beacon->FindAsso(At(2005, 3, 5))->InstrumentNumber, 8);
}

TEST_F(DcpListTest, LookupsAreExactAndReturnTheFirst) {
    TDCP* upper = AddBeacon("Sede", "ABC");
    TDCP* twin = AddBeacon("Sede", "DEF");
    EXPECT_EQ(List().FindByNumber("ABC"), upper);
    EXPECT_EQ(List().FindByNumber("abc"), nullptr);
    EXPECT_EQ(List().FindByNumber("AB"), nullptr);
    EXPECT_EQ(List().FindByNumber("DEF"), twin);
    EXPECT_EQ(List().FindByName("Sede"), upper);
    EXPECT_EQ(List().FindByName("sede"), nullptr);
}

TEST_F(DcpListTest, NewBeaconTakesTransIntervalLoadedOneDefaultsToThirty) {
    Settings().TransInterval = 45;
    EXPECT_EQ(TDCP().Interval, 45);

    WriteText(FileName(), "[General]\r\nNbDCP=2\r\n\r\n[DCP0]\r\nNumber=1\r\n");
    TDCPList list(FileName());
    ASSERT_EQ(list.Count(), 2u);
    EXPECT_EQ(list.Beacons[0]->Interval, 30);
    EXPECT_EQ(list.Beacons[0]->Name, "NoName");
    // NbDCP larger than the sections present gives default beacons.
    EXPECT_EQ(list.Beacons[1]->Number, "");
    EXPECT_EQ(list.Beacons[1]->Interval, 30);
    EXPECT_EQ(list.Beacons[1]->Owner, &list);
}

TEST_F(DcpListTest, MalformedAssociationLinesAreDiscarded) {
    WriteText(FileName(),
              "[General]\r\nNbDCP=1\r\n\r\n[DCP0]\r\nName=A\r\nNumber=1\r\nNbAss=9\r\n"
              "Asso0=01/03/2005,00:00:00,31/03/2005,23:59:59,12,Ok,\r\n"
              "Asso1=xx/03/2005,00:00:00,31/03/2005,23:59:59,12,BadDay,\r\n"
              "Asso2=31/02/2005,00:00:00,31/03/2005,23:59:59,12,NoSuchDate,\r\n"
              "Asso3=01/03/2005,24:00:00,31/03/2005,23:59:59,12,BadTime,\r\n"
              "Asso4=01/03/2005,00:00:00,31/03/2005,23:59:59,1x2,BadInstrument,\r\n"
              "Asso5=\r\n"
              "Asso6=01/03/2005,00:00:00\r\n"
              "Asso7=02/03/2005,00:00:00,03/03/2005,00:00:00,13\r\n");
    TDCPList list(FileName());
    const TDCP& beacon = *list.Beacons[0];
    ASSERT_EQ(beacon.AssoList.size(), 3u);
    EXPECT_EQ(beacon.AssoList[0]->PosName, "Ok");
    // Fewer than five fields: kept, but dated 0.0, so it covers no real date.
    EXPECT_EQ(beacon.AssoList[1]->StartDate, 0.0);
    EXPECT_EQ(beacon.AssoList[1]->EndDate, 0.0);
    EXPECT_EQ(beacon.AssoList[1]->InstrumentNumber, 0);
    EXPECT_EQ(beacon.AssoList[2]->InstrumentNumber, 13);
    EXPECT_EQ(beacon.AssoList[2]->PosName, "");
    EXPECT_TRUE(boxes_.shown.empty());
}

TEST_F(DcpListTest, AssociationCountBeyondTheKeysPresent) {
    WriteText(FileName(),
              "[General]\r\nNbDCP=1\r\n\r\n[DCP0]\r\nName=A\r\nNbAss=2000000000\r\n"
              "Asso3=01/03/2005,00:00:00,31/03/2005,23:59:59,12,Ok,\r\n");
    TDCPList list(FileName());
    ASSERT_EQ(list.Beacons[0]->AssoList.size(), 1u);
    EXPECT_EQ(list.Beacons[0]->AssoList[0]->InstrumentNumber, 12);
}

TEST_F(DcpListTest, Windows1252FileRoundTripsByteForByte) {
    const std::string original =
        "[General]\r\nNbDCP=1\r\n\r\n"
        "[DCP0]\r\nName=S\xE9" "d\xE9\r\nNumber=3A5C\r\nBaseTime=125\r\nInterval=30\r\nNbAss=1\r\n"
        "Asso0=01/03/2005,00:00:00,31/12/2005,23:59:00,123,S\xE9" "d\xE9,\r\n";
    WriteText(FileName(), original);
    {
        TDCPList list(FileName());
        ASSERT_EQ(list.Count(), 1u);
        EXPECT_EQ(list.Beacons[0]->Name, "Sédé");
        EXPECT_EQ(list.Beacons[0]->AssoList[0]->PosName, "Sédé");
        EXPECT_EQ(list.FindByName("Sédé"), list.Beacons[0].get());
    }  // the destructor writes the file back
    EXPECT_EQ(ReadText(FileName()), original);
}

}  // namespace
}  // namespace skylog::test
