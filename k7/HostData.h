#pragma once
// The host's read-only data: instrument types and the K7 event dictionary. The host
// owns them; without a host, HostDataLoader builds a HostDataSet from text files.
// Events, elements and K7 files keep raw pointers into these objects, so the data
// must outlive every engine object and must not be changed once handed over.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace skylog {

// ---- Instrument types ------------------------------------------------------------

struct InstrumentFilter {
    int32_t Number = 0;       // as carried in measurements
    double Wavelength = 0.0;  // nanometres; 0 = none
    std::string Name;         // group name; several filters may share a number
    std::string Comment;
    bool Polarized = false;
    int32_t PolarNumber = 0;  // shown when Polarized
};

struct InstrumentType {
    std::string Name;
    std::vector<std::string> Idents;  // identification strings designating this type
    std::vector<InstrumentFilter> Filters;
};

// Ordered: every lookup takes the first match.
struct InstrumentTypeList {
    std::vector<InstrumentType> Types;
};

// ---- Event dictionary ------------------------------------------------------------

// Values of ElementType::ElementClassKind; any other value makes a plain element.
constexpr int32_t kClassDate = 1;
constexpr int32_t kClassTime = 2;
constexpr int32_t kClassMesFilter = 3;
constexpr int32_t kClassMes = 4;

struct ElementType {
    int32_t ImageIndex = 0;
    int32_t ElementClassKind = 0;
    std::string Code;
    std::string Name;
};

// How an element's bytes are decoded (ElementDescriptor::ValueCode).
constexpr int32_t VAL_CN = 1;
constexpr int32_t VAL_TEMP = 2;
constexpr int32_t VAL_DATE = 3;
constexpr int32_t VAL_TIME = 4;
constexpr int32_t VAL_BYTECN = 5;
constexpr int32_t VAL_BYTEHEX = 6;
constexpr int32_t VAL_BYTEREAL = 7;
constexpr int32_t VAL_TEMP2 = 8;
constexpr int32_t VAL_BAT = 9;
constexpr int32_t VAL_CN3BYTES = 10;
constexpr int32_t VAL_SCN = 11;
constexpr int32_t VAL_BAT2 = 12;

// ElementDescriptor::Format
constexpr int32_t kFormatDecimal = 0;
constexpr int32_t kFormatChar = 1;
constexpr int32_t kFormatHex = 2;

struct ValueLabel {
    std::string Text;
    int32_t Value = 0;
};

struct ElementDescriptor {
    int32_t Decimals = 0;
    int32_t Format = kFormatDecimal;
    std::string FilterSource;  // element type code giving the filter number (FilterNumber -1)
    int32_t FilterNumber = 0;  // 0 none, -1 from another element
    std::string FilterGroup;
    bool HasAngle = false;
    float Angle = 0.0f;
    std::vector<ValueLabel> ValueLabels;
    const skylog::ElementType* ElementType = nullptr;  // not owned; null = plain element
    int32_t ValueCode = 0;
    int32_t Offset = 0;  // index of the first byte in the event (0 = type byte)
};

// Kind 1: the event byte at Index equals Value; other kinds never hold.
struct EventCondition {
    int32_t Kind = 1;
    int32_t Index = 0;
    bool Mandatory = false;
    uint8_t Value = 0;
};

struct EventDescriptor {
    std::vector<ElementDescriptor> Elements;
    std::vector<std::string> IdentRanges;  // (low, high) pairs; empty = every instrument
    std::vector<EventCondition> Conditions;
    std::string Symbol;
    std::string Description;
    uint8_t Type = 0;
    int32_t StatusCode = 0;
    int32_t Length = 0;  // 0 = any length
};

struct TextFormatOptions {
    bool FourDigitYear = true;
    bool Quoted = false;
    bool ZeroPadded = true;
    bool RawValues = false;
    std::string DecimalSeparator = ",";
    std::string TimeSeparator = ":";
    std::string DateSeparator = "/";
    std::string ElementSeparator = ";";
};

struct EventDictionary {
    std::vector<EventDescriptor> Descriptors;  // ordered: the first match wins
    TextFormatOptions Options;
};

// ---- The host's data as a run sees it -----------------------------------------------

// What the host handed over, as one run reads it: its instrument types, its event
// dictionary (either may be null: nothing known) and its decimal separator. Not
// owned; the data must outlive every object given this view.
struct THostData {
    const InstrumentTypeList* InstrumentTypes = nullptr;
    const EventDictionary* Dictionary = nullptr;
    char DecimalSeparator = ',';
};

// ---- Owner of the data when there is no host --------------------------------------

// Owns the element types that the dictionary points to (each on its own allocation,
// so the pointers stay valid whatever happens to the list), the instrument types and
// the dictionary. Not copyable: the dictionary's pointers would refer to the original.
struct HostDataSet {
    HostDataSet() = default;
    HostDataSet(const HostDataSet&) = delete;
    HostDataSet& operator=(const HostDataSet&) = delete;

    std::vector<std::unique_ptr<ElementType>> ElementTypes;
    InstrumentTypeList InstrumentTypes;
    EventDictionary Dictionary;
};

}  // namespace skylog
