#pragma once
// The rules of the scenario information window that need no widget: why an event
// cannot be listed element by element, and its lines when it can. Standard library and
// engine only.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace skylog {
class TEvenement;
}

namespace skylog::forms {

inline constexpr const char* kScnUnexplained = "????";
inline constexpr const char* kScnWrongSize =
    "Ce scénario est invalide car sa taille est incorrect. Ce problème peut survenir à la suite d'une mauvaise "
    "transmission.";
inline constexpr const char* kScnUnknown =
    "Ce scénario n'est pas encore reconnu par la version actuelle de ORMAWin.\n"
    "Veuillez sauvegarder le fichier K7 et contacter Velmont pour ajouter ce type de mesure dans le logiciel";
inline constexpr const char* kScnEmpty = "Ce scénario est vide et ne contient aucune donnée.";

// The explanation shown instead of the elements, the first that applies: a wrong size,
// no descriptor, an empty event; nothing when the elements can be listed.
[[nodiscard]] std::optional<std::string> ScnProblemText(uint8_t errorCode, bool hasDescriptor, bool empty);
[[nodiscard]] std::optional<std::string> ScnProblemText(const TEvenement& event);

struct TScnInfoLine {
    std::string Text;
    int32_t ImageIndex = -1;  // the element type's icon; -1 none
    int32_t Element = -1;     // the element's position in the event; -1 for the debug line
};
// One line per element ("description: value", with its type's icon), after a line
// "Scn: " + the descriptor's StatusCode when debugging; none without elements.
[[nodiscard]] std::vector<TScnInfoLine> ScnInfoLines(const TEvenement& event, bool debug);

}  // namespace skylog::forms
