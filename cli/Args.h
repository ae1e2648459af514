#pragma once
// The arguments of one command, parsed against the options its help entry lists, with
// readers of option values that say what is wrong and what form is expected.

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "Common/DateTime.h"
#include "cli/Help.h"

namespace skylog::cli {

// A mistake in the command line: main() prints the message and the command's usage
// line, and exits with status 2.
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class Args {
public:
    // "--name value", "--name=value" and flags, in any order among the positional
    // arguments; "--" ends the options; "-5" is a positional argument. Throws
    // UsageError for an unknown option (naming the nearest one), a missing value, an
    // option given twice, a required option left out, or a value that is not of the
    // option's kind (a date that does not exist, with the expected form).
    Args(const CommandHelp& command, const std::vector<std::string>& words);

    [[nodiscard]] const CommandHelp& Command() const { return *command_; }
    [[nodiscard]] const std::vector<std::string>& Positional() const { return positional_; }
    // Throws UsageError unless there are min to max positional arguments.
    void ExpectPositional(size_t min, size_t max) const;

    [[nodiscard]] bool Has(std::string_view option) const { return Text(option).has_value(); }
    [[nodiscard]] std::optional<std::string> Text(std::string_view option) const;
    // The values of options of those kinds, checked when parsed.
    [[nodiscard]] std::optional<TDateTime> Date(std::string_view option) const;
    [[nodiscard]] std::optional<TDateTime> DateTime(std::string_view option) const;
    [[nodiscard]] std::optional<int32_t> Count(std::string_view option) const;

private:
    const CommandHelp* command_;
    std::vector<std::string> positional_;
    std::vector<std::pair<std::string, std::string>> options_;
};

// What is wrong with a date given on the command line ("date inexistante : ...",
// with the expected form), or nothing when it reads; for options and variables alike.
[[nodiscard]] std::optional<std::string> IsoDateProblem(std::string_view text);
[[nodiscard]] std::optional<std::string> IsoDateTimeProblem(std::string_view text);

}  // namespace skylog::cli
