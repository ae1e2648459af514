// The message file reader on any bytes, followed by the decoding of every beacon's
// blocks and their conversion into K7 events. The first byte picks the format (its
// value modulo 5: .CNRS, .NASA, .DCP, .BRU, .GOES) and, with what is left of it, the
// decoding settings and the road: most inputs go through ReadBuffer in memory, some
// through a file and ReadFile, then are flushed to the working directory and the
// days read back from the daily message files.

#include <filesystem>
#include <set>
#include <string>

#include "Common/DateTime.h"
#include "Common/FileUtil.h"
#include "dcp/UDCPList.h"
#include "dcp/UDCPReport.h"
#include "fuzz/FuzzSupport.h"
#include "import/UDecodFile.h"

namespace skylog::fuzz {
namespace {

constexpr const char* kExtensions[] = {".CNRS", ".NASA", ".DCP", ".BRU", ".GOES"};

void ThroughFile(Workspace& ws, std::string_view bytes, const char* extension) {
    const std::string path = ws.Dir() + "input" + extension;
    WriteFileAtomic(path, bytes);
    Check(ws.Reader().ReadFile(path) == 0, "ReadFile refused a known extension");
    DeleteFile(path);

    std::set<TDateTime> days;
    for (const auto& beacon : ws.Beacons().Beacons)
        for (const auto& block : beacon->Blocks())
            if (block->Date != 0) days.insert(DateOf(block->Date));
    ws.Beacons().FlushAll();
    ws.Beacons().ClearAll();
    for (const TDateTime day : days) ws.Beacons().LoadDay(day, -1);
    ws.Beacons().ClearAll();

    std::error_code ignored;
    std::filesystem::remove_all(ws.Dir() + "DataDCP", ignored);
    std::filesystem::remove_all(ws.Dir() + "DataK7", ignored);
}

}  // namespace
}  // namespace skylog::fuzz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace skylog;
    using namespace skylog::fuzz;
    Workspace& ws = TheWorkspace();
    ws.Reset();
    InputCursor input(data, size);
    const uint8_t first = input.Byte();
    const char* extension = kExtensions[first % 5];
    const int mode = first / 5;  // 0..51
    TSkylogSettings& settings = ws.Settings();
    settings.DCPDateNew = (mode & 8) == 0;
    settings.DecodBadJump = (mode & 16) != 0;
    settings.DecodBadFE = (mode & 32) != 0;
    settings.ImprobableDateDecod = (mode & 2) != 0;
    const std::string_view bytes = input.Rest();

    if (mode % 8 == 7) {
        ThroughFile(ws, bytes, extension);
    } else {
        ws.Reader().ReadBuffer(bytes, TDecodFile::FormatOfPath(extension));
        for (const auto& beacon : ws.Beacons().Beacons) {
            beacon->DecodeAll();
            StringList labels, values;
            BuildReport(*beacon, labels, values, ws.HostView().DecimalSeparator);
            Check(labels.size() == values.size(), "report rows without values");
            for (const auto& block : beacon->Blocks())
                for (const TDCPDataError& e : block->Errors) static_cast<void>(ErrorText(e) + ErrorLabel(e));
        }
        for (const TDecodFileError& e : ws.Reader().Errors) static_cast<void>(TDecodFile::ErrorMessage(e));
    }
    ws.Reset();
    return 0;
}
