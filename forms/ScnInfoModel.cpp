#include "forms/ScnInfoModel.h"

#include "k7/UEvenement.h"

namespace skylog::forms {

std::optional<std::string> ScnProblemText(uint8_t errorCode, bool hasDescriptor, bool empty) {
    if (errorCode == kEvtBadLength) return kScnWrongSize;
    if (!hasDescriptor) return kScnUnknown;
    if (empty) return kScnEmpty;
    return std::nullopt;
}

std::optional<std::string> ScnProblemText(const TEvenement& event) {
    return ScnProblemText(event.ErrorCode, event.Descriptor != nullptr, event.Empty);
}

std::vector<TScnInfoLine> ScnInfoLines(const TEvenement& event, bool debug) {
    std::vector<TScnInfoLine> lines;
    if (event.Elements.empty()) return lines;
    if (debug && event.Descriptor) lines.push_back({"Scn: " + std::to_string(event.Descriptor->StatusCode)});
    int32_t position = 0;
    for (const auto& element : event.Elements) {
        const ElementType* type = element->Descriptor->ElementType;
        lines.push_back({element->Description() + ": " + element->ASCIIString(), type ? type->ImageIndex : -1, position++});
    }
    return lines;
}

}  // namespace skylog::forms
