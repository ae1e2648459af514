#include "Common/FormField.h"

#include <cstdint>

#include "Common/Encoding.h"

namespace skylog {

namespace {

// Bytes of the UTF-8 sequence that starts with lead (1 for a stray byte).
size_t sequenceLength(uint8_t lead) {
    if (lead >= 0xF0) return 4;
    if (lead >= 0xE0) return 3;
    if (lead >= 0xC0) return 2;
    return 1;
}

// The character as the message shows it: a byte that does not begin a whole UTF-8
// sequence (a Latin-1 terminal) is named by its value.
std::string shownCharacter(std::string_view character, size_t expected) {
    bool whole = character.size() == expected && expected > 1;
    for (size_t k = 1; k < character.size(); ++k)
        whole = whole && (static_cast<uint8_t>(character[k]) & 0xC0) == 0x80;
    if (whole) return std::string(character);
    static constexpr char kHex[] = "0123456789ABCDEF";
    const auto byte = static_cast<uint8_t>(character[0]);
    return std::string("\\x") + kHex[byte >> 4] + kHex[byte & 0x0F];
}

}  // namespace

std::optional<std::string> UnstorableTextMessage(std::string_view text, std::string_view where) {
    for (size_t i = 0; i < text.size();) {
        const auto lead = static_cast<uint8_t>(text[i]);
        const size_t expected = sequenceLength(lead);
        const std::string_view character = text.substr(i, expected);
        i += character.size();
        const bool c1Control =
            character.size() == 2 && lead == 0xC2 && static_cast<uint8_t>(character[1]) < 0xA0;
        if (lead < 0x20 || lead == 0x7F || c1Control)
            return "Il n'est pas possible d'utiliser un caractère de contrôle (retour à la ligne, "
                   "tabulation) " +
                   std::string(where) + "!";
        if (lead >= 0x80 && Cp1252ToUtf8(Utf8ToCp1252(character)) != character)
            return "Le caractère \"" + shownCharacter(character, expected) +
                   "\" ne peut pas être enregistré " + std::string(where) +
                   " (jeu de caractères Windows-1252)!";
    }
    return std::nullopt;
}

}  // namespace skylog
