#pragma once
// Sub-commands of the skylog program. Each cmd_*.cpp file registers its commands
// with a static Registrar object, under the name of their entry in the help table
// (cli/Help.h); main() dispatches on the first words and parses the options that the
// entry lists before calling the handler.

#include <functional>
#include <string>
#include <string_view>

#include "cli/Args.h"

#include "k7/HostData.h"

namespace skylog {
class IMessageBoxes;
class TSkylog;
}

namespace skylog::cli {

// Exit status conventions: 0 success, 1 a file could not be read or written or a
// value was refused, 2 usage.
constexpr int kExitOk = 0;
constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

struct Options {
    std::string workDir;   // --workdir DIR, overrides the WorkDir setting for this run
    std::string hostData;  // --host-data DIR
    THostData host;        // the host data read from there
    IMessageBoxes* reporter = nullptr;  // warnings, to standard error
    TSkylog* run = nullptr;  // the composed run, for commands that need one
    bool quiet = false;      // --quiet: no closing summary
};

// A handler may throw UsageError (exit 2) or FileError (exit 1); main() reports them.
using Handler = std::function<int(const Args& args, const Options& options)>;

struct Command {
    const CommandHelp* help;
    Handler handler;
    bool needsRun = true;  // compose a run (settings, working directory, lists) first
};

void Register(std::string_view name, Handler handler, bool needsRun);

struct Registrar {
    Registrar(std::string_view name, Handler handler, bool needsRun = true) {
        Register(name, std::move(handler), needsRun);
    }
};

}  // namespace skylog::cli
