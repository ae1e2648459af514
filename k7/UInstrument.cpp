#include "k7/UInstrument.h"

#include <algorithm>

#include "Common/UUtils.h"
#include "k7/FloatFormat.h"

namespace skylog {

namespace {

bool HoldsIdent(const InstrumentType& type, std::string_view ident) {
    return std::find(type.Idents.begin(), type.Idents.end(), ident) != type.Idents.end();
}

}  // namespace

std::string TypeIdent(uint8_t code) { return "SP" + ByteToHexString(code) + "0000"; }

const InstrumentType* FindInstrumentType(const InstrumentTypeList* list, std::string_view ident) {
    if (list == nullptr) return nullptr;
    for (const InstrumentType& type : list->Types)
        if (HoldsIdent(type, ident)) return &type;
    return nullptr;
}

std::string InstrumentTypeName(const InstrumentTypeList* list, uint8_t code) {
    if (const InstrumentType* type = FindInstrumentType(list, TypeIdent(code))) return type->Name;
    return "Inconnu (" + std::to_string(code) + ", 0x" + ByteToHexString(code) + ")";
}

std::string InstrumentTypeNameOfIdent(const InstrumentTypeList* list, std::string_view ident) {
    if (const InstrumentType* type = FindInstrumentType(list, ident)) return type->Name;
    return "Inconnu (" + std::string(ident) + ")";
}

// Every block asks: the identification is built on the stack.
bool IsUnknownInstrumentCode(const InstrumentTypeList* list, uint8_t code) {
    char ident[8] = {'S', 'P', 0, 0, '0', '0', '0', '0'};
    ByteToHex(code, ident + 2);
    return FindInstrumentType(list, std::string_view(ident, sizeof ident)) == nullptr;
}

const InstrumentFilter* FindFilter(const InstrumentType* type, int32_t number, std::string_view name) {
    if (type == nullptr) return nullptr;
    for (const InstrumentFilter& filter : type->Filters)
        if (filter.Name == name && filter.Number == number) return &filter;
    return nullptr;
}

std::string FilterText(const InstrumentFilter& filter, char decimalSeparator) {
    if (filter.Wavelength == 0) return "";
    std::string text = FormatFixed(filter.Wavelength, 0, 6, decimalSeparator);
    if (filter.Polarized) return text + " P" + std::to_string(filter.PolarNumber);
    return text + " nm";
}

std::string FilterLabel(const InstrumentFilter& filter, char decimalSeparator) {
    std::string label = filter.Name + " " + FilterText(filter, decimalSeparator);
    if (!filter.Comment.empty()) label += " " + filter.Comment;
    return label;
}

}  // namespace skylog
