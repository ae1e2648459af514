#include "k7/UEvenement.h"

#include <algorithm>
#include <limits>
#include <stdexcept>

#include "Common/UUtils.h"
#include "k7/K7Format.h"
#include "k7/UK7File.h"

namespace skylog {

namespace {

constexpr char kFramingAddress = '1';
constexpr int kFirstYear = 1980;
constexpr int kLastYear = 2049;

uint8_t ByteOf(std::string_view hex, size_t k) { return HexToByte(hex.substr(2 * k, 2)); }

// An event's content seen as bytes, read from its hex text...
struct HexSource {
    std::string_view hex;
    [[nodiscard]] size_t TextSize() const { return hex.size(); }
    [[nodiscard]] uint8_t Byte(size_t k) const { return ByteOf(hex, k); }
    // A BCD byte as a decimal number; -1 when the pair is missing or not decimal.
    [[nodiscard]] int DecimalPair(size_t k) const {
        if (hex.size() < 2 * k + 2) return -1;
        const char high = hex[2 * k];
        const char low = hex[2 * k + 1];
        if (high < '0' || high > '9' || low < '0' || low > '9') return -1;
        return (high - '0') * 10 + (low - '0');
    }
    [[nodiscard]] bool IsEndMarker(size_t k) const { return hex.substr(2 * k, 2) == "FE"; }
};

// ... or held as bytes. For a text of uppercase hex digit pairs both give the same
// answers, which is what lets an event hold such a text as bytes.
struct ByteSource {
    std::string_view bytes;
    [[nodiscard]] size_t TextSize() const { return 2 * bytes.size(); }
    [[nodiscard]] uint8_t Byte(size_t k) const { return static_cast<uint8_t>(bytes[k]); }
    [[nodiscard]] int DecimalPair(size_t k) const {
        if (k >= bytes.size()) return -1;
        const int high = Byte(k) >> 4;
        const int low = Byte(k) & 0x0F;
        if (high > 9 || low > 9) return -1;
        return high * 10 + low;
    }
    [[nodiscard]] bool IsEndMarker(size_t k) const { return Byte(k) == kEventEndMarker; }
};

bool InRange(int value, int low, int high) { return value >= low && value <= high; }

template <class Source>
TDateTime EventDate(const Source& source) {
    const size_t at = k7format::kEventDateOffset;
    const int year = ExpandYear(source.DecimalPair(at));
    const int month = source.DecimalPair(at + 1);
    const int day = source.DecimalPair(at + 2);
    const int hour = source.DecimalPair(at + 3);
    const int minute = source.DecimalPair(at + 4);
    const int second = source.DecimalPair(at + 5);
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

template <class Source>
bool ConditionHolds(const EventCondition& condition, const Source& source) {
    if (condition.Kind != 1 || condition.Index < 0) return false;
    const size_t index = static_cast<size_t>(condition.Index);
    return source.TextSize() >= 2 * index + 2 && source.Byte(index) == condition.Value;
}

template <class Source>
bool ConditionsAccept(const EventDescriptor& descriptor, const Source& source) {
    if (descriptor.Conditions.empty()) return true;
    bool accepted = false;
    for (const EventCondition& condition : descriptor.Conditions) {
        if (ConditionHolds(condition, source))
            accepted = true;
        else if (condition.Mandatory)
            return false;
    }
    return accepted;
}

template <class Source>
const EventDescriptor* MatchDescriptor(const EventDictionary* dictionary, const Source& source,
                                       std::string_view ident) {
    if (dictionary == nullptr || source.TextSize() < 2) return nullptr;
    const uint8_t type = source.Byte(0);
    const int32_t length = static_cast<int32_t>(source.TextSize() / 2);
    for (const EventDescriptor& descriptor : dictionary->Descriptors) {
        if (descriptor.Type != type) continue;
        if (descriptor.Length != 0 && descriptor.Length != length) continue;
        if (!IdentAccepted(descriptor, ident)) continue;
        if (!ConditionsAccept(descriptor, source)) continue;
        return &descriptor;
    }
    return nullptr;
}

bool IsUpperHexDigit(char c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'); }

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
    return MatchDescriptor(dictionary, HexSource{hex}, ident);
}

bool IsCanonicalHex(std::string_view text) {
    if (text.size() % 2 != 0) return false;
    for (char c : text)
        if (!IsUpperHexDigit(c)) return false;
    return true;
}

std::string BytesOfCanonicalHex(std::string_view hex) {
    std::string bytes(hex.size() / 2, '\0');
    for (size_t k = 0; k < bytes.size(); ++k) bytes[k] = static_cast<char>(ByteOf(hex, k));
    return bytes;
}

// Kept at 80 bytes on 64-bit systems, a size class of the allocator (see Elements).
static_assert(sizeof(void*) != 8 || sizeof(TEvenement) <= 80);

// The members' initial values are the state SetEvt("") gives (see ResetState).
TEvenement::TEvenement(TK7File* owner) : Owner(owner) {}

TEvenement::~TEvenement() = default;

// The new content is copied before the old is freed: it may be a view of it.
void TEvenement::Storage::Assign(std::string_view content) {
    if (content.size() > std::numeric_limits<uint32_t>::max()) throw std::length_error("event text too long");
    std::unique_ptr<char[]> copy;
    if (!content.empty()) {
        copy = std::make_unique_for_overwrite<char[]>(content.size());
        std::copy(content.begin(), content.end(), copy.get());
    }
    data_ = std::move(copy);
    size_ = static_cast<uint32_t>(content.size());
}

void TEvenement::ResetState() {
    Framed = false;
    Decoded = false;
    Date = 0;
    EvtType = 0;
    EvtLength = 0;
    Empty = true;
    ErrorCode = 0;
    Descriptor = nullptr;
    Elements.Reset();
    evt_.holdsBytes = false;
}

void TEvenement::SetEvt(std::string_view text) {
    ResetState();
    const size_t stx = text.find(kSTX);
    if (stx != std::string_view::npos) text.remove_prefix(stx);
    const size_t etb = stx != std::string_view::npos ? text.find(kETB) : std::string_view::npos;
    if (etb == std::string_view::npos || text.size() < etb + 3) {
        evt_.Assign(text);
        return;
    }
    Framed = true;
    if (EventChecksum(text.substr(0, etb + 1)) != text.substr(etb + 1, 2)) {
        evt_.Assign(text);
        ErrorCode = kEvtBadChecksum;
        return;
    }
    // STX and the address character go, and everything from ETB on.
    const std::string_view hex = text.substr(std::min<size_t>(2, etb), etb - std::min<size_t>(2, etb));
    if (IsCanonicalHex(hex)) {
        evt_.Assign(BytesOfCanonicalHex(hex));
        evt_.holdsBytes = true;
        Decode(ByteSource{evt_.View()});
    } else {
        evt_.Assign(hex);
        Decode(HexSource{evt_.View()});
    }
}

void TEvenement::SetFramedBytes(const uint8_t* bytes, size_t count) {
    ResetState();
    Framed = true;
    evt_.Assign(std::string_view(reinterpret_cast<const char*>(bytes), count));
    evt_.holdsBytes = true;
    Decode(ByteSource{evt_.View()});
}

std::string TEvenement::Evt() const {
    const std::string_view content = evt_.View();
    if (!evt_.holdsBytes) return std::string(content);
    return BytesToHex(reinterpret_cast<const uint8_t*>(content.data()), content.size());
}

template <class Source>
void TEvenement::Decode(const Source& source) {
    Decoded = false;
    const size_t n = source.TextSize();
    if (n < 6) {
        ErrorCode = kEvtTooSmall;
        return;
    }
    EvtType = source.Byte(0);
    if (EvtType == kEmptyEventType) {
        Decoded = true;
        Empty = true;
        return;
    }
    Empty = false;
    EvtLength = source.Byte(1);
    if (static_cast<size_t>(EvtLength) != n / 2) {
        ErrorCode = kEvtBadLength;
        return;
    }
    const size_t length = static_cast<size_t>(EvtLength);
    if (source.Byte(length - 1) != EvtLength) {
        ErrorCode = kEvtBadLengthCheck;
        return;
    }
    if (!source.IsEndMarker(length - 2)) {
        ErrorCode = kEvtBadEndMarker;
        return;
    }
    Decoded = true;
    const THostData* host = HostData();
    Descriptor = MatchDescriptor(host != nullptr ? host->Dictionary : nullptr, source,
                                 Owner != nullptr ? Owner->InstruIdent() : "");
    Date = EventDate(source);
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
    const std::string hex = Evt();
    for (const ElementDescriptor& elementDescriptor : Descriptor->Elements) {
        std::unique_ptr<TScnElement> element = CreateScnElement(elementDescriptor, hex, this);
        if (first != nullptr) element->BindInstrument(first);
        into.push_back(std::move(element));
    }
    for (const skylog::InstrumentType* type : laterBinds)
        for (const auto& element : into) element->BindInstrument(type);
}

const TEventElements::Container& TEventElements::Items() const {
    if (!built_) built_ = std::make_unique<Built>();
    if (pending_ && !building_) {
        building_ = true;
        try {
            event_.BuildElements(built_->items, firstBind_, built_->laterBinds);
        } catch (...) {
            building_ = false;
            built_->items.clear();
            throw;
        }
        building_ = false;
        pending_ = false;
        built_->laterBinds.clear();
        built_->laterBinds.shrink_to_fit();
    }
    return built_->items;
}

void TEventElements::Reset() {
    built_.reset();
    pending_ = false;
    building_ = false;
    firstBind_ = nullptr;
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
    if (Elements.empty()) return Evt();
    std::vector<std::string> parts;
    for (const auto& element : Elements) parts.push_back(element->ASCIIString());
    return Joined(parts, TextOptionsOf(HostData()).ElementSeparator);
}

std::string TEvenement::AsciiHeader() const {
    if (Descriptor == nullptr) return "";
    std::vector<std::string> parts;
    for (const auto& element : Elements) parts.push_back(element->Description());
    return Joined(parts, TextOptionsOf(HostData()).ElementSeparator);
}

const THostData* TEvenement::HostData() const { return Owner != nullptr ? Owner->HostData() : nullptr; }

void TEvenement::BindInstrument() {
    if (Owner == nullptr) return;
    if (Elements.pending_) {
        if (!Elements.built_) Elements.built_ = std::make_unique<TEventElements::Built>();
        Elements.built_->laterBinds.push_back(Owner->InstrumentType());
        return;
    }
    for (const auto& element : Elements) element->BindInstrument(Owner->InstrumentType());
}

}  // namespace skylog
