#pragma once
// Lookups in the host's instrument types. Every lookup walks the list in order and
// stops at the first match; a null list behaves as an empty one.

#include <cstdint>
#include <string>
#include <string_view>

#include "k7/HostData.h"

namespace skylog {

// "SP" + two uppercase hex digits + "0000" (26 -> SP1A0000).
[[nodiscard]] std::string TypeIdent(uint8_t code);

[[nodiscard]] const InstrumentType* FindInstrumentType(const InstrumentTypeList* list, std::string_view ident);

[[nodiscard]] std::string InstrumentTypeName(const InstrumentTypeList* list, uint8_t code);

[[nodiscard]] std::string InstrumentTypeNameOfIdent(const InstrumentTypeList* list, std::string_view ident);

[[nodiscard]] bool IsUnknownInstrumentCode(const InstrumentTypeList* list, uint8_t code);

// First filter of the type with that name and number; null type gives null.
[[nodiscard]] const InstrumentFilter* FindFilter(const InstrumentType* type, int32_t number,
                                                 std::string_view name);

// "870 nm", "870 P2", or "" when the filter has no wavelength; a wavelength too large
// for six digits is written in scientific form, with the decimal separator.
[[nodiscard]] std::string FilterText(const InstrumentFilter& filter, char decimalSeparator = ',');
// Name + " " + FilterText, then " " + Comment when there is one.
[[nodiscard]] std::string FilterLabel(const InstrumentFilter& filter, char decimalSeparator = ',');

}  // namespace skylog
