#include "bench/BenchWorld.h"

#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <stdexcept>


namespace skylog::bench {

namespace fs = std::filesystem;

namespace {

constexpr int kWorldMessages = 20000;

gen::RandomConfig Config(int messages) {
    gen::RandomConfig config;
    config.seed = 2005;
    config.messages = messages;
    config.beacons = 20;
    config.days = 10;
    config.defects = true;
    return config;
}

std::string MakeTempFolder() {
    std::string tmpl = (fs::temp_directory_path() / "skylog-bench-XXXXXX").string();
    std::vector<char> buffer(tmpl.begin(), tmpl.end());
    buffer.push_back('\0');
    if (::mkdtemp(buffer.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    return std::string(buffer.data()) + "/";
}

}  // namespace

BenchWorld::BenchWorld(int messages) : root_(MakeTempFolder()), set_(gen::GenerateRandomSet(Config(messages))) {
    gen::WriteOptions options;
    options.expectedEvents = false;
    gen::WriteGeneratedSet(set_, root_, options);
    work_ = root_ + "workdir/";
    settings_.WorkDir = work_;
    host_ = LoadHostData(std::string(SKYLOG_SOURCE_DIR) + "/sample/host");
    const TRunEnvironment env{settings_, reporter_, clock_};
    managers_ = std::make_unique<TManagerList>(work_ + "Managers.inf");
    managers_->LoadFromFile(reporter_);
    converter_ = std::make_unique<TDCP_to_K7>(settings_, clock_);
    beacons_ = std::make_unique<TDCPList>(
        work_ + "DcpList.inf", TStoreContext{env, HostDataOf(*host_), managers_.get(), converter_.get(), nullptr});
    headOnly_ = std::make_unique<TDCPList>(work_ + "DcpList.inf",
                                           TStoreContext{env, HostDataOf(*host_), managers_.get(), nullptr, nullptr});
    for (TDCPList* list : {beacons_.get(), headOnly_.get()}) list->LoadFromFile();
    reader_ = std::make_unique<TDecodFile>(*beacons_);
    beacons_->SetReader(reader_.get());
}

BenchWorld::~BenchWorld() {
    std::error_code ec;
    fs::remove_all(root_, ec);
}

std::vector<const gen::GeneratedFile*> BenchWorld::FilesOf(gen::StationFormat format) const {
    std::vector<const gen::GeneratedFile*> files;
    for (const gen::GeneratedFile& file : set_.files)
        if (file.format == format) files.push_back(&file);
    return files;
}

int BenchWorld::MessagesOf(gen::StationFormat format) {
    // Messages are dealt out over the formats in runs; count the headers the reader
    // files rather than estimating.
    TDecodFile reader(*beacons_);
    int count = 0;
    for (const gen::GeneratedFile* file : FilesOf(format)) {
        reader.ReadBuffer(SevenBit(file->bytes), TDecodFile::FormatOfPath(file->name));
        count += reader.BlocksFiled;
    }
    Reset();
    return count;
}

void BenchWorld::Reset() {
    beacons_->ClearAll();
    headOnly_->ClearAll();
    std::error_code ec;
    fs::remove_all(work_ + "DataK7", ec);
    fs::remove_all(work_ + "DataDCP", ec);
}

BenchWorld& World() {
    static BenchWorld world(kWorldMessages);
    return world;
}

std::string SevenBit(std::string_view bytes) {
    std::string text(bytes);
    for (char& c : text) c = static_cast<char>(static_cast<unsigned char>(c) & 0x7F);
    return text;
}

}  // namespace skylog::bench
