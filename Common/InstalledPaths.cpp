#include "Common/InstalledPaths.h"

#include <filesystem>

namespace skylog {

std::string ProgramFile(const char* argv0) {
    std::error_code ec;
    std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec) {
        if (!argv0 || !*argv0) return {};
        program = std::filesystem::absolute(argv0, ec);
        if (ec) return {};
    }
    return program.string();
}

std::string ProgramFolder(const char* argv0) {
    return std::filesystem::path(ProgramFile(argv0)).parent_path().string();
}

std::string InstalledFolder(TInstalled what, const std::string& programFolder) {
    // Relative to the installed programs' folder; set by CMake from GNUInstallDirs.
    const char* relative = what == TInstalled::PlugIns    ? SKYLOG_BIN_TO_PLUGINS
                           : what == TInstalled::HostData ? SKYLOG_BIN_TO_HOSTDATA
                                                          : SKYLOG_BIN_TO_MANUAL;
    return (std::filesystem::path(programFolder) / relative).lexically_normal().string();
}

}  // namespace skylog
