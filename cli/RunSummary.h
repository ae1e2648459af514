#pragma once
// What the commands that read message files (import, collect, rebuild-k7, tasks run)
// say at their end: a summary on standard error, whether or not it is a terminal, so
// that a cron or systemd log tells what happened (--quiet leaves it out), and one line
// of the run journal per run.

#include <functional>
#include <string>
#include <string_view>

#include "Common/RunJournal.h"
#include "cli/Commands.h"

namespace skylog::cli {

// "3 fichier(s) lu(s), 120 message(s), 2 erreur(s) de lecture, 300 scénario(s)
// décodé(s), 4 message(s) avec erreurs de décodage (skylog report --day 2005-03-07 les
// détaille)".
[[nodiscard]] std::string CountsText(const TRunCounts& counts);

// The counts after the prefix, then a line per beacon that is not defined; nothing with
// --quiet.
void PrintSummary(const Options& options, std::string_view prefix, const TRunCounts& counts);

// Runs the command's work and appends its line to the run journal, whatever becomes of
// it: an exception is a failure (status 1), recorded with the counts so far, and goes
// on to main.
int JournaledRun(const Options& options, std::string_view what, const std::function<int(TRunCounts&)>& work);

}  // namespace skylog::cli
