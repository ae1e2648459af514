// skylog-help-export: writes the manual page and the bash completion of the skylog
// program from its help table, at build time, so that neither can disagree with
// `skylog help`. Usage: skylog-help-export man|bash-completion OUTPUT

#include <cstdio>
#include <fstream>
#include <iostream>
#include <set>
#include <sstream>
#include <string>
#include <string_view>

#include "cli/Help.h"

namespace {

using skylog::cli::CommandHelp;
using skylog::cli::OptionHelp;

// Text for roff: backslashes and hyphens escaped, a line never starting with a
// control character.
std::string roff(std::string_view text) {
    std::string out;
    bool lineStart = true;
    for (char c : text) {
        if (lineStart && (c == '.' || c == '\'')) out += "\\&";
        if (c == '\\') out += "\\e";
        else if (c == '-') out += "\\-";
        else out += c;
        lineStart = c == '\n';
    }
    return out;
}

// "--day YYYY-MM-DD" with the name bold and the value in italics.
std::string roffOption(const OptionHelp& o) {
    std::string text = "\\fB" + roff(o.name) + "\\fR";
    if (!o.value.empty()) text += " \\fI" + roff(o.value) + "\\fR";
    return text;
}

void optionList(std::span<const OptionHelp> options, std::ostream& out) {
    for (const OptionHelp& o : options) out << ".TP\n" << roffOption(o) << '\n' << roff(o.text) << '\n';
}

void writeManualPage(std::ostream& out) {
    using namespace skylog::cli;
    out << ".\\\" Made from the skylog program's help table; do not edit.\n"
        << ".TH SKYLOG 1 \"\" \"skylog " SKYLOG_VERSION "\" \"User Commands\"\n"
        << ".SH NAME\nskylog \\- imports and decodes beacon transmission files, without a window\n"
        << ".SH SYNOPSIS\n.B " << roff(ProgramSynopsis()) << '\n'
        << ".SH DESCRIPTION\n"
           "Networks of sun photometers send their measurements through satellite beacons;\n"
           "ground stations deliver the transmissions as text files\n"
           "(.CNRS, .NASA, .DCP, .GOES, .BRU). \\fBskylog\\fR reads those files, attributes every message to a\n"
           "configured beacon, stores it in daily message files, decodes its scenarios and\n"
           "merges them into each instrument's daily K7 file. Importing the same files again\n"
           "changes nothing. It works on the same working directory and settings as the\n"
           "desktop program (\\fBskylog\\-host\\fR(1)), for scripts, cron and systemd timers.\n"
        << ".SH COMMANDS\n";
    for (const CommandHelp& c : CommandHelpTable()) {
        out << ".SS \"" << roff(c.name) << "\"\n.B skylog " << roff(Synopsis(c)) << "\n.PP\n" << roff(c.summary)
            << '\n';
        if (!c.details.empty()) out << ".PP\n" << roff(c.details) << '\n';
        optionList(c.options, out);
        out << ".PP\nExample:\n.RS\n.nf\nskylog " << roff(c.example) << "\n.fi\n.RE\n";
    }
    out << ".SH OPTIONS\nThese options are accepted by every command, before or after its name.\n";
    optionList(GlobalOptionHelp(), out);
    out << ".SH ENVIRONMENT\n";
    for (const OptionHelp& e : EnvironmentHelp()) out << ".TP\n.B " << roff(e.name) << '\n' << roff(e.text) << '\n';
    out << ".SH FILES\n"
           ".TP\n.I ${XDG_CONFIG_HOME:\\-~/.config}/Velmont/ORMA Win/Skylog.conf\n"
           "The settings (Name=Value lines, Windows\\-1252), shared with the desktop program.\n"
           ".TP\n.I ${XDG_DATA_HOME:\\-~/.local/share}/skylog/Skylog/\n"
           "The working directory by default (the \\fBWorkDir\\fR setting): DcpList.inf,\n"
           "Managers.inf, Tasks.inf, DataDCP/ (daily message files) and DataK7/ (K7 files).\n"
           ".TP\n.I PREFIX/share/skylog/host/\n"
           "The instrument types and the event dictionary, found beside the installed program.\n"
           ".TP\n.I PREFIX/lib/systemd/user/skylog\\-tasks.timer\n"
           "Runs \\fBskylog tasks run\\fR every minute once enabled with\n"
           "\\fBsystemctl \\-\\-user enable \\-\\-now skylog\\-tasks.timer\\fR.\n"
           ".SH EXIT STATUS\n"
           ".TP\n.B 0\nSuccess; data defects in the files do not change it.\n"
           ".TP\n.B 1\nA file could not be read or written or had an unknown format, or a value was\n"
           "refused (a refused configuration change says why and touches no file).\n"
           ".TP\n.B 2\nA usage error.\n"
           ".SH SEE ALSO\n\\fBskylog\\-host\\fR(1), \\fBsystemctl\\fR(1), \\fBsystemd.timer\\fR(5)\n";
}

// The bash completion: the command names word by word, each command's options, folder
// names after an option whose value is DIR, file names where a command takes FILE.
void writeBashCompletion(std::ostream& out) {
    using namespace skylog::cli;
    std::set<std::string_view> valued, folders;
    auto note = [&](std::span<const OptionHelp> options) {
        for (const OptionHelp& o : options) {
            if (!o.value.empty()) valued.insert(o.name);
            if (o.value == "DIR") folders.insert(o.name);
        }
    };
    note(GlobalOptionHelp());
    for (const CommandHelp& c : CommandHelpTable()) note(c.options);
    auto list = [](const std::set<std::string_view>& names) {
        std::string text = " ";
        for (std::string_view n : names) text += std::string(n) + ' ';
        return text;
    };
    std::string global;
    for (const OptionHelp& o : GlobalOptionHelp()) global += (global.empty() ? "" : " ") + std::string(o.name);

    out << "# bash completion for skylog; made from the program's help table, do not edit.\n"
           "_skylog() {\n"
           "    local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD-1]}\n"
           "    local global='" << global << "'\n"
           "    local valued='" << list(valued) << "' folders='" << list(folders) << "'\n"
           "    local -A options=(\n";
    for (const CommandHelp& c : CommandHelpTable()) {
        std::string names;
        for (const OptionHelp& o : c.options) names += (names.empty() ? "" : " ") + std::string(o.name);
        out << "        [" << c.name << "]='" << names << "'\n";
    }
    out << "    )\n    local -A arguments=(\n";
    for (const CommandHelp& c : CommandHelpTable()) {
        if (c.arguments.find("FILE") != std::string_view::npos) out << "        [" << c.name << "]=file\n";
        else if (c.arguments.find("COMMAND") != std::string_view::npos) out << "        [" << c.name << "]=command\n";
    }
    out << R"bash(    )
    if [[ $valued == *" $prev "* ]]; then
        [[ $folders == *" $prev "* ]] && COMPREPLY=($(compgen -d -- "$cur")) || COMPREPLY=()
        return
    fi
    # The words of the command typed so far, options and their values left out.
    local i typed=
    for ((i = 1; i < COMP_CWORD; i++)); do
        if [[ ${COMP_WORDS[i]} == -* ]]; then
            [[ $valued == *" ${COMP_WORDS[i]} "* ]] && ((i++))
        else
            typed+="${typed:+ }${COMP_WORDS[i]}"
        fi
    done
    local name command=
    for name in "${!options[@]}"; do
        if [[ $typed == "$name" || $typed == "$name "* ]] && ((${#name} > ${#command})); then command=$name; fi
    done
    if [[ -n $command ]]; then
        if [[ $cur == -* ]]; then
            COMPREPLY=($(compgen -W "${options[$command]} $global" -- "$cur"))
        elif [[ ${arguments[$command]} == file ]]; then
            COMPREPLY=($(compgen -f -- "$cur"))
        elif [[ ${arguments[$command]} == command ]]; then
            local -A first=()
            for name in "${!options[@]}"; do first[${name%% *}]=1; done
            COMPREPLY=($(compgen -W "${!first[*]}" -- "$cur"))
        fi
        return
    fi
    if [[ $cur == -* ]]; then
        COMPREPLY=($(compgen -W "$global" -- "$cur"))
        return
    fi
    # The next word of the command names that begin with the words typed.
    local -A next=()
    for name in "${!options[@]}"; do
        if [[ -z $typed ]]; then
            next[${name%% *}]=1
        elif [[ $name == "$typed "* ]]; then
            name=${name#"$typed "}
            next[${name%% *}]=1
        fi
    done
    COMPREPLY=($(compgen -W "${!next[*]}" -- "$cur"))
}
complete -F _skylog skylog
)bash";
}

}  // namespace

int main(int argc, char** argv) {
    const std::string what = argc == 3 ? argv[1] : "";
    if (what != "man" && what != "bash-completion") {
        std::fputs("usage: skylog-help-export man|bash-completion OUTPUT\n", stderr);
        return 2;
    }
    std::ostringstream text;
    if (what == "man") writeManualPage(text);
    else writeBashCompletion(text);
    // Written beside, then renamed: an interrupted build leaves no half file behind.
    const std::string output = argv[2], temporary = output + ".tmp";
    std::ofstream file(temporary, std::ios::binary);
    file << text.str();
    file.close();
    if (!file || std::rename(temporary.c_str(), output.c_str()) != 0) {
        std::perror(output.c_str());
        std::remove(temporary.c_str());
        return 1;
    }
    return 0;
}
