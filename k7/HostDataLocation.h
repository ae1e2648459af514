#pragma once
#include <string>

namespace skylog {

// The folder of the host's instrument types and event dictionary for a program that
// loads them itself: the option given, else $SKYLOG_HOST_DATA, else the installed
// share/skylog/host beside the program (in the build tree, a copy of sample/host).
[[nodiscard]] std::string HostDataFolder(const std::string& option, const char* argv0);

}  // namespace skylog
