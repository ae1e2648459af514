#pragma once
// A run environment of a test's own: default settings on a working directory,
// recorded message boxes and a fixed clock.

#include <string>

#include "Common/Clock.h"
#include "Common/MessageBoxes.h"
#include "Common/RunEnvironment.h"
#include "Common/Settings.h"

namespace skylog::test {

struct TestEnvironment {
    explicit TestEnvironment(std::string workDir = {}, TDateTime now = 38418.5) : clock(now) {
        settings.WorkDir = std::move(workDir);
    }
    TestEnvironment(const TestEnvironment&) = delete;
    TestEnvironment& operator=(const TestEnvironment&) = delete;

    [[nodiscard]] TRunEnvironment Env() { return {settings, boxes, clock}; }

    TSkylogSettings settings;
    RecordingMessageBoxes boxes;
    TFixedClock clock;
};

}  // namespace skylog::test
