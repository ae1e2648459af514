#include "import/UDecodFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <span>
#include <utility>
#include <vector>

#include "Common/ByteScan.h"
#include "Common/FileUtil.h"
#include "Common/UUtils.h"
#include "dcp/UDCPList.h"
#include "import/GroundStationFormat.h"
#include "import/LineLoop.h"

namespace skylog {

namespace {

constexpr size_t kKeptBufferSize = size_t{16} << 20;

// A stretch [from, to) of a file's bytes to write back.
using Stretch = std::pair<size_t, size_t>;

// Writes the stretches of bytes over the same positions of an existing file. The new
// bytes differ from the old ones only in bit 7, so the file is never shortened:
// whatever happens, every message stays on disk. False when the file cannot be written
// (a read-only file, for example).
bool OverwriteInPlace(const std::string& path, std::string_view bytes, const std::vector<Stretch>& stretches) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC);
    if (fd < 0) return false;
    bool ok = true;
    for (const auto& [from, to] : stretches) {
        size_t written = from;
        while (ok && written < to) {
            const ssize_t n = ::pwrite(fd, bytes.data() + written, to - written, static_cast<off_t>(written));
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) ok = false;
            else written += static_cast<size_t>(n);
        }
    }
    if (::close(fd) != 0) ok = false;
    return ok;
}

// Clears bit 7 of every byte, in memory and in the file on disk, so that the station's
// file holds 7-bit text afterwards. The file is only written when a byte actually had
// bit 7 set, and only around such bytes (those closer than a page share one write): a
// file with a few noisy messages is not written back whole, which made the next sync
// of the file system write all of it to the disk again. False when the file could not
// be rewritten.
bool StripHighBits(const std::string& path, std::span<char> bytes) {
    const std::string_view text(bytes.data(), bytes.size());
    constexpr size_t kJoinedGap = 4096;
    std::vector<Stretch> stretches;
    for (size_t i = FindHighByte(text, 0); i < bytes.size(); i = FindHighByte(text, i + 1)) {
        bytes[i] = static_cast<char>(bytes[i] & 0x7F);
        if (!stretches.empty() && i < stretches.back().second + kJoinedGap) stretches.back().second = i + 1;
        else stretches.emplace_back(i, i + 1);
    }
    return stretches.empty() || OverwriteInPlace(path, text, stretches);
}

}  // namespace

int32_t TDecodFile::ReadFile(const std::string& path) { return read(path, FormatOfPath(path), false); }

void TDecodFile::ReadDailyFile(const std::string& path) { static_cast<void>(read(path, kFormatDcp, true)); }

int32_t TDecodFile::read(const std::string& path, int32_t format, bool storedDay) {
    Errors.clear();
    BlocksFiled = 0;
    LinesRead = 0;
    if (format != kFormatUnknown) {
        // Set before the file is opened, so that a file that cannot be read leaves no
        // stale references to blocks behind.
        Format = format;
        CurrentBeacon = nullptr;
        CurrentBlock = nullptr;
        size_t size = ReadFileInto(path, buffer_);
        if (!StripHighBits(path, std::span<char>(buffer_.data(), size))) {
            // Not writable: the file is read as it stands, bit 7 included.
            size = ReadFileInto(path, buffer_);
        }
        ReadBuffer(std::string_view(buffer_.data(), size), format, storedDay);
        countFile();
        // The blocks hold copies. A large buffer goes before decoding adds the events;
        // a usual one is kept for the next file.
        if (buffer_.size() > kKeptBufferSize) std::string().swap(buffer_);
    }
    IStoreObserver* observer = beacons_.Observer();
    const bool apart = beacons_.BulkReading() && observer == nullptr;
    for (const auto& beacon : beacons_.Beacons)
        if ((apart ? beacon->DecodeNew() : beacon->DecodeAll()) > 0 && observer != nullptr)
            observer->BlocksAdded(*beacon, storedDay);
    return format == kFormatUnknown ? -1 : 0;
}

void TDecodFile::countFile() const {
    TRunCounts& counts = beacons_.Counts();
    ++counts.Files;
    counts.Messages += BlocksFiled;
    counts.ReaderErrors += static_cast<int64_t>(Errors.size());
    for (const TDecodFileError& e : Errors)
        if (e.Code == kErrorUnknownBeacon) ++counts.UndefinedBeacons[e.S1];
}

void TDecodFile::ReadBuffer(std::string_view bytes, int32_t format, bool storedDay) {
    Errors.clear();
    BlocksFiled = 0;
    Format = format;
    CheckOrder = format == kFormatStation || format == kFormatBru;
    CurrentBeacon = nullptr;
    CurrentBlock = nullptr;
    TLineLoop loop(*this, &beacons_, beacons_.Context().Env.Settings.DCPDateNew, storedDay);
    LinesRead = loop.Run(bytes);
}

int32_t TDecodFile::FormatOfPath(std::string_view path) {
    const size_t slash = path.rfind('/');
    const std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
    const size_t dot = name.rfind('.');
    if (dot == std::string_view::npos) return kFormatUnknown;
    const std::string_view extension = name.substr(dot);
    for (const ExtensionFormat& known : kExtensionFormats)
        if (EqualsNoCase(extension, known.extension)) return known.format;
    return kFormatUnknown;
}

std::string TDecodFile::SectionName(int32_t section) {
    switch (section) {
        case kSectionStationName:
            return "En-tête du nom de balise";
        case kSectionHeader:
            return "En-tête et datation du message";
        default:
            return "Corps du message DCP";
    }
}

std::string TDecodFile::ErrorMessage(const TDecodFileError& e) {
    switch (e.Code) {
        case kErrorOrder:
            return "Mauvaise organisation du fichier : " +
                   SectionName(ParseInt32(e.S2).value_or(kSectionBody)) + " reçu à la place de " +
                   SectionName(ParseInt32(e.S1).value_or(kSectionBody));
        case kErrorHeaderFields:
            return "Ligne d'en-tête et datation du message mal formatée";
        case kErrorUnknownBeacon:
            return "La balise " + e.S1 + " a émis un message sans être définie (en-tête :" + e.S2 +
                   ")";
        case kErrorDate:
            return "Mauvais formatage de la date dans l'en-tête du message, \"" + e.S1 +
                   "\" n'est pas une date valide";
        case kErrorTime:
            return "Mauvais formatage de l'heure dans l'en-tête du message, \"" + e.S1 +
                   "\" n'est pas une heure valide";
        default:
            return "Erreur inconnue";
    }
}

}  // namespace skylog
