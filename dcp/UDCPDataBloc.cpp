// Message blocks: construction, body, error records and the daily message file.
// Decoding lives in UDCPDecode.cpp.

#include <algorithm>
#include <cstring>

#include "Common/FileUtil.h"
#include "Common/MessageBoxes.h"
#include "Common/UUtils.h"
#include "Common/WorkDirLock.h"
#include "dcp/UDCPList.h"
#include "dcp/UDailyFile.h"

namespace skylog {

namespace {

// Some stations put a "VGTM" marker (and spaces) in front of the first body line.
constexpr std::string_view kBodyPrefix = "VGTM";
constexpr size_t kBodyPrefixSearch = 16;

}  // namespace

TDCPDataBloc::TDCPDataBloc(TDCP* beacon) : Beacon(beacon) {}

void TDCPDataBloc::AddBody(const uint8_t* bytes, size_t count) {
    if (BodyLength == 0 && count > 0) {
        const std::string_view head(reinterpret_cast<const char*>(bytes),
                                    std::min(count, kBodyPrefixSearch));
        const size_t at = head.find(kBodyPrefix);
        if (at != std::string_view::npos) {
            size_t cut = at + kBodyPrefix.size();
            while (cut < count && bytes[cut] == ' ') ++cut;
            bytes += cut;
            count -= cut;
        }
    }
    if (count == 0) return;
    Body.insert(Body.end(), bytes, bytes + count);
    BodyLength = static_cast<int32_t>(Body.size());
}

void TDCPDataBloc::AddError(int32_t code, std::string s1, std::string s2, std::string s3) {
    Errors.push_back(TDCPDataError{code, std::move(s1), std::move(s2), std::move(s3)});
}

std::string TDCPDataBloc::DailyFilePath(bool createFolder) const {
    if (Date == 0.0 || Beacon == nullptr || Beacon->Owner == nullptr) return {};
    const std::string folder = DailyFolderPath(Beacon->Owner->Context().WorkDir(), Beacon->FolderName());
    if (createFolder && !DirectoryExists(folder)) ForceDirectories(folder);
    return folder + kPathSeparator + DailyFileName(Date);
}

std::string TDCPDataBloc::DailyRecord() const {
    std::string record;
    AppendDailyRecord(record);
    return record;
}

void TDCPDataBloc::AppendDailyRecord(std::string& out) const {
    const std::string_view body = RecordBody();
    out.reserve(out.size() + Header.size() + body.size() + 2 * kRecordLineEnd.size());
    out += Header;
    out += kRecordLineEnd;
    out += body;
    out += kRecordLineEnd;
}

TDCPDataBloc::StoreResult TDCPDataBloc::StoreInDailyFile(TDailyFileIndex& index,
                                                         std::string& path) const {
    path = DailyFilePath(true);
    if (path.empty()) return StoreResult::NoDate;
    // The duplicate test and the append go together: another program must not append
    // the same record in between.
    const TWorkDirLock lock(Beacon->Owner->Context().WorkDir());
    if (index.Contains(path, Header)) return StoreResult::AlreadyStored;
    return index.Append(path, DailyRecord()) ? StoreResult::Appended : StoreResult::CannotOpen;
}

void TDCPDataBloc::AppendToDailyFile() {
    if (Beacon == nullptr || Beacon->Owner == nullptr) return;  // nowhere to store it
    TDCPList& list = *Beacon->Owner;
    std::string path;
    if (StoreInDailyFile(list.DailyFiles(), path) == StoreResult::CannotOpen)
        WarnCannotStore(list.Context().Reporter(), path);
}

void TDCPDataBloc::WarnCannotStore(IMessageBoxes& reporter, std::string_view path) {
    reporter.Warning("Impossible d'ouvrir ou de créer le fichier de messages journalier " +
                std::string(path) + " : les messages de ce jour n'y sont pas enregistrés.");
}

}  // namespace skylog
