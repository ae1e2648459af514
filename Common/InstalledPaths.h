#pragma once
// Where the files installed with the programs lie, found from a program's own folder:
// PREFIX/bin/skylog finds PREFIX/share/skylog/host, whatever PREFIX is, so that an
// install anywhere works without environment variables. The build tree has the same
// shape (build/cli/skylog and build/share/skylog/host).

#include <string>

namespace skylog {

enum class TInstalled { PlugIns, HostData, Manual };

// The running program (/proc/self/exe, else argv0 made absolute); empty when neither
// tells.
[[nodiscard]] std::string ProgramFile(const char* argv0 = nullptr);
// Its folder.
[[nodiscard]] std::string ProgramFolder(const char* argv0 = nullptr);

// The folder where `what` is installed for a program lying in programFolder.
[[nodiscard]] std::string InstalledFolder(TInstalled what, const std::string& programFolder);

}  // namespace skylog
