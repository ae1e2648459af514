// Association lines of DcpList.inf: any line, and when it is accepted, its ToLine read
// again gives the same association and the same line. The manager list of the sample
// is installed, so identifiers of managers that do not exist are dropped.

#include <string>

#include "dcp/UDCPList.h"
#include "fuzz/FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace skylog;
    using namespace skylog::fuzz;
    Workspace& ws = TheWorkspace();
    const std::string_view line(reinterpret_cast<const char*>(data), size);

    TDCPAsso asso(&ws.Managers());
    if (!asso.FromLine(line, ws.Reporter())) return 0;
    static_cast<void>(asso.Managers.DisplayStr());
    const std::string written = asso.ToLine();
    TDCPAsso again(&ws.Managers());
    Check(again.FromLine(written, ws.Reporter()), "a written association line is refused");
    Check(again.StartDate == asso.StartDate && again.EndDate == asso.EndDate, "dates changed through ToLine");
    Check(again.InstrumentNumber == asso.InstrumentNumber, "the instrument changed through ToLine");
    Check(again.PosName == asso.PosName, "the locality changed through ToLine");
    Check(again.Managers.Ids() == asso.Managers.Ids(), "the managers changed through ToLine");
    Check(again.ToLine() == written, "ToLine is not stable");
    return 0;
}
