// A beacon: its definition in DcpList.inf, its associations, its blocks in memory and
// the K7 files it fills. Decoding (DecodeAll) lives in UDCPDecode.cpp.

#include <algorithm>
#include <cmath>
#include <string_view>
#include <unordered_map>

#include "Common/UUtils.h"
#include "Common/WorkDirLock.h"
#include "dcp/DailyAppends.h"
#include "dcp/DcpListFormat.h"
#include "dcp/UDCPList.h"
#include "dcp/UDailyFile.h"

namespace skylog {

namespace {

// Largest j of the keys "Asso<j>" of a section, -1 when there is none.
int32_t lastAssoIndex(const std::vector<std::string>& keys) {
    int32_t last = -1;
    for (const std::string& key : keys) {
        if (key.size() <= dcplist::kAssoKeyPrefix.size() ||
            !EqualsNoCase(std::string_view(key).substr(0, dcplist::kAssoKeyPrefix.size()),
                          dcplist::kAssoKeyPrefix))
            continue;
        const std::string_view digits = std::string_view(key).substr(dcplist::kAssoKeyPrefix.size());
        if (!std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; })) continue;
        if (const std::optional<int32_t> j = ParseInt32(digits)) last = std::max(last, *j);
    }
    return last;
}

}  // namespace

// Blocks refer to events of the K7 files; they go first so that no block outlives
// the events it points to.
TDCP::~TDCP() {
    AssoList.clear();
    Blocks.clear();
    K7Items.clear();
}

int32_t TDCP::TransmissionBytesTransmittedIndication() const {
    int32_t total = 0;
    for (const auto& block : Blocks) total += block->AnnouncedLength;
    return total;
}

int32_t TDCP::TransmissionBytesReallyTransmitted() const {
    int32_t total = 0;
    for (const auto& block : Blocks) total += block->BodyLength;
    return total;
}

void TDCP::LoadFromIni(const TIniFile& ini, std::string_view section, const TManagerList* managers,
                       IMessageBoxes& reporter) {
    using namespace dcplist;
    Name = ini.ReadString(section, kNameKey, kDefaultName);
    Number = ini.ReadString(section, kNumberKey, "");
    BaseTime = ini.ReadInteger(section, kBaseTimeKey, 0);
    Interval = ini.ReadInteger(section, kIntervalKey, kDefaultInterval);
    // Keys beyond the last "Asso" key present would all read empty: a count far larger
    // than the section (a damaged file) costs no time.
    const int32_t count = std::min(ini.ReadInteger(section, kAssoCountKey, 0),
                                   lastAssoIndex(ini.KeyNames(section)) + 1);
    AssoList.clear();
    for (int32_t j = 0; j < count; ++j) {
        const std::string line = ini.ReadString(section, AssoKey(static_cast<size_t>(j)), "");
        if (line.empty()) continue;
        auto asso = std::make_unique<TDCPAsso>(managers);
        if (asso->FromLine(line, reporter)) AssoList.push_back(std::move(asso));
    }
}

void TDCP::SaveToIni(TIniFile& ini, std::string_view section) {
    using namespace dcplist;
    ini.WriteString(section, kNameKey, Name);
    ini.WriteString(section, kNumberKey, Number);
    ini.WriteInteger(section, kBaseTimeKey, BaseTime);
    ini.WriteInteger(section, kIntervalKey, Interval);
    ini.WriteInteger(section, kAssoCountKey, static_cast<int32_t>(AssoList.size()));
    for (size_t j = 0; j < AssoList.size(); ++j)
        ini.WriteString(section, AssoKey(j), AssoList[j]->ToLine());
}

TDCPAsso* TDCP::FindAsso(TDateTime when) const {
    for (const auto& asso : AssoList)
        if (asso->StartDate <= when && when <= asso->EndDate) return asso.get();
    return nullptr;
}

// Every block with the header goes; they all have its hash, and other blocks may share
// the hash and stay counted.
void TDCP::removeSameHeader(HeaderEntry& entry, const TDCPDataBloc& block) {
    const auto removed = std::erase_if(Blocks, [&block](const auto& b) { return b->Header == block.Header; });
    if (removed > 0) settledBlocks_ = 0;  // rare: the next decoding sorts everything
    entry.count = std::max(0, entry.count - static_cast<int>(removed));
}

