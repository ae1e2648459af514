#pragma once
// Sub-commands of the skylog program. Each cmd_*.cpp file registers its commands
// with a static SKYLOG_COMMAND object; main() dispatches on the first words.

#include <functional>
#include <iosfwd>
#include <string>
#include <vector>

namespace skylog::cli {

// Exit status conventions: 0 success, 1 a file could not be read or written, 2 usage.
constexpr int kExitOk = 0;
constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

struct Options {
    std::string workDir;   // --workdir DIR, overrides the WorkDir setting for this run
    std::string hostData;  // --host-data DIR
};

using Handler = std::function<int(const std::vector<std::string>& args, const Options& options)>;

struct Command {
    std::string name;   // "import", "k7 dump", "tasks add" ...
    std::string usage;  // one line for the help text
    Handler handler;
    bool needsRun = true;  // compose a run (settings, working directory, lists) first
};

void Register(Command command);

struct Registrar {
    Registrar(std::string name, std::string usage, Handler handler, bool needsRun = true) {
        Register(Command{std::move(name), std::move(usage), std::move(handler), needsRun});
    }
};

}  // namespace skylog::cli
