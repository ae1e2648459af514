#include "k7/HostDataLocation.h"

#include <cstdlib>

#include "Common/InstalledPaths.h"

namespace skylog {

std::string HostDataFolder(const std::string& option, const char* argv0) {
    if (!option.empty()) return option;
    if (const char* env = std::getenv("SKYLOG_HOST_DATA"); env && *env) return env;
    return InstalledFolder(TInstalled::HostData, ProgramFolder(argv0));
}

}  // namespace skylog
