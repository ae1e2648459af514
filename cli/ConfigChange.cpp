#include "cli/ConfigChange.h"

#include <iostream>

#include "Common/FileUtil.h"
#include "Common/RunObjects.h"
#include "Common/Settings.h"
#include "cli/Commands.h"
#include "cli/Names.h"
#include "dcp/UDCPList.h"
#include "managers/UManagers.h"

namespace skylog::cli {

namespace {

template <class T>
T& loaded(T* list) {
    if (list == nullptr) throw FileError("les listes de la configuration ne sont pas chargées");
    return *list;
}

}  // namespace

TConfigChange::TConfigChange()
    : lock_(Settings().WorkDir),
      managers_(loaded(Run().Managers)),
      beacons_(loaded(Run().Beacons)) {
    managers_.LoadFromFile();
    beacons_.LoadFromFile();
}

TDCP& TConfigChange::Beacon(const std::string& name) {
    return *beacons_.Beacons[BeaconIndex(beacons_, name)];
}

void TConfigChange::SaveBeacons() { beacons_.SaveToFile(); }

void TConfigChange::SaveManagers() { managers_.SaveToFile(); }

int Refused(std::string_view message) {
    std::cerr << "skylog: " << message << '\n';
    return kExitFailure;
}

}  // namespace skylog::cli
