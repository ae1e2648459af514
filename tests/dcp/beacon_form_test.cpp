#include <gtest/gtest.h>

#include "Common/FileUtil.h"
#include "dcp/BeaconForm.h"
#include "dcp/UDailyFile.h"
#include "tests/dcp/DcpFixture.h"

namespace skylog::test {
namespace {

using Box = TAssoField;

// The form's boxes over a valid association.
TAssoTexts Valid() { return {"01/03/2005", "00:00", "31/12/2005", "23:59:59", "123", "Avignon"}; }

std::string& TextOf(TAssoTexts& t, Box box) {
    std::string* const boxes[] = {&t.InstrumentNumber, &t.StartDate, &t.EndDate,
                                  &t.StartTime,        &t.EndTime,   &t.PosName};
    return *boxes[static_cast<int>(box)];
}

// Every refusal of the association form and the box it names. Every box after the one
// at fault is wrong too: the first in the form's order must win.
TEST(BeaconForm, AssociationRefusalsInTheFormsOrder) {
    const struct {
        Box box;
        const char* text;
        const char* message;
    } cases[] = {
        {Box::InstrumentNumber, "12a", "Mauvais numéro d'instrument"},
        {Box::InstrumentNumber, "-3", "Mauvais numéro d'instrument"},
        {Box::StartDate, "2005-03-01", "Mauvais formattage de la date de départ"},
        {Box::StartDate, "01/03/05", "Mauvais formattage de la date de départ"},
        {Box::StartDate, "31/02/2005", "Date de départ incorrecte"},
        {Box::EndDate, "31/12", "Mauvais formattage de la date de fin"},
        {Box::EndDate, "00/12/2005", "Date de fin incorrecte"},
        {Box::StartTime, "24:00", "Heure de départ incorrecte"},
        {Box::StartTime, "12:", "Heure de départ incorrecte"},
        {Box::EndTime, "1:2:3:4", "Heure de fin incorrecte"},
        {Box::PosName, "Avignon, Vaucluse",
         "Il n'est pas possible d'utiliser le caractère virgule (',') dans la localité!"},
        {Box::PosName, "Avignon\nVaucluse",
         "Il n'est pas possible d'utiliser un caractère de contrôle (retour à la ligne, "
         "tabulation) dans la localité!"},
        {Box::PosName, "Łódź",
         "Le caractère \"Ł\" ne peut pas être enregistré dans la localité (jeu de caractères "
         "Windows-1252)!"},
        {Box::PosName, "S\xE9\x64",  // Latin-1, not UTF-8
         "Le caractère \"\\xE9\" ne peut pas être enregistré dans la localité (jeu de caractères "
         "Windows-1252)!"},
    };
    for (const auto& c : cases) {
        TAssoTexts texts = Valid();
        TextOf(texts, c.box) = c.text;
        for (int later = static_cast<int>(c.box) + 1; later <= static_cast<int>(Box::PosName);
             ++later)
            TextOf(texts, static_cast<Box>(later)) = "x,";
        const TAssoReading reading = ReadAssociation(texts);
        EXPECT_FALSE(reading.Values) << c.text;
        EXPECT_EQ(reading.Refusal.Box, c.box) << c.text;
        EXPECT_EQ(reading.Refusal.Message, c.message);
    }
}

// What the boxes show reads back to the same association; the seconds appear only when
// there are some, so that "Modifier" never cuts them.
TEST(BeaconForm, AssociationTextsReadBackUnchanged) {
    TDCPAsso asso;
    asso.StartDate = *EncodeDateTime(2004, 12, 7);
    asso.EndDate = *EncodeDateTime(2005, 6, 6, 23, 59, 59);
    asso.InstrumentNumber = 197;
    asso.PosName = "Sédé Boqer";
    const TAssoTexts texts = AssoTexts(asso);
    EXPECT_EQ(texts.StartTime, "00:00");
    EXPECT_EQ(texts.EndTime, "23:59:59");
    const TAssoReading reading = ReadAssociation(texts);
    ASSERT_TRUE(reading.Values);
    EXPECT_DOUBLE_EQ(reading.Values->EndDate, asso.EndDate);
    EXPECT_EQ(AssoRowTexts(asso), (std::array<std::string, 4>{"07/12/04 00:00", "06/06/05 23:59",
                                                              "#197", "Sédé Boqer"}));
    EXPECT_EQ(NewAssoTexts(asso.StartDate).StartDate, "07/12/2004");
}

TEST(BeaconForm, BaseTimeAndInterval) {
    const std::pair<const char*, std::optional<int32_t>> baseTimes[] = {
        {"2:30", 150}, {"2:5", 125},   {"02:05", 125}, {" 0:0 ", 0},  {"99:59", 5999}, {"2:60", {}},
        {"2", {}},     {"123:00", {}}, {"-1:30", {}},  {"2:30x", {}}, {"", {}},
    };
    for (const auto& [text, seconds] : baseTimes)
        EXPECT_EQ(ReadBaseTime(text).Value, seconds) << text;
    EXPECT_EQ(FormatBaseTime(125), "2:5");

    const std::pair<const char*, const char*> intervals[] = {
        {"60", ""},
        {" 15 ", ""},
        {"1h", "L'intervalle d'émission doit être un chiffre entier!"},
        {"0", "L'intervalle d'émission doit être d'au moins une minute!"},
    };
    for (const auto& [text, message] : intervals)
        EXPECT_EQ(ReadInterval(text).Message, message) << text;
}

class BeaconFormList : public DcpFixture {};

TEST_F(BeaconFormList, NameNumberAndTheirUniqueness) {
    TDCP* avignon = AddBeacon("Avignon", "960CD1B6");
    AddBeacon("Dakar", "23F73246");
    EXPECT_EQ(ReadBeaconName("  Sede ").Value, "Sede");  // the file would trim it
    EXPECT_EQ(ReadBeaconName(" ").Message, "Le nom de la balise ne peut pas être vide!");
    EXPECT_EQ(ReadBeaconNumber("").Value, "");

    const struct {
        const TDCP* beacon;
        const char* name;
        const char* number;
        const char* message;
    } cases[] = {
        {nullptr, "Sede", "6527EA87", nullptr},
        {avignon, "Avignon", "960CD1B6", nullptr},  // itself
        {nullptr, "Avignon", "6527EA87", "Une balise nommée \"Avignon\" existe déjà!"},
        {avignon, "Sede", "23F73246",
         "Le numéro \"23F73246\" est déjà celui de la balise \"Dakar\"!"},
        {nullptr, "Sede", "", nullptr},             // numbers not known yet may repeat
        {nullptr, "avignon", "960cd1b6", nullptr},  // both compare exactly
    };
    for (const auto& c : cases) {
        const auto refusal = BeaconIdentityRefusal(List(), c.beacon, c.name, c.number);
        EXPECT_EQ(refusal ? refusal->Message : "", c.message ? c.message : "") << c.name;
    }

    // Leaving the beacon in the dialog: base time and interval that do not read keep
    // their values; a name that cannot be stored changes nothing.
    avignon->BaseTime = 1740;
    EXPECT_FALSE(StoreBeacon(*avignon, {"Avignon 2", "X1", "2:75", "abc"}));
    EXPECT_EQ(avignon->Name, "Avignon 2");
    EXPECT_EQ(avignon->BaseTime, 1740);
    EXPECT_EQ(avignon->Interval, 30);
    EXPECT_EQ(StoreBeacon(*avignon, {"A\tB", "X2", "1:00", "5"})->Box, TBeaconField::Name);
    EXPECT_EQ(avignon->Number, "X1");
}

// The dialog's store: the list's checks first, then the messages follow the new name.
TEST_F(BeaconFormList, StoredInTheListWithItsMessages) {
    TDCP* avignon = AddBeacon("Avignon", "960CD1B6");
    TDCP* dakar = AddBeacon("Dakar", "23F73246");
    for (const char* folder : {"Avignon", "Lyon"}) {
        ForceDirectories(dir_.File("DataDCP/") + folder);
        WriteText(dir_.File("DataDCP/") + folder + "/2005_03_07.DCP", folder);
    }
    const struct {
        TBeaconTexts texts;
        const char* message;
    } cases[] = {
        {{"Dakar", "1", "1:00", "5"}, "Une balise nommée \"Dakar\" existe déjà!"},
        {{"Lyon", "1", "1:00", "5"},
         "Les messages enregistrés de la balise ne peuvent pas être déplacés dans DataDCP/Lyon, qui existe déjà!"},
        {{" Nice ", "1", "1:00", "5"}, ""},
    };
    for (const auto& c : cases) {
        const auto refusal = StoreBeaconInList(List(), *avignon, c.texts, dir_.Path());
        EXPECT_EQ(refusal ? refusal->Message : "", c.message) << c.texts.Name;
    }
    EXPECT_EQ(avignon->Name, "Nice");
    EXPECT_EQ(avignon->Interval, 5);
    EXPECT_EQ(ReadText(dir_.File("DataDCP/Nice/2005_03_07.DCP")), "Avignon");
    EXPECT_FALSE(StoreBeaconInList(List(), *dakar, {"Lyon", "2", "1:00", "5"}, dir_.Path()));  // no messages to move
}

}  // namespace
}  // namespace skylog::test
