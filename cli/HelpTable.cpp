// The help of every command. A new command adds its entry here; its handler is
// registered under the same name (cli/Commands.h), and the program refuses to start
// when a command has no entry.

#include <algorithm>

#include "cli/Help.h"

namespace skylog::cli {
namespace {

constexpr OptionHelp kGlobal[] = {
    {"--workdir", "DIR", "working directory of this run only (created when missing, and said so)"},
    {"--host-data", "DIR", "folder of the instrument types and event dictionary"},
    {"--quiet", "", "no closing summary on standard error (errors and warnings still show)"},
    {"--help", "", "this help, or the help of the command (also -h)"},
    {"--version", "", "the program's version"},
};

constexpr OptionHelp kReport[] = {
    {"--day", "YYYY-MM-DD", "the day to show", true, ValueKind::Date},
    {"--beacon", "NAME", "only this beacon"},
    {"--days-before", "N", "with --beacon: also the N days before, newest first", false, ValueKind::Count},
    {"--tsv", "", "one tab-separated line per message, for scripts"},
};

constexpr OptionHelp kK7Dump[] = {
    {"--hex", "", "also each event's bytes in hexadecimal"},
};

constexpr OptionHelp kMemoryBudget = {
    "--memory-budget", "MB", "store what was read whenever it holds more than MB megabytes (default 256)", false,
    ValueKind::Count};

constexpr OptionHelp kImport[] = {kMemoryBudget};

constexpr OptionHelp kCollect[] = {
    {"--dir", "DIR", "folder whose files are read", true},
    {"--mask", "MASK", "file names to read, with * and ?, any case (default *.*)"},
    {"--delete", "", "delete each file once its messages are stored"},
    kMemoryBudget,
};

constexpr OptionHelp kRebuild[] = {
    {"--days", "N", "number of days rebuilt (default 3)"},
    {"--from", "YYYY-MM-DD", "first day rebuilt (default: the N days before today)", false, ValueKind::Date},
};

constexpr OptionHelp kSchedule[] = {
    {"--at", "\"YYYY-MM-DD hh:mm\"", "first call; not in the past", true, ValueKind::DateTime},
    {"--every", "N{m,h,d}", "period: 1-59m, 1-23h or 1-1000d (default: a single call)"},
};

constexpr OptionHelp kAddCollect[] = {kCollect[0], kCollect[1], kCollect[2], kSchedule[0], kSchedule[1]};
constexpr OptionHelp kAddRebuild[] = {kRebuild[0], kRebuild[1], kSchedule[0], kSchedule[1]};

constexpr OptionHelp kBeaconFields[] = {
    {"--name", "NEW", "new name; the beacon's stored messages move to its new folder"},
    {"--number", "N", "identifier of the message headers (exact, case included)"},
    {"--base-time", "M:SS", "base of the transmission time, minutes and seconds"},
    {"--interval", "MIN", "transmission interval in minutes (default: the TransInterval setting)"},
};
constexpr OptionHelp kAddBeacon[] = {kBeaconFields[2], kBeaconFields[3]};

constexpr OptionHelp kConfirm[] = {{"--yes", "", "confirms the removal", true}};
constexpr OptionHelp kRunTasks[] = {{"--force", "", "runs the due tasks even when automatic mode is off"}};

constexpr OptionHelp kAssoFields[] = {
    {"--from", "\"dd/mm/yyyy[ hh:nn[:ss]]\"", "start, included; without a time, midnight", true},
    {"--to", "\"dd/mm/yyyy[ hh:nn[:ss]]\"", "end, included; without a time, midnight", true},
    {"--instrument", "N", "number of the instrument", true},
    {"--locality", "TEXT", "where the instrument stands; no comma", true},
    {"--managers", "ID,ID", "its managers, by identifier (managers list); '' for none"},
};
constexpr OptionHelp kSetAsso[] = {
    {"--from", "\"dd/mm/yyyy[ hh:nn[:ss]]\"", "new start"},
    {"--to", "\"dd/mm/yyyy[ hh:nn[:ss]]\"", "new end"},
    {"--instrument", "N", "new instrument number"},
    {"--locality", "TEXT", "new locality"},
    kAssoFields[4],
};

constexpr OptionHelp kManagerFields[] = {
    {"--name", "NAME", "family name"},
    {"--forname", "FIRST", "first name"},
    {"--mail", "ADDRESS", "e-mail address"},
};

constexpr std::string_view kConfigDetails =
    "The checks and messages are those of the desktop program's dialogs\n"
    "(docs/configuration.md). A refused change prints why, exits 1 and leaves the files\n"
    "as they were.";
constexpr std::string_view kAssoDetails =
    "Checked in this order, the first fault giving its message: instrument number,\n"
    "start date, end date, start time, end time, no comma in the locality. The\n"
    "command prints the index of the new association.";

constexpr CommandHelp kCommands[] = {
    {"import", "FILE...",
     "Reads ground-station files, stores their messages and K7 files.",
     kImport,
     "import /srv/balises/arrivee/*.CNRS",
     "Formats by extension: .CNRS, .NASA, .DCP, .GOES, .BRU.\n"
     "Each reader error is one line on standard output (PATH: Ligne N, E=code, message);\n"
     "a summary goes to standard error (files, messages, reader errors, scenarios decoded,\n"
     "messages with decoding errors, messages of each undefined beacon) and a line to the\n"
     "run journal skylog.log of the working directory. Importing the same files again\n"
     "changes nothing."},
    {"report", "", "Prints a stored day: statistics, every message and its errors.",
     kReport, "report --day 2005-03-07 --beacon Avignon --days-before 1", ""},
    {"k7 dump", "FILE", "Prints a K7 file's instrument, header dates and events.", kK7Dump,
     "k7 dump DataK7/2005_03_07/P034_20050307.K7", ""},
    {"beacons list", "", "Lists the configured beacons and their associations.", {}, "beacons list", ""},
    {"beacons check", "", "Names what is wrong in DcpList.inf, Managers.inf and Tasks.inf.", {}, "beacons check",
     "Unknown keys, association lines dropped and why, manager identifiers that name nobody,\n"
     "NbDCP not matching the sections. Exit status 1 when anything is wrong."},
    {"beacons show", "NAME", "Prints one beacon and its associations, numbered from 0.", {},
     "beacons show Avignon", ""},
    {"beacons add", "NAME NUMBER", "Adds a beacon.", kAddBeacon, "beacons add Avignon 960CD1B6 --base-time 29:0",
     kConfigDetails},
    {"beacons set", "NAME", "Changes a beacon's name, identifier, base time or interval.", kBeaconFields,
     "beacons set Avignon --interval 60", kConfigDetails},
    {"beacons remove", "NAME", "Removes a beacon and its associations; its stored messages stay.", kConfirm,
     "beacons remove Avignon --yes", ""},
    {"assoc add", "BEACON", "Attaches a beacon to an instrument for a period.", kAssoFields,
     "assoc add Avignon --from 08/03/2005 --to \"06/06/2005 23:59:59\" --instrument 252 --locality Avignon "
     "--managers 2",
     kAssoDetails},
    {"assoc set", "BEACON INDEX", "Changes an association; what is not given stays.", kSetAsso,
     "assoc set Avignon 1 --locality \"L'Isle-sur-la-Sorgue\"", kConfigDetails},
    {"assoc remove", "BEACON INDEX", "Removes an association.", {}, "assoc remove Avignon 1",
     "INDEX is the number beacons show gives the association."},
    {"managers list", "", "Lists the managers: identifier, full name, e-mail address.", {}, "managers list", ""},
    {"managers add", "", "Adds a manager and prints its identifier.", kManagerFields,
     "managers add --name Dupont --forname Jean --mail jean.dupont@example.org", kConfigDetails},
    {"managers set", "ID", "Changes a manager's names or address.", kManagerFields,
     "managers set 4 --mail j.dupont@example.org", kConfigDetails},
    {"managers remove", "ID", "Removes a manager, from the associations too.", kConfirm, "managers remove 4 --yes",
     ""},
    {"config show", "", "Prints the twelve settings as NAME=VALUE lines.", {}, "config show",
     "docs/settings.md describes each setting."},
    {"config set", "NAME VALUE", "Changes one setting in the settings file.", {}, "config set LimitFutur 7",
     "Values are refused outside their meaning (a negative limit, an interval below one\n"
     "minute); booleans are 0 or 1."},
    {"tasks list", "",
     "Lists the scheduled tasks and their parameters.",
     {}, "tasks list",
     "One line per task, tab-separated: index, name, next call, period, then the folder\n"
     "and mask of a collection or the days of a rebuild."},
    {"tasks run", "", "Runs every task whose call has come.", kRunTasks, "tasks run",
     "One tick of the automatic mode: run it every minute from a systemd timer or cron\n"
     "(docs/scheduling.md). Nothing runs while automatic mode is off (the setting Automode,\n"
     "the desktop program's \"Tâches actives\"): skylog config set Automode 1.\n"
     "Each task run is a line of the run journal skylog.log."},
    {"tasks add collect", "", "Schedules a collection of a folder's files.", kAddCollect,
     "tasks add collect --dir /srv/balises/arrivee --mask '*.CNRS' --at \"2024-05-10 08:00\" --every 1h", ""},
    {"tasks add rebuild-k7", "", "Schedules a rebuild of the K7 files of previous days.", kAddRebuild,
     "tasks add rebuild-k7 --days 3 --at \"2024-05-11 02:30\" --every 1d", ""},
    {"tasks remove", "INDEX", "Removes a scheduled task.", {}, "tasks remove 1",
     "INDEX is the first column of tasks list."},
    {"collect", "", "Collects the files of a folder at once.", kCollect,
     "collect --dir /srv/balises/arrivee --mask '*.CNRS' --delete",
     "The summary and the journal line are those of import."},
    {"rebuild-k7", "", "Rebuilds the K7 files of previous days at once.", kRebuild,
     "rebuild-k7 --days 5 --from 2024-05-01",
     "A summary of the stored messages read back goes to standard error, a line to skylog.log."},
    {"help", "[COMMAND]", "Prints this help or the help of one command.", {}, "help tasks add collect",
     ""},
};

constexpr std::string_view kProgramSynopsis =
    "skylog [--workdir DIR] [--host-data DIR] [--quiet] COMMAND [ARGS...]";
constexpr OptionHelp kEnvironment[] = {
    {"SKYLOG_SETTINGS", "", "the settings file"},
    {"SKYLOG_HOST_DATA", "", "the host data folder"},
    {"SKYLOG_NOW", "", "a fixed clock, \"YYYY-MM-DD hh:mm:ss\" (tests)"},
};

void printOptions(std::span<const OptionHelp> options, std::ostream& out) {
    size_t width = 0;
    for (const OptionHelp& o : options) width = std::max(width, o.name.size() + 1 + o.value.size());
    for (const OptionHelp& o : options) {
        std::string left(o.name);
        if (!o.value.empty()) left += ' ' + std::string(o.value);
        out << "  " << left << std::string(width - left.size() + 2, ' ') << o.text << '\n';
    }
}

bool inGroup(std::string_view name, std::string_view group) {
    return name == group || (name.size() > group.size() && name.substr(0, group.size()) == group &&
                             name[group.size()] == ' ');
}

}  // namespace

std::span<const CommandHelp> CommandHelpTable() { return kCommands; }
std::span<const OptionHelp> GlobalOptionHelp() { return kGlobal; }
std::span<const OptionHelp> EnvironmentHelp() { return kEnvironment; }
std::string_view ProgramSynopsis() { return kProgramSynopsis; }

const CommandHelp* FindCommandHelp(std::string_view name) {
    for (const CommandHelp& c : kCommands)
        if (c.name == name) return &c;
    return nullptr;
}

const OptionHelp* FindOption(const CommandHelp& command, std::string_view name) {
    for (const OptionHelp& o : command.options)
        if (o.name == name) return &o;
    return nullptr;
}

std::string Synopsis(const CommandHelp& command) {
    std::string text(command.name);
    if (!command.arguments.empty()) text += ' ' + std::string(command.arguments);
    for (const OptionHelp& o : command.options) {
        std::string option(o.name);
        if (!o.value.empty()) option += ' ' + std::string(o.value);
        text += o.required ? ' ' + option : " [" + option + ']';
    }
    return text;
}

void PrintGeneralHelp(std::ostream& out) {
    out << "usage: " << kProgramSynopsis << "\n\ncommands:\n";
    size_t width = 0;
    for (const CommandHelp& c : kCommands) width = std::max(width, c.name.size());
    for (const CommandHelp& c : kCommands)
        out << "  " << c.name << std::string(width - c.name.size() + 2, ' ') << c.summary << '\n';
    out << "\noptions of every command:\n";
    printOptions(kGlobal, out);
    out << "\nenvironment:\n";
    width = 0;
    for (const OptionHelp& e : kEnvironment) width = std::max(width, e.name.size());
    for (const OptionHelp& e : kEnvironment)
        out << "  " << e.name << std::string(width - e.name.size() + 2, ' ') << e.text << '\n';
    out << "\n'skylog help COMMAND' or 'skylog COMMAND --help' shows a command's options.\n";
}

void PrintProgramUsage(std::ostream& out) {
    out << "usage: " << kProgramSynopsis << "\n       ('skylog help' lists the commands)\n";
}

void PrintCommandHelp(const CommandHelp& command, std::ostream& out) {
    out << "usage: skylog " << Synopsis(command) << "\n\n" << command.summary << '\n';
    if (!command.details.empty()) out << '\n' << command.details << '\n';
    if (!command.options.empty()) {
        out << "\noptions:\n";
        printOptions(command.options, out);
    }
    out << "\nexample:\n  skylog " << command.example << '\n';
}

void PrintGroupHelp(std::string_view group, std::ostream& out) {
    out << "commands of skylog " << group << ":\n";
    for (const CommandHelp& c : kCommands)
        if (inGroup(c.name, group)) out << "  skylog " << Synopsis(c) << "\n      " << c.summary << '\n';
}

}  // namespace skylog::cli
