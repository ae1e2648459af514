#include <gtest/gtest.h>

#include "Common/IniFile.h"
#include "tests/support/TempDir.h"

namespace skylog {
namespace {

TEST(IniFile, NamesCompareWithoutCaseAndMissingOrBadValuesGiveDefault) {
    const TIniFile ini = TIniFile::FromText("[General]\nNbDCP=3\nB=x\nC=-5\nD=0\n[DCP0]\nName=Lampedusa\n");
    EXPECT_EQ(ini.ReadInteger("general", "NBDCP", 0), 3);
    EXPECT_EQ(ini.ReadString("dcp0", "name", "NoName"), "Lampedusa");
    EXPECT_EQ(ini.ReadString("DCP0", "Number", "none"), "none");
    EXPECT_EQ(ini.ReadInteger("DCP1", "Interval", 30), 30);
    EXPECT_EQ(ini.ReadInteger("General", "B", 7), 7);  // not a number: the default
    EXPECT_TRUE(ini.ReadBool("General", "C", false));  // any non-zero integer is true
    EXPECT_FALSE(ini.ReadBool("General", "D", true));
    EXPECT_TRUE(ini.SectionExists("DCP0"));
    EXPECT_FALSE(ini.SectionExists("DCP1"));
}

TEST(IniFile, WritingKeepsEveryOtherLineInItsPlace) {
    TIniFile ini = TIniFile::FromText(
        "; made by hand\n[Tasks]\nNbTasks=1\nCustom=keep me\n\n[Task0]\nType=0\nExtra=x\n");
    ini.WriteInteger("TASKS", "nbtasks", 2);
    ini.WriteString("Task1", "Type", "1");
    EXPECT_EQ(ini.ToText(),
              "; made by hand\r\n[Tasks]\r\nNbTasks=2\r\nCustom=keep me\r\n\r\n[Task0]\r\nType=0\r\n"
              "Extra=x\r\n\r\n[Task1]\r\nType=1\r\n");
}

TEST(IniFile, EraseSectionAndDeleteKey) {
    TIniFile ini = TIniFile::FromText("[A]\nx=1\ny=2\n[B]\nz=3\n");
    ini.DeleteKey("a", "X");
    ini.EraseSection("b");
    EXPECT_FALSE(ini.ValueExists("A", "x"));
    EXPECT_TRUE(ini.ValueExists("A", "y"));
    EXPECT_FALSE(ini.SectionExists("B"));
    ini.WriteString("B", "z", "4");  // a section written again comes back empty of old keys
    EXPECT_EQ(ini.KeyNames("B"), (std::vector<std::string>{"z"}));
    EXPECT_EQ(ini.ToText(), "[A]\r\ny=2\r\n\r\n[B]\r\nz=4\r\n");
}

TEST(IniFile, DiskImageIsWindows1252AndReloads) {
    test::TempDir dir;
    const std::string path = dir.File("sub/DcpList.inf");
    {
        TIniFile ini(path);
        ini.WriteString("DCP0", "Asso0", "01/03/2005,00:00:00,31/12/2005,23:59:00,123,Sédé,4|7");
        ini.UpdateFile();
    }
    const std::string bytes = test::ReadText(path);
    EXPECT_NE(bytes.find("S\xE9" "d\xE9"), std::string::npos);
    TIniFile again(path);
    EXPECT_EQ(again.ReadString("dcp0", "asso0", ""),
              "01/03/2005,00:00:00,31/12/2005,23:59:00,123,Sédé,4|7");
    again.UpdateFile();
    EXPECT_EQ(test::ReadText(path), bytes);
}

}  // namespace
}  // namespace skylog
