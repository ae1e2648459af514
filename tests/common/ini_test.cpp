#include <gtest/gtest.h>

#include <filesystem>

#include "Common/Encoding.h"
#include "Common/FileUtil.h"
#include "Common/IniFile.h"
#include "Common/ListMerge.h"
#include "Common/UUtils.h"
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

// A list file is read as UTF-8 when it is (with or without its mark) and written back
// as it was read; bytes that are no text are refused.
TEST(TextFiles, EncodingIsDetectedAndKept) {
    const struct {
        std::string bytes;
        TTextEncoding encoding;
        std::string text;  // empty: refused
    } cases[] = {
        {"Name=Sede", TTextEncoding::Cp1252, "Name=Sede"},
        {"Name=S\xE9" "d\xE9", TTextEncoding::Cp1252, "Name=Sédé"},
        {"Name=Sédé", TTextEncoding::Utf8, "Name=Sédé"},
        {"\xEF\xBB\xBF\r\n[General]", TTextEncoding::Utf8WithMark, "\r\n[General]"},
        {std::string("\xFF\xFE[\0G\0", 6), TTextEncoding::Cp1252, ""},
        {std::string("[General]\0", 10), TTextEncoding::Cp1252, ""},
    };
    for (const auto& c : cases) {
        const TDecodedText decoded = DecodeTextFile(c.bytes);
        EXPECT_EQ(decoded.Problem.has_value(), c.text.empty()) << c.bytes;
        if (c.text.empty()) continue;
        EXPECT_EQ(decoded.Encoding, c.encoding) << c.bytes;
        EXPECT_EQ(decoded.Text, c.text);
        EXPECT_EQ(EncodeTextFile(decoded.Text, decoded.Encoding), c.bytes);
    }
}

TEST(TextFiles, QuotedLinesAndStaleTemporaries) {
    EXPECT_EQ(QuotedLine("court"), "court");
    const std::string quoted = QuotedLine(std::string(1 << 20, 'e') + "é");
    EXPECT_EQ(quoted, std::string(kQuotedLineMax, 'e') + "…");

    test::TempDir dir;
    const std::string path = dir.File("Tasks.inf");
    for (const char* name : {".Tasks.inf.tmpAbC123", ".Other.inf.tmpAbC123", ".Tasks.inf.tmp1"})
        test::WriteText(dir.File(name), "left by a killed write");
    TIniFile ini(path);
    ini.WriteInteger("Tasks", "NbTasks", 0);
    ini.UpdateFile();
    EXPECT_FALSE(std::filesystem::exists(dir.File(".Tasks.inf.tmpAbC123")));
    EXPECT_TRUE(std::filesystem::exists(dir.File(".Other.inf.tmpAbC123")));
    EXPECT_TRUE(std::filesystem::exists(dir.File(".Tasks.inf.tmp1")));
}

// "Name=A N=1" as a record.
TRecord R(std::string_view text) {
    TRecord record;
    for (const std::string& field : Split(text, ' ', kSplitMerge)) {
        const size_t eq = field.find('=');
        record.emplace_back(field.substr(0, eq), field.substr(eq + 1));
    }
    return record;
}

// Another program changed the file while this run held the list: the file's state, with
// this run's changes applied to it.
TEST(ListMerge, ThisRunsChangesGoIntoWhatTheFileHoldsNow) {
    const std::vector<TRecord> base{R("Name=A N=1"), R("Name=B N=2")};
    const struct {
        const char* what;
        std::vector<TRecord> mine;
        std::vector<size_t> origins;
        std::vector<TRecord> file;
        std::vector<TRecord> merged;
    } cases[] = {
        {"they added C, I changed A", {R("Name=A N=9"), R("Name=B N=2")}, {0, 1},
         {R("Name=A N=1"), R("Name=B N=2"), R("Name=C N=3")},
         {R("Name=A N=9"), R("Name=B N=2"), R("Name=C N=3")}},
        {"they deleted A, I left it", {R("Name=A N=1"), R("Name=B N=2")}, {0, 1}, {R("Name=B N=2")}, {R("Name=B N=2")}},
        {"they deleted A, I changed it", {R("Name=A N=9"), R("Name=B N=2")}, {0, 1}, {R("Name=B N=2")},
         {R("Name=B N=2"), R("Name=A N=9")}},
        {"I deleted A, they changed B", {R("Name=B N=2")}, {1}, {R("Name=A N=1"), R("Name=B N=5")}, {R("Name=B N=5")}},
        {"each changed another key of B, theirs with a key I do not know", {R("Name=A N=1"), R("Name=B N=7")}, {0, 1},
         {R("Name=A N=1"), R("Name=Bee N=2 Extra=x")}, {R("Name=A N=1"), R("Name=Bee N=7 Extra=x")}},
        {"I added D", {R("Name=A N=1"), R("Name=B N=2"), R("Name=D N=4")}, {0, 1, kNoRecord},
         {R("Name=B N=2"), R("Name=A N=1")}, {R("Name=B N=2"), R("Name=A N=1"), R("Name=D N=4")}},
    };
    TMergeRules rules;
    rules.SameItem = [](const TRecord& read, const TRecord& file) { return read[1] == file[1]; };  // N
    for (const auto& c : cases) {
        std::vector<TRecord> merged;
        for (const TMergedRecord& m : MergeRecords(base, base, c.mine, c.origins, c.file, rules)) merged.push_back(m.Record);
        EXPECT_EQ(merged, c.merged) << c.what;
    }
    EXPECT_FALSE(RecordsChanged(base, base, {0, 1}));
}

}  // namespace
}  // namespace skylog
