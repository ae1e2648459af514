#pragma once
// The help of the skylog program: one table of every command with what it does, its
// arguments, its options and an example. The help texts, the usage lines, the
// option parser (which options a command accepts, which take a value) and the manual
// page are all made from it, so that they cannot disagree.

#include <ostream>
#include <span>
#include <string>
#include <string_view>

namespace skylog::cli {

// What an option's value must be; the parser checks it before anything runs.
enum class ValueKind { Text, Date, DateTime, Count };

struct OptionHelp {
    std::string_view name;   // "--day"
    std::string_view value;  // "YYYY-MM-DD"; empty for a flag
    std::string_view text;   // what it does
    bool required = false;
    ValueKind kind = ValueKind::Text;
};

struct CommandHelp {
    std::string_view name;       // "tasks add collect"
    std::string_view arguments;  // positional arguments: "FILE...", "NAME VALUE"; may be empty
    std::string_view summary;    // one line: what the command does
    std::span<const OptionHelp> options;
    std::string_view example;    // the arguments after "skylog"
    std::string_view details;    // further paragraphs; may be empty
};

// Every command, in the order of the general help.
[[nodiscard]] std::span<const CommandHelp> CommandHelpTable();
// The options every command accepts, before or after its name.
[[nodiscard]] std::span<const OptionHelp> GlobalOptionHelp();
// The environment variables the program reads (name and text; no value).
[[nodiscard]] std::span<const OptionHelp> EnvironmentHelp();
// "skylog [--workdir DIR] ... COMMAND [ARGS...]"
[[nodiscard]] std::string_view ProgramSynopsis();
[[nodiscard]] const CommandHelp* FindCommandHelp(std::string_view name);
[[nodiscard]] const OptionHelp* FindOption(const CommandHelp& command, std::string_view name);

// "report --day YYYY-MM-DD [--beacon NAME] ...": the name, the options (optional ones
// in brackets) and the arguments.
[[nodiscard]] std::string Synopsis(const CommandHelp& command);

void PrintGeneralHelp(std::ostream& out);
// The program's usage line, pointing to the help.
void PrintProgramUsage(std::ostream& out);
void PrintCommandHelp(const CommandHelp& command, std::ostream& out);
// The help of the commands whose names begin with the group's words ("tasks").
void PrintGroupHelp(std::string_view group, std::ostream& out);

}  // namespace skylog::cli
