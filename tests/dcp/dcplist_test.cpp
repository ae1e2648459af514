#include <gtest/gtest.h>

#include <filesystem>

#include "Common/FileUtil.h"
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

// The file byte by byte; a deleted beacon leaves no section behind, and the next one
// takes its number.
TEST_F(DcpListTest, SavedFileAndReload) {
    WriteText(dir_.File("Managers.inf"), "4,Dupont,Jean,\r\n7,Curie,Marie,\r\n");
    TManagerList managers(dir_.File("Managers.inf"));
    managers.LoadFromFile(boxes_);
    managers_ = &managers;
    EXPECT_EQ(LoadedList()->Count(), 0u);  // no file yet

    AddAsso(*AddBeacon("Avignon", "4711"), At(2005, 1, 1), At(2005, 2, 1), 3);
    TDCP* second = AddBeacon("Lampedusa", "4712");
    second->BaseTime = 725;
    second->Interval = 60;
    AddAsso(*second, At(2005, 3, 1), At(2005, 12, 31, 23, 59), 123, "Avignon")->Managers.SetIdsText("4|7", boxes_);
    AddAsso(*second, At(2006, 1, 1), At(2006, 6, 30, 12), 45, "Sede");
    List().SaveToFile();
    const std::string secondSection =
        "Name=Lampedusa\r\nNumber=4712\r\nBaseTime=725\r\nInterval=60\r\nNbAss=2\r\n"
        "Asso0=01/03/2005,00:00:00,31/12/2005,23:59:00,123,Avignon,4|7\r\n"
        "Asso1=01/01/2006,00:00:00,30/06/2006,12:00:00,45,Sede,\r\n";
    EXPECT_EQ(ReadText(FileName()),
              "[General]\r\nNbDCP=2\r\n\r\n[DCP0]\r\nName=Avignon\r\nNumber=4711\r\nBaseTime=0\r\n"
              "Interval=30\r\nNbAss=1\r\nAsso0=01/01/2005,00:00:00,01/02/2005,00:00:00,3,,\r\n\r\n"
              "[DCP1]\r\n" + secondSection);

    // Read back, every field of the second beacon is written again as it was.
    const auto reloaded = LoadedList();
    reloaded->Delete(0);
    reloaded->SaveToFile();
    EXPECT_EQ(ReadText(FileName()), "[General]\r\nNbDCP=1\r\n\r\n[DCP0]\r\n" + secondSection);
}

// Bounds are inclusive; where two associations overlap, the first in the list wins.
TEST_F(DcpListTest, FindAsso) {
    TDCP* beacon = AddBeacon("A", "1");
    AddAsso(*beacon, At(2005, 3, 10), At(2005, 3, 20), 7);
    AddAsso(*beacon, At(2005, 3, 1, 8), At(2005, 3, 31, 23, 59, 59), 8);
    AddAsso(*beacon, At(2005, 4, 1), At(2005, 5, 1), 2);
    const std::vector<std::pair<TDateTime, int32_t>> cases = {
        {At(2005, 3, 1, 7, 59, 59), 0}, {At(2005, 3, 1, 8), 8}, {At(2005, 3, 15), 7},
        {At(2005, 3, 31, 23, 59, 59), 8}, {At(2005, 4, 1), 2}, {At(2005, 5, 1), 2},
        {At(2005, 5, 1, 0, 0, 1), 0}};
    for (const auto& [when, instrument] : cases) {
        const TDCPAsso* asso = beacon->FindAsso(when);
        EXPECT_EQ(asso ? asso->InstrumentNumber : 0, instrument) << FormatDateDMY(when);
    }
}

