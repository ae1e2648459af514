#pragma once
// One change of the configuration lists by a command: the run's beacon and manager
// lists are read again from disk under the working directory's lock, so that what
// another program wrote since the run began is not undone, and are written back from
// here only, once the change is accepted. A refused change writes nothing.

#include <string>
#include <string_view>

#include "Common/WorkDirLock.h"

namespace skylog {
class TDCP;
class TDCPList;
class TManagerList;
class TSkylog;
}  // namespace skylog

namespace skylog::cli {

class TConfigChange {
  public:
    // Takes the lock, then reads the run's Managers.inf, then its DcpList.inf (whose
    // associations name managers).
    explicit TConfigChange(TSkylog& run);
    TConfigChange(const TConfigChange&) = delete;
    TConfigChange& operator=(const TConfigChange&) = delete;

    [[nodiscard]] TDCPList& Beacons() { return beacons_; }
    [[nodiscard]] TManagerList& Managers() { return managers_; }
    // The beacon of that name (a usage error when there is none).
    [[nodiscard]] TDCP& Beacon(const std::string& name);

    // Write DcpList.inf, Managers.inf (atomically; FileError when they cannot be).
    void SaveBeacons();
    void SaveManagers();

  private:
    TWorkDirLock lock_;
    TManagerList& managers_;
    TDCPList& beacons_;
};

// Prints why a change is refused; returns kExitFailure.
int Refused(std::string_view message);

}  // namespace skylog::cli
