#include <gtest/gtest.h>

#include "Common/FileUtil.h"
#include "Common/MessageBoxes.h"
#include "managers/ManagerForm.h"
#include "managers/UManagers.h"
#include "tests/support/TempDir.h"

namespace skylog {
namespace {

using test::ReadText;
using test::TempDir;
using test::WriteText;

class ManagersTest : public ::testing::Test {
protected:
    // A list of Jean Dupont (1), Marie Curie (2) and Paul Martin (3).
    TManagerList& ThreeManagers() {
        list_ = std::make_unique<TManagerList>(dir_.File("Managers.inf"));
        for (const char* line : {"0,Dupont,Jean,jd@example.org", "0,Curie,Marie,", "0,Martin,Paul,pm@example.org"})
            list_->Add(std::make_unique<TManager>(*TManager::FromLine(line)));
        return *list_;
    }
    std::unique_ptr<TManagerList> Loaded(const std::string& path) {
        auto list = std::make_unique<TManagerList>(path);
        list->LoadFromFile(boxes_);
        return list;
    }

    TempDir dir_;
    RecordingMessageBoxes boxes_;
    std::unique_ptr<TManagerList> list_;
};

TEST_F(ManagersTest, LineFormAndFullName) {
    const std::pair<const char*, const char*> lines[] = {
        {"12,Dupont,Jean,m", "12,Dupont,Jean,m"},
        {"7,Curie,Marie,", "7,Curie,Marie,"},  // no mail: an empty fourth field
        {"8,Martin", "8,Martin,,"},
        {"x,Martin,Paul,", ""},  // no identifier: no manager
        {",Martin,Paul,", ""},
    };
    for (const auto& [line, written] : lines) {
        const auto manager = TManager::FromLine(line);
        EXPECT_EQ(manager ? manager->AsLine() : "", written) << line;
    }
    EXPECT_EQ(TManager::FromLine("8,Martin")->FullName(), " Martin");
}

TEST_F(ManagersTest, FileLinesAreWindows1252WithCrLf) {
    TManagerList& list = ThreeManagers();
    list.Managers[1]->ForName = "Éloïse";
    list.SaveToFile();
    EXPECT_EQ(ReadText(list.FileName),
              "1,Dupont,Jean,jd@example.org\r\n2,Curie,\xC9lo\xEFse,\r\n3,Martin,Paul,pm@example.org\r\n");

    const auto reloaded = Loaded(list.FileName);
    ASSERT_EQ(reloaded->Count(), 3u);
    EXPECT_EQ(reloaded->Managers[1]->ForName, "Éloïse");
    EXPECT_EQ(reloaded->Managers[1]->Mail, "");
}

TEST_F(ManagersTest, MissingFileGivesEmptyListStartingAtOne) {
    const auto loaded = Loaded(dir_.File("none.inf"));
    TManagerList& list = *loaded;
    EXPECT_EQ(list.Count(), 0u);
    EXPECT_EQ(list.NextId, 1);
    EXPECT_FALSE(FileExists(list.FileName));
    EXPECT_TRUE(boxes_.shown.empty());
}

TEST_F(ManagersTest, IdentifiersAreKeptAsReadAndNeverHandedOutTwice) {
    WriteText(dir_.File("Managers.inf"), "4,Dupont,Jean,m\r\n\r\n9,Curie,Marie,\r\n2,Martin,Paul,\r\n");
    const auto loaded = Loaded(dir_.File("Managers.inf"));
    TManagerList& list = *loaded;
    ASSERT_EQ(list.Count(), 3u);
    EXPECT_EQ(list.Managers[0]->Id, 4);
    EXPECT_EQ(list.Managers[1]->Id, 9);
    EXPECT_EQ(list.Managers[2]->Id, 2);
    EXPECT_EQ(list.FindById(9)->Name, "Curie");

    // Removing the manager with the largest identifier does not bring it back.
    ASSERT_TRUE(list.Remove(list.FindById(9)));
    EXPECT_FALSE(list.Exists(9));
    EXPECT_EQ(list.Add(std::make_unique<TManager>())->Id, 10);
}

TEST_F(ManagersTest, LineWithBadIdentifierIsWarnedAndSkipped) {
    WriteText(dir_.File("Managers.inf"), "x,Dupont,Jean,\r\n3,Curie,Marie,\r\n,Martin,Paul,\r\n");
    const auto loaded = Loaded(dir_.File("Managers.inf"));
    TManagerList& list = *loaded;
    ASSERT_EQ(list.Count(), 1u);
    EXPECT_EQ(list.Managers[0]->Id, 3);
    EXPECT_EQ(list.NextId, 4);
    const auto warnings = boxes_.Warnings();
    ASSERT_EQ(warnings.size(), 2u);
    EXPECT_NE(warnings[0].find("x,Dupont,Jean,"), std::string::npos);
}

TEST_F(ManagersTest, IdListsHoldKnownIdentifiersOnce) {
    TListManagers ids(&ThreeManagers());
    EXPECT_TRUE(ids.AddManager(2));
    EXPECT_FALSE(ids.AddManager(2));
    EXPECT_FALSE(ids.AddManager(42));
    ids.SetIdsText("3|1", boxes_);
    EXPECT_EQ(ids.IdsText(), "3|1");
    ids.SetIdsText("", boxes_);
    EXPECT_EQ(ids.Count(), 0u);
    EXPECT_TRUE(boxes_.shown.empty());

    // Repeated identifiers go silently; unknown ones and pieces that are not integers
    // with a warning each.
    ids.SetIdsText("2|42|2|1||abc", boxes_);
    EXPECT_EQ(ids.Ids(), (std::vector<int32_t>{2, 1}));
    EXPECT_EQ(boxes_.Warnings().size(), 3u);
}

TEST_F(ManagersTest, DisplayAndTextPruneDeletedManagers) {
    TManagerList& list = ThreeManagers();
    TListManagers ids(&list);
    ids.SetIdsText("1|2|3", boxes_);
    list.Delete(1);
    EXPECT_EQ(ids.DisplayStr(), "Jean Dupont, Paul Martin");
    EXPECT_EQ(ids.Ids(), (std::vector<int32_t>{1, 3}));
    list.Delete(0);
    EXPECT_EQ(ids.IdsText(), "3");
    EXPECT_EQ(ids.Count(), 1u);
}

TEST_F(ManagersTest, WithoutManagerListIdentifiersAreKept) {
    TListManagers ids;
    ids.SetIdsText("5|7", boxes_);
    EXPECT_EQ(ids.IdsText(), "5|7");
    EXPECT_EQ(ids.DisplayStr(), "");
    EXPECT_EQ(ids.Count(), 2u);
}

// Two programs adding a manager each to the same file: both are kept, the one saved
// last takes the next identifier and the associations naming it follow; lines that
// could not be read, and UTF-8, stay as they were.
TEST_F(ManagersTest, TwoListsOnOneFileKeepBothAdditions) {
    const std::string path = dir_.File("Managers.inf");
    WriteText(path, "1,Dupont,Jérôme,\r\nx,ligne abîmée\r\n");
    const auto desktop = Loaded(path);
    const auto command = Loaded(path);
    command->Add(std::make_unique<TManager>())->Name = "Curie";
    command->SaveToFile();
    TManager* added = desktop->Add(std::make_unique<TManager>());
    added->Name = "Martin";
    std::vector<std::pair<int32_t, int32_t>> renumbered;
    desktop->OnRenumbered = [&](int32_t from, int32_t to) { renumbered.emplace_back(from, to); };
    desktop->SaveToFile();
    EXPECT_EQ(ReadText(path), "1,Dupont,Jérôme,\r\nx,ligne abîmée\r\n2,Curie,,\r\n3,Martin,,\r\n");
    EXPECT_EQ(renumbered, (std::vector<std::pair<int32_t, int32_t>>{{2, 3}}));
    EXPECT_EQ(added->Id, 3);
    EXPECT_EQ(desktop->Count(), 3u);
    EXPECT_EQ(desktop->NextId, 4);
}

// The one-manager editor closes only without commas or text the file cannot hold; the
// refusal names the first box at fault.
TEST(ManagerForm, EditorRefusals) {
    const char* const comma = "Il n'est pas possible d'utiliser le caractère virgule (',') dans les champs!";
    const struct {
        TManagerTexts texts;
        std::optional<TManagerField> box;
        const char* message;
    } cases[] = {
        {{"Dupont", "Jean", "jd@example.org"}, {}, ""},
        {{"", "", ""}, {}, ""},
        {{"Dupont, Jean", "", ""}, TManagerField::Name, comma},
        {{"Dupont", "Jean", "a,b@example.org"}, TManagerField::Mail, comma},
        {{"Dupont\r\n", "Jean,", ""}, TManagerField::ForName, comma},  // commas are looked for first
        {{"Dupont", "Jean\n", ""}, TManagerField::ForName,
         "Il n'est pas possible d'utiliser un caractère de contrôle (retour à la ligne, tabulation) dans les champs!"},
    };
    for (const auto& c : cases) {
        const auto refusal = CheckManagerTexts(c.texts);
        EXPECT_EQ(refusal ? std::optional(refusal->Box) : std::nullopt, c.box) << c.texts.Name;
        EXPECT_EQ(refusal ? refusal->Message : "", c.message) << c.texts.Name;
    }
    TManager manager;
    StoreManager(manager, {"Dupont", "Jean", ""});
    EXPECT_EQ(DeleteManagerQuestion(manager),
              "Attention, le responsable \"Jean Dupont\" va être supprimé, voulez-vous continuer?");
}

}  // namespace
}  // namespace skylog
