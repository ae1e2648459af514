// The message store of a run: the reader and the beacon list that the run
// composition put in Run(). Kept in its own file so that code which installs its own
// store does not depend on the real classes.

#include "Common/RunObjects.h"
#include "dcp/UDCPList.h"
#include "import/UDecodFile.h"
#include "tasks/TaskServices.h"

namespace skylog {

namespace {
class TRunObjectsStore : public ITaskStore {
public:
    int ReadFile(const std::string& path) override {
        return Run().Reader ? Run().Reader->ReadFile(path) : -1;
    }
    void FlushAll() override {
        if (Run().Beacons) Run().Beacons->FlushAll();
    }
    void ClearAll() override {
        if (Run().Beacons) Run().Beacons->ClearAll();
    }
    void LoadDay(TDateTime date, int beaconIndex) override {
        if (Run().Beacons) Run().Beacons->LoadDay(date, beaconIndex);
    }
    void FlushK7ItemsOfDay(TDateTime date) override {
        if (Run().Beacons) Run().Beacons->FlushK7ItemsOfDay(date);
    }
};
}  // namespace

ITaskStore& RunObjectsStore() {
    static TRunObjectsStore store;
    return store;
}

}  // namespace skylog