TEST_F(DcpListTest, LookupsAreExactAndReturnTheFirst) {
    TDCP* first = AddBeacon("Sede", "ABC");
    TDCP* twin = AddBeacon("Sede", "DEF");
    EXPECT_EQ(List().FindByNumber("DEF"), twin);
    EXPECT_EQ(List().FindByName("Sede"), first);
    EXPECT_EQ(List().FindByNumber("abc"), nullptr);
    EXPECT_EQ(List().FindByNumber("AB"), nullptr);
    EXPECT_EQ(List().FindByName("sede"), nullptr);
}

TEST_F(DcpListTest, NewBeaconTakesTransIntervalLoadedOneDefaultsToThirty) {
    env_.settings.TransInterval = 45;
    EXPECT_EQ(List().NewBeacon()->Interval, 45);
    // A section in the count but missing gives a default beacon.
    WriteText(FileName(), "[General]\r\nNbDCP=2\r\n\r\n[DCP1]\r\nNumber=1\r\n");
    const auto list = LoadedList();
    ASSERT_EQ(list->Count(), 2u);
    EXPECT_EQ(list->Beacons[0]->Name, "NoName");
    for (const auto& beacon : list->Beacons) EXPECT_EQ(beacon->Interval, 30);
}

// A damaged file: each line that does not parse is dropped and named, and a huge
// association count costs no time (only keys present are read, gaps too).
TEST_F(DcpListTest, MalformedAssociationLinesAreDiscarded) {
    WriteText(FileName(),
              "[General]\r\nNbDCP=1\r\n\r\n[DCP0]\r\nName=A\r\nNumber=1\r\nNbAss=2000000000\r\n"
              "Asso0=01/03/2005,00:00:00,31/03/2005,23:59:59,12,Ok,\r\n"
              "Asso1=xx/03/2005,00:00:00,31/03/2005,23:59:59,12,BadDay,\r\n"
              "Asso2=31/02/2005,00:00:00,31/03/2005,23:59:59,12,NoSuchDate,\r\n"
              "Asso3=01/03/2005,24:00:00,31/03/2005,23:59:59,12,BadTime,\r\n"
              "Asso4=01/03/2005,00:00:00,31/03/2005,23:59:59,1x2,BadInstrument,\r\n"
              "Asso5=\r\n"
              "Asso6=01/03/2005,00:00:00\r\n"
              "Asso7=02/03/2005,00:00:00,03/03/2005,00:00:00,13\r\n"
              "Asso9=01/04/2005,00:00:00,30/04/2005,23:59:59,14,AfterAGap,\r\n");
    const auto list = LoadedList();
    const TDCP& beacon = *list->Beacons[0];
    // Fewer than five fields: kept, but dated 0.0, so it covers no real date.
    std::vector<std::string> read;
    for (const auto& asso : beacon.AssoList)
        read.push_back(FormatDateDMY(asso->StartDate) + "-" + FormatDateDMY(asso->EndDate) + " " +
                       std::to_string(asso->InstrumentNumber) + " " + asso->PosName);
    EXPECT_EQ(read, (std::vector<std::string>{"01/03/2005-31/03/2005 12 Ok", "30/12/1899-30/12/1899 0 ",
                                              "02/03/2005-03/03/2005 13 ", "01/04/2005-30/04/2005 14 AfterAGap"}));
    ASSERT_EQ(boxes_.Warnings().size(), 1u);  // one box for the whole file
    const std::string warning = boxes_.Warnings()[0];
    for (const char* named : {"Asso1 :", "Asso2 :", "Asso3 :", "Asso4 :", "Asso6 : moins de cinq champs"})
        EXPECT_NE(warning.find(named), std::string::npos) << named;
    for (const char* fine : {"Asso0", "Asso5", "Asso7", "Asso9"}) EXPECT_EQ(warning.find(fine), std::string::npos) << fine;
}

