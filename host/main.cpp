// skylog-host: a small stand-in for the ORMA host application. It loads the plug-ins
// of its plug-in folder, fills the host record from the host-data text files and
// shows their entries under "Traitements"; --run executes Skylog at once.

#include <QApplication>
#include <QLocale>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

#include "Common/Encoding.h"
#include "Common/FileUtil.h"
#include "Common/InstalledPaths.h"
#include "host/HostFrm.h"
#include "k7/HostDataLoader.h"
#include "k7/HostDataLocation.h"

namespace {

constexpr const char* kUsage =
    "usage: skylog-host [--run] [--debug] [--decimal-separator C] [--plugin-dir DIR] [--host-data DIR]\n"
    "       skylog-host --version | --help\n"
    "  --run                  execute the Skylog plug-in at once, quit when its window closes\n"
    "  --debug                set the host's debug flag (debug panels of the viewers)\n"
    "  --decimal-separator C  decimal separator handed to the plug-ins (default: the locale's)\n"
    "  --plugin-dir DIR       folder of the plug-ins (default: $SKYLOG_PLUGIN_DIR, else the\n"
    "                         installed lib/skylog/plugins beside this program)\n"
    "  --host-data DIR        instrument types and event dictionary (default: $SKYLOG_HOST_DATA,\n"
    "                         else the installed share/skylog/host)\n"
    "  --version              print the version and quit\n"
    "  --help                 print this help and quit\n";

std::string plugInFolder(const std::string& option, const std::string& exe) {
    if (!option.empty()) return option;
    if (const char* env = std::getenv("SKYLOG_PLUGIN_DIR"); env && *env) return env;
    return skylog::InstalledFolder(skylog::TInstalled::PlugIns, std::filesystem::path(exe).parent_path().string());
}

}  // namespace

int main(int argc, char** argv) {
    bool run = false, debug = false;
    std::string separator, plugInDir, hostDataDir;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        auto value = [&](std::string& into) {
            if (i + 1 >= argc) return false;
            into = argv[++i];
            return true;
        };
        if (arg == "--run") {
            run = true;
        } else if (arg == "--debug") {
            debug = true;
        } else if ((arg == "--decimal-separator" && value(separator)) || (arg == "--plugin-dir" && value(plugInDir)) ||
                   (arg == "--host-data" && value(hostDataDir))) {
        } else if (arg == "--version") {
            std::fputs("skylog-host " SKYLOG_VERSION "\n", stdout);
            return 0;
        } else if (arg == "--help" || arg == "-h") {
            std::fputs(kUsage, stdout);
            return 0;
        } else {
            std::fprintf(stderr, "skylog-host: unknown or incomplete option %s\n%s", arg.c_str(), kUsage);
            return 2;
        }
    }
    if (!separator.empty() && skylog::Utf8ToCp1252(separator).size() != 1) {
        std::fprintf(stderr, "skylog-host: --decimal-separator takes one character, not \"%s\"\n", separator.c_str());
        return 2;
    }

    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("skylog-host"));

    const std::string exe = skylog::ProgramFile(argv[0]);
    skylog::host::THostOptions options;
    try {
        options.HostData = skylog::LoadHostData(skylog::HostDataFolder(hostDataDir, argv[0]));
    } catch (const std::exception& e) {
        std::fprintf(stderr, "skylog-host: %s\n", e.what());
        return 1;
    }
    if (separator.empty()) separator = QLocale().decimalPoint().toStdString();
    options.HostData->Dictionary.Options.DecimalSeparator = skylog::Utf8ToCp1252(separator);
    options.HostFileName = exe;
    options.Version = SKYLOG_HOST_VERSION;
    options.Debug = debug;

    skylog::host::THostFrm window(std::move(options));
    window.LoadPlugIns(plugInFolder(plugInDir, exe));
    if (run) {
        if (!window.ExecutePlugIn("libskylog.so")) {
            std::fputs("skylog-host: the Skylog plug-in (libskylog.so) is not loaded\n", stderr);
            return 1;
        }
        return 0;
    }
    window.show();
    return application.exec();
}
