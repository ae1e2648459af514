#pragma once
// The editor of one manager and the questions of the managers dialog, without their
// windows; the desktop dialogs and the command line call the same functions.

#include <optional>
#include <string>

#include "Common/FormField.h"
#include "managers/UManagers.h"

namespace skylog {

enum class TManagerField { Name, ForName, Mail };

struct TManagerTexts {
    std::string Name;     // "Nom :"
    std::string ForName;  // "Prénom :"
    std::string Mail;     // "Adresse e-mail"
};

[[nodiscard]] TManagerTexts ManagerTexts(const TManager& manager);

// The editor's OK: a comma in any box is refused, since Managers.inf separates its
// fields with commas, and so is a text that the file cannot hold. Empty boxes are
// accepted. The refusal names the first box at fault.
[[nodiscard]] std::optional<TFormRefusal<TManagerField>> CheckManagerTexts(
    const TManagerTexts& texts);
// Writes the texts into the manager; they must have passed CheckManagerTexts.
void StoreManager(TManager& manager, const TManagerTexts& texts);

// The question asked before a manager is deleted.
[[nodiscard]] std::string DeleteManagerQuestion(const TManager& manager);

}  // namespace skylog
