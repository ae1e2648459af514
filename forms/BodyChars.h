#pragma once
// The characters of a message body behind each decoded scenario and element, as the
// viewers show them: read from the map that the block's decoding keeps.

#include <vector>

#include "forms/ViewBodyModel.h"

namespace skylog {
class TDCPDataBloc;
class TEvenement;
}  // namespace skylog

namespace skylog::forms {

// One entry per event of the block, in the order of its Events.
[[nodiscard]] std::vector<TBodyScenario> BodyScenarios(const TDCPDataBloc& block);
// The characters of each element of one of the block's events, in element order; empty
// when the block's map does not know the event.
[[nodiscard]] std::vector<TBodyChars> ElementChars(const TDCPDataBloc& block, const TEvenement& event);

}  // namespace skylog::forms
