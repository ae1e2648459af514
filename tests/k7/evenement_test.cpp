#include <gtest/gtest.h>

#include "Common/UUtils.h"
#include "k7/UEvenement.h"
#include "k7/UK7File.h"
#include "tests/k7/K7TestSupport.h"

namespace skylog {
namespace {

using test::EventBytes;
using test::Framed;

std::string Hex(const std::string& bytes) {
    return BytesToHex(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
}

std::unique_ptr<TEvenement> EventOf(const std::string& text, TK7File* owner = nullptr) {
    auto event = std::make_unique<TEvenement>(owner);
    event->SetEvt(text);
    return event;
}

TEST(EventFraming, EmptyEventFF0303) {
    const std::string framed = Framed(std::string("\xFF\x03\x03", 3));
    EXPECT_EQ(framed, std::string("\x02" "1FF0303\x17" "24"));
    EXPECT_EQ(EventChecksum(framed.substr(0, framed.size() - 2)), "24");
    auto event = EventOf(framed);
    EXPECT_TRUE(event->Framed);
    EXPECT_TRUE(event->Decoded);
    EXPECT_TRUE(event->Empty);
    EXPECT_EQ(event->ErrorCode, 0);
    EXPECT_EQ(event->Evt(), "FF0303");
    EXPECT_EQ(event->SymbolString(), "INI");
    EXPECT_EQ(event->DescString(), "Evènement vide (0xFF).");
}

TEST(EventFraming, NotFramed) {
    for (const std::string& text : {std::string("80050000FE05"), std::string("\x02" "1FF0303"),
                                   std::string("\x02" "1FF0303\x17" "2")}) {
        auto event = EventOf(text);
        EXPECT_FALSE(event->Framed);
        EXPECT_FALSE(event->Decoded);
        EXPECT_EQ(event->SymbolString(), "-");
        EXPECT_EQ(event->DescString(), "Evènement non terminé.");
    }
    EXPECT_EQ(EventOf("80050000FE05")->Evt(), "80050000FE05");
    EXPECT_EQ(EventOf("xy\x02" "1FF")->Evt(), "\x02" "1FF");
}

TEST(EventFraming, LeadingCharactersAndSecondEtbAreIgnored) {
    const std::string framed = Framed(std::string("\xFF\x03\x03", 3));
    auto event = EventOf("garbage" + framed + "\x17zz");
    EXPECT_TRUE(event->Decoded);
    EXPECT_EQ(event->Evt(), "FF0303");
}

TEST(EventFraming, ChecksumMismatchKeepsTheFramedText) {
    std::string framed = Framed(std::string("\xFF\x03\x03", 3));
    framed.back() = '5';
    auto event = EventOf(framed);
    EXPECT_TRUE(event->Framed);
    EXPECT_FALSE(event->Decoded);
    EXPECT_TRUE(event->Empty);
    EXPECT_EQ(event->ErrorCode, kEvtBadChecksum);
    EXPECT_EQ(event->Evt(), framed);
    EXPECT_EQ(event->SymbolString(), "-");
    EXPECT_EQ(event->DescString(), "Evènement erreur du calcul du checksum.");
}

// One damaged event per kind of check.
TEST(EventChecks, ErrorCodes) {
    struct Case {
        std::string bytes;
        uint8_t code;
        bool empty;
        const char* text;
    } cases[] = {
        {std::string("\x80\x02", 2), kEvtTooSmall, true, "Evènement trop petit."},
        {std::string("\x80\x06\x00\xFE\x06", 5), kEvtBadLength, false, "Evènement taille incorrecte."},
        {std::string("\x80\x05\x00\xFE\x04", 5), kEvtBadLengthCheck, false, "Evènement erreur vérification taille."},
        {std::string("\x80\x05\x00\x00\x05", 5), kEvtBadEndMarker, false, "Evènement erreur fin des données corrompue."},
    };
    for (const Case& c : cases) {
        auto event = EventOf(Framed(c.bytes));
        EXPECT_EQ(event->ErrorCode, c.code) << c.text;
        EXPECT_EQ(event->Empty, c.empty) << c.text;
        EXPECT_FALSE(event->Decoded);
        EXPECT_EQ(event->SymbolString(), "-");
        EXPECT_EQ(event->DescString(), c.text);
    }
}

TEST(EventChecks, SettingAgainReplacesEverything) {
    auto event = EventOf(Framed(EventBytes(0xDF, 30)));
    ASSERT_TRUE(event->Decoded);
    event->SetEvt(Framed(std::string("\x80\x05\x00\x00\x05", 5)));
    EXPECT_FALSE(event->Decoded);
    EXPECT_EQ(event->Date, 0);
    EXPECT_EQ(event->ErrorCode, kEvtBadEndMarker);
}

TEST(EventDate, ValidAndInvalidDates) {
    auto dated = EventOf(Framed(EventBytes(0xDF, 30)));
    EXPECT_EQ(dated->Date, *EncodeDateTime(2005, 3, 7, 12, 30, 0));
    EXPECT_EQ(dated->DescString(), "07/03/2005 12:30:00 : Evènement inconnu.");
    EXPECT_EQ(dated->SymbolString(), "???");

    auto february30 = EventOf(Framed(EventBytes(0xDF, 30, 0, {0x05, 0x02, 0x30, 0x12, 0x00, 0x00})));
    EXPECT_TRUE(february30->Decoded);
    EXPECT_EQ(february30->Date, 0);
    EXPECT_EQ(february30->DescString(), "Evènement non daté.");

    auto year80 = EventOf(Framed(EventBytes(0xDF, 30, 0, {0x80, 0x01, 0x01, 0x00, 0x00, 0x00})));
    EXPECT_EQ(year80->Date, 0);
    auto year81 = EventOf(Framed(EventBytes(0xDF, 30, 0, {0x81, 0x01, 0x01, 0x00, 0x00, 0x00})));
    EXPECT_EQ(year81->Date, *EncodeDateTime(1981, 1, 1));

    auto notBcd = EventOf(Framed(EventBytes(0xDF, 30, 0, {0x05, 0x0A, 0x01, 0x00, 0x00, 0x00})));
    EXPECT_EQ(notBcd->Date, 0);
    auto second60 = EventOf(Framed(EventBytes(0xDF, 30, 0, {0x05, 0x01, 0x01, 0x00, 0x00, 0x60})));
    EXPECT_EQ(second60->Date, 0);
    // Too short to hold a date at all.
    auto shortEvent = EventOf(Framed(std::string("\x80\x05\x00\xFE\x05", 5)));
    EXPECT_TRUE(shortEvent->Decoded);
    EXPECT_EQ(shortEvent->Date, 0);
}

class DictionaryTest : public ::testing::Test {
protected:
    EventDescriptor& Add(uint8_t type, int32_t length, const char* description) {
        EventDescriptor d;
        d.Type = type;
        d.Length = length;
        d.Description = description;
        d.Symbol = description;
        dictionary_.Descriptors.push_back(d);
        return dictionary_.Descriptors.back();
    }
    std::string Match(const std::string& bytes, std::string_view ident = "SP1A0000") {
        const EventDescriptor* d = MatchEventDescriptor(&dictionary_, Hex(bytes), ident);
        return d != nullptr ? d->Description : "aucun";
    }
    EventDictionary dictionary_;
};

TEST_F(DictionaryTest, TypeLengthAndOrder) {
    Add(0xDC, 104, "long");
    Add(0xDC, 0, "toute longueur");
    Add(0xDC, 86, "jamais atteint");
    EXPECT_EQ(Match(EventBytes(0xDC, 104)), "long");
    EXPECT_EQ(Match(EventBytes(0xDC, 86)), "toute longueur");
    EXPECT_EQ(Match(EventBytes(0xDE, 62)), "aucun");
    EXPECT_EQ(MatchEventDescriptor(nullptr, Hex(EventBytes(0xDC, 86)), ""), nullptr);
}

TEST_F(DictionaryTest, IdentRanges) {
    Add(0x88, 0, "polarisés").IdentRanges = {"SPA00000", "SPA0FFFF", "SPB90000", "SPBBFFFF"};
    Add(0x88, 0, "autres");
    EXPECT_EQ(Match(EventBytes(0x88, 40), "SPA00000"), "polarisés");
    EXPECT_EQ(Match(EventBytes(0x88, 40), "SPBB0000"), "polarisés");
    EXPECT_EQ(Match(EventBytes(0x88, 40), "SPB00000"), "autres");
    EXPECT_EQ(Match(EventBytes(0x88, 40), "SP1A0000"), "autres");
}

TEST_F(DictionaryTest, Conditions) {
    auto& optionalOnly = Add(0x80, 18, "optionnelle");
    optionalOnly.Conditions = {{1, 3, false, 0x62}};
    auto& mandatoryAfterHolding = Add(0x80, 18, "obligatoire");
    mandatoryAfterHolding.Conditions = {{1, 3, false, 0x73}, {1, 2, true, 0x00}};
    auto& oneOfTwo = Add(0x80, 18, "l'une des deux");
    oneOfTwo.Conditions = {{1, 3, false, 0x61}, {1, 3, false, 0x73}};
    auto& otherKind = Add(0x80, 18, "sorte 2");
    otherKind.Conditions = {{2, 3, false, 0x68}};
    auto& beyond = Add(0x80, 18, "hors évènement");
    beyond.Conditions = {{1, 40, false, 0x00}};
    Add(0x80, 18, "sans condition");

    EXPECT_EQ(Match(EventBytes(0x80, 18, 0x62)), "optionnelle");
    // Holds, then a failing mandatory condition rejects.
    EXPECT_EQ(Match(EventBytes(0x80, 18, 0x73)), "l'une des deux");
    EXPECT_EQ(Match(EventBytes(0x80, 18, 0x61)), "l'une des deux");
    // Only failing optional conditions, an unknown kind, an index past the end.
    EXPECT_EQ(Match(EventBytes(0x80, 18, 0x68)), "sans condition");
}

TEST(EventElements, RenderedThroughTheDescriptor) {
    const ElementType date{0, kClassDate, "DATE", "Date"};
    const ElementType time{1, kClassTime, "HEURE", "Heure"};
    const ElementType battery{3, kClassMes, "BAT", "Tension batterie"};
    EventDictionary dictionary;
    EventDescriptor d;
    d.Type = 0xE2;
    d.Length = 30;
    d.Symbol = "BAL";
    d.Description = "Etat de la balise";
    d.Elements.push_back({0, 0, "", 0, "", false, 0, {}, &date, VAL_DATE, 4});
    d.Elements.push_back({0, 0, "", 0, "", false, 0, {}, &time, VAL_TIME, 7});
    d.Elements.push_back({2, 0, "", 0, "", false, 0, {}, &battery, VAL_BAT2, 10});
    dictionary.Descriptors.push_back(d);
    dictionary.Options.ElementSeparator = ";";
    test::ScopedHost host(nullptr, &dictionary, ',');

    std::string bytes = EventBytes(0xE2, 30);
    test::PutWord(bytes, 10, 1234);
    auto event = EventOf(Framed(bytes));
    ASSERT_EQ(event->Elements.size(), 3u);
    EXPECT_EQ(event->SymbolString(), "BAL");
    EXPECT_EQ(event->DescString(), "07/03/2005 12:30:00 : Etat de la balise");
    EXPECT_EQ(event->AsciiString(), "07/03/2005;12:30:00;12,34");
    EXPECT_EQ(event->AsciiHeader(), "Date;Heure;Tension batterie");
    EXPECT_EQ(event->Elements[0]->Owner, event.get());

    // Without descriptor: no elements, the text itself, no header.
    auto unknown = EventOf(Framed(EventBytes(0xE3, 30)));
    EXPECT_TRUE(unknown->Elements.empty());
    EXPECT_EQ(unknown->AsciiString(), unknown->Evt());
    EXPECT_EQ(unknown->AsciiHeader(), "");
}

TEST(EventElements, FilterNumberTakenFromAnotherElement) {
    const ElementType filterType{5, kClassMes, "FILTRE", "Numéro de filtre"};
    const ElementType signalType{6, kClassMesFilter, "SIGNAL", "Signal"};
    EventDictionary dictionary;
    EventDescriptor d;
    d.Type = 0x85;
    d.Elements.push_back({0, 0, "", 0, "", false, 0, {}, &filterType, VAL_BYTECN, 3});
    d.Elements.push_back({0, 0, "FILTRE", -1, "A", true, 2.0f, {}, &signalType, VAL_SCN, 10});
    d.Elements.push_back({0, 0, "ABSENT", -1, "A", false, 0, {}, &signalType, VAL_SCN, 12});
    dictionary.Descriptors.push_back(d);
    InstrumentTypeList types;
    types.Types.push_back({"Photomètre", {"SP1A0000"}, {{2, 870.0, "A", "", false, 0}, {2, 870.0, "P", "", true, 1}}});
    test::ScopedHost host(&types, &dictionary, ',');

    TK7File file;
    file.SetParamBloc("1A" + std::string(254, '0'));
    ASSERT_TRUE(file.SetInstrumentType(&types.Types[0]));
    auto event = std::make_unique<TEvenement>(&file);
    event->SetEvt(Framed(EventBytes(0x85, 166, 2)));
    ASSERT_EQ(event->Elements.size(), 3u);
    auto* bound = dynamic_cast<TScnElement_MesFilter*>(event->Elements[1].get());
    EXPECT_EQ(bound->Filter, &types.Types[0].Filters[0]);
    EXPECT_EQ(bound->Description(), "2,0° A 870 nm");
    auto* unbound = dynamic_cast<TScnElement_MesFilter*>(event->Elements[2].get());
    EXPECT_EQ(unbound->Filter, nullptr);
    EXPECT_EQ(unbound->Description(), "Signal");

    // Bound later, when the file learns its type.
    TK7File later;
    later.SetParamBloc("1A" + std::string(254, '0'));
    TEvenement* appended = later.AppendEvent(EventOf(Framed(EventBytes(0x85, 166, 2)), &later));
    EXPECT_EQ(dynamic_cast<TScnElement_MesFilter&>(*appended->Elements[1]).Filter, nullptr);
    ASSERT_TRUE(later.SetInstrumentType(&types.Types[0]));
    EXPECT_EQ(dynamic_cast<TScnElement_MesFilter&>(*appended->Elements[1]).Filter, &types.Types[0].Filters[0]);
}

TEST(EventElements, BindInstrumentWithoutOwnerDoesNothing) {
    auto event = EventOf(Framed(EventBytes(0xDF, 30)));
    event->BindInstrument();
    EXPECT_EQ(event->Owner, nullptr);
}

}  // namespace
}  // namespace skylog
