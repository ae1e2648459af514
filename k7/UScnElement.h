#pragma once
// Scenario elements: the date, the time and the measurements of a decoded K7 event,
// each described by an ElementDescriptor of the host's dictionary. An element decodes
// its bytes once, when created, and renders them with the text options and the
// decimal separator of the host data its event's K7 file was given (the defaults of
// TextFormatOptions and ',' for an element without one).

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "k7/HostData.h"

namespace skylog {

class TEvenement;

// Status values of a measurement.
constexpr uint8_t kStatusNormal = 0;
constexpr uint8_t kStatusAbsent = 1;
constexpr uint8_t kStatusBelowRange = 2;
constexpr uint8_t kStatusInvalidFilter = 3;
constexpr uint8_t kStatusNoValue = 4;
constexpr uint8_t kStatusAboveRange = 5;

class TScnElement {
public:
    // hex: the event's bytes as hex text (two characters per byte). The descriptor
    // belongs to the host; the owner (may be null) holds this element.
    TScnElement(const ElementDescriptor& descriptor, std::string_view hex, TEvenement* owner);
    virtual ~TScnElement() = default;
    TScnElement(const TScnElement&) = delete;
    TScnElement& operator=(const TScnElement&) = delete;

    const ElementDescriptor* Descriptor;  // host-owned
    TEvenement* Owner;                    // not owned; may be null
    uint8_t Status = kStatusNormal;

    [[nodiscard]] std::string ASCIIString() const { return GetASCIIString(); }
    [[nodiscard]] std::string Description() const { return GetDescription(); }
    // Only measurements with a filter use the instrument type (may be null).
    virtual void BindInstrument(const InstrumentType* type);

protected:
    [[nodiscard]] virtual std::string GetASCIIString() const;
    [[nodiscard]] virtual std::string GetDescription() const;
    [[nodiscard]] std::string BaseDescription() const;
    // The host data of the owner's K7 file, or null.
    [[nodiscard]] const THostData* HostData() const;
    [[nodiscard]] const TextFormatOptions& TextOptions() const;
    [[nodiscard]] char DecimalSeparator() const;
};

class TScnElement_Dat : public TScnElement {
public:
    TScnElement_Dat(const ElementDescriptor& descriptor, std::string_view hex, TEvenement* owner);
    // A byte that is not a decimal pair (for example FF) reads as 0.
    int32_t Year = 0, Month = 0, Day = 0;

protected:
    [[nodiscard]] std::string GetASCIIString() const override;
};

class TScnElement_Time : public TScnElement {
public:
    TScnElement_Time(const ElementDescriptor& descriptor, std::string_view hex, TEvenement* owner);
    // A byte that is not a decimal pair reads as 0.
    int32_t Hour = 0, Minute = 0, Second = 0;

protected:
    [[nodiscard]] std::string GetASCIIString() const override;
};

class TScnElement_Mes : public TScnElement {
public:
    TScnElement_Mes(const ElementDescriptor& descriptor, std::string_view hex, TEvenement* owner);
    float Value = 0.0f;

protected:
    [[nodiscard]] std::string GetASCIIString() const override;
};

class TScnElement_MesFilter : public TScnElement {
public:
    TScnElement_MesFilter(const ElementDescriptor& descriptor, std::string_view hex, TEvenement* owner);
    float Value = 0.0f;
    const InstrumentFilter* Filter = nullptr;  // host-owned

    void BindInstrument(const InstrumentType* type) override;

protected:
    [[nodiscard]] std::string GetASCIIString() const override;
    [[nodiscard]] std::string GetDescription() const override;
};

// The event bytes an element of this ValueCode stands on (one for the byte codes that
// no class decodes); 0 for a code that names none.
[[nodiscard]] int32_t ElementByteCount(int32_t valueCode);

// The element class named by the descriptor's ElementType (plain element when none).
[[nodiscard]] std::unique_ptr<TScnElement> CreateScnElement(const ElementDescriptor& descriptor,
                                                            std::string_view hex, TEvenement* owner);

// The text options of the host's dictionary, or the defaults without one.
[[nodiscard]] const TextFormatOptions& TextOptionsOf(const THostData* host);

}  // namespace skylog
