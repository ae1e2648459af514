#pragma once
// What the beacon list and everything it holds reach during a run, handed to the list
// when the run builds it: the run's environment (settings and working directory,
// reporter, clock), the host's data, the manager list, the scenario converter, and
// the reader that reads stored days back. Every object named here must outlive the
// list. Also what a front end is told of the list's content (IStoreObserver).

#include <cstdint>
#include <string>
#include <vector>

#include "Common/DateTime.h"
#include "Common/RunEnvironment.h"
#include "Common/RunJournal.h"
#include "k7/HostData.h"

namespace skylog {

class TManagerList;
class TDCP;
class TDCP_to_K7;

// Reads one message file into the beacon list it serves (the message file reader of
// import/ implements it), then has every beacon decode its new blocks. Both throw
// FileError when the file cannot be read.
class IMessageFileReader {
public:
    virtual ~IMessageFileReader() = default;
    // A ground-station file: 0, or -1 when its format is not recognised (the file is
    // then not read).
    [[nodiscard]] virtual int32_t ReadFile(const std::string& path) = 0;
    // A daily message file of the store (day loading).
    virtual void ReadDailyFile(const std::string& path) = 0;
};

// What changed in the message store, for a front end that shows it: it keeps its views
// in step (or reloads the day it shows) instead of the engine reaching into them.
// Every call has a default that does nothing.
class IStoreObserver {
public:
    virtual ~IStoreObserver() = default;
    // Blocks of the beacon were read and decoded: from a message file, or from a day
    // of the store itself (day loading) when fromStore.
    virtual void BlocksAdded(const TDCP& /*beacon*/, bool /*fromStore*/) {}
    // The K7 files and daily message files of the day were written.
    virtual void DaySaved(TDateTime /*day*/) {}
    // The blocks and K7 items are about to be dropped: views let go of them now.
    virtual void ContentDropping() {}
};

// The message store as a run drives it: the reader's ReadFile and the day operations of
// the beacon list. The import and the tasks work through it; tests stand in for it.
class IMessageStore {
public:
    virtual ~IMessageStore() = default;
    // 0 when the file was read, -1 when its format is not recognised.
    [[nodiscard]] virtual int32_t ReadFile(const std::string& path) = 0;
    // The messages filed under a beacon from the file last read (0: none was
    // recognised, or all named undefined beacons).
    [[nodiscard]] virtual int64_t MessagesOfLastFile() const = 0;
    virtual void FlushAll() = 0;
    // The files read (paths as ReadFile had them) holding a message that the last
    // FlushAll could not store: its daily message file could not be opened or created.
    [[nodiscard]] virtual std::vector<std::string> UnstoredFiles() const = 0;
    [[nodiscard]] virtual size_t BeaconCount() const = 0;
    virtual void ClearAll() = 0;
    virtual void LoadDay(TDateTime date, int beaconIndex) = 0;
    virtual void FlushK7ItemsOfDay(TDateTime date) = 0;
    // The beacon list's estimate of the content it holds (TDCPList::PendingBytes).
    [[nodiscard]] virtual size_t PendingBytes() const = 0;
    // Files read one after the other by an import: see TDCPList::SetBulkReading.
    virtual void SetBulkReading(bool /*on*/) {}
    // What reading and decoding came to since the last call (TDCPList::TakeCounts).
    [[nodiscard]] virtual TRunCounts TakeCounts() { return {}; }
};

struct TStoreContext {
    TRunEnvironment Env;
    THostData Host;
    const TManagerList* Managers = nullptr;  // null: managers of associations are not checked
    TDCP_to_K7* Converter = nullptr;         // null: blocks are decoded, scenarios not converted
    IMessageFileReader* Reader = nullptr;    // null: LoadDay reads nothing

    [[nodiscard]] const std::string& WorkDir() const { return Env.WorkDir(); }
    [[nodiscard]] IMessageBoxes& Reporter() const { return Env.Reporter; }
};

}  // namespace skylog
