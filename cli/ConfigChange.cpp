#include "cli/ConfigChange.h"

#include <iostream>

#include "cli/Commands.h"
#include "cli/Names.h"
#include "dcp/UDCPList.h"
#include "managers/UManagers.h"
#include "plugin/USkylog.h"

namespace skylog::cli {

TConfigChange::TConfigChange(TSkylog& run)
    : lock_(run.WorkDir()), managers_(run.Managers()), beacons_(run.Beacons()) {
    managers_.LoadFromFile(run.Reporter());
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
