// The reader's line loop (TDecodFile::ReadBuffer) on generated ground-station bytes,
// per format: line cutting, header recognition, beacon lookup, block filing and body
// appending. No decoding.

#include <benchmark/benchmark.h>

#include <string>
#include <utility>
#include <vector>

#include "bench/BenchWorld.h"

namespace skylog::bench {
namespace {

struct Input {
    std::string bytes;
    int32_t format;
};

void BM_ReadBuffer(benchmark::State& state, std::vector<gen::StationFormat> formats) {
    BenchWorld& world = World();
    std::vector<Input> inputs;
    int messages = 0;
    int64_t bytes = 0;
    for (gen::StationFormat format : formats) {
        for (const gen::GeneratedFile* file : world.FilesOf(format)) {
            inputs.push_back({SevenBit(file->bytes), TDecodFile::FormatOfPath(file->name)});
            bytes += static_cast<int64_t>(file->bytes.size());
        }
        messages += world.MessagesOf(format);
    }
    for (auto _ : state) {
        for (const Input& input : inputs) world.Reader().ReadBuffer(input.bytes, input.format);
        state.PauseTiming();
        world.Beacons().ClearAll();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * messages);
    state.SetBytesProcessed(state.iterations() * bytes);
    state.counters["messages"] = messages;
}

using gen::StationFormat;
BENCHMARK_CAPTURE(BM_ReadBuffer, cnrs, std::vector{StationFormat::Cnrs})->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ReadBuffer, nasa, std::vector{StationFormat::Nasa})->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ReadBuffer, dcp, std::vector{StationFormat::Dcp})->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ReadBuffer, goes, std::vector{StationFormat::Goes})->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ReadBuffer, bru, std::vector{StationFormat::Bru})->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ReadBuffer, all, gen::AllFormats())->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace skylog::bench
