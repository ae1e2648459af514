// One open K7 file of one instrument and day.

#include <dirent.h>
#include <unistd.h>

#include <cstdio>
#include <optional>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "Common/FileUtil.h"
#include "Common/UUtils.h"
#include "Common/WorkDirLock.h"
#include "dcp/UDCPList.h"
#include "k7/UEvenement.h"
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

std::optional<std::string> readIfPresent(const std::string& path) {
    if (!FileExists(path)) return std::nullopt;
    return ReadFileBytes(path);
}

std::string bytesOfHex(std::string_view hex) {
    std::string bytes;
    bytes.reserve(hex.size() / 2);
    for (size_t k = 0; k + 1 < hex.size(); k += 2) bytes += static_cast<char>(HexToByte(hex.substr(k, 2)));
    return bytes;
}

// The events on disk first, in their order, then the item's events that are not among
// them, in the item's order; the item's parameter block and header dates. False when
// the disk bytes hold no header (nothing to keep from them).
bool mergeWithDisk(const TK7File& item, std::string diskBytes, TK7File& merged) {
    if (!merged.Parse(std::move(diskBytes))) return false;
    std::unordered_set<std::string> undecodedOnDisk;  // rare: events that fail their checks
    for (const auto& event : merged.Events())
        if (!event->Decoded) undecodedOnDisk.insert(event->Evt());
    for (const auto& event : item.Events()) {
        const bool onDisk = event->Decoded ? merged.FindDecodedEventLike(*event) != nullptr
                                           : undecodedOnDisk.contains(event->Evt());
        if (onDisk) continue;
        auto copy = std::make_unique<TEvenement>(&merged);
        if (event->HoldsBytes()) {
            const std::string_view bytes = event->Content();
            copy->SetFramedBytes(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
        } else {
            copy->SetEvt(FramedEventText(bytesOfHex(event->Evt())));
        }
        merged.AppendEvent(std::move(copy));
    }
    merged.SetParamBloc(item.ParamBloc());
    merged.SecondsValid = item.SecondsValid;
    merged.HeaderDate1 = item.HeaderDate1;
    merged.HeaderDate2 = item.HeaderDate2;
    return true;
}

// Temporary files of an atomic write of this file that a killed process left behind.
// Only called under the working directory lock, when no write of the file can be
// under way. A folder is listed once while the lock is held, not once for every file
// of a flush: nobody else can leave a temporary file in it meanwhile, and this
// process's own come after the listing.
void removeStaleTemporaries(const std::string& path) {
    struct Listings {
        uint64_t hold = 0;
        // Folder -> names of the temporary files found in it.
        std::unordered_map<std::string, std::vector<std::string>> folders;
    };
    static thread_local Listings listings;
    const uint64_t hold = TWorkDirLock::HoldNumber();
    if (listings.hold != hold) {
        listings.hold = hold;
        listings.folders.clear();
    }
    const std::string folder = ExtractFileDir(path);
    auto [found, added] = listings.folders.try_emplace(folder);
    std::vector<std::string>& temporaries = found->second;
    if (added) {
        // readdir rather than std::filesystem: a flush lists many folders.
        DIR* listing = ::opendir(folder.empty() ? "." : folder.c_str());
        if (listing == nullptr) return;
        while (const dirent* entry = ::readdir(listing))
            if (IsTemporaryName(entry->d_name)) temporaries.emplace_back(entry->d_name);
        ::closedir(listing);
    }
    const std::string fileName = ExtractFileName(path);
    std::erase_if(temporaries, [&](const std::string& name) {
        if (!IsTemporaryOf(name, fileName)) return false;
        ::unlink((IncludeBackslash(folder) + name).c_str());
        return true;
    });
}

}  // namespace

TDCPK7Item::TDCPK7Item(const TStoreContext& context, int32_t instrumentNumber, uint8_t instrumentCode,
                       TDateTime date)
    : Day(DateOf(date)), InstrumentNumber(instrumentNumber), context_(context) {
    const std::string path = K7FilePath(false);
    K7File = std::make_unique<TK7File>(&context_.Host);
    if (!FileExists(path)) {
        K7File->SetParamBloc(newParamBloc(instrumentCode));
        return;
    }
    if (!K7File->LoadFromFile(path)) context_.Reporter().Warning(kK7CannotOpenMessage);
    if (K7File->HasBuffer()) {
        known_ = FingerprintOf(K7File->Buffer());
        K7File->DropBuffer();
        // A file too short to hold a header has no events and no parameter block: it
        // starts afresh, or the new events would never be written. A file that could
        // not be read keeps no parameter block, so that the flush refuses to replace it.
        if (K7File->ParamBloc().empty()) K7File->SetParamBloc(newParamBloc(instrumentCode));
    }
}

TDCPK7Item::Fingerprint TDCPK7Item::FingerprintOf(std::string_view bytes) {
    return Fingerprint{bytes.size(), HashBytes(bytes)};
}

TDCPK7Item::~TDCPK7Item() = default;

std::string TDCPK7Item::K7FilePath(bool createFolder) const {
    const DateParts d = DecodeDate(Day);
    char folderName[32];
    std::snprintf(folderName, sizeof folderName, "%04d_%02d_%02d", d.year, d.month, d.day);
    char fileName[48];
    std::snprintf(fileName, sizeof fileName, "P%03d_%04d%02d%02d.K7", InstrumentNumber, d.year,
                  d.month, d.day);
    const std::string folder = IncludeBackslash(context_.WorkDir()) + std::string(kK7Folder) +
                               kPathSeparator + folderName;
    if (createFolder && !DirectoryExists(folder)) ForceDirectories(folder);
    return folder + kPathSeparator + fileName;
}

// Another program working in the same directory may have written the file since this
// item read it (or last wrote it): under the directory lock the file is read again and,
// when it changed, the events written meanwhile are kept.
void TDCPK7Item::Flush() {
    const TWorkDirLock lock(context_.WorkDir());
    const std::string path = K7FilePath(true);
    if (K7File->Events().empty()) return;
    if (K7File->ParamBloc().empty())
        throw FileError("Le fichier K7 " + path + " n'a pas pu être lu : il n'est pas remplacé.");
    removeStaleTemporaries(path);
    std::optional<std::string> onDisk = readIfPresent(path);
    const bool unchanged = !onDisk || (known_ && *known_ == FingerprintOf(*onDisk));
    TK7File merged(&context_.Host);
    if (!unchanged && mergeWithDisk(*K7File, std::move(*onDisk), merged)) {
        if (!merged.BuildBuffer() || !merged.SaveToFile(path))
            throw FileError("Impossible d'écrire le fichier K7 " + path);
        K7File->FileName = path;
        // The file now holds events this item does not: the next flush merges again.
        return;
    }
    if (!K7File->BuildBuffer())
        throw FileError("Le fichier K7 " + path + " n'a pas pu être lu : il n'est pas remplacé.");
    if (!K7File->SaveToFile(path)) throw FileError("Impossible d'écrire le fichier K7 " + path);
    known_ = FingerprintOf(K7File->Buffer());
    K7File->DropBuffer();
}

}  // namespace skylog
