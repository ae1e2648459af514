#include "cli/RunSummary.h"

#include <iostream>

#include "Common/DateTime.h"
#include "plugin/USkylog.h"

namespace skylog::cli {

namespace {

std::string dayText(int32_t day) { return FormatIsoDate(static_cast<TDateTime>(day)); }

// Where the messages with decoding errors are shown in detail.
std::string reportPointer(const std::set<int32_t>& days) {
    if (days.empty()) return {};
    if (days.size() == 1) return " (skylog report --day " + dayText(*days.begin()) + " les détaille)";
    return " (skylog report --day AAAA-MM-JJ les détaille, du " + dayText(*days.begin()) + " au " +
           dayText(*days.rbegin()) + ")";
}

}  // namespace

std::string CountsText(const TRunCounts& counts) {
    return std::to_string(counts.Files) + " fichier(s) lu(s), " + std::to_string(counts.Messages) + " message(s), " +
           std::to_string(counts.ReaderErrors) + " erreur(s) de lecture, " + std::to_string(counts.Scenarios) +
           " scénario(s) décodé(s), " + std::to_string(counts.FaultyMessages) +
           " message(s) avec erreurs de décodage" + reportPointer(counts.FaultyDays);
}

void PrintSummary(const Options& options, std::string_view prefix, const TRunCounts& counts) {
    if (options.quiet) return;
    std::cerr << prefix << CountsText(counts) << '\n';
    for (const auto& [beacon, messages] : counts.UndefinedBeacons)
        std::cerr << "balise non définie : " << beacon << ", " << messages << (messages == 1 ? " message\n" : " messages\n");
    if (!counts.UndefinedBeacons.empty())
        std::cerr << "les messages d'une balise non définie ne sont pas gardés : skylog beacons add NOM NUMÉRO la "
                     "définit, et les fichiers lus à nouveau les ajoutent\n";
}

int JournaledRun(const Options& options, std::string_view what, const std::function<int(TRunCounts&)>& work) {
    TRunCounts counts;
    int status = kExitFailure;
    const auto journal = [&] {
        const TRunRecord record{options.run->Clock().Now(), std::string(what), counts, status};
        if (const auto problem = AppendToRunJournal(options.run->WorkDir(), record))
            std::cerr << "skylog: journal des lancements non écrit : " << *problem << '\n';
    };
    try {
        status = work(counts);
    } catch (...) {
        journal();
        throw;
    }
    journal();
    return status;
}

}  // namespace skylog::cli
