#include "k7/UScnElement.h"

#include <cmath>
#include <cstdio>

#include "Common/Encoding.h"
#include "Common/UUtils.h"
#include "k7/FloatFormat.h"
#include "k7/UEvenement.h"
#include "k7/UInstrument.h"

namespace skylog {

namespace {

// Raw values with a meaning of their own.
constexpr uint32_t kRawNoValue = 0xFFFF;
constexpr uint32_t kRawAboveRange = 0xFFFD;
constexpr uint32_t kRawBelowRange = 0xFFFC;
constexpr uint32_t kRawAbsent = 0xFFFB;
constexpr uint32_t kRawInvalidFilter = 0xFFF9;

// Byte k of the event; bytes beyond the text read as 0.
uint32_t ByteAt(std::string_view hex, int32_t k) {
    if (k < 0 || hex.size() < 2 * static_cast<size_t>(k) + 2) return 0;
    return HexToByte(hex.substr(2 * static_cast<size_t>(k), 2));
}

uint32_t WordAt(std::string_view hex, int32_t k) { return ByteAt(hex, k) * 256 + ByteAt(hex, k + 1); }

// A BCD byte read as a two-digit decimal number. A pair that is not decimal (FF in a
// blank area) reads as 0: the file or the conversion must go on.
int32_t DecimalPairAt(std::string_view hex, int32_t k) {
    if (k < 0 || hex.size() < 2 * static_cast<size_t>(k) + 2) return 0;
    const char high = hex[2 * static_cast<size_t>(k)];
    const char low = hex[2 * static_cast<size_t>(k) + 1];
    if (high < '0' || high > '9' || low < '0' || low > '9') return 0;
    return (high - '0') * 10 + (low - '0');
}

uint8_t TemperatureStatus(uint32_t raw) {
    switch (raw) {
        case kRawNoValue: return kStatusNoValue;
        case kRawAbsent: return kStatusAbsent;
        case kRawBelowRange: return kStatusBelowRange;
        case kRawAboveRange: return kStatusAboveRange;
        default: return kStatusNormal;
    }
}

int64_t Truncated(float value) { return static_cast<int64_t>(std::trunc(value)); }

std::string TwoDigitTriple(int32_t a, const std::string& sep, int32_t b, int32_t c) {
    char text[64];
    std::snprintf(text, sizeof text, "%02d%s%02d%s%02d", a, sep.c_str(), b, sep.c_str(), c);
    return text;
}

std::string PlainTriple(int32_t a, const std::string& sep, int32_t b, int32_t c) {
    return std::to_string(a) + sep + std::to_string(b) + sep + std::to_string(c);
}

std::string HexOf(int64_t value, int minDigits) {
    char text[32];
    std::snprintf(text, sizeof text, "%0*X", minDigits, static_cast<uint32_t>(value));
    return text;
}

std::string Quote(const TextFormatOptions& options, const std::string& text) {
    return options.Quoted ? "\"" + text + "\"" : text;
}

}  // namespace

const TextFormatOptions& TextOptionsOf(const THostData* host) {
    static const TextFormatOptions defaults;
    return host != nullptr && host->Dictionary != nullptr ? host->Dictionary->Options : defaults;
}

// ---- TScnElement ------------------------------------------------------------------

TScnElement::TScnElement(const ElementDescriptor& descriptor, std::string_view, TEvenement* owner)
    : Descriptor(&descriptor), Owner(owner) {}

void TScnElement::BindInstrument(const InstrumentType*) {}

const THostData* TScnElement::HostData() const { return Owner != nullptr ? Owner->HostData() : nullptr; }

const TextFormatOptions& TScnElement::TextOptions() const { return TextOptionsOf(HostData()); }

char TScnElement::DecimalSeparator() const {
    const THostData* host = HostData();
    return host != nullptr ? host->DecimalSeparator : ',';
}

std::string TScnElement::GetASCIIString() const { return "???"; }

std::string TScnElement::GetDescription() const { return BaseDescription(); }

std::string TScnElement::BaseDescription() const {
    const ElementDescriptor& d = *Descriptor;
    std::string text = d.ElementType != nullptr ? d.ElementType->Name : std::string();
    if (d.FilterNumber > 0) {
        text += " Filtre";
        if (!d.FilterGroup.empty()) text += " " + d.FilterGroup;
        text += " n°" + std::to_string(d.FilterNumber);
    }
    if (d.HasAngle) text += " Angle " + FormatFixed(d.Angle, 1, 6, DecimalSeparator());
    return text;
}

// ---- Date and time ------------------------------------------------------------------

TScnElement_Dat::TScnElement_Dat(const ElementDescriptor& descriptor, std::string_view hex, TEvenement* owner)
    : TScnElement(descriptor, hex, owner) {
    if (descriptor.ValueCode != VAL_DATE) return;
    Year = ExpandYear(DecimalPairAt(hex, descriptor.Offset));
    Month = DecimalPairAt(hex, descriptor.Offset + 1);
    Day = DecimalPairAt(hex, descriptor.Offset + 2);
}

std::string TScnElement_Dat::GetASCIIString() const {
    const TextFormatOptions& options = TextOptions();
    if (options.ZeroPadded)
        return Quote(options, TwoDigitTriple(Day, options.DateSeparator, Month,
                                             options.FourDigitYear ? Year : Year % 100));
    return Quote(options, PlainTriple(Day, options.DateSeparator, Month, Year));
}

TScnElement_Time::TScnElement_Time(const ElementDescriptor& descriptor, std::string_view hex, TEvenement* owner)
    : TScnElement(descriptor, hex, owner) {
    if (descriptor.ValueCode != VAL_TIME) return;
    Hour = DecimalPairAt(hex, descriptor.Offset);
    Minute = DecimalPairAt(hex, descriptor.Offset + 1);
    Second = DecimalPairAt(hex, descriptor.Offset + 2);
}

std::string TScnElement_Time::GetASCIIString() const {
    const TextFormatOptions& options = TextOptions();
    if (options.ZeroPadded) return Quote(options, TwoDigitTriple(Hour, options.TimeSeparator, Minute, Second));
    return Quote(options, PlainTriple(Hour, options.TimeSeparator, Minute, Second));
}

// ---- Measurements -------------------------------------------------------------------

TScnElement_Mes::TScnElement_Mes(const ElementDescriptor& descriptor, std::string_view hex, TEvenement* owner)
    : TScnElement(descriptor, hex, owner) {
    const int32_t at = descriptor.Offset;
    // Scale factors in extended precision, stored as a 32-bit float.
    switch (descriptor.ValueCode) {
        case VAL_CN: {
            const uint32_t raw = WordAt(hex, at);
            Value = static_cast<float>(raw);
            if (raw == kRawAbsent) Status = kStatusAbsent;
            break;
        }
        case VAL_TEMP: {
            const uint32_t raw = WordAt(hex, at);
            Value = static_cast<float>((static_cast<long double>(raw) - 400) * 0.1L);
            Status = TemperatureStatus(raw);
            break;
        }
        case VAL_BYTECN: Value = static_cast<float>(ByteAt(hex, at)); break;
        case VAL_TEMP2: {
            const uint32_t raw = WordAt(hex, at);
            Value = static_cast<float>((static_cast<long double>(raw) - 3200) * 0.0125L);
            Status = TemperatureStatus(raw);
            break;
        }
        case VAL_BAT: Value = static_cast<float>(static_cast<long double>(ByteAt(hex, at)) * 0.04L); break;
        case VAL_CN3BYTES: Value = static_cast<float>(WordAt(hex, at) * 256 + ByteAt(hex, at + 2)); break;
        case VAL_BAT2: Value = static_cast<float>(static_cast<long double>(WordAt(hex, at)) * 0.01L); break;
        default: break;
    }
}

std::string TScnElement_Mes::GetASCIIString() const {
    const TextFormatOptions& options = TextOptions();
    const ElementDescriptor& d = *Descriptor;
    if (!options.RawValues) {
        switch (Status) {
            case kStatusAbsent: return "Abs.";
            case kStatusBelowRange: return "<<<<";
            case kStatusNoValue: return "----";
            case kStatusAboveRange: return ">>>>";
            default: break;
        }
        const int64_t whole = Truncated(Value);
        for (const ValueLabel& label : d.ValueLabels)
            if (label.Value == whole) return label.Text;
    }
    switch (d.Format) {
        case kFormatDecimal: return FormatFixed(Value, d.Decimals, 6, DecimalSeparator());
        case kFormatChar: {
            // The host's texts are Windows-1252: a high byte is a letter of that page.
            const char c = static_cast<char>(Truncated(Value) & 0xFF);
            return Cp1252ToUtf8(std::string_view(&c, 1));
        }
        case kFormatHex: return "0x" + HexOf(Truncated(Value), d.ValueCode == VAL_BYTECN ? 2 : 4);
        default: return "???";
    }
}

TScnElement_MesFilter::TScnElement_MesFilter(const ElementDescriptor& descriptor, std::string_view hex,
                                             TEvenement* owner)
    : TScnElement(descriptor, hex, owner) {
    const uint32_t raw = WordAt(hex, descriptor.Offset);
    switch (descriptor.ValueCode) {
        case VAL_CN: Value = static_cast<float>(raw); break;
        case VAL_SCN: {
            // Sign and magnitude.
            const int32_t signedValue =
                (raw & 0x8000) != 0 ? -static_cast<int32_t>(raw - 32768) : static_cast<int32_t>(raw);
            Value = static_cast<float>(signedValue);
            break;
        }
        default: return;
    }
    if (raw == kRawInvalidFilter) Status = kStatusInvalidFilter;
}

void TScnElement_MesFilter::BindInstrument(const InstrumentType* type) {
    const ElementDescriptor& d = *Descriptor;
    if (d.FilterNumber > 0) Filter = FindFilter(type, d.FilterNumber, d.FilterGroup);
    if (d.FilterNumber != -1 || Owner == nullptr) return;
    for (const auto& element : Owner->Elements) {
        const skylog::ElementType* elementType = element->Descriptor->ElementType;
        if (elementType == nullptr || elementType->Code != d.FilterSource) continue;
        const int32_t number = ParseInt32(element->ASCIIString()).value_or(-1);
        if (number != -1) Filter = FindFilter(type, number, d.FilterGroup);
        return;
    }
}

std::string TScnElement_MesFilter::GetASCIIString() const {
    if (Status == kStatusInvalidFilter && !TextOptions().RawValues) return "!!!!";
    return std::to_string(Truncated(Value));
}

std::string TScnElement_MesFilter::GetDescription() const {
    if (Filter == nullptr) return BaseDescription();
    std::string text;
    if (Descriptor->HasAngle) text = FormatFixed(Descriptor->Angle, 1, 6, DecimalSeparator()) + "° ";
    return text + FilterLabel(*Filter, DecimalSeparator());
}

// ---- Factory ------------------------------------------------------------------------

int32_t ElementByteCount(int32_t valueCode) {
    switch (valueCode) {
        case VAL_DATE:
        case VAL_TIME:
        case VAL_CN3BYTES: return 3;
        case VAL_CN:
        case VAL_TEMP:
        case VAL_TEMP2:
        case VAL_SCN:
        case VAL_BAT2: return 2;
        case VAL_BYTECN:
        case VAL_BYTEHEX:
        case VAL_BYTEREAL:
        case VAL_BAT: return 1;
        default: return 0;
    }
}

std::unique_ptr<TScnElement> CreateScnElement(const ElementDescriptor& descriptor, std::string_view hex,
                                              TEvenement* owner) {
    const int32_t kind = descriptor.ElementType != nullptr ? descriptor.ElementType->ElementClassKind : 0;
    switch (kind) {
        case kClassDate: return std::make_unique<TScnElement_Dat>(descriptor, hex, owner);
        case kClassTime: return std::make_unique<TScnElement_Time>(descriptor, hex, owner);
        case kClassMesFilter: return std::make_unique<TScnElement_MesFilter>(descriptor, hex, owner);
        case kClassMes: return std::make_unique<TScnElement_Mes>(descriptor, hex, owner);
        default: return std::make_unique<TScnElement>(descriptor, hex, owner);
    }
}

}  // namespace skylog
