#pragma once
// The characters of a message body behind each decoded scenario and element, as the
// viewers show them: read from the map that the block's decoding keeps.

#include <cstddef>
#include <vector>

#include "forms/ViewBodyModel.h"

namespace skylog {
class TDCPDataBloc;
}  // namespace skylog

namespace skylog::forms {

// One entry per event of the block, in the order of its Events.
[[nodiscard]] std::vector<TBodyScenario> BodyScenarios(const TDCPDataBloc& block);
// The characters of each element of entry `entry` of the block's Events, in element
// order; empty when the block's map does not know the entry.
[[nodiscard]] std::vector<TBodyChars> ElementChars(const TDCPDataBloc& block, size_t entry);

}  // namespace skylog::forms
