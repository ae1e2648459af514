#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <random>
#include <set>

#include "Common/UUtils.h"
#include "k7/HostDataLoader.h"
#include "k7/UEvenement.h"
#include "k7/UInstrument.h"
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

// A new event is what setting an empty text gives, also to an event that held one.
TEST(EventChecks, NewEventEqualsOneSetToEmpty) {
    TK7File owner;
    owner.SetParamBloc("1A" + std::string(252, '0'));
    TEvenement fresh(&owner);
    auto emptied = EventOf(Framed(EventBytes(0xDF, 30)), &owner);
    ASSERT_TRUE(emptied->Decoded);
    emptied->SetEvt("");
    for (const TEvenement* event : {&fresh, emptied.get()}) {
        EXPECT_EQ(event->Evt(), "");
        EXPECT_EQ(event->EvtSize(), 0u);
        EXPECT_FALSE(event->HoldsBytes());
        EXPECT_FALSE(event->Framed);
        EXPECT_FALSE(event->Decoded);
        EXPECT_TRUE(event->Empty);
        EXPECT_EQ(event->ErrorCode, 0);
        EXPECT_EQ(event->Date, 0);
        EXPECT_EQ(event->EvtType, 0);
        EXPECT_EQ(event->EvtLength, 0);
        EXPECT_EQ(event->Descriptor, nullptr);
        EXPECT_TRUE(event->Elements.empty());
        EXPECT_EQ(event->Owner, &owner);
    }
    EXPECT_EQ(fresh.SymbolString(), emptied->SymbolString());
    EXPECT_EQ(fresh.DescString(), emptied->DescString());
    EXPECT_EQ(fresh.AsciiString(), emptied->AsciiString());
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

// Events set from bytes and from their framed text must not be told apart, whatever
// the bytes: the K7 reader uses the one, messages and tools the other.
class FramedBytesTest : public test::SampleHostDataSuite {};

void ExpectSameEvent(const TEvenement& fromBytes, const TEvenement& fromText, const std::string& bytes) {
    SCOPED_TRACE("bytes " + Hex(bytes));
    EXPECT_EQ(fromBytes.Framed, fromText.Framed);
    EXPECT_EQ(fromBytes.Decoded, fromText.Decoded);
    EXPECT_EQ(fromBytes.Date, fromText.Date);
    EXPECT_EQ(fromBytes.EvtType, fromText.EvtType);
    EXPECT_EQ(fromBytes.EvtLength, fromText.EvtLength);
    EXPECT_EQ(fromBytes.Empty, fromText.Empty);
    EXPECT_EQ(fromBytes.ErrorCode, fromText.ErrorCode);
    EXPECT_EQ(fromBytes.Descriptor, fromText.Descriptor);
    EXPECT_EQ(fromBytes.Evt(), fromText.Evt());
    EXPECT_EQ(fromBytes.EvtSize(), fromText.EvtSize());
    EXPECT_EQ(fromBytes.HoldsBytes(), fromText.HoldsBytes());
    EXPECT_EQ(fromBytes.Content(), fromText.Content());
    EXPECT_EQ(fromBytes.SymbolString(), fromText.SymbolString());
    EXPECT_EQ(fromBytes.DescString(), fromText.DescString());
    EXPECT_EQ(fromBytes.AsciiString(), fromText.AsciiString());
    EXPECT_EQ(fromBytes.AsciiHeader(), fromText.AsciiHeader());
    EXPECT_EQ(fromBytes.Elements.size(), fromText.Elements.size());
}

uint8_t Bcd(int value) { return static_cast<uint8_t>((value / 10) << 4 | value % 10); }

// Bytes shaped after a descriptor of the dictionary (type, length, conditions, end
// marker, length check, BCD date), then often damaged in one place.
std::string DescriptorShaped(const EventDictionary& dictionary, std::mt19937& random) {
    auto pick = [&random](int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); };
    const EventDescriptor& d = dictionary.Descriptors[pick(0, static_cast<int>(dictionary.Descriptors.size()) - 1)];
    const size_t length = d.Length != 0 ? static_cast<size_t>(d.Length) : static_cast<size_t>(pick(6, 255));
    std::string bytes(length, '\0');
    for (char& b : bytes) b = static_cast<char>(pick(0, 255));
    bytes[0] = static_cast<char>(d.Type);
    bytes[1] = static_cast<char>(length);
    bytes[length - 2] = static_cast<char>(kEventEndMarker);
    bytes[length - 1] = static_cast<char>(length);
    for (const EventCondition& c : d.Conditions)
        if (c.Index >= 0 && static_cast<size_t>(c.Index) < length && pick(0, 3) != 0)
            bytes[c.Index] = static_cast<char>(c.Value);
    if (length >= 12 && pick(0, 3) != 0) {
        // Real dates, with now and then a day the month does not have.
        const uint8_t stamp[] = {Bcd(pick(0, 99)), Bcd(pick(1, 12)), Bcd(pick(1, 31)),
                                 Bcd(pick(0, 23)), Bcd(pick(0, 59)), Bcd(pick(0, 59))};
        for (size_t i = 0; i < sizeof stamp; ++i) bytes[4 + i] = static_cast<char>(stamp[i]);
    }
    switch (pick(0, 7)) {
        case 0: bytes[length - 2] = static_cast<char>(pick(0, 0xFD)); break;   // no end marker
        case 1: bytes[length - 1] = static_cast<char>(length ^ 1); break;     // wrong length check
        case 2: bytes[1] = static_cast<char>(pick(0, 255)); break;            // wrong length
        case 3: bytes[0] = static_cast<char>(kEmptyEventType); break;
        case 4: bytes.resize(static_cast<size_t>(pick(0, static_cast<int>(length)))); break;
        default: break;
    }
    return bytes;
}

