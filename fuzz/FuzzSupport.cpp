#include "fuzz/FuzzSupport.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>

#include "Common/FileUtil.h"
#include "Common/UUtils.h"
#include "k7/HostDataLoader.h"

namespace skylog::fuzz {

namespace fs = std::filesystem;

std::string SampleDir() {
    if (const char* dir = std::getenv("SKYLOG_SAMPLE_DIR")) return IncludeBackslash(dir);
    return std::string(SKYLOG_SOURCE_DIR) + "/sample/";
}

Workspace::Workspace() {
    std::string pattern = (fs::temp_directory_path() / "skylog-fuzz-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) throw FileError("cannot create a temporary folder");
    dir_ = pattern + "/";

    const std::string sample = SampleDir();
    for (const char* name : {"DcpList.inf", "Managers.inf"})
        fs::copy_file(sample + "workdir/" + name, dir_ + name, fs::copy_options::overwrite_existing);
    host_ = LoadHostData(sample + "host");
    hostView_ = HostDataOf(*host_);

    Reset();
    managers_ = std::make_unique<TManagerList>(dir_ + "Managers.inf");
    managers_->LoadFromFile(boxes_);
    converter_ = std::make_unique<TDCP_to_K7>(settings_, clock_);
    beacons_ = std::make_unique<TDCPList>(
        dir_ + "DcpList.inf",
        TStoreContext{{settings_, boxes_, clock_}, hostView_, managers_.get(), converter_.get(), nullptr});
    beacons_->LoadFromFile();
    if (beacons_->Count() == 0) throw std::runtime_error("the sample DcpList.inf holds no beacon");
    reader_ = std::make_unique<TDecodFile>(*beacons_);
    beacons_->SetReader(reader_.get());
}

Workspace::~Workspace() {
    std::error_code ignored;
    fs::remove_all(dir_, ignored);
}

void Workspace::Reset() {
    if (beacons_) beacons_->ClearAll();
    settings_ = TSkylogSettings{};
    settings_.WorkDir = dir_;
}

Workspace& TheWorkspace() {
    static Workspace workspace;
    return workspace;
}

void Fail(std::string_view what) {
    std::fprintf(stderr, "fuzz invariant broken: %.*s\n", static_cast<int>(what.size()), what.data());
    std::abort();
}

}  // namespace skylog::fuzz
