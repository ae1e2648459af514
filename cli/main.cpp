// skylog: the engine without windows, for scripts, cron and systemd timers.

#include <algorithm>
#include <cstdlib>
#include <exception>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "Common/FileUtil.h"
#include "Common/MessageBoxes.h"
#include "Common/RunObjects.h"
#include "Common/UUtils.h"
#include "cli/Commands.h"
#include "cli/HostDataLocation.h"
#include "dcp/UDCPList.h"
#include "k7/HostDataLoader.h"
#include "plugin/USkylog.h"

#if defined(SKYLOG_WITH_MIMALLOC)
#include <mimalloc.h>
#include <sys/mman.h>

#include <cstdint>
#include <cstdio>
#include <fstream>
#endif

namespace skylog::cli {

namespace {
std::vector<Command>& registry() {
    static std::vector<Command> commands;
    return commands;
}

void printUsage(std::ostream& out) {
    out << "usage: skylog [--workdir DIR] [--host-data DIR] COMMAND [ARGS...]\n\ncommands:\n";
    std::vector<Command> sorted = registry();
    std::sort(sorted.begin(), sorted.end(),
              [](const Command& a, const Command& b) { return a.name < b.name; });
    for (const Command& c : sorted) out << "  skylog " << c.usage << '\n';
    out << "\nenvironment: SKYLOG_SETTINGS (settings file), SKYLOG_NOW (fixed clock, "
           "\"YYYY-MM-DD hh:mm:ss\"), SKYLOG_HOST_DATA (host data folder)\n";
}

// The longest registered name made of the first words of the arguments.
const Command* findCommand(const std::vector<std::string>& words, size_t& used) {
    const Command* best = nullptr;
    size_t bestWords = 0;
    for (const Command& c : registry()) {
        std::vector<std::string> parts = Split(c.name, ' ', kSplitMerge);
        if (parts.size() > words.size() || parts.size() <= bestWords) continue;
        if (std::equal(parts.begin(), parts.end(), words.begin())) {
            best = &c;
            bestWords = parts.size();
        }
    }
    used = bestWords;
    return best;
}
}  // namespace

void Register(Command command) { registry().push_back(std::move(command)); }

int Main(int argc, char** argv) {
    Options options;
    std::vector<std::string> words;
    // The global options may stand before or after the command words
    // ("skylog import --workdir DIR FILE..."), but not after "--".
    bool optionsEnded = false;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "--") optionsEnded = true;
        if ((arg == "--workdir" || arg == "--host-data") && !optionsEnded) {
            if (i + 1 >= argc) {
                std::cerr << "skylog: " << arg << " demande une valeur\n";
                return kExitUsage;
            }
            (arg == "--workdir" ? options.workDir : options.hostData) = argv[++i];
        } else if ((arg == "-h" || arg == "--help") && words.empty()) {
            printUsage(std::cout);
            return kExitOk;
        } else {
            words.push_back(std::move(arg));
        }
    }
    size_t used = 0;
    const Command* command = findCommand(words, used);
    if (!command) {
        if (!words.empty()) std::cerr << "skylog: commande inconnue : " << words[0] << "\n\n";
        printUsage(std::cerr);
        return kExitUsage;
    }
    std::vector<std::string> args(words.begin() + static_cast<std::ptrdiff_t>(used), words.end());

    if (const char* now = std::getenv("SKYLOG_NOW"); now && *now) {
        auto fixed = ParseIsoDateTime(now);
        if (!fixed) {
            std::cerr << "skylog: SKYLOG_NOW illisible : " << now << '\n';
            return kExitUsage;
        }
        SetClockForTesting(fixed);
    }

    ConsoleMessageBoxes boxes(false);
    ScopedMessageBoxes scope(boxes);
    try {
        std::unique_ptr<HostDataSet> host = LoadHostData(HostDataFolder(options.hostData, argv[0]));
        InstallHostData(*host);
        if (!command->needsRun) return command->handler(args, options);
        TSkylogOptions runOptions;
        if (!options.workDir.empty()) runOptions.workDirOverride = options.workDir;
        int status = kExitOk;
        {
            TSkylog run(runOptions);
            status = command->handler(args, options);
            // The process ends after this function: what the commands read is left to
            // the system to take back, instead of being freed block by block.
            if (Run().Beacons != nullptr) Run().Beacons->AbandonContentAtExit();
        }
        return status;
    } catch (const std::exception& e) {
        std::cerr << "skylog: " << e.what() << '\n';
        return kExitFailure;
    }
}

}  // namespace skylog::cli

#if defined(SKYLOG_WITH_MIMALLOC)
namespace {

// The allocator mapped its first region while the C++ runtime started, before main
// could set the option: huge pages are asked for on that region too, or the first
// 32 MB of an import fault in 4 KB at a time, about a quarter of its time on a
// virtual machine (docs/benchmarks.md). Nothing changes when it cannot be done.
void AdviseHugePagesOnFirstRegion() {
    void* probe = mi_malloc(16);
    const auto address = reinterpret_cast<uintptr_t>(probe);
    mi_free(probe);
    std::ifstream maps("/proc/self/maps");
    std::string line;
    while (std::getline(maps, line)) {
        unsigned long from = 0, to = 0;
        if (std::sscanf(line.c_str(), "%lx-%lx", &from, &to) == 2 && address >= from && address < to) {
            ::madvise(reinterpret_cast<void*>(from), to - from, MADV_HUGEPAGE);
            return;
        }
    }
}

}  // namespace
#endif

int main(int argc, char** argv) {
#if defined(SKYLOG_WITH_MIMALLOC)
    // Transparent huge pages for the allocator's memory: an import's hundreds of
    // megabytes are then faulted in 2 MB at a time instead of 4 KB.
    mi_option_set(mi_option_large_os_pages, 1);
    AdviseHugePagesOnFirstRegion();
#endif
    return skylog::cli::Main(argc, argv);
}