TDCPDataBloc* TDCP::AddBlock(std::unique_ptr<TDCPDataBloc> block) {
    const auto hashOf = [](const std::string& header) { return HashBytes(header); };
    if (indexedBlocks_ != Blocks.size()) {
        // Blocks was changed from outside: count the headers again.
        headerIndex_.clear();
        for (const auto& b : Blocks) {
            HeaderEntry& entry = headerIndex_[hashOf(b->Header)];
            ++entry.count;
            entry.last = b.get();
        }
    }
    HeaderEntry& entry = headerIndex_[hashOf(block->Header)];
    if (entry.count == 1) {
        // The only block with this hash, looked for by its address: no other block is
        // read, and one that is no longer in Blocks is never touched.
        const TDCPDataBloc* last = entry.last;
        const auto it = std::find_if(Blocks.rbegin(), Blocks.rend(), [last](const auto& b) { return b.get() == last; });
        if (it == Blocks.rend()) {
            removeSameHeader(entry, *block);
        } else if ((*it)->Header == block->Header) {
            const auto removed = std::next(it).base();
            forgetSettled(static_cast<size_t>(removed - Blocks.begin()));
            Blocks.erase(removed);
            entry.count = 0;
        }
    } else if (entry.count > 1) {
        removeSameHeader(entry, *block);
    }
    block->Beacon = this;
    Blocks.push_back(std::move(block));
    ++entry.count;
    entry.last = Blocks.back().get();
    indexedBlocks_ = Blocks.size();
    return Blocks.back().get();
}

// The records of this beacon alone, appended as each day is complete.
void TDCP::SaveBlocks() {
    if (Owner == nullptr) return;
    const TWorkDirLock lock(Owner->Context().WorkDir());
    TDailyAppends appends(Owner->DailyFiles(), Owner->Context().Reporter());
    appends.Gather(*this);
    appends.Finish();
}

TK7File* TDCP::GetK7File(TDateTime date, int32_t instrumentNumber, uint8_t instrumentCode) {
    const TDateTime day = DateOf(date);
    // Events come in runs of the same day and instrument: the item found last first.
    auto matches = [day, instrumentNumber](const TDCPK7Item* item) {
        return item->Day == day && item->InstrumentNumber == instrumentNumber;
    };
    if (lastK7Item_ < K7Items.size() && matches(K7Items[lastK7Item_])) return K7Items[lastK7Item_]->K7File.get();
    // Any day outside the calendar shares key 0: the index is checked before use anyway.
    const int64_t dayNumber = std::isfinite(day) && std::abs(day) < 1e15 ? static_cast<int64_t>(day) : 0;
    const uint64_t key = static_cast<uint64_t>(dayNumber) << 32 | static_cast<uint32_t>(instrumentNumber);
    size_t& indexed = k7ItemIndex_[key];
    if (indexed < K7Items.size() && matches(K7Items[indexed])) {
        lastK7Item_ = indexed;
        return K7Items[indexed]->K7File.get();
    }
    for (size_t i = 0; i < K7Items.size(); ++i) {
        if (!matches(K7Items[i])) continue;
        lastK7Item_ = indexed = i;
        return K7Items[i]->K7File.get();
    }
    if (Owner == nullptr) return nullptr;
    TDCPK7Item* item = Owner->GetK7Item(date, instrumentNumber, instrumentCode);
    lastK7Item_ = indexed = K7Items.size();
    K7Items.push_back(item);
    return item->K7File.get();
}

void TDCP::FlushK7Items(TDateTime date) {
    if (Owner == nullptr) return;  // only a list's beacon has items
    const TWorkDirLock lock(Owner->Context().WorkDir());
    const TDateTime day = DateOf(date);
    for (TDCPK7Item* item : K7Items)
        if (date == 0.0 || item->Day == day) item->Flush();
}

// The block at index leaves Blocks: the settled blocks before it stay settled.
void TDCP::forgetSettled(size_t index) {
    if (index >= settledBlocks_) return;
    --settledBlocks_;
    if (index == settledBlocks_) settledLast_ = settledBlocks_ > 0 ? Blocks[settledBlocks_ - 1].get() : nullptr;
}

void TDCP::ClearContent() {
    settledBlocks_ = 0;
    settledLast_ = nullptr;
    // Destroying a block frees its parts: they are fetched ahead like the blocks.
    VisitFetchingAhead(
        Blocks,
        [](const TDCPDataBloc& block) {
            __builtin_prefetch(block.Header.data());
            __builtin_prefetch(block.Body.data());
            __builtin_prefetch(block.Events.data());
            __builtin_prefetch(block.ByteStatus.Packed());
        },
        [](std::unique_ptr<TDCPDataBloc>& block) { block.reset(); });
    Blocks.clear();
    headerIndex_.clear();
    indexedBlocks_ = 0;
    K7Items.clear();
    k7ItemIndex_.clear();
}

std::string TDCP::FolderName() const { return BeaconFolderName(Name); }

}  // namespace skylog