// The desktop program holds the list for hours while a command changes the file: each
// save writes its own changes only, into what the file holds then, and a beacon keeps
// its blocks; a list that did not change writes nothing.
TEST_F(DcpListTest, TwoListsOnOneFileKeepEachOthersChanges) {
    AddBeacon("Avignon", "1");
    AddBeacon("Sede", "2");
    List().SaveToFile();
    const auto command = LoadedList();
    TDCP* avignon = List().Beacons[0].get();
    AddBlock(*avignon, "1 at 07/03/05 10:00:00 UTC 10 BT o", At(2005, 3, 7, 10), "body");

    command->Beacons[1]->Interval = 60;
    command->Add(command->NewBeacon())->Name = "Lampedusa";
    command->SaveToFile();
    avignon->Number = "11";
    WriteText(dir_.File(".DcpList.inf.tmpXyZ123"), "left by a killed write");
    List().SaveToFile();
    EXPECT_FALSE(FileExists(dir_.File(".DcpList.inf.tmpXyZ123")));

    auto reread = LoadedList();
    ASSERT_EQ(reread->Count(), 3u);
    EXPECT_EQ(reread->Beacons[0]->Number, "11");
    EXPECT_EQ(reread->Beacons[1]->Interval, 60);
    EXPECT_EQ(reread->Beacons[2]->Name, "Lampedusa");
    ASSERT_EQ(List().Count(), 3u);  // the other program's changes, taken
    EXPECT_EQ(List().Beacons[0].get(), avignon);
    EXPECT_EQ(avignon->Blocks().size(), 1u);
    EXPECT_EQ(List().Beacons[1]->Interval, 60);

    std::filesystem::remove(FileName());
    List().SaveToFile();
    reread.reset();  // nor when a list goes
    EXPECT_FALSE(FileExists(FileName()));
}

// A file read with a problem: what can be read is, the problem is named, and a file
// whose beacons are not all read is never replaced.
TEST_F(DcpListTest, AFileNotReadWholeIsNeverReplaced) {
    const std::string section = "[DCP0]\r\nName=S\xC3\xA9" "d\xC3\xA9\r\nNumber=1\r\n";
    const struct {
        const char* what;
        std::string text;
        size_t beacons;
        bool writable;
    } cases[] = {
        {"utf-8 mark alone on the first line", "\xEF\xBB\xBF\r\n[General]\r\nNbDCP=1\r\n" + section, 1, true},
        {"utf-8 without mark", "[General]\r\nNbDCP=1\r\n" + section, 1, true},
        {"no [General]", "Name=x\r\n" + section, 0, false},
        {"NbDCP not a count", "[General]\r\nNbDCP=un\r\n" + section, 0, false},
        {"NbDCP short of the sections", "[General]\r\nNbDCP=1\r\n" + section + "[DCP1]\r\nName=B\r\n", 1, false},
        {"NbDCP far past the sections", "[General]\r\nNbDCP=2000000000\r\n" + section, 1, true},
    };
    for (const auto& c : cases) {
        WriteText(FileName(), c.text);
        boxes_.shown.clear();
        const auto list = LoadedList();
        ASSERT_EQ(list->Count(), c.beacons) << c.what;
        if (c.beacons > 0) {
            EXPECT_EQ(list->Beacons[0]->Name, "Sédé") << c.what;
        }
        EXPECT_EQ(boxes_.Warnings().empty(), c.writable && c.text.find("2000000000") == std::string::npos) << c.what;
        list->Add(list->NewBeacon())->Name = "Nouvelle";
        if (c.writable) {
            list->SaveToFile();
            const std::string written = ReadText(FileName());
            EXPECT_NE(written.find("Name=S\xC3\xA9" "d\xC3\xA9\r\n"), std::string::npos) << c.what;  // still UTF-8
            EXPECT_EQ(written.starts_with("\xEF\xBB\xBF"), c.text.starts_with("\xEF\xBB\xBF")) << c.what;
        } else {
            EXPECT_THROW(list->SaveToFile(), FileError) << c.what;
            EXPECT_EQ(ReadText(FileName()), c.text) << c.what;
        }
    }
}

}  // namespace
}  // namespace skylog::test
