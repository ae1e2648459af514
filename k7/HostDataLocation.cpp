#include "k7/HostDataLocation.h"

#include <cstdlib>
#include <filesystem>

#include "Common/FileUtil.h"

namespace skylog {

std::string HostDataFolder(const std::string& option, const char* argv0) {
    if (!option.empty()) return option;
    if (const char* env = std::getenv("SKYLOG_HOST_DATA"); env && *env) return env;
    std::error_code ec;
    auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec && argv0) exe = std::filesystem::absolute(argv0, ec);
    if (!ec) {
        auto installed = exe.parent_path().parent_path() / "share" / "skylog" / "host";
        if (DirectoryExists(installed.string())) return installed.string();
    }
    return SKYLOG_SOURCE_DIR "/sample/host";
}

}  // namespace skylog
