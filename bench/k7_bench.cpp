// K7 files: parsing file bytes into events (TK7File::Parse) and rebuilding the bytes
// from the events (TK7File::BuildBuffer), on the K7 files the generated world fills.

#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <vector>

#include "bench/BenchWorld.h"
#include "k7/UK7File.h"

namespace skylog::bench {
namespace {

// The bytes of every K7 file that importing the whole world produces.
const std::vector<std::string>& K7Buffers() {
    static const std::vector<std::string> buffers = [] {
        BenchWorld& world = World();
        for (const gen::GeneratedFile& file : world.Set().files) {
            world.Reader().ReadBuffer(SevenBit(file.bytes), TDecodFile::FormatOfPath(file.name));
        }
        for (const auto& beacon : world.Beacons().Beacons) beacon->DecodeAll();
        std::vector<std::string> result;
        for (const auto& item : world.Beacons().K7Items()) {
            if (item->K7File->Events().empty() || !item->K7File->BuildBuffer()) continue;
            result.push_back(item->K7File->Buffer());
        }
        world.Reset();
        return result;
    }();
    return buffers;
}

void Count(benchmark::State& state, const std::vector<std::unique_ptr<TK7File>>& files) {
    int64_t events = 0, bytes = 0;
    for (const auto& file : files) {
        events += static_cast<int64_t>(file->Events().size());
        bytes += file->Size();
    }
    state.SetItemsProcessed(state.iterations() * events);
    state.SetBytesProcessed(state.iterations() * bytes);
    state.counters["files"] = static_cast<double>(files.size());
    state.counters["events"] = static_cast<double>(events);
}

void BM_K7Parse(benchmark::State& state) {
    const auto& buffers = K7Buffers();
    std::vector<std::unique_ptr<TK7File>> files;
    for (size_t i = 0; i < buffers.size(); ++i) files.push_back(std::make_unique<TK7File>());
    for (auto _ : state) {
        for (size_t i = 0; i < buffers.size(); ++i) files[i]->Parse(buffers[i]);
    }
    Count(state, files);
}

void BM_K7BuildBuffer(benchmark::State& state) {
    const auto& buffers = K7Buffers();
    std::vector<std::unique_ptr<TK7File>> files;
    for (const std::string& buffer : buffers) {
        files.push_back(std::make_unique<TK7File>());
        files.back()->Parse(buffer);
    }
    for (auto _ : state) {
        for (const auto& file : files) benchmark::DoNotOptimize(file->BuildBuffer());
    }
    Count(state, files);
}

BENCHMARK(BM_K7Parse)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_K7BuildBuffer)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace skylog::bench
