#include "tasks/TasksInf.h"

#include "Common/UUtils.h"

namespace skylog::tasks_inf {

std::optional<TDateTime> ParseDate(std::string_view text) {
    const std::string trimmed = Trim(text);
    const size_t lastSlash = trimmed.rfind('/');
    if (lastSlash == std::string::npos) return std::nullopt;
    const std::string_view year = std::string_view(trimmed).substr(lastSlash + 1);
    if (year.size() > 2) return ParseDateDMY(trimmed);
    const auto shortYear = ParseInt32(year);
    if (!shortYear || *shortYear < 0) return std::nullopt;
    return ParseDateDMY(trimmed.substr(0, lastSlash + 1) + std::to_string(ExpandYear(*shortYear)));
}

std::optional<TDateTime> ParseTime(std::string_view text) { return ParseTimeHMS(Trim(text)); }

}  // namespace skylog::tasks_inf
