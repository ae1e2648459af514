#pragma once
// What the task dialogs read from and show in their boxes: a period as a unit and a
// number with the bounds of each unit, the next call a new task proposes, and the
// checks and questions of OK. The windows call these; tests reach them without one.

#include <optional>
#include <string>
#include <string_view>

#include "Common/DateTime.h"
#include "Common/FormField.h"

namespace skylog {

class TTasksList;

enum class TPeriodUnit { Unique, Minute, Heure, Jour };
inline constexpr const char* kPeriodUnitNames[] = {"Unique", "Minute", "Heure", "Jour"};

inline constexpr int kPeriodMinimum = 1;
// The arrows' maximum before a unit has been chosen.
inline constexpr int kFreshPeriodMaximum = 100;

inline constexpr const char* kNoTaskTypeDescription = "Selectionnez un type de tâche à exécuter!";
inline constexpr const char* kNextCallInPast = "La date du prochain lancement est dans le passé!";
inline constexpr const char* kPeriodNotANumber = "La périodicité doit être un nombre entier!";
inline constexpr const char* kDeleteTaskQuestion = "Voulez-vous supprimer définitivement la tâche?";
inline constexpr const char* kActivateTasksQuestion =
    "Attention, vous avez défini des tâches mais elles ne sont pas activées pour l'instant.\n"
    "Voulez-vous activer l'exécution des tâches ?";

struct TPeriodShown {
    TPeriodUnit Unit = TPeriodUnit::Unique;
    int Number = 1;
};

// A stored period as the editor shows it: minutes under an hour, hours under a day,
// days otherwise, rounded to the nearest whole; a period under a minute is a single
// call, as the schedule treats it.
[[nodiscard]] TPeriodShown PeriodShownOf(double periodicity);
// The arrows' maximum of a unit (59, 23, 1000) and the number a change to it proposes.
[[nodiscard]] int PeriodMaximum(TPeriodUnit unit);
[[nodiscard]] int PeriodDefaultNumber(TPeriodUnit unit);
[[nodiscard]] int ClampPeriodNumber(int number, TPeriodUnit unit);
// The text of the number box once left: a number within the unit's bounds, or the text
// unchanged when it is not a number (OK refuses it then).
[[nodiscard]] std::string BoundPeriodText(std::string_view text, TPeriodUnit unit);
// Days of N units (0 for a single call).
[[nodiscard]] double PeriodicityOf(TPeriodUnit unit, int number);

// The next call a new task proposes: five minutes from now, to the whole minute.
[[nodiscard]] TDateTime DefaultNextCall(TDateTime now);

// The editor's OK: the schedule for the working task, or why the dialog stays open.
enum class TScheduleBox { Date, Number };
struct TScheduleTexts {
    TDateTime Date = 0;  // the date box (its time of day is ignored)
    TDateTime Time = 0;  // the time box (its day is ignored)
    TPeriodUnit Unit = TPeriodUnit::Unique;
    std::string Number;
};
struct TSchedule {
    TDateTime NextCall = 0;
    double Periodicity = 0;
};
struct TScheduleReading {
    std::optional<TSchedule> Schedule;
    std::optional<TFormRefusal<TScheduleBox>> Refusal;
};
[[nodiscard]] TScheduleReading ReadSchedule(const TScheduleTexts& texts, TDateTime now);

// The list dialog's OK asks to switch the tasks on when one of them will be called and
// automatic mode is off.
[[nodiscard]] bool ShouldAskToActivate(const TTasksList& tasks, bool automode);

}  // namespace skylog
