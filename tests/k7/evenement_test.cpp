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
        EXPECT_EQ(event->SymbolString(), c.symbol);
        EXPECT_EQ(event->DescString(), c.description);
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
    // Lowercase digits and odd lengths are decoded as the uppercase text is, but kept as
    // given (the end marker stays in capitals, the odd last character is not read); the
    // text handed over may be a view of what the event holds.
    for (const std::string& text : {test::LowerHex(bytes), Hex(bytes) + "7"}) {
        auto asText = EventOf(FramedHex(text), &typeless);
        EXPECT_FALSE(asText->HoldsBytes()) << text;
        EXPECT_EQ(asText->Evt(), text);
        EXPECT_EQ(Decoding(*asText), Decoding(*event)) << text;
        asText->SetEvt(asText->Content().substr(1));
        EXPECT_EQ(asText->Evt(), text.substr(1));
    }
    // Set to an empty text, it is a new event again.
    event->SetEvt("");
    EXPECT_EQ(Decoding(*event), Decoding(TEvenement(&typeless)));
    EXPECT_TRUE(event->Evt().empty() && !event->HoldsBytes() && event->Owner == &typeless);
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

// Bytes shaped after each descriptor of the dictionary (type, length, conditions, end
// marker, length check, BCD date), as they are and damaged in one place each.
std::vector<std::string> DescriptorShaped(const EventDictionary& dictionary) {
    std::vector<std::string> shaped;
    for (const EventDescriptor& d : dictionary.Descriptors) {
        const auto length = static_cast<size_t>(d.Length != 0 ? d.Length : 40);
        std::string bytes = EventBytes(static_cast<uint8_t>(d.Type), static_cast<uint8_t>(length));
        for (const EventCondition& c : d.Conditions)
            if (c.Index >= 0 && static_cast<size_t>(c.Index) < length - 2) bytes[c.Index] = static_cast<char>(c.Value);
        for (int damage = 0; damage < 7; ++damage) {
            std::string b = bytes;
            switch (damage) {
                case 0: b[length - 2] = 0x7E; break;                            // no end marker
                case 1: b[length - 1] = static_cast<char>(length ^ 1); break;  // wrong length check
                case 2: b[1] = static_cast<char>(length + 3); break;           // wrong length
                case 3: b[0] = static_cast<char>(kEmptyEventType); break;
                case 4: b.resize(length / 2); break;
                case 5: b[5] = 0x02, b[6] = 0x30; break;  // February 30th
                default: break;
            }
            shaped.push_back(std::move(b));
        }
    }
    return shaped;
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
    std::vector<std::string> cases = DescriptorShaped(data_->Dictionary);
    for (size_t length = 0; length <= 300; ++length) {
        std::string bytes(length, '\0');
        for (char& b : bytes) b = static_cast<char>(random());
        cases.push_back(std::move(bytes));
    }

    std::set<int> errorCodes;
    int described = 0;
    for (const std::string& bytes : cases) {
        SCOPED_TRACE("bytes " + Hex(bytes));
        for (const auto& owner : owners) {
            TEvenement fromBytes(owner.get()), fromText(owner.get());
            fromBytes.SetFramedBytes(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
            fromText.SetEvt(FramedEventText(bytes));
            EXPECT_EQ(Decoding(fromBytes), Decoding(fromText));
            EXPECT_EQ(fromBytes.Evt(), fromText.Evt());
            EXPECT_TRUE(fromText.HoldsBytes() && fromText.Content() == bytes);
            errorCodes.insert(fromBytes.ErrorCode);
            described += fromBytes.Descriptor != nullptr && fromBytes.Date != 0;
        }
    }
    // Every outcome of decoding came up (a bad checksum cannot: the text is built right).
    EXPECT_EQ(errorCodes, (std::set<int>{0, kEvtTooSmall, kEvtBadLength, kEvtBadLengthCheck, kEvtBadEndMarker}));
    EXPECT_GT(described, 20);

    // Setting again from bytes replaces a text-holding content.
    TEvenement event(nullptr);
    event.SetEvt("\x02" "1df\x17" "zz");
    event.SetFramedBytes(reinterpret_cast<const uint8_t*>(kEmptyEvent.data()), kEmptyEvent.size());
    EXPECT_TRUE(event.HoldsBytes() && event.Decoded && event.Empty);
    EXPECT_EQ(event.Evt(), "FF0303");
}

}  // namespace
}  // namespace skylog
