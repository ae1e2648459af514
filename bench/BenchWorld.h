#pragma once
// A run of the engine for the micro benchmarks: a generated set of ground-station
// files, its working directory in a fresh temporary folder, the sample host data and
// the shared objects (reader, converter, managers, beacon list) that the import uses.
// One world per process; the benchmarks share it.

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "Common/Clock.h"
#include "Common/MessageBoxes.h"
#include "Common/Settings.h"
#include "dcp/UDCPList.h"
#include "dcp/UDCP_to_K7.h"
#include "import/UDecodFile.h"
#include "k7/HostDataLoader.h"
#include "managers/UManagers.h"
#include "tools/gen/RandomSet.h"

namespace skylog::bench {

class BenchWorld {
public:
    // Generates `messages` realistic messages (20 beacons, 10 days, all formats, about
    // one in twenty defective) and composes the run around their working directory.
    explicit BenchWorld(int messages);
    ~BenchWorld();
    BenchWorld(const BenchWorld&) = delete;
    BenchWorld& operator=(const BenchWorld&) = delete;

    [[nodiscard]] const gen::GeneratedSet& Set() const { return set_; }
    [[nodiscard]] TDCPList& Beacons() { return *beacons_; }
    // The same beacons in a list whose blocks are decoded without converting scenarios.
    [[nodiscard]] TDCPList& BeaconsWithoutConverter() { return *headOnly_; }
    [[nodiscard]] TDecodFile& Reader() { return *reader_; }
    [[nodiscard]] const std::string& WorkDir() const { return work_; }

    // The files of one format, as the reader sees them after bit 7 is cleared.
    [[nodiscard]] std::vector<const gen::GeneratedFile*> FilesOf(gen::StationFormat format) const;
    // Messages of the set (duplicates included) in files of that format.
    [[nodiscard]] int MessagesOf(gen::StationFormat format);

    // Drops every block and K7 item, and the K7 and daily files written so far.
    void Reset();

private:
    std::string root_;
    std::string work_;
    gen::GeneratedSet set_;
    TSkylogSettings settings_;
    ConsoleMessageBoxes reporter_;
    TSystemClock clock_;
    std::unique_ptr<HostDataSet> host_;
    std::unique_ptr<TManagerList> managers_;
    std::unique_ptr<TDCP_to_K7> converter_;
    std::unique_ptr<TDCPList> beacons_;
    std::unique_ptr<TDCPList> headOnly_;
    std::unique_ptr<TDecodFile> reader_;
};

// The world of the process, made at first use.
[[nodiscard]] BenchWorld& World();

// Bytes with bit 7 cleared, as the reader hands them to its line loop.
[[nodiscard]] std::string SevenBit(std::string_view bytes);

}  // namespace skylog::bench
