#include "forms/BodyChars.h"

#include "dcp/ScenarioMap.h"
#include "dcp/UDCPList.h"
#include "dcp/UDCPReport.h"
#include "k7/UEvenement.h"

namespace skylog::forms {
namespace {

std::vector<TBodyRange> rangesOf(const std::vector<TCharRange>& chars) {
    std::vector<TBodyRange> ranges;
    for (const TCharRange& range : chars)
        if (!range.empty() && range.From >= 0)
            ranges.push_back({static_cast<size_t>(range.From), static_cast<size_t>(range.To - range.From)});
    return ranges;
}

// A scenario the converter refused gave no event: its error record says why.
std::string refusedText(const TDCPDataBloc& block, const TScenarioSpan& span) {
    if (span.ErrorIndex >= 0 && static_cast<size_t>(span.ErrorIndex) < block.Errors.size())
        return ErrorText(block.Errors[static_cast<size_t>(span.ErrorIndex)]);
    return kRefusedScenario;
}

}  // namespace

std::vector<TBodyScenario> BodyScenarios(const TDCPDataBloc& block) {
    std::vector<TBodyScenario> scenarios;
    for (const TScenarioSpan& span : TScenarioMap(block))
        scenarios.push_back({span.Event ? span.Event->DescString() : refusedText(block, span),
                             {rangesOf({span.Chars}), span.ContinuesInNext}});
    return scenarios;
}

std::optional<size_t> ScenarioOfEntry(const TDCPDataBloc& block, size_t entry) {
    return TScenarioMap(block).ScenarioOfEntry(entry);
}

std::vector<TBodyChars> ElementChars(const TDCPDataBloc& block, size_t entry) {
    const TScenarioMap map(block);
    const std::optional<size_t> scenario = map.ScenarioOfEntry(entry);
    std::vector<TBodyChars> elements;
    if (!scenario) return elements;
    for (const TElementSpan& element : map[*scenario].Elements)
        elements.push_back({rangesOf(element.Chars), element.ContinuesInNext});
    return elements;
}

}  // namespace skylog::forms
