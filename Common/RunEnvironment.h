#pragma once
// What every part of the engine reaches during one run: the run's settings (its
// working directory among them), the reporter that shows warnings and questions to
// the user, and the clock. The run (plugin/USkylog) owns all three and hands this
// bundle to the objects it builds; they keep it for their lifetime, so the run must
// outlive them. Two runs in one process each have their own.

#include <string>

#include "Common/Clock.h"
#include "Common/MessageBoxes.h"
#include "Common/Settings.h"

namespace skylog {

struct TRunEnvironment {
    TSkylogSettings& Settings;
    IMessageBoxes& Reporter;
    const IClock& Clock;

    // Ends with "/"; every data path is formed by appending a relative name to it.
    [[nodiscard]] const std::string& WorkDir() const { return Settings.WorkDir; }
};

}  // namespace skylog
