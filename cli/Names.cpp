#include "cli/Names.h"

#include <vector>

#include "Common/NearestName.h"
#include "Common/UUtils.h"
#include "cli/Args.h"
#include "dcp/UDCPList.h"
#include "managers/UManagers.h"

namespace skylog::cli {

size_t BeaconIndex(const TDCPList& list, const std::string& name) {
    std::vector<std::string> names;
    for (size_t i = 0; i < list.Count(); ++i) {
        if (list.Beacons[i]->Name == name) return i;
        names.push_back(list.Beacons[i]->Name);
    }
    std::string message = "balise inconnue : " + name;
    if (const auto near = NearestName(name, names, 1))
        message += " (vouliez-vous dire " + *near + " ?)";
    throw UsageError(message);
}

TManager& ManagerNamed(const TManagerList& list, const std::string& id) {
    const std::optional<int32_t> number = ParseInt32(id);
    TManager* manager = number ? list.FindById(*number) : nullptr;
    if (manager == nullptr)
        throw UsageError("aucun responsable n'a l'identifiant " + id + " (skylog managers list)");
    return *manager;
}

}  // namespace skylog::cli
