#include "forms/BodyChars.h"

#include "dcp/UDCPList.h"
#include "k7/UEvenement.h"

namespace skylog::forms {

std::vector<TBodyScenario> BodyScenarios(const TDCPDataBloc& block) {
    std::vector<TBodyScenario> scenarios;
    for (const TEvenement* event : block.Events) scenarios.push_back({event->DescString(), {}});
    return scenarios;
}

std::vector<TBodyChars> ElementChars(const TDCPDataBloc&, size_t) { return {}; }

}  // namespace skylog::forms
