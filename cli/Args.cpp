#include "cli/Args.h"

#include <algorithm>

#include "Common/NearestName.h"
#include "Common/UUtils.h"

namespace skylog::cli {
namespace {

constexpr std::string_view kDateForm = " (forme attendue AAAA-MM-JJ, par exemple 2005-03-07)";
constexpr std::string_view kDateTimeForm =
    " (forme attendue \"AAAA-MM-JJ hh:mm\", par exemple \"2005-03-07 14:30\")";

bool digits(std::string_view text, size_t min, size_t max) {
    return text.size() >= min && text.size() <= max &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// Of the form of a date, whether or not such a day exists.
bool dateShaped(std::string_view text) {
    const StringList parts = Split(text, '-');
    return parts.size() == 3 && text.back() != '-' && digits(parts[0], 4, 4) && digits(parts[1], 1, 2) &&
           digits(parts[2], 1, 2);
}

bool timeShaped(std::string_view text) {
    const StringList parts = Split(text, ':');
    return (parts.size() == 2 || parts.size() == 3) && text.back() != ':' &&
           std::all_of(parts.begin(), parts.end(), [](const std::string& p) { return digits(p, 1, 2); });
}

// The command's options and the global ones, which may be misspelt as well.
std::vector<std::string> optionNames(const CommandHelp& command) {
    std::vector<std::string> names;
    for (const OptionHelp& o : command.options) names.emplace_back(o.name);
    for (const OptionHelp& o : GlobalOptionHelp()) names.emplace_back(o.name);
    return names;
}

std::optional<std::string> valueProblem(const OptionHelp& option, const std::string& value) {
    switch (option.kind) {
        case ValueKind::Date: return IsoDateProblem(value);
        case ValueKind::DateTime: return IsoDateTimeProblem(value);
        case ValueKind::Count:
            if (const auto n = ParseInt32(value); n && *n >= 0) return std::nullopt;
            return "nombre entier positif ou nul attendu : " + value;
        case ValueKind::Text: return std::nullopt;
    }
    return std::nullopt;
}

}  // namespace

std::optional<std::string> IsoDateProblem(std::string_view text) {
    if (ParseIsoDate(text)) return std::nullopt;
    return (dateShaped(text) ? "date inexistante : " : "date illisible : ") + std::string(text) +
           std::string(kDateForm);
}

std::optional<std::string> IsoDateTimeProblem(std::string_view text) {
    if (ParseIsoDateTime(text)) return std::nullopt;
    const size_t space = text.find_first_of(" T");
    const bool shaped = space != std::string_view::npos && dateShaped(text.substr(0, space)) &&
                        timeShaped(text.substr(space + 1));
    return (shaped ? "date et heure inexistantes : " : "date et heure illisibles : ") + std::string(text) +
           std::string(kDateTimeForm);
}

Args::Args(const CommandHelp& command, const std::vector<std::string>& words) : command_(&command) {
    bool optionsEnded = false;
    for (size_t i = 0; i < words.size(); ++i) {
        const std::string& word = words[i];
        const bool looksLikeOption = word.size() > 1 && word[0] == '-' && !(word[1] >= '0' && word[1] <= '9');
        if (optionsEnded || !looksLikeOption) {
            positional_.push_back(word);
            continue;
        }
        if (word == "--") {
            optionsEnded = true;
            continue;
        }
        const size_t equals = word.find('=');
        const std::string name = word.substr(0, equals);
        const OptionHelp* option = FindOption(command, name);
        if (option == nullptr) {
            std::string message = "option inconnue : " + name;
            if (const auto near = NearestName(name, optionNames(command)))
                message += " (vouliez-vous dire " + *near + " ?)";
            throw UsageError(message);
        }
        if (Has(name)) throw UsageError("option donnée deux fois : " + name);
        std::string value;
        if (option->value.empty()) {
            if (equals != std::string::npos) throw UsageError(name + " ne prend pas de valeur");
        } else if (equals != std::string::npos) {
            value = word.substr(equals + 1);
        } else if (i + 1 < words.size()) {
            value = words[++i];
        } else {
            throw UsageError(name + " demande une valeur");
        }
        if (const auto problem = valueProblem(*option, value)) throw UsageError(name + " : " + *problem);
        options_.emplace_back(name, std::move(value));
    }
    for (const OptionHelp& o : command.options)
        if (o.required && !Has(o.name)) throw UsageError("option obligatoire absente : " + std::string(o.name));
}

void Args::ExpectPositional(size_t min, size_t max) const {
    if (positional_.size() < min) throw UsageError("argument manquant");
    if (positional_.size() > max) throw UsageError("argument en trop : " + positional_[max]);
}

std::optional<std::string> Args::Text(std::string_view option) const {
    for (const auto& [name, value] : options_)
        if (name == option) return value;
    return std::nullopt;
}

std::optional<TDateTime> Args::Date(std::string_view option) const {
    const auto text = Text(option);
    return text ? ParseIsoDate(*text) : std::nullopt;
}

std::optional<TDateTime> Args::DateTime(std::string_view option) const {
    const auto text = Text(option);
    return text ? ParseIsoDateTime(*text) : std::nullopt;
}

std::optional<int32_t> Args::Count(std::string_view option) const {
    const auto text = Text(option);
    return text ? ParseInt32(*text) : std::nullopt;
}

}  // namespace skylog::cli
