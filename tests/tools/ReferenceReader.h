#pragma once
// A plain re-reading of scenario characters the way the receiving converter reads
// them (shared reading position, the byte stream's phases and kept byte, fields that
// run short continuing at index 17 of the next message). Tests use it to check the
// generator's encoding without the engine.

#include <cstdint>
#include <string>
#include <vector>

#include "tools/gen/ScenarioTable.h"

namespace skylog::gen::test {

struct ReferenceResult {
    std::vector<uint8_t> event;
    bool incomplete = false;
    bool badEnd = false;
    bool usedNext = false;
};

struct ReferenceBlock {
    std::string body;
    size_t dataEnd = 0;
    int blockYear = 2005;
};

// Reads the scenario whose marker is at `markerIndex` of `first`; `next` (may be null)
// is the following message, used when a field runs short.
[[nodiscard]] ReferenceResult ReadScenario(const ScenarioLayout& layout, const ReferenceBlock& first,
                                           size_t markerIndex, const ReferenceBlock* next);

}  // namespace skylog::gen::test
