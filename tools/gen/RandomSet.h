#pragma once
// Deterministic random sets of ground-station files: messages of several beacons over
// several days, every scenario layout, occasional continuations into the next message
// and, on request, about one defective message in twenty. Each set comes with the
// working-directory files that define its beacons and with the K7 events that a
// correct import must produce from it.

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <tuple>
#include <utility>
#include <vector>

#include "tools/gen/StationFile.h"
#include "tools/gen/WorkdirFiles.h"

namespace skylog::gen {

// The instrument type codes the sample host data knows.
[[nodiscard]] std::vector<uint8_t> DefaultInstrumentCodes();

struct RandomConfig {
    uint64_t seed = 1;
    int messages = 200;
    int beacons = 4;
    int days = 2;
    int year = 2005, month = 3, day = 7;  // first day
    std::vector<StationFormat> formats = AllFormats();
    int filesPerFormat = 1;
    bool defects = false;
    bool dayFirst = true;  // "at" header dates dd/mm/yy, as the reader's default expects
    std::optional<size_t> lineWidth;  // body characters per line; a width per format otherwise
    // Up to one message a second per beacon instead of one a minute: load tests that put
    // a great many messages on one beacon and day (distinct header seconds are kept).
    bool dense = false;
    std::vector<uint8_t> instrumentCodes = DefaultInstrumentCodes();
};

enum class DefectKind {
    BadEndMarker,     // 04 5D 4A 64: error 110, the scenarios still convert
    Truncated,        // body cut after the last scenario's marker and one character
    UnknownBeacon,    // header names no configured beacon
    BadHeaderDate,    // 31/02 in an "at" or BRU header
    BadHeaderTime,    // hour 25
    NoData,           // the body reads NO DATA
    HighBits,         // bit 7 set on some body characters: harmless
    WrongInstrument,  // head names another instrument than the association
    BadScenarioDate,  // one scenario dated month 13
    BadScenarioEnd,   // one scenario whose end marker byte is FD
    Duplicate,        // the message is written once more, in another file when there is one
};
[[nodiscard]] std::string_view DefectName(DefectKind kind);

struct ExpectedEvent {
    int instrumentNumber = 0;
    int year = 0, month = 0, day = 0;  // the K7 day: the event's own date
    std::string hex;                   // the event bytes in uppercase hex

    friend bool operator<(const ExpectedEvent& a, const ExpectedEvent& b) {
        return std::tie(a.instrumentNumber, a.year, a.month, a.day, a.hex) <
               std::tie(b.instrumentNumber, b.year, b.month, b.day, b.hex);
    }
    friend bool operator==(const ExpectedEvent& a, const ExpectedEvent& b) = default;
};

struct GeneratedFile {
    std::string name;  // file name with its extension
    StationFormat format = StationFormat::Dcp;
    std::string bytes;
};

struct DefectNote {
    std::string file;
    std::string beacon;
    TDateTime date = 0;
    DefectKind kind = DefectKind::HighBits;
};

struct GeneratedSet {
    std::vector<BeaconDef> beacons;
    std::vector<ManagerDef> managers;
    std::vector<GeneratedFile> files;
    std::vector<ExpectedEvent> expected;  // sorted, each event once
    std::vector<DefectNote> defects;
    int continuations = 0;  // scenarios split over two messages
    int messageCount = 0;   // messages written, duplicates included
};

[[nodiscard]] GeneratedSet GenerateRandomSet(const RandomConfig& config);

// One line per event: "P045 2005-03-07 <hex>".
[[nodiscard]] std::string ExpectedEventsText(const std::vector<ExpectedEvent>& events);
// The K7 file a set of expected events fills: "DataK7/2005_03_07/P045_20050307.K7"
// relative to the working directory, with its events in the list's order.
[[nodiscard]] std::map<std::string, std::vector<std::string>> ExpectedK7Files(
    const std::vector<ExpectedEvent>& events);

struct WriteOptions {
    bool expectedEvents = true;  // expected-events.txt
    bool manifest = true;        // manifest.txt: counts and defects
};

// DIR/input/<files>, DIR/workdir/DcpList.inf and Managers.inf, DIR/expected-events.txt,
// DIR/manifest.txt. Throws FileError.
void WriteGeneratedSet(const GeneratedSet& set, std::string_view outDir, const WriteOptions& options = {});

}  // namespace skylog::gen
