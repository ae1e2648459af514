// First-level decoding of message blocks (TDCPDataBloc::Decode), alone and with the
// scenario converter (TDCP_to_K7::Convert, reached through Decode as in an import):
// the blocks of the generated world, refiled afresh before every iteration.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "bench/BenchWorld.h"
#include "k7/UK7File.h"

namespace skylog::bench {
namespace {

struct BlockCopy {
    std::string header;
    TDateTime date;
    int32_t announcedLength;
    std::vector<uint8_t> body;
};

// Every beacon's blocks after reading all files, in the order DecodeAll sorts them.
std::vector<std::vector<BlockCopy>> ReadAllBlocks(BenchWorld& world) {
    for (const gen::GeneratedFile& file : world.Set().files)
        world.Reader().ReadBuffer(SevenBit(file.bytes), TDecodFile::FormatOfPath(file.name));
    std::vector<std::vector<BlockCopy>> copies;
    for (const auto& beacon : world.Beacons().Beacons) {
        std::vector<BlockCopy>& blocks = copies.emplace_back();
        for (const auto& block : beacon->Blocks())
            blocks.push_back({block->Header, block->Date, block->AnnouncedLength, block->Body});
        std::stable_sort(blocks.begin(), blocks.end(), [](const auto& a, const auto& b) { return a.date < b.date; });
    }
    world.Reset();
    return copies;
}

void Refile(TDCPList& list, const std::vector<std::vector<BlockCopy>>& copies) {
    list.ClearAll();
    for (size_t b = 0; b < copies.size(); ++b) {
        TDCP& beacon = *list.Beacons[b];
        for (const BlockCopy& copy : copies[b]) {
            auto block = std::make_unique<TDCPDataBloc>(&beacon);
            block->Header = copy.header;
            TDCPDataBloc* filed = beacon.AddBlock(std::move(block));
            filed->Date = copy.date;
            filed->AnnouncedLength = copy.announcedLength;
            filed->AddBody(copy.body.data(), copy.body.size());
        }
    }
}

void BM_Decode(benchmark::State& state, bool convert) {
    BenchWorld& world = World();
    const auto copies = ReadAllBlocks(world);
    int64_t blocks = 0, bytes = 0;
    for (const auto& beaconBlocks : copies) {
        blocks += static_cast<int64_t>(beaconBlocks.size());
        for (const BlockCopy& copy : beaconBlocks) bytes += static_cast<int64_t>(copy.body.size());
    }
    TDCPList& list = convert ? world.Beacons() : world.BeaconsWithoutConverter();
    int64_t events = 0;
    for (auto _ : state) {
        state.PauseTiming();
        Refile(list, copies);
        state.ResumeTiming();
        for (const auto& beacon : list.Beacons) {
            auto& list = beacon->Blocks();
            for (size_t i = list.size(); i-- > 0;)
                list[i]->Decode(i + 1 < list.size() ? list[i + 1].get() : nullptr);
        }
        state.PauseTiming();
        events = 0;
        for (const auto& item : list.K7Items()) events += static_cast<int64_t>(item->K7File->Events().size());
        state.ResumeTiming();
    }
    list.ClearAll();
    state.SetItemsProcessed(state.iterations() * blocks);
    state.SetBytesProcessed(state.iterations() * bytes);
    state.counters["blocks"] = static_cast<double>(blocks);
    state.counters["events"] = static_cast<double>(events);
}

BENCHMARK_CAPTURE(BM_Decode, head_only, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Decode, with_convert, true)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace skylog::bench
