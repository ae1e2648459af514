// Seed corpora of the fuzz targets, from the test-data generator and the sample data:
//   fuzz_make_corpus OUT_DIR
// writes OUT_DIR/<target>/seed-NNNN files. The reader seeds are generated sets with the
// sample's beacons (same generator seed and beacon count as sample/), so that their
// headers name beacons of the fuzzers' beacon list; the decoding seeds are pairs of
// consecutive blocks read from them; the K7 seeds are the files an import writes.

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "Common/DateTime.h"
#include "Common/Encoding.h"
#include "Common/FileUtil.h"
#include "Common/IniFile.h"
#include "Common/UUtils.h"
#include "dcp/UDCPList.h"
#include "fuzz/FuzzSupport.h"
#include "import/UDecodFile.h"
#include "k7/HostDataLoader.h"
#include "k7/UEvenement.h"
#include "tools/gen/RandomSet.h"

namespace skylog::fuzz {
namespace {

namespace fs = std::filesystem;

class SeedWriter {
public:
    explicit SeedWriter(std::string root) : root_(std::move(root)) {}
    void Add(const std::string& target, std::string_view bytes) {
        const std::string dir = root_ + "/" + target;
        fs::create_directories(dir);
        char name[32];
        std::snprintf(name, sizeof name, "/seed-%04d", counts_[target]++);
        WriteFileAtomic(dir + name, bytes);
    }
    void Add(const std::string& target, uint8_t prefix, std::string_view bytes) {
        Add(target, std::string(1, static_cast<char>(prefix)) + std::string(bytes));
    }
    void Report() const {
        for (const auto& [target, count] : counts_) std::printf("%-16s %d seeds\n", target.c_str(), count);
    }

private:
    std::string root_;
    std::map<std::string, int> counts_;
};

// Index of a format in the reader target's table (.CNRS .NASA .DCP .BRU .GOES, where
// both GOES forms go).
uint8_t FormatByte(gen::StationFormat format) {
    switch (format) {
        case gen::StationFormat::Cnrs: return 0;
        case gen::StationFormat::Nasa: return 1;
        case gen::StationFormat::Dcp: return 2;
        case gen::StationFormat::Bru: return 3;
        default: return 4;
    }
}

gen::RandomConfig SampleLikeConfig(uint64_t variant) {
    gen::RandomConfig config;
    config.seed = 2005;  // the sample's seed and beacon count: the same beacons
    config.beacons = 5;
    config.days = 2;
    config.messages = 4 + static_cast<int>(variant % 9);
    config.defects = variant % 2 == 1;
    if (variant % 3 == 2) config.lineWidth = 20 + variant;
    return config;
}

std::vector<gen::GeneratedFile> GeneratedFiles() {
    // The generator draws the beacons first, so any message count gives the sample's.
    const gen::GeneratedSet check = gen::GenerateRandomSet(SampleLikeConfig(0));
    const std::string sampleList = Cp1252ToUtf8(ReadFileBytes(SampleDir() + "workdir/DcpList.inf"));
    if (gen::DcpListText(check.beacons) != sampleList)
        throw std::runtime_error("generated beacons differ from sample/workdir/DcpList.inf");
    std::vector<gen::GeneratedFile> files;
    for (uint64_t variant = 0; variant < 12; ++variant) {
        gen::GeneratedSet set = gen::GenerateRandomSet(SampleLikeConfig(variant));
        for (gen::GeneratedFile& file : set.files) files.push_back(std::move(file));
    }
    return files;
}

void ReaderSeeds(SeedWriter& out, const std::vector<gen::GeneratedFile>& files) {
    int n = 0;
    for (const gen::GeneratedFile& file : files) {
        const uint8_t format = FormatByte(file.format);
        // Mostly in memory; every fourth through a file, flushed and read back.
        const uint8_t mode = n++ % 4 == 3 ? 7 : 0;
        out.Add("fuzz_reader", static_cast<uint8_t>(format + 5 * mode), file.bytes);
    }
    for (const auto& entry : fs::directory_iterator(SampleDir() + "input")) {
        const std::string ext = entry.path().extension().string();
        const int32_t code = TDecodFile::FormatOfPath(entry.path().string());
        if (code < 0) continue;
        const uint8_t format = ext == ".CNRS" ? 0 : ext == ".NASA" ? 1 : ext == ".DCP" ? 2 : ext == ".BRU" ? 3 : 4;
        // The first few kilobytes, cut at a line end: a handful of messages.
        std::string bytes = ReadFileBytes(entry.path().string());
        const size_t cut = bytes.find('\n', 3000);
        if (cut != std::string::npos) bytes.resize(cut + 1);
        out.Add("fuzz_reader", format, bytes);
    }
}

// Minutes since 1 December 2004, as the decoding target reads its date.
uint32_t MinutesOf(TDateTime date) {
    TDateTime origin = 0;
    static_cast<void>(TryEncodeDate(2004, 12, 1, origin));
    return static_cast<uint32_t>(std::max(0.0, (date - origin) * 1440.0 + 0.5));
}

std::string BodyOf(const TDCPDataBloc& block) {
    return std::string(block.Body.begin(), block.Body.begin() + block.BodyLength);
}

// Imports the generated files into the workspace: decoding seeds from the blocks,
// K7 seeds from the files written.
void ImportSeeds(SeedWriter& out, const std::vector<gen::GeneratedFile>& files) {
    Workspace& ws = TheWorkspace();
    ws.Reset();
    for (const gen::GeneratedFile& file : files) {
        ws.Reader().ReadBuffer(file.bytes, TDecodFile::FormatOfPath(file.name));
    }
    int pairs = 0;
    for (size_t b = 0; b < ws.Beacons().Count(); ++b) {
        TDCP& beacon = *ws.Beacons().Beacons[b];
        beacon.DecodeAll();
        for (size_t i = 0; i < beacon.Blocks().size() && pairs < 60; i += 3, ++pairs) {
            const TDCPDataBloc& block = *beacon.Blocks()[i];
            const std::string body = BodyOf(block);
            const std::string next = i + 1 < beacon.Blocks().size() ? BodyOf(*beacon.Blocks()[i + 1]) : "";
            std::string seed(1, static_cast<char>(b));
            const uint32_t minutes = MinutesOf(block.Date);
            seed += static_cast<char>(minutes >> 16);
            seed += static_cast<char>(minutes >> 8);
            seed += static_cast<char>(minutes);
            seed += static_cast<char>(body.size() >> 8);
            seed += static_cast<char>(body.size());
            out.Add("fuzz_decode", seed + body + next);
        }
    }
    ws.Beacons().FlushAll();
    int k7 = 0;
    for (const auto& entry : fs::recursive_directory_iterator(ws.Dir() + "DataK7")) {
        if (!entry.is_regular_file() || k7++ >= 12) continue;
        const std::string bytes = ReadFileBytes(entry.path().string());
        out.Add("fuzz_k7file", bytes);
        if (k7 == 1) out.Add("fuzz_k7file", bytes.substr(0, 256));
    }
    ws.Reset();
    fs::remove_all(ws.Dir() + "DataK7");
    fs::remove_all(ws.Dir() + "DataDCP");
}

void EventSeeds(SeedWriter& out) {
    const std::string text = ReadFileBytes(SampleDir() + "expected-events.txt");
    int n = 0;
    std::vector<std::string> seen;
    for (const std::string& line : Split(text, '\n', kSplitMerge)) {
        const size_t space = line.rfind(' ');
        if (space == std::string::npos) continue;
        const std::string hex = line.substr(space + 1, 2);  // one seed per event type
        if (std::find(seen.begin(), seen.end(), hex) != seen.end()) continue;
        seen.push_back(hex);
        std::vector<uint8_t> bytes;
        for (size_t k = space + 1; k + 1 < line.size(); k += 2)
            bytes.push_back(HexToByte(std::string_view(line).substr(k, 2)));
        out.Add("fuzz_evenement", static_cast<uint8_t>(n++ * 17), FramedEventText(bytes.data(), bytes.size()));
    }
    out.Add("fuzz_evenement", 0, FramedEventText(std::string_view("\xFF\x05\x00\xFE\x05", 5)));
    out.Add("fuzz_evenement", 1, std::string("\x02") + "1FF05" + "\x17" + "00");
}

void TextSeeds(SeedWriter& out) {
    const std::string sample = SampleDir();
    const std::string dcpList = ReadFileBytes(sample + "workdir/DcpList.inf");
    const std::string managers = ReadFileBytes(sample + "workdir/Managers.inf");
    // Ini: mode (bit 0: Windows-1252 bytes), script length, script, text.
    const std::string script = "\x80\x01\x02\x10" "\x01\x41\x42\x05" "\x83\x02\x00\x00" "\x04\x41\x4E\x00";
    out.Add("fuzz_inifile", std::string("\x01\x10", 2) + script + dcpList);
    out.Add("fuzz_inifile", std::string("\x00\x00", 2) + Cp1252ToUtf8(dcpList));
    out.Add("fuzz_inifile", std::string("\x00\x08", 2) + script.substr(0, 8) +
                                "; comment\r\n[General]\r\nNbDCP=1\r\n\r\n[DCP0]\r\nName=X\r\n");

    const TIniFile ini = TIniFile::FromText(Cp1252ToUtf8(dcpList));
    for (const std::string& section : ini.SectionNames())
        for (const std::string& key : ini.KeyNames(section))
            if (key.rfind("Asso", 0) == 0 && key != "Asso") out.Add("fuzz_asso", ini.ReadString(section, key, ""));
    out.Add("fuzz_asso", "01/01/2005,00:00:00,31/12/2005,23:59:59,7");

    out.Add("fuzz_managers", managers);
    out.Add("fuzz_managers", "3,Nom,Prénom,a@b\n-1,x\n2147483646,y,z,w\r\nnot,a,manager\r\n");

    const std::string instruments = ReadFileBytes(sample + "host/instruments.txt");
    const std::string events = ReadFileBytes(sample + "host/events.txt");
    // The dictionary in small pieces: its options and element types, then one event
    // description each, so that the fuzzer works on short texts.
    out.Add("fuzz_hostdata", 0, instruments);
    const size_t firstEvent = events.find("\nevent ");
    const std::string head = events.substr(0, firstEvent + 1);
    std::vector<std::string> blocks;
    for (size_t at = firstEvent; at != std::string::npos;) {
        const size_t next = events.find("\nevent ", at + 1);
        blocks.push_back(events.substr(at + 1, next == std::string::npos ? std::string::npos : next - at));
        at = next;
    }
    for (size_t i = 0; i < blocks.size(); i += 3) out.Add("fuzz_hostdata", 1, head + blocks[i]);
    out.Add("fuzz_hostdata", 2, instruments + std::string(1, '\0') + head + blocks.front() + blocks.back());
}

}  // namespace
}  // namespace skylog::fuzz

int main(int argc, char** argv) {
    using namespace skylog::fuzz;
    if (argc != 2) {
        std::fprintf(stderr, "usage: fuzz_make_corpus OUT_DIR\n");
        return 2;
    }
    try {
        SeedWriter out(argv[1]);
        const auto files = GeneratedFiles();
        ReaderSeeds(out, files);
        ImportSeeds(out, files);
        EventSeeds(out);
        TextSeeds(out);
        out.Report();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "fuzz_make_corpus: %s\n", e.what());
        return 1;
    }
    return 0;
}
