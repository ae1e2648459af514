// The beacon list: DcpList.inf, lookups and the day operations that move blocks and
// K7 files between memory and the working directory.

#include <algorithm>
#include <cstddef>
#include <future>
#include <memory>
#include <system_error>
#include <thread>

#include "Common/FileUtil.h"
#include "Common/UUtils.h"
#include "Common/WorkDirLock.h"
#include "dcp/DailyAppends.h"
#include "dcp/DcpListFormat.h"
#include "dcp/UDCPList.h"
#include "dcp/UDailyFile.h"
#include "k7/UK7File.h"

namespace skylog {

TDCPList::TDCPList(std::string fileName, TStoreContext context)
    : FileName(std::move(fileName)), context_(context), dailyFiles_(std::make_unique<TDailyFileIndex>()) {}

// Blocks refer to the events of the items' K7 files: they go first.
TDCPList::~TDCPList() {
    for (auto& beacon : Beacons) beacon->ClearContent();
}

std::unique_ptr<TDCP> TDCPList::NewBeacon() const {
    auto beacon = std::make_unique<TDCP>();
    beacon->Interval = context_.Env.Settings.TransInterval;
    return beacon;
}

TDCP* TDCPList::Add(std::unique_ptr<TDCP> beacon) {
    beacon->Owner = this;
    Beacons.push_back(std::move(beacon));
    return Beacons.back().get();
}

void TDCPList::Delete(size_t index) {
    if (index < Beacons.size()) Beacons.erase(Beacons.begin() + static_cast<std::ptrdiff_t>(index));
}

namespace {

// The last characters first: every message header is looked up, and the numbers and
// names of a network often differ only at their end. Most beacons are passed over
// without a call to compare the whole text.
bool SameText(std::string_view a, std::string_view b) {
    return a.size() == b.size() && (a.empty() || a.back() == b.back()) && a == b;
}

}  // namespace

TDCP* TDCPList::FindByNumber(std::string_view number) const {
    for (const auto& beacon : Beacons)
        if (SameText(beacon->Number, number)) return beacon.get();
    return nullptr;
}

TDCP* TDCPList::FindByName(std::string_view name) const {
    for (const auto& beacon : Beacons)
        if (SameText(beacon->Name, name)) return beacon.get();
    return nullptr;
}

void TDCPList::LoadDay(TDateTime date, int beaconIndex) {
    IMessageFileReader* reader = context_.Reader;
    if (!reader) return;
    // An index below -1 names no beacon; like -1 it stands for all of them.
    const bool all = beaconIndex < 0 || static_cast<size_t>(beaconIndex) >= Beacons.size();
    for (size_t i = 0; i < Beacons.size(); ++i) {
        if (!all && i != static_cast<size_t>(beaconIndex)) continue;
        const std::string path =
            DailyFolderPath(context_.WorkDir(), Beacons[i]->FolderName()) + kPathSeparator + DailyFileName(date);
        if (FileExists(path)) reader->ReadDailyFile(path);
    }
}

// Under the working directory lock, so that another program flushing the same
// directory at the same time never interleaves its writes with these. The K7 files
// are all in place before the daily files say their messages are stored.
void TDCPList::SetBulkReading(bool on) {
    bulkReading_ = on;
    if (!on)
        for (const auto& beacon : Beacons) beacon->Order();
}

void TDCPList::FlushAll() {
    unstoredSources_.clear();
    for (const auto& beacon : Beacons) beacon->Order();
    const TWorkDirLock lock(context_.WorkDir());
    std::vector<TAtomicWriteBatch::PendingFile> k7Files;
    {
        TAtomicWriteBatch batch;
        for (const auto& item : k7Items_) item->Flush();
        k7Files = batch.TakePending();
    }
    // Making the K7 files durable and putting them in place is mostly a wait on the
    // disk: another thread does it while the daily records are gathered, and nothing
    // is appended before it is done (TDailyAppends). Without a thread, it is done here.
    std::packaged_task<void()> commit(
        [files = std::move(k7Files)]() mutable { TAtomicWriteBatch::CommitFiles(std::move(files)); });
    std::future<void> k7InPlace = commit.get_future();
    std::thread committer;
    try {
        committer = std::thread([&commit] { commit(); });
    } catch (const std::system_error&) {
        commit();
    }
    // Joined on every way out, before the task it runs is destroyed.
    const struct Join {
        std::thread& thread;
        ~Join() {
            if (thread.joinable()) thread.join();
        }
    } join{committer};

    TDailyAppends appends(*dailyFiles_, context_.Reporter(), &k7InPlace);
    try {
        for (const auto& beacon : Beacons) appends.Gather(*beacon);
    } catch (...) {
        // What was gathered before the error is appended once the K7 files are in
        // place, as appending beacon after beacon would have done; a failure to put
        // them in place is reported instead.
        appends.Finish();
        throw;
    }
    appends.Finish();
    unstoredSources_ = appends.TakeUnstoredSources();
    if (observer_)
        for (const TDateTime day : ContentDays()) observer_->DaySaved(day);
}

std::vector<TDateTime> TDCPList::ContentDays() const {
    std::vector<TDateTime> days;
    for (const auto& item : k7Items_)
        if (!item->K7File->Events().empty()) days.push_back(item->Day);
    for (const auto& beacon : Beacons)
        for (const auto& block : beacon->Blocks())
            if (block->Date != 0) days.push_back(DateOf(block->Date));
    std::sort(days.begin(), days.end());
    days.erase(std::unique(days.begin(), days.end()), days.end());
    return days;
}

void TDCPList::FlushK7ItemsOfDay(TDateTime date) {
    const TWorkDirLock lock(context_.WorkDir());
    const TDateTime day = DateOf(date);
    TAtomicWriteBatch k7Files;
    for (const auto& item : k7Items_)
        if (item->Day == day) item->Flush();
    k7Files.Commit();
    if (observer_) observer_->DaySaved(day);
}

namespace {

// What AbandonContentAtExit leaves behind: built in static storage and never destroyed
// (not even by the destructors of statics at exit), and reachable from there, so that
// leak checkers do not count it as lost.
struct AbandonedContent {
    std::vector<std::vector<std::unique_ptr<TDCPDataBloc>>> blocks;
    std::vector<std::vector<std::unique_ptr<TDCPK7Item>>> items;
};

AbandonedContent& abandonedContent() {
    alignas(AbandonedContent) static std::byte storage[sizeof(AbandonedContent)];
    static AbandonedContent* const content = std::construct_at(reinterpret_cast<AbandonedContent*>(storage));
    return *content;
}

}  // namespace

void TDCPList::AbandonContentAtExit() {
    AbandonedContent& abandoned = abandonedContent();
    for (auto& beacon : Beacons) {
        abandoned.blocks.push_back(beacon->TakeBlocks());
    }
    abandoned.items.push_back(std::move(k7Items_));
    k7Items_.clear();
    ClearAll();
}

void TDCPList::CountDecoded(const TDCPDataBloc& block) {
    counts_.Scenarios += static_cast<int64_t>(block.Events.size());
    if (block.Errors.empty()) return;
    ++counts_.FaultyMessages;
    if (block.Date != 0) counts_.FaultyDays.insert(static_cast<int32_t>(DateOf(block.Date)));
}

void TDCPList::BeginFileSource(std::string path) {
    sourcePaths_.push_back(std::move(path));
    fileSource_ = static_cast<uint32_t>(sourcePaths_.size());
}

std::vector<std::string> TDCPList::UnstoredFiles() const {
    std::vector<std::string> files;
    for (const uint32_t source : unstoredSources_)
        if (source >= 1 && source <= sourcePaths_.size()) files.push_back(sourcePaths_[source - 1]);
    return files;
}

void TDCPList::ClearAll() {
    if (observer_) observer_->ContentDropping();
    for (auto& beacon : Beacons) beacon->ClearContent();
    sourcePaths_.clear();
    unstoredSources_.clear();
    pendingBytes_ = 0;
    k7Index_.clear();
    k7Items_.clear();
    dailyFiles_->Clear();
}

TDCPK7Item* TDCPList::GetK7Item(TDateTime date, int32_t instrumentNumber, uint8_t instrumentCode) {
    const std::pair<long, int32_t> key{static_cast<long>(DateOf(date)), instrumentNumber};
    if (auto it = k7Index_.find(key); it != k7Index_.end()) return it->second;
    k7Items_.push_back(std::make_unique<TDCPK7Item>(context_, instrumentNumber, instrumentCode, date));
    TDCPK7Item* item = k7Items_.back().get();
    // The events of a K7 file read from disk stay in memory with the item.
    pendingBytes_ += sizeof(TDCPK7Item) + sizeof(TK7File) + item->K7File->Events().size() * kEventFootprint;
    k7Index_.emplace(key, item);
    return item;
}

// ---- TRunStore ----

int32_t TRunStore::ReadFile(const std::string& path) {
    beacons_.BeginFileSource(path);
    const struct End {
        TDCPList& list;
        ~End() { list.EndFileSource(); }
    } end{beacons_};
    const int64_t before = beacons_.Counts().Messages;
    lastFileMessages_ = 0;
    const int32_t status = reader_.ReadFile(path);
    lastFileMessages_ = beacons_.Counts().Messages - before;
    return status;
}

}  // namespace skylog
