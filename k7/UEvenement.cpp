#include "k7/UEvenement.h"

#include "Common/RunObjects.h"
#include "Common/UUtils.h"
#include "k7/K7Format.h"
#include "k7/UK7File.h"

namespace skylog {

namespace {

constexpr char kFramingAddress = '1';
constexpr int kFirstYear = 1980;
constexpr int kLastYear = 2049;

uint8_t ByteOf(std::string_view hex, size_t k) { return HexToByte(hex.substr(2 * k, 2)); }

// A BCD byte as a decimal number; -1 when the pair is missing or not decimal.
int DecimalPair(std::string_view hex, size_t k) {
    if (hex.size() < 2 * k + 2) return -1;
    const char high = hex[2 * k];
    const char low = hex[2 * k + 1];
    if (high < '0' || high > '9' || low < '0' || low > '9') return -1;
    return (high - '0') * 10 + (low - '0');
}

bool InRange(int value, int low, int high) { return value >= low && value <= high; }

TDateTime EventDate(std::string_view hex) {
    const size_t at = k7format::kEventDateOffset;
    const int year = ExpandYear(DecimalPair(hex, at));
    const int month = DecimalPair(hex, at + 1);
    const int day = DecimalPair(hex, at + 2);
    const int hour = DecimalPair(hex, at + 3);
    const int minute = DecimalPair(hex, at + 4);
    const int second = DecimalPair(hex, at + 5);
    if (!InRange(year, kFirstYear, kLastYear) || !InRange(month, 1, 12) || !InRange(day, 1, 31) ||
        !InRange(hour, 0, 23) || !InRange(minute, 0, 59) || !InRange(second, 0, 59))
        return 0;
    TDateTime date = 0, time = 0;
    if (!TryEncodeDate(year, month, day, date) || !TryEncodeTime(hour, minute, second, 0, time)) return 0;
    return CombineDateTime(date, time);
}

bool IdentAccepted(const EventDescriptor& descriptor, std::string_view ident) {
    const auto& ranges = descriptor.IdentRanges;
    if (ranges.empty()) return true;
    for (size_t i = 0; i + 1 < ranges.size(); i += 2)
        if (ranges[i] <= ident && ident <= ranges[i + 1]) return true;
    return false;
}

bool ConditionHolds(const EventCondition& condition, std::string_view hex) {
    if (condition.Kind != 1 || condition.Index < 0) return false;
    const size_t index = static_cast<size_t>(condition.Index);
    return hex.size() >= 2 * index + 2 && ByteOf(hex, index) == condition.Value;
}

bool ConditionsAccept(const EventDescriptor& descriptor, std::string_view hex) {
    if (descriptor.Conditions.empty()) return true;
    bool accepted = false;
    for (const EventCondition& condition : descriptor.Conditions) {
        if (ConditionHolds(condition, hex))
            accepted = true;
        else if (condition.Mandatory)
            return false;
    }
    return accepted;
}

std::string ErrorMessage(uint8_t code) {
    switch (code) {
        case kEvtTooSmall: return "Evènement trop petit.";
        case kEvtBadLength: return "Evènement taille incorrecte.";
        case kEvtBadLengthCheck: return "Evènement erreur vérification taille.";
        case kEvtBadChecksum: return "Evènement erreur du calcul du checksum.";
        case kEvtBadEndMarker: return "Evènement erreur fin des données corrompue.";
        default: return "Evènement erreur " + std::to_string(code) + ".";
    }
}

std::string Joined(const std::vector<std::string>& parts, const std::string& separator) {
    std::string text;
    for (size_t i = 0; i < parts.size(); ++i) {
        if (i > 0) text += separator;
        text += parts[i];
    }
    return text;
}

}  // namespace

std::string EventChecksum(std::string_view textFromStxToEtb) {
    uint8_t sum = 0;
    for (char c : textFromStxToEtb) sum ^= static_cast<uint8_t>(c);
    return ByteToHexString(sum);
}

std::string FramedEventText(const uint8_t* bytes, size_t count) {
    std::string text;
    text.reserve(2 * count + 5);
    text += kSTX;
    text += kFramingAddress;
    const size_t hexStart = text.size();
    text.resize(hexStart + 2 * count);
    for (size_t i = 0; i < count; ++i) ByteToHex(bytes[i], &text[hexStart + 2 * i]);
    text += kETB;
    text += EventChecksum(text);
    return text;
}

const EventDescriptor* MatchEventDescriptor(const EventDictionary* dictionary, std::string_view hex,
                                            std::string_view ident) {
    if (dictionary == nullptr || hex.size() < 2) return nullptr;
    const uint8_t type = ByteOf(hex, 0);
    const int32_t length = static_cast<int32_t>(hex.size() / 2);
    for (const EventDescriptor& descriptor : dictionary->Descriptors) {
        if (descriptor.Type != type) continue;
        if (descriptor.Length != 0 && descriptor.Length != length) continue;
        if (!IdentAccepted(descriptor, ident)) continue;
        if (!ConditionsAccept(descriptor, hex)) continue;
        return &descriptor;
    }
    return nullptr;
}

TEvenement::TEvenement(TK7File* owner) : Owner(owner) { SetEvt(""); }

TEvenement::~TEvenement() = default;

void TEvenement::SetEvt(std::string_view text) {
    Framed = false;
    Decoded = false;
    Date = 0;
    EvtType = 0;
    EvtLength = 0;
    Empty = true;
    ErrorCode = 0;
    Descriptor = nullptr;
    Elements.Reset();

    const size_t stx = text.find(kSTX);
    if (stx != std::string_view::npos) text.remove_prefix(stx);
    evt_.assign(text);
    text = evt_;  // the same bytes, and safe should the caller's text live in evt_

    const size_t etb = stx != std::string_view::npos ? text.find(kETB) : std::string_view::npos;
    if (etb == std::string_view::npos || text.size() < etb + 3) return;
    Framed = true;
    if (EventChecksum(text.substr(0, etb + 1)) != text.substr(etb + 1, 2)) {
        ErrorCode = kEvtBadChecksum;
        return;
    }
    // STX and the address character go, and everything from ETB on.
    evt_.erase(etb);
    evt_.erase(0, std::min<size_t>(2, etb));
    if (evt_.size() < 16) evt_.shrink_to_fit();  // back into the string itself
    Decode(evt_);
}

void TEvenement::Decode(std::string_view hex) {
    Decoded = false;
    const size_t n = hex.size();
    if (n < 6) {
        ErrorCode = kEvtTooSmall;
        return;
    }
    EvtType = ByteOf(hex, 0);
    if (EvtType == kEmptyEventType) {
        Decoded = true;
        Empty = true;
        return;
    }
    Empty = false;
    EvtLength = ByteOf(hex, 1);
    if (static_cast<size_t>(EvtLength) != n / 2) {
        ErrorCode = kEvtBadLength;
        return;
    }
    const size_t length = static_cast<size_t>(EvtLength);
    if (ByteOf(hex, length - 1) != EvtLength) {
        ErrorCode = kEvtBadLengthCheck;
        return;
    }
    if (hex.substr(2 * (length - 2), 2) != "FE") {
        ErrorCode = kEvtBadEndMarker;
        return;
    }
    Decoded = true;
    Descriptor = MatchEventDescriptor(Host().Dictionary, hex, Owner != nullptr ? Owner->InstruIdent() : "");
    Date = EventDate(hex);
    if (Descriptor == nullptr || Descriptor->Elements.empty()) return;
    Elements.pending_ = true;
    Elements.firstBind_ = Owner != nullptr ? Owner->InstrumentType() : nullptr;
}

// As decoding used to build them: each element bound to the decoding owner's type as it
// is made (a filter element then sees the elements before it), then every later
// binding applied to all of them.
void TEvenement::BuildElements(TEventElements::Container& into, const InstrumentType* firstBind,
                               const std::vector<const InstrumentType*>& laterBinds) {
    if (Descriptor == nullptr) return;
    const skylog::InstrumentType* first = firstBind;
    into.reserve(Descriptor->Elements.size());
    for (const ElementDescriptor& elementDescriptor : Descriptor->Elements) {
        std::unique_ptr<TScnElement> element = CreateScnElement(elementDescriptor, evt_, this);
        if (first != nullptr) element->BindInstrument(first);
        into.push_back(std::move(element));
    }
    for (const skylog::InstrumentType* type : laterBinds)
        for (const auto& element : into) element->BindInstrument(type);
}

const TEventElements::Container& TEventElements::Items() const {
    if (pending_ && !building_) {
        building_ = true;
        try {
            event_.BuildElements(items_, firstBind_, laterBinds_);
        } catch (...) {
            building_ = false;
            items_.clear();
            throw;
        }
        building_ = false;
        pending_ = false;
    }
    return items_;
}

void TEventElements::Reset() {
    items_.clear();
    pending_ = false;
    building_ = false;
    firstBind_ = nullptr;
    laterBinds_.clear();
}

std::string TEvenement::SymbolString() const {
    if (!Framed || ErrorCode != 0) return "-";
    if (Empty) return "INI";
    if (Descriptor == nullptr) return "???";
    return Descriptor->Symbol;
}

std::string TEvenement::DescString() const {
    if (!Framed) return "Evènement non terminé.";
    if (ErrorCode != 0) return ErrorMessage(ErrorCode);
    if (Empty) return "Evènement vide (0xFF).";
    if (Date == 0) return "Evènement non daté.";
    return FormatShortDate(Date) + " " + FormatLongTime(Date) + " : " +
           (Descriptor != nullptr ? Descriptor->Description : std::string("Evènement inconnu."));
}

std::string TEvenement::AsciiString() const {
    if (Elements.empty()) return evt_;
    std::vector<std::string> parts;
    for (const auto& element : Elements) parts.push_back(element->ASCIIString());
    return Joined(parts, CurrentTextOptions().ElementSeparator);
}

std::string TEvenement::AsciiHeader() const {
    if (Descriptor == nullptr) return "";
    std::vector<std::string> parts;
    for (const auto& element : Elements) parts.push_back(element->Description());
    return Joined(parts, CurrentTextOptions().ElementSeparator);
}

void TEvenement::BindInstrument() {
    if (Owner == nullptr) return;
    if (Elements.pending_) {
        Elements.laterBinds_.push_back(Owner->InstrumentType());
        return;
    }
    for (const auto& element : Elements) element->BindInstrument(Owner->InstrumentType());
}

}  // namespace skylog
