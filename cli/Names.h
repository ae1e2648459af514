#pragma once
// The beacons and managers that a command's arguments name.

#include <string>

namespace skylog {
class TDCPList;
class TManager;
class TManagerList;
}  // namespace skylog

namespace skylog::cli {

// The index of the first beacon of that name. An unknown name is a usage error that
// names the beacon probably meant (another case, one letter off).
[[nodiscard]] size_t BeaconIndex(const TDCPList& list, const std::string& name);

// The manager of that identifier; a usage error when there is none.
[[nodiscard]] TManager& ManagerNamed(const TManagerList& list, const std::string& id);

}  // namespace skylog::cli
