#pragma once
// Names of Tasks.inf: one [Tasks] section with the count, then one section per task
// named "Task" + its zero-based position. Dates and times are written in one fixed
// form (dd/mm/yyyy, hh:nn:ss) so that the file reads back whatever the user's locale.

#include <string>
#include <string_view>

namespace skylog::tasks_inf {

inline constexpr std::string_view kFileName = "Tasks.inf";

inline constexpr std::string_view kListSection = "Tasks";
inline constexpr std::string_view kNbTasks = "NbTasks";

inline constexpr std::string_view kType = "Type";
inline constexpr std::string_view kNextCallDate = "NextCallDate";
inline constexpr std::string_view kNextCallTime = "NextCallTime";
inline constexpr std::string_view kPeriodicity = "Periodicity";
inline constexpr std::string_view kPeriodicityDay = "Periodicity_Day";

// File collection task.
inline constexpr std::string_view kInputDirectory = "InputDirectory";
inline constexpr std::string_view kSupprAfterAdd = "SupprAfterAdd";
inline constexpr std::string_view kImportationMask = "ImportationMask";

// K7 rebuild task.
inline constexpr std::string_view kNbDayToBuild = "NbDayToBuild";
inline constexpr std::string_view kFromSpecialDate = "FromSpecialDate";
inline constexpr std::string_view kSpecialDate = "SpecialDate";

inline constexpr int kNoType = -1;

[[nodiscard]] inline std::string TaskSection(size_t index) { return "Task" + std::to_string(index); }

}  // namespace skylog::tasks_inf

#include <optional>

#include "Common/DateTime.h"

namespace skylog::tasks_inf {

// Reads a date written "dd/mm/yyyy"; a two-digit year (a short date format of an
// earlier installation) is expanded as everywhere else. Surrounding blanks are ignored.
[[nodiscard]] std::optional<TDateTime> ParseDate(std::string_view text);
// Reads a time written "hh:nn:ss" (or "hh:nn").
[[nodiscard]] std::optional<TDateTime> ParseTime(std::string_view text);

}  // namespace skylog::tasks_inf
