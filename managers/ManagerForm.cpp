#include "managers/ManagerForm.h"

#include <array>
#include <string_view>
#include <utility>

namespace skylog {

TManagerTexts ManagerTexts(const TManager& manager) {
    return {manager.Name, manager.ForName, manager.Mail};
}

std::optional<TFormRefusal<TManagerField>> CheckManagerTexts(const TManagerTexts& texts) {
    const std::array<std::pair<TManagerField, const std::string*>, 3> boxes{
        {{TManagerField::Name, &texts.Name},
         {TManagerField::ForName, &texts.ForName},
         {TManagerField::Mail, &texts.Mail}}};
    for (const auto& [box, text] : boxes)
        if (text->find(',') != std::string::npos)
            return TFormRefusal<TManagerField>{
                box,
                "Il n'est pas possible d'utiliser le caractère virgule (',') dans les champs!"};
    for (const auto& [box, text] : boxes)
        if (auto message = UnstorableTextMessage(*text, "dans les champs"))
            return TFormRefusal<TManagerField>{box, std::move(*message)};
    return std::nullopt;
}

void StoreManager(TManager& manager, const TManagerTexts& texts) {
    manager.Name = texts.Name;
    manager.ForName = texts.ForName;
    manager.Mail = texts.Mail;
}

std::string DeleteManagerQuestion(const TManager& manager) {
    return "Attention, le responsable \"" + manager.FullName() +
           "\" va être supprimé, voulez-vous continuer?";
}

}  // namespace skylog
