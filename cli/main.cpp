// skylog: the engine without windows, for scripts, cron and systemd timers.

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "Common/FileUtil.h"
#include "Common/MessageBoxes.h"
#include "Common/NearestName.h"
#include "Common/Clock.h"
#include "Common/UUtils.h"
#include "cli/Args.h"
#include "cli/Commands.h"
#include "cli/Help.h"
#include "dcp/UDCPList.h"
#include "k7/HostDataLoader.h"
#include "k7/HostDataLocation.h"
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

StringList nameWords(const Command& c) { return Split(c.help->name, ' ', kSplitMerge); }

// The longest registered name made of the first words of the arguments.
const Command* findCommand(const std::vector<std::string>& words, size_t& used) {
    const Command* best = nullptr;
    size_t bestWords = 0;
    for (const Command& c : registry()) {
        const StringList parts = nameWords(c);
        if (parts.size() > words.size() || parts.size() <= bestWords) continue;
        if (std::equal(parts.begin(), parts.end(), words.begin())) {
            best = &c;
            bestWords = parts.size();
        }
    }
    used = bestWords;
    return best;
}

// Words that name no command: says which word is wrong and the command probably
// meant, then the commands of the group that the first words did name.
int unknownCommand(const std::vector<std::string>& words) {
    size_t known = 0;  // leading words that begin some command's name
    for (const Command& c : registry()) {
        const StringList parts = nameWords(c);
        size_t same = 0;
        while (same < parts.size() && same < words.size() && parts[same] == words[same]) ++same;
        known = std::max(known, same);
    }
    std::string group;
    for (size_t i = 0; i < known; ++i) group += (i == 0 ? "" : " ") + words[i];
    std::vector<std::string> next;  // the words that may follow the group
    for (const Command& c : registry()) {
        const StringList parts = nameWords(c);
        if (parts.size() > known && std::equal(words.begin(), words.begin() + static_cast<std::ptrdiff_t>(known),
                                               parts.begin()))
            next.push_back(parts[known]);
    }
    if (known == words.size()) {
        std::cerr << "skylog: " << group << " demande une sous-commande\n";
    } else if (known == 0 && words[0].size() > 1 && words[0][0] == '-') {
        // Before the command only the global options stand.
        std::vector<std::string> globals;
        for (const OptionHelp& o : GlobalOptionHelp()) globals.emplace_back(o.name);
        std::cerr << "skylog: option inconnue : " << words[0];
        if (const auto near = NearestName(words[0], globals)) std::cerr << " (vouliez-vous dire " << *near << " ?)";
        std::cerr << '\n';
    } else {
        std::cerr << "skylog: " << (known == 0 ? "commande inconnue : " : "sous-commande inconnue : ")
                  << (known == 0 ? "" : group + " ") << words[known];
        if (const auto near = NearestName(words[known], next))
            std::cerr << " (vouliez-vous dire « skylog " << (known == 0 ? "" : group + " ") << *near << " » ?)";
        std::cerr << '\n';
    }
    if (known == 0)
        PrintProgramUsage(std::cerr);
    else
        PrintGroupHelp(group, std::cerr);
    return kExitUsage;
}

// The help of the command, or of the group, that the words name.
int printHelp(const std::vector<std::string>& words) {
    if (words.empty()) {
        PrintGeneralHelp(std::cout);
        return kExitOk;
    }
    size_t used = 0;
    const Command* command = findCommand(words, used);
    if (command != nullptr && used == words.size()) {
        PrintCommandHelp(*command->help, std::cout);
        return kExitOk;
    }
    std::string group;
    for (const std::string& word : words) group += (group.empty() ? "" : " ") + word;
    for (const Command& c : registry())
        if (c.help->name.substr(0, group.size() + 1) == group + " ") {
            PrintGroupHelp(group, std::cout);
            return kExitOk;
        }
    return unknownCommand(words);
}

int helpCommand(const Args& args, const Options&) { return printHelp(args.Positional()); }
Registrar helpRegistrar("help", helpCommand, false);

