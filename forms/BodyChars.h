#pragma once
// The characters of a message body behind each decoded scenario and element, as the
// viewers show them: read from the map that the block's decoding keeps.

#include <cstddef>
#include <optional>
#include <vector>

#include "forms/ViewBodyModel.h"

namespace skylog {
class TDCPDataBloc;
}  // namespace skylog

namespace skylog::forms {

// The scenarios read from the block, in reading order: those that gave an event by its
// description, those refused by their error's text.
[[nodiscard]] std::vector<TBodyScenario> BodyScenarios(const TDCPDataBloc& block);
inline constexpr const char* kRefusedScenario = "Scénario refusé";
// The scenario of BodyScenarios that gave entry `entry` of the block's Events.
[[nodiscard]] std::optional<size_t> ScenarioOfEntry(const TDCPDataBloc& block, size_t entry);
// The characters of each element of entry `entry` of the block's Events, in element
// order; empty when the block's map does not know the entry.
[[nodiscard]] std::vector<TBodyChars> ElementChars(const TDCPDataBloc& block, size_t entry);

}  // namespace skylog::forms
