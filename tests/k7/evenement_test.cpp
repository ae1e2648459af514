#include <gtest/gtest.h>

#include <iomanip>
#include <random>
#include <set>
#include <sstream>

#include "Common/UUtils.h"
#include "k7/UEvenement.h"
#include "k7/UInstrument.h"
#include "k7/UK7File.h"
#include "tests/k7/K7TestSupport.h"

namespace skylog {
namespace {

using test::EventBytes;
using test::EventOf;
using test::Framed;
using test::FramedHex;
using test::Hex;

const std::string kEmptyEvent("\xFF\x03\x03", 3);

// Everything decoding gives but the content itself, to compare events in one go.
std::string Decoding(const TEvenement& e) {
    std::ostringstream out;
    out << std::setprecision(17) << e.Framed << e.Decoded << e.Empty << ' ' << int(e.ErrorCode) << ' ' << e.Date
        << ' ' << int(e.EvtType) << ' ' << e.EvtLength << ' ' << e.Descriptor << ' ' << e.Elements.size() << '|'
        << e.SymbolString() << '|' << e.DescString() << '|' << e.AsciiHeader() << '|' << e.AsciiString();
    return out.str();
}

// Framing first, then one damaged event per check. Only an uppercase hex text that
// passed the frame check is held as bytes; any other is kept as handed over, from STX on.
TEST(EventChecks, FramingAndChecks) {
    const std::string empty = Framed(kEmptyEvent);
    EXPECT_EQ(empty, std::string("\x02" "1FF0303\x17" "24"));
    std::string badSum = empty;
    badSum.back() = '5';
    const char* notFramed = "Evènement non terminé.";
    const struct {
        std::string text, evt;
        uint8_t code;
        bool framed, empty, holdsBytes;
        const char *symbol, *description;
    } cases[] = {
        {empty, "FF0303", 0, true, true, true, "INI", "Evènement vide (0xFF)."},
        // Characters before STX and after the checksum are not read.
        {"garbage" + empty + "\x17zz", "FF0303", 0, true, true, true, "INI", "Evènement vide (0xFF)."},
        {"80050000FE05", "80050000FE05", 0, false, true, false, "-", notFramed},
        {"\x02" "1FF0303", "\x02" "1FF0303", 0, false, true, false, "-", notFramed},
        // The checksum cut short.
        {"\x02" "1FF0303\x17" "2", "\x02" "1FF0303\x17" "2", 0, false, true, false, "-", notFramed},
        {"xy\x02" "1FF", "\x02" "1FF", 0, false, true, false, "-", notFramed},
        {"xy" + badSum, badSum, kEvtBadChecksum, true, true, false, "-", "Evènement erreur du calcul du checksum."},
        {Framed("\x80\x02"), "8002", kEvtTooSmall, true, true, true, "-", "Evènement trop petit."},
        {FramedHex(""), "", kEvtTooSmall, true, true, true, "-", "Evènement trop petit."},
        {Framed(std::string("\x80\x06\x00\xFE\x06", 5)), "800600FE06", kEvtBadLength, true, false, true, "-",
         "Evènement taille incorrecte."},
        {FramedHex("DF1EGG"), "DF1EGG", kEvtBadLength, true, false, false, "-", "Evènement taille incorrecte."},
        {Framed(std::string("\x80\x05\x00\xFE\x04", 5)), "800500FE04", kEvtBadLengthCheck, true, false, true, "-",
         "Evènement erreur vérification taille."},
        {Framed(std::string("\x80\x05\x00\xFF\x05", 5)), "800500FF05", kEvtBadEndMarker, true, false, true, "-",
         "Evènement erreur fin des données corrompue."},
        // In lowercase, "fe" is no end marker.
        {FramedHex("800500fe05"), "800500fe05", kEvtBadEndMarker, true, false, false, "-",
         "Evènement erreur fin des données corrompue."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        auto event = EventOf(c.text);
        EXPECT_EQ(event->Framed, c.framed);
        EXPECT_EQ(event->Decoded, c.framed && c.code == 0);
        EXPECT_EQ(event->Empty, c.empty);
        EXPECT_EQ(event->HoldsBytes(), c.holdsBytes);
        EXPECT_EQ(event->ErrorCode, c.code);
        EXPECT_EQ(event->Evt(), c.evt);
        EXPECT_EQ(event->EvtSize(), c.evt.size());
        EXPECT_EQ(event->SymbolString(), c.symbol);
        EXPECT_EQ(event->DescString(), c.description);
    }
}

// A new event is what setting an empty text gives, also to an event that held one.
TEST(EventChecks, NewEventEqualsOneSetToEmpty) {
    const ElementType date{0, kClassDate, "DATE", "Date"};
    EventDictionary dictionary;
    dictionary.Descriptors.resize(1);
    dictionary.Descriptors[0].Type = 0xDF;
    dictionary.Descriptors[0].Elements = {{0, 0, "", 0, "", false, 0, {}, &date, VAL_DATE, 4}};
    const THostData host{nullptr, &dictionary};
    TK7File owner(&host);
    owner.SetParamBloc("1A" + std::string(252, '0'));
    TEvenement fresh(&owner);
    auto emptied = EventOf(Framed(EventBytes(0xDF, 30)), &owner);
    ASSERT_EQ(emptied->Elements.size(), 1u);
    emptied->SetEvt("");
    EXPECT_EQ(Decoding(*emptied), Decoding(fresh));
    for (const TEvenement* event : {&fresh, emptied.get()}) {
        EXPECT_TRUE(event->Evt().empty() && event->EvtSize() == 0 && !event->HoldsBytes());
        EXPECT_TRUE(event->Empty && !event->Framed && event->Date == 0 && event->Descriptor == nullptr);
        EXPECT_EQ(event->Owner, &owner);
    }
}

TEST(EventDate, BcdStampOrNone) {
    const std::pair<test::BcdStamp, TDateTime> cases[] = {
        {test::kMarch7th2005, *EncodeDateTime(2005, 3, 7, 12, 30, 0)},
        {{0x81, 0x01, 0x01, 0x00, 0x00, 0x00}, *EncodeDateTime(1981, 1, 1)},
        {{0x80, 0x01, 0x01, 0x00, 0x00, 0x00}, 0},  // 2080: past the last year
        {{0x05, 0x02, 0x30, 0x12, 0x00, 0x00}, 0},  // February 30th
        {{0x05, 0x0A, 0x01, 0x00, 0x00, 0x00}, 0},  // not BCD
        {{0x05, 0x01, 0x01, 0x00, 0x00, 0x60}, 0},  // second 60
    };
    for (const auto& [stamp, date] : cases) {
        auto event = EventOf(Framed(EventBytes(0xDF, 30, 0, stamp)));
        EXPECT_TRUE(event->Decoded);
        EXPECT_EQ(event->Date, date) << Hex(std::string(stamp.begin(), stamp.end()));
        EXPECT_EQ(event->DescString() == "Evènement non daté.", date == 0);
    }
    auto dated = EventOf(Framed(EventBytes(0xDF, 30)));
    EXPECT_EQ(dated->DescString(), "07/03/2005 12:30:00 : Evènement inconnu.");
    EXPECT_EQ(dated->SymbolString(), "???");
    // Too short to hold a date at all.
    auto shortEvent = EventOf(Framed(std::string("\x80\x05\x00\xFE\x05", 5)));
    EXPECT_TRUE(shortEvent->Decoded);
    EXPECT_EQ(shortEvent->Date, 0);
}

// The first descriptor of matching type, length (0: any), identification range and
// conditions wins.
TEST(EventDictionaryMatch, TypeLengthIdentsConditionsAndOrder) {
    EventDictionary dictionary;
    auto add = [&dictionary](uint8_t type, int32_t length, const char* description) -> EventDescriptor& {
        EventDescriptor& d = dictionary.Descriptors.emplace_back();
        d.Type = type;
        d.Length = length;
        d.Description = description;
        return d;
    };
    add(0xDC, 104, "long");
    add(0xDC, 0, "toute longueur");
    add(0xDC, 86, "jamais atteint");
    add(0x88, 0, "polarisés").IdentRanges = {"SPA00000", "SPA0FFFF", "SPB90000", "SPBBFFFF"};
    add(0x88, 0, "autres");
    add(0x80, 18, "optionnelle").Conditions = {{1, 3, false, 0x62}};
    add(0x80, 18, "obligatoire").Conditions = {{1, 3, false, 0x73}, {1, 2, true, 0x00}};
    add(0x80, 18, "obligatoire d'abord").Conditions = {{1, 2, true, 0x00}, {1, 3, false, 0x73}};
    add(0x80, 18, "l'une des deux").Conditions = {{1, 3, false, 0x61}, {1, 3, false, 0x73}};
    add(0x80, 18, "sorte 2").Conditions = {{2, 3, false, 0x68}};
    add(0x80, 18, "hors évènement").Conditions = {{1, 18, false, 0x00}};
    add(0x80, 18, "sans condition");
    const struct {
        std::string bytes;
        const char *ident, *expected;
    } cases[] = {
        {EventBytes(0xDC, 104), "SP1A0000", "long"},
        {EventBytes(0xDC, 86), "SP1A0000", "toute longueur"},
        {EventBytes(0xDE, 62), "SP1A0000", "aucun"},
        {EventBytes(0x88, 40), "SPA00000", "polarisés"},
        {EventBytes(0x88, 40), "SPBBFFFF", "polarisés"},  // bounds included
        {EventBytes(0x88, 40), "SPB00000", "autres"},
        {EventBytes(0x88, 40), "SP1A0000", "autres"},
        {EventBytes(0x80, 18, 0x62), "SP1A0000", "optionnelle"},
        // A failing mandatory condition rejects, before or after one that holds.
        {EventBytes(0x80, 18, 0x73), "SP1A0000", "l'une des deux"},
        {EventBytes(0x80, 18, 0x61), "SP1A0000", "l'une des deux"},
        // Only failing optional conditions, an unknown kind, an index past the end.
        {EventBytes(0x80, 18, 0x68), "SP1A0000", "sans condition"},
    };
    for (const auto& c : cases) {
        const EventDescriptor* d = MatchEventDescriptor(&dictionary, Hex(c.bytes), c.ident);
        EXPECT_EQ(d != nullptr ? d->Description : "aucun", c.expected) << Hex(c.bytes) << " " << c.ident;
    }
    EXPECT_EQ(MatchEventDescriptor(nullptr, Hex(EventBytes(0xDC, 86)), ""), nullptr);
}

// Elements follow the descriptor. A filter element may take its filter number from
// another element; it is bound to its filter once the owner's type is known, also later.
TEST(EventElements, RenderedAndBoundThroughTheDescriptor) {
    const ElementType date{0, kClassDate, "DATE", "Date"}, time{1, kClassTime, "HEURE", "Heure"},
        battery{3, kClassMes, "BAT", "Tension batterie"}, number{5, kClassMes, "FILTRE", "Numéro de filtre"},
        signal{6, kClassMesFilter, "SIGNAL", "Signal"};
    EventDictionary dictionary;
    EventDescriptor state;
    state.Type = 0xE2;
    state.Length = 30;
    state.Symbol = "BAL";
    state.Description = "Etat de la balise";
    state.Elements = {{0, 0, "", 0, "", false, 0, {}, &date, VAL_DATE, 4},
                      {0, 0, "", 0, "", false, 0, {}, &time, VAL_TIME, 7},
                      {2, 0, "", 0, "", false, 0, {}, &battery, VAL_BAT2, 10}};
    EventDescriptor measure;
    measure.Type = 0x85;
    measure.Elements = {{0, 0, "", 0, "", false, 0, {}, &number, VAL_BYTECN, 3},
                        {0, 0, "FILTRE", -1, "A", true, 2.0f, {}, &signal, VAL_SCN, 10},
                        {0, 0, "ABSENT", -1, "A", false, 0, {}, &signal, VAL_SCN, 12}};
    dictionary.Descriptors = {state, measure};
    InstrumentTypeList types;
    types.Types.push_back({"Photomètre", {"SP1A0000"}, {{2, 870.0, "A", "", false, 0}, {2, 870.0, "P", "", true, 1}}});
    const InstrumentFilter* filterA2 = &types.Types[0].Filters[0];
    const THostData host{&types, &dictionary, ','};
    TK7File typeless(&host);  // no instrument type: nothing is bound

    std::string bytes = EventBytes(0xE2, 30);
    test::PutWord(bytes, 10, 1234);
    auto event = EventOf(Framed(bytes), &typeless);
    ASSERT_EQ(event->Elements.size(), 3u);
    EXPECT_EQ(event->SymbolString(), "BAL");
    EXPECT_EQ(event->DescString(), "07/03/2005 12:30:00 : Etat de la balise");
    EXPECT_EQ(event->AsciiString(), "07/03/2005;12:30:00;12,34");
    EXPECT_EQ(event->AsciiHeader(), "Date;Heure;Tension batterie");
    EXPECT_EQ(event->Elements[0]->Owner, event.get());
    // Without descriptor: no elements, the text itself, no header.
    auto unknown = EventOf(Framed(EventBytes(0xE3, 30)), &typeless);
    EXPECT_TRUE(unknown->Elements.empty());
    EXPECT_EQ(unknown->AsciiString(), unknown->Evt());
    EXPECT_EQ(unknown->AsciiHeader(), "");
    unknown->BindInstrument();  // without a type there is nothing to bind

    TK7File file(&host), later(&host);
    file.SetParamBloc("1A" + std::string(254, '0'));
    later.SetParamBloc("1A" + std::string(254, '0'));
    ASSERT_TRUE(file.SetInstrumentType(&types.Types[0]));
    auto filtered = EventOf(Framed(EventBytes(0x85, 166, 2)), &file);
    ASSERT_EQ(filtered->Elements.size(), 3u);
    auto& bound = dynamic_cast<TScnElement_MesFilter&>(*filtered->Elements[1]);
    EXPECT_EQ(bound.Filter, filterA2);
    EXPECT_EQ(bound.Description(), "2,0° A 870 nm");
    auto& unbound = dynamic_cast<TScnElement_MesFilter&>(*filtered->Elements[2]);
    EXPECT_EQ(unbound.Filter, nullptr);
    EXPECT_EQ(unbound.Description(), "Signal");
    // Bound later, when the file learns its type: elements already built, and elements
    // built only when first looked at.
    TEvenement* seen = later.AppendEvent(EventOf(Framed(EventBytes(0x85, 166, 2)), &later));
    TEvenement* unseen = later.AppendEvent(EventOf(Framed(EventBytes(0x85, 166, 2)), &later));
    EXPECT_EQ(dynamic_cast<TScnElement_MesFilter&>(*seen->Elements[1]).Filter, nullptr);
    ASSERT_TRUE(later.SetInstrumentType(&types.Types[0]));
    EXPECT_EQ(dynamic_cast<TScnElement_MesFilter&>(*seen->Elements[1]).Filter, filterA2);
    EXPECT_EQ(dynamic_cast<TScnElement_MesFilter&>(*unseen->Elements[1]).Filter, filterA2);
}

// Events set from bytes and from their framed text must not be told apart, whatever
// the bytes: the K7 reader uses the one, messages and tools the other.
class FramedBytesTest : public test::SampleHostDataSuite {};

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
        case 0: bytes[length - 2] = static_cast<char>(kEventEndMarker ^ pick(1, 255)); break;  // no end marker
        case 1: bytes[length - 1] = static_cast<char>(length ^ 1); break;     // wrong length check
        case 2: bytes[1] = static_cast<char>(pick(0, 255)); break;            // wrong length
        case 3: bytes[0] = static_cast<char>(kEmptyEventType); break;
        case 4: bytes.resize(static_cast<size_t>(pick(0, static_cast<int>(length)))); break;
        default: break;
    }
    return bytes;
}

TEST_F(FramedBytesTest, SetFramedBytesEqualsSetEvtOfTheFramedText) {
    // Owners of every known instrument (identification ranges, instrument binding) and none.
    std::vector<std::unique_ptr<TK7File>> owners;
    for (uint8_t code : {0x1A, 0x20, 0xA0, 0xB9, 0xBB, 0x33}) {
        auto file = std::make_unique<TK7File>(&host_);
        file->SetParamBloc(ByteToHexString(code) + std::string(252, '0'));
        (void)file->SetInstrumentType(FindInstrumentType(host_.InstrumentTypes, file->InstruIdent()));
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
        SCOPED_TRACE("bytes " + Hex(bytes));
        TK7File* owner = owners[i % owners.size()].get();
        TEvenement fromBytes(owner), fromText(owner);
        fromBytes.SetFramedBytes(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
        fromText.SetEvt(FramedEventText(bytes));
        EXPECT_EQ(Decoding(fromBytes), Decoding(fromText));
        EXPECT_EQ(fromBytes.Evt(), fromText.Evt());
        EXPECT_EQ(fromBytes.EvtSize(), fromText.EvtSize());
        EXPECT_TRUE(fromBytes.HoldsBytes() && fromText.HoldsBytes());
        EXPECT_EQ(fromBytes.Content(), bytes);
        EXPECT_EQ(fromText.Content(), bytes);

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
    event.SetFramedBytes(reinterpret_cast<const uint8_t*>(kEmptyEvent.data()), kEmptyEvent.size());
    EXPECT_TRUE(event.HoldsBytes() && event.Decoded && event.Empty);
    EXPECT_EQ(event.Evt(), "FF0303");
}

// Lowercase digits and odd lengths are decoded as the uppercase text is, but kept as
// given; the text handed over may be a view of what the event holds.
TEST_F(FramedBytesTest, TextsThatAreNotUppercaseHexPairsAreHeldAsText) {
    TK7File owner(&host_);
    owner.SetParamBloc("1A" + std::string(252, '0'));
    const std::string bytes = EventBytes(0xDF, 30);  // dated, described, with elements
    auto canonical = EventOf(Framed(bytes), &owner);
    ASSERT_NE(canonical->Descriptor, nullptr);
    ASSERT_FALSE(canonical->Elements.empty());

    // The end marker stays in capitals (decoding looks for "FE"); the odd last character
    // is not read.
    for (const std::string& text : {test::LowerHex(bytes), Hex(bytes) + "7"}) {
        auto event = EventOf(FramedHex(text), &owner);
        EXPECT_FALSE(event->HoldsBytes()) << text;
        EXPECT_EQ(event->Content(), text);
        EXPECT_EQ(event->Evt(), text);
        EXPECT_EQ(event->EvtSize(), text.size());
        EXPECT_EQ(Decoding(*event), Decoding(*canonical)) << text;
        event->SetEvt(event->Content().substr(1));
        EXPECT_FALSE(event->Framed);
        EXPECT_EQ(event->Evt(), text.substr(1));
    }
    std::string badSum = Framed(bytes);
    badSum.back() = badSum.back() == '0' ? '1' : '0';
    auto event = EventOf(badSum);
    event->SetEvt(event->Content());
    EXPECT_EQ(event->Evt(), badSum);
    EXPECT_EQ(event->ErrorCode, kEvtBadChecksum);
}

}  // namespace
}  // namespace skylog