// A --workdir that names no folder is created, and said so first: a mistyped path
// then shows instead of silently becoming a new, empty working directory.
bool prepareWorkDir(const std::string& dir) {
    if (dir.empty() || DirectoryExists(dir)) return true;
    std::cerr << "skylog: répertoire de travail créé : " << dir << '\n';
    std::error_code error;
    std::filesystem::create_directories(dir, error);
    if (!DirectoryExists(dir)) {
        std::cerr << "skylog: impossible de créer le répertoire de travail " << dir << " : "
                  << SystemErrorText(error ? error.value() : ENOTDIR) << '\n';
        return false;
    }
    return true;
}
}  // namespace

void Register(std::string_view name, Handler handler, bool needsRun) {
    const CommandHelp* help = FindCommandHelp(name);
    if (help == nullptr) {
        // A programming error, caught by any run of the program.
        std::cerr << "skylog: command without a help entry: " << name << '\n';
        std::abort();
    }
    registry().push_back(Command{help, std::move(handler), needsRun});
}

int Main(int argc, char** argv) {
    Options options;
    std::vector<std::string> words;
    bool help = false;
    // The global options may stand before or after the command words
    // ("skylog import --workdir DIR FILE..."), but not after "--".
    bool optionsEnded = false;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "--") optionsEnded = true;
        const std::string name = arg.substr(0, arg.find('='));
        if (optionsEnded) {
            words.push_back(std::move(arg));
        } else if (name == "--workdir" || name == "--host-data") {
            std::string& value = name == "--workdir" ? options.workDir : options.hostData;
            if (name.size() < arg.size()) {
                value = arg.substr(name.size() + 1);
            } else if (i + 1 < argc) {
                value = argv[++i];
            } else {
                std::cerr << "skylog: " << arg << " demande une valeur\n";
                return kExitUsage;
            }
        } else if (arg == "--quiet") {
            options.quiet = true;
        } else if (arg == "-h" || arg == "--help") {
            help = true;
        } else if (arg == "--version") {
            std::cout << "skylog " << SKYLOG_VERSION << '\n';
            return kExitOk;
        } else {
            words.push_back(std::move(arg));
        }
    }
    if (help) return printHelp(words);
    if (words.empty()) {
        PrintProgramUsage(std::cerr);
        return kExitUsage;
    }
    size_t used = 0;
    const Command* command = findCommand(words, used);
    if (!command) return unknownCommand(words);
    const std::vector<std::string> rest(words.begin() + static_cast<std::ptrdiff_t>(used), words.end());

    TSystemClock systemClock;
    std::optional<TFixedClock> fixedClock;
    if (const char* now = std::getenv("SKYLOG_NOW"); now && *now) {
        if (const auto problem = IsoDateTimeProblem(now)) {
            std::cerr << "skylog: SKYLOG_NOW : " << *problem << '\n';
            return kExitUsage;
        }
        fixedClock.emplace(*ParseIsoDateTime(now));
    }

    ConsoleMessageBoxes boxes(false);
    options.reporter = &boxes;
    try {
        const Args args(*command->help, rest);
        std::unique_ptr<HostDataSet> host = LoadHostData(HostDataFolder(options.hostData, argv[0]));
        options.host = HostDataOf(*host);
        if (!command->needsRun) return command->handler(args, options);
        if (!prepareWorkDir(options.workDir)) return kExitFailure;
        TSkylogOptions runOptions;
        if (!options.workDir.empty()) runOptions.workDirOverride = options.workDir;
        runOptions.host = options.host;
        runOptions.reporter = &boxes;
        runOptions.clock = fixedClock ? static_cast<const IClock*>(&*fixedClock) : &systemClock;
        TSkylog run(runOptions);
        run.Load();
        options.run = &run;
        int status = kExitOk;
        try {
            status = command->handler(args, options);
        } catch (...) {
            (void)run.Save();
            throw;
        }
        // The process ends after this function: what the commands read is left to the
        // system to take back, instead of being freed block by block.
        run.Beacons().AbandonContentAtExit();
        (void)run.Save();
        return status;
    } catch (const UsageError& e) {
        std::cerr << "skylog: " << e.what() << "\nusage: skylog " << Synopsis(*command->help) << '\n';
        return kExitUsage;
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
