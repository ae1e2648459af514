// One open K7 file of one instrument and day.

#include <cstdio>

#include "Common/FileUtil.h"
#include "Common/Settings.h"
#include "Common/UUtils.h"
#include "dcp/UDCPList.h"
#include "k7/UK7File.h"

namespace skylog {

namespace {

constexpr std::string_view kK7Folder = "DataK7";
// A new file's parameter block: the instrument code in hex, then zeros.
constexpr size_t kNewParamBlocLength = 254;

std::string newParamBloc(uint8_t instrumentCode) {
    std::string paramBloc(kNewParamBlocLength, '0');
    const std::string code = ByteToHexString(instrumentCode);
    paramBloc.replace(0, code.size(), code);
    return paramBloc;
}

}  // namespace

TDCPK7Item::TDCPK7Item(int32_t instrumentNumber, uint8_t instrumentCode, TDateTime date)
    : Day(DateOf(date)), InstrumentNumber(instrumentNumber) {
    const std::string path = K7FilePath(false);
    if (!FileExists(path)) {
        K7File = std::make_unique<TK7File>();
        K7File->SetParamBloc(newParamBloc(instrumentCode));
        return;
    }
    K7File = std::make_unique<TK7File>(path);
    // A file too short to hold a header has no events and no parameter block: it starts
    // afresh, or the new events would never be written. A file that could not be read
    // keeps no parameter block, so that the flush refuses to replace it.
    if (K7File->HasBuffer() && K7File->ParamBloc().empty())
        K7File->SetParamBloc(newParamBloc(instrumentCode));
}

TDCPK7Item::~TDCPK7Item() = default;

std::string TDCPK7Item::K7FilePath(bool createFolder) const {
    const DateParts d = DecodeDate(Day);
    char folderName[32];
    std::snprintf(folderName, sizeof folderName, "%04d_%02d_%02d", d.year, d.month, d.day);
    char fileName[48];
    std::snprintf(fileName, sizeof fileName, "P%03d_%04d%02d%02d.K7", InstrumentNumber, d.year,
                  d.month, d.day);
    const std::string folder = IncludeBackslash(Settings().WorkDir) + std::string(kK7Folder) +
                               kPathSeparator + folderName;
    if (createFolder && !DirectoryExists(folder)) ForceDirectories(folder);
    return folder + kPathSeparator + fileName;
}

void TDCPK7Item::Flush() {
    const std::string path = K7FilePath(true);
    if (K7File->Events().empty()) return;
    if (!K7File->BuildBuffer())
        throw FileError("Le fichier K7 " + path + " n'a pas pu être lu : il n'est pas remplacé.");
    if (!K7File->SaveToFile(path)) throw FileError("Impossible d'écrire le fichier K7 " + path);
}

}  // namespace skylog