TEST_F(FramedBytesTest, SetFramedBytesEqualsSetEvtOfTheFramedText) {
    test::ScopedHost host(&data_->InstrumentTypes, &data_->Dictionary, ',');
    // Owners of every known instrument (identification ranges, instrument binding) and none.
    std::vector<std::unique_ptr<TK7File>> owners;
    for (uint8_t code : {0x1A, 0x20, 0xA0, 0xB9, 0xBB, 0x33}) {
        auto file = std::make_unique<TK7File>();
        file->SetParamBloc(ByteToHexString(code) + std::string(252, '0'));
        (void)file->SetInstrumentType(FindInstrumentType(file->InstruIdent()));
        owners.push_back(std::move(file));
    }
    owners.push_back(nullptr);

    std::mt19937 random(20261206);
    std::vector<std::string> cases;
    for (size_t length = 0; length <= 300; ++length) {
        std::string bytes(length, '\0');
        for (char& b : bytes) b = static_cast<char>(random());
        cases.push_back(std::move(bytes));
    }
    for (int i = 0; i < 3000; ++i) cases.push_back(DescriptorShaped(data_->Dictionary, random));

    std::set<int> errorCodes;
    int empty = 0, unknown = 0, described = 0, dated = 0, withElements = 0;
    for (size_t i = 0; i < cases.size(); ++i) {
        const std::string& bytes = cases[i];
        TK7File* owner = owners[i % owners.size()].get();
        TEvenement fromBytes(owner), fromText(owner);
        fromBytes.SetFramedBytes(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
        fromText.SetEvt(FramedEventText(bytes));
        ExpectSameEvent(fromBytes, fromText, bytes);
        EXPECT_TRUE(fromBytes.HoldsBytes());
        EXPECT_EQ(fromBytes.Content(), bytes);

        errorCodes.insert(fromBytes.ErrorCode);
        empty += fromBytes.Decoded && fromBytes.Empty;
        unknown += fromBytes.Decoded && !fromBytes.Empty && fromBytes.Descriptor == nullptr;
        described += fromBytes.Descriptor != nullptr;
        dated += fromBytes.Date != 0;
        withElements += !fromBytes.Elements.empty();
    }
    // Every outcome of decoding came up (a bad checksum cannot: the text is built right).
    EXPECT_EQ(errorCodes, (std::set<int>{0, kEvtTooSmall, kEvtBadLength, kEvtBadLengthCheck, kEvtBadEndMarker}));
    EXPECT_GT(empty, 0);
    EXPECT_GT(unknown, 0);
    EXPECT_GT(described, 100);
    EXPECT_GT(dated, 100);
    EXPECT_GT(withElements, 100);

    // Setting again from bytes replaces a text-holding content.
    TEvenement event(nullptr);
    event.SetEvt("\x02" "1df\x17" "zz");
    event.SetFramedBytes(reinterpret_cast<const uint8_t*>("\xFF\x03\x03"), 3);
    EXPECT_TRUE(event.HoldsBytes());
    EXPECT_EQ(event.Evt(), "FF0303");
    EXPECT_TRUE(event.Decoded && event.Empty);
}

// "\x02" "1" + hex + ETB + the right checksum.
std::string FramedHex(const std::string& hex) {
    const std::string body = "\x02" "1" + hex + "\x17";
    return body + EventChecksum(body);
}

TEST_F(FramedBytesTest, TextsThatAreNotUppercaseHexPairsAreHeldAsText) {
    test::ScopedHost host(&data_->InstrumentTypes, &data_->Dictionary, ',');
    TK7File owner;
    owner.SetParamBloc("1A" + std::string(252, '0'));
    const std::string bytes = EventBytes(0xDF, 30);  // a dated event the dictionary describes
    const std::string upper = Hex(bytes);
    auto canonical = EventOf(Framed(bytes), &owner);
    ASSERT_TRUE(canonical->Decoded);
    ASSERT_NE(canonical->Descriptor, nullptr);
    EXPECT_TRUE(canonical->HoldsBytes());
    EXPECT_EQ(canonical->Content(), bytes);
    EXPECT_EQ(canonical->Evt(), upper);

    // Lowercase digits, the end marker kept in capitals (decoding looks for "FE"): decoded
    // as the uppercase text is, but kept as given.
    std::string lower = upper;
    std::transform(lower.begin(), lower.end(), lower.begin(), [](char c) { return std::tolower(c); });
    lower.replace(2 * 28, 2, "FE");
    auto mixed = EventOf(FramedHex(lower), &owner);
    EXPECT_FALSE(mixed->HoldsBytes());
    EXPECT_EQ(mixed->Content(), lower);
    EXPECT_EQ(mixed->Evt(), lower);
    EXPECT_EQ(mixed->EvtSize(), lower.size());
    EXPECT_TRUE(mixed->Framed);
    EXPECT_TRUE(mixed->Decoded);
    EXPECT_EQ(mixed->ErrorCode, 0);
    EXPECT_EQ(mixed->EvtType, canonical->EvtType);
    EXPECT_EQ(mixed->EvtLength, canonical->EvtLength);
    EXPECT_EQ(mixed->Date, canonical->Date);
    EXPECT_EQ(mixed->Descriptor, canonical->Descriptor);
    EXPECT_EQ(mixed->SymbolString(), canonical->SymbolString());
    EXPECT_EQ(mixed->DescString(), canonical->DescString());
    EXPECT_EQ(mixed->AsciiString(), canonical->AsciiString());

    // All in lowercase, "fe" is no end marker.
    std::string allLower = upper;
    std::transform(allLower.begin(), allLower.end(), allLower.begin(), [](char c) { return std::tolower(c); });
    auto lowerMarker = EventOf(FramedHex(allLower), &owner);
    EXPECT_FALSE(lowerMarker->HoldsBytes());
    EXPECT_EQ(lowerMarker->ErrorCode, kEvtBadEndMarker);
    EXPECT_EQ(lowerMarker->Evt(), allLower);

    // Odd length: the last character is not read, the event still decodes.
    auto odd = EventOf(FramedHex(upper + "7"), &owner);
    EXPECT_FALSE(odd->HoldsBytes());
    EXPECT_TRUE(odd->Decoded);
    EXPECT_EQ(odd->Descriptor, canonical->Descriptor);
    EXPECT_EQ(odd->Date, canonical->Date);
    EXPECT_EQ(odd->Evt(), upper + "7");
    EXPECT_EQ(odd->EvtSize(), 61u);

    // Not hex at all.
    auto notHex = EventOf(FramedHex("DF1EGG"), &owner);
    EXPECT_FALSE(notHex->HoldsBytes());
    EXPECT_EQ(notHex->Evt(), "DF1EGG");

    // Failed checks keep the text as handed over, from STX on.
    std::string badSum = Framed(bytes);
    badSum.back() = badSum.back() == '0' ? '1' : '0';
    auto wrongChecksum = EventOf("xx" + badSum, &owner);
    EXPECT_FALSE(wrongChecksum->HoldsBytes());
    EXPECT_EQ(wrongChecksum->ErrorCode, kEvtBadChecksum);
    EXPECT_EQ(wrongChecksum->Evt(), badSum);
    auto unframed = EventOf(upper, &owner);
    EXPECT_FALSE(unframed->HoldsBytes());
    EXPECT_EQ(unframed->Evt(), upper);

    // Nothing between address and ETB: an empty content, held as (no) bytes.
    auto nothing = EventOf(FramedHex(""));
    EXPECT_EQ(nothing->Evt(), "");
    EXPECT_EQ(nothing->EvtSize(), 0u);
    EXPECT_EQ(nothing->ErrorCode, kEvtTooSmall);
}

TEST_F(FramedBytesTest, SetEvtFromItsOwnContent) {
    // The text handed over may be a view of what the event holds.
    std::string badSum = Framed(EventBytes(0xDF, 30));
    badSum.back() = badSum.back() == '0' ? '1' : '0';
    auto event = EventOf(badSum);
    event->SetEvt(event->Content());
    EXPECT_EQ(event->Evt(), badSum);
    EXPECT_EQ(event->ErrorCode, kEvtBadChecksum);

    auto text = EventOf(FramedHex("df1e"));
    ASSERT_EQ(text->Content(), "df1e");
    text->SetEvt(text->Content().substr(1));
    EXPECT_FALSE(text->Framed);
    EXPECT_EQ(text->Evt(), "f1e");
}

}  // namespace
}  // namespace skylog
