#include "tasks/TaskMakeK7Run.h"

#include <exception>

#include "Common/MessageBoxes.h"
#include "tasks/TaskServices.h"

namespace skylog {

TMakeK7Run::TMakeK7Run(int32_t nbDayToBuild, TDateTime start, IMessageStore& store, IMessageBoxes& reporter)
    : nbDayToBuild_(nbDayToBuild), start_(start), store_(store), reporter_(reporter) {}

TDateTime TMakeK7Run::StartOf(int32_t nbDayToBuild, bool fromSpecialDate, TDateTime specialDate,
                              TDateTime now) {
    if (fromSpecialDate && specialDate != 0) return specialDate + nbDayToBuild;
    return now;
}

TMakeK7Result TMakeK7Run::Execute(IProgress& progress) {
    TMakeK7Result result;
    progress.SetMaximum(kMakeK7ProgressMaximum);
    store_.ClearAll();
    (void)store_.TakeCounts();  // what was read before is not this run's

    // 64-bit arithmetic: a hand-edited day count must not overflow the positions.
    const int64_t count = static_cast<int64_t>(nbDayToBuild_) + 2;
    for (int64_t i = 0; i < count; ++i) {
        const TDateTime day = start_ - static_cast<double>(i);
        progress.SetLabel(kMakeK7Loading + FormatShortDate(day));
        progress.SetPosition(static_cast<int>((300 * i) / count / 4));
        result.LoadedDays.push_back(day);
        try {
            store_.LoadDay(day, -1);
        } catch (const std::exception& error) {
            result.Failures.push_back("Erreur lors du chargement DCP de la journée " + FormatShortDate(day) +
                                      " : " + error.what());
        }
    }
    for (int64_t j = 1; j <= count - 2; ++j) {
        const TDateTime day = start_ - static_cast<double>(j);
        progress.SetLabel(kMakeK7Writing + FormatShortDate(day));
        progress.SetPosition(static_cast<int>((25 * j) / (count - 2) + 75));
        result.WrittenDays.push_back(day);
        try {
            store_.FlushK7ItemsOfDay(day);
        } catch (const std::exception& error) {
            result.Failures.push_back("Erreur lors de l'enregistrement K7 de la journée " +
                                      FormatShortDate(day) + " : " + error.what());
        }
    }

    result.Counts = store_.TakeCounts();
    if (!result.Failures.empty()) {
        std::string text = "La reconstruction des fichiers K7 n'a pas pu traiter toutes les journées :";
        for (const std::string& failure : result.Failures) text += "\n" + failure;
        reporter_.Warning(text);
    }
    return result;
}

}  // namespace skylog
