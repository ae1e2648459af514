#pragma once
// What the fuzz targets share: a run set up as the plug-in sets it up (settings, a
// working directory, host data, reader, converter, manager and beacon lists), built
// once per process in a fresh temporary folder, so that whatever a target writes
// (daily files, K7 files, the reader's input) never leaves that folder.

#include <cstddef>
#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "Common/Clock.h"
#include "Common/MessageBoxes.h"
#include "Common/Settings.h"
#include "dcp/UDCPList.h"
#include "dcp/UDCP_to_K7.h"
#include "import/UDecodFile.h"
#include "k7/HostData.h"
#include "managers/UManagers.h"

namespace skylog::fuzz {

// Message boxes that show nothing: a fuzzer prints only its findings.
class SilentMessageBoxes : public IMessageBoxes {
public:
    void Warning(std::string_view) override {}
    void Information(std::string_view) override {}
    bool Confirmation(std::string_view) override { return false; }
};

// The committed sample data (sample/ of the source tree).
[[nodiscard]] std::string SampleDir();

class Workspace {
public:
    Workspace();
    ~Workspace();
    Workspace(const Workspace&) = delete;
    Workspace& operator=(const Workspace&) = delete;

    // The working directory, ending with "/"; removed with the workspace.
    [[nodiscard]] const std::string& Dir() const { return dir_; }

    // Beacons of sample/workdir/DcpList.inf, managers of sample/workdir/Managers.inf,
    // host data of sample/host, composed into one run.
    TDCPList& Beacons() { return *beacons_; }
    TManagerList& Managers() { return *managers_; }
    TDecodFile& Reader() { return *reader_; }
    TSkylogSettings& Settings() { return settings_; }
    IMessageBoxes& Reporter() { return boxes_; }
    const HostDataSet& Host() const { return *host_; }
    const THostData& HostView() const { return hostView_; }

    // Back to the state after construction: no blocks, no open K7 files, default
    // settings with the working directory.
    void Reset();

private:
    std::string dir_;
    SilentMessageBoxes boxes_;
    TSkylogSettings settings_;
    TSystemClock clock_;
    std::unique_ptr<HostDataSet> host_;
    THostData hostView_;
    std::unique_ptr<TManagerList> managers_;
    std::unique_ptr<TDCP_to_K7> converter_;
    std::unique_ptr<TDCPList> beacons_;
    std::unique_ptr<TDecodFile> reader_;
};

// The process's workspace, built at first use and removed at exit.
[[nodiscard]] Workspace& TheWorkspace();

// Stops the process the way a sanitizer would, so that libFuzzer keeps the input: a
// broken invariant is a finding like a crash.
[[noreturn]] void Fail(std::string_view what);
inline void Check(bool condition, std::string_view what) {
    if (!condition) Fail(what);
}

// Reads the input from the front: fixed-size pieces, then the rest.
class InputCursor {
public:
    InputCursor(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    [[nodiscard]] uint8_t Byte() { return pos_ < size_ ? data_[pos_++] : 0; }
    [[nodiscard]] uint32_t Bytes(int count) {
        uint32_t value = 0;
        for (int i = 0; i < count; ++i) value = value << 8 | Byte();
        return value;
    }
    [[nodiscard]] std::string_view Take(size_t count) {
        count = std::min(count, size_ - pos_);
        std::string_view piece(reinterpret_cast<const char*>(data_ + pos_), count);
        pos_ += count;
        return piece;
    }
    [[nodiscard]] std::string_view Rest() { return Take(size_ - pos_); }

private:
    const uint8_t* data_;
    size_t size_;
    size_t pos_ = 0;
};

}  // namespace skylog::fuzz
