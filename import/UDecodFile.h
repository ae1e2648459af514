#pragma once
// Reader of ground-station message files: recognises the header line of every
// transmitted message, files a message block under the beacon it names and appends
// the following body lines to it. Whatever it cannot accept becomes a record of
// Errors; nothing in a file stops the reading.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "dcp/StoreContext.h"

namespace skylog {

class TDCP;
class TDCPDataBloc;
class TDCPList;

struct TDecodFileError {
    int32_t Code = 0;  // 1 to 5, see ErrorMessage
    int32_t Line = 0;  // counted from 1 over the non-empty lines of the file
    std::string S1, S2, S3;
};

class TDecodFile : public IMessageFileReader {
public:
    // Files blocks under the beacons of the list, which must outlive the reader; the
    // list's settings (DCPDateNew) are read at each file.
    explicit TDecodFile(TDCPList& beacons) : beacons_(beacons) {}
    TDecodFile(const TDecodFile&) = delete;
    TDecodFile& operator=(const TDecodFile&) = delete;

    // Not owned. CurrentBeacon: beacon of the header last examined (null when it named
    // no known beacon). CurrentBlock: block receiving body lines, owned by its beacon.
    TDCP* CurrentBeacon = nullptr;
    TDCPDataBloc* CurrentBlock = nullptr;
    bool CheckOrder = false;
    int32_t Format = 0;  // kFormatDcp, kFormatStation, kFormatBru or kFormatGoes
    std::vector<TDecodFileError> Errors;  // errors of the last file read
    int32_t BlocksFiled = 0;  // blocks filed from the last file read (repeated headers included)
    int32_t LinesRead = 0;    // non-empty lines of the last file read

    // Reads one ground-station file into the beacon list: picks the format by
    // extension, clears bit 7 of every byte of the file on disk, runs the line loop,
    // then has every beacon decode its blocks (also for an unknown extension). Returns
    // 0, or -1 when the extension is unknown (the file is then neither modified nor
    // read). Throws FileError when the file cannot be read.
    [[nodiscard]] int32_t ReadFile(const std::string& path) override;

    // Reads a daily message file back (day loading): as ReadFile reads a ".DCP" file,
    // except that a body line of any length is taken. A stored body is one line, and
    // the station's limit on line length must not drop a long one.
    void ReadDailyFile(const std::string& path) override;

    // The line loop on bytes already in memory, as ReadFile runs it for a file of the
    // given format: empties Errors, sets Format and CheckOrder, files blocks under the
    // beacons of the list. No file access, no decoding.
    // storedDay: the bytes are a daily message file's (see ReadDailyFile).
    void ReadBuffer(std::string_view bytes, int32_t format, bool storedDay = false);

    // Format code of a file name's extension (case-insensitive), -1 when unknown.
    [[nodiscard]] static int32_t FormatOfPath(std::string_view path);

    // The French text of an error record.
    [[nodiscard]] static std::string ErrorMessage(const TDecodFileError& e);
    // "En-tête du nom de balise" (0), "En-tête et datation du message" (1),
    // "Corps du message DCP" (2 and anything else).
    [[nodiscard]] static std::string SectionName(int32_t section);

    [[nodiscard]] TDCPList& Beacons() const { return beacons_; }

private:
    [[nodiscard]] int32_t read(const std::string& path, int32_t format, bool storedDay);
    // Adds what the file just read gave to the counts of the beacon list.
    void countFile() const;

    TDCPList& beacons_;
    std::string buffer_;  // the bytes of the file being read, kept from file to file
};

}  // namespace skylog
