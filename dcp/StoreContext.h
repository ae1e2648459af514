#pragma once
// What the beacon list and everything it holds reach during a run, handed to the list
// when the run builds it: the run's environment (settings and working directory,
// reporter, clock), the host's data, the manager list, the scenario converter, and
// the reader that reads stored days back. Every object named here must outlive the
// list.

#include <cstdint>
#include <string>

#include "Common/RunEnvironment.h"
#include "k7/HostData.h"

namespace skylog {

class TManagerList;
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
