// The message store of a run, over the run's reader and beacon list. Kept apart so
// that the task runs themselves know only ITaskStore.

#include "dcp/UDCPList.h"
#include "tasks/TaskServices.h"

namespace skylog {

int TRunStore::ReadFile(const std::string& path) { return reader_.ReadFile(path); }
void TRunStore::FlushAll() { beacons_.FlushAll(); }
void TRunStore::ClearAll() { beacons_.ClearAll(); }
void TRunStore::LoadDay(TDateTime date, int beaconIndex) { beacons_.LoadDay(date, beaconIndex); }
void TRunStore::FlushK7ItemsOfDay(TDateTime date) { beacons_.FlushK7ItemsOfDay(date); }

}  // namespace skylog
