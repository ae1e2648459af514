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
    blocks_.clear();
    k7Items_.clear();
}

int32_t TDCP::TransmissionBytesTransmittedIndication() const {
    int32_t total = 0;
    for (const auto& block : blocks_) total += block->AnnouncedLength;
    return total;
}

int32_t TDCP::TransmissionBytesReallyTransmitted() const {
    int32_t total = 0;
    for (const auto& block : blocks_) total += block->BodyLength;
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

TDCPDataBloc* TDCP::AddBlock(std::unique_ptr<TDCPDataBloc> block) {
    const std::string& header = block->Header;
    const auto [entry, added] = blockOfHeader_.Insert(
        HashBytes(header), [&header](const TDCPDataBloc* filed) { return filed->Header == header; });
    if (!added) {
        // The same transmission read again: usually one of the last blocks.
        const TDCPDataBloc* replaced = *entry;
        const auto it = std::find_if(blocks_.rbegin(), blocks_.rend(),
                                     [replaced](const auto& b) { return b.get() == replaced; });
        const auto at = static_cast<size_t>(std::distance(blocks_.begin(), std::next(it).base()));
        blocks_.erase(blocks_.begin() + static_cast<std::ptrdiff_t>(at));
        if (at < settledBlocks_) --settledBlocks_;  // those before it stay in order
    }
    block->Beacon = this;
    blocks_.push_back(std::move(block));
    *entry = blocks_.back().get();
    return blocks_.back().get();
}

std::vector<std::unique_ptr<TDCPDataBloc>> TDCP::TakeBlocks() {
    std::vector<std::unique_ptr<TDCPDataBloc>> taken;
    taken.swap(blocks_);
    blockOfHeader_.clear();
    settledBlocks_ = 0;
    return taken;
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
    if (Owner == nullptr) return nullptr;
    const TDateTime day = DateOf(date);
    const auto matches = [day, instrumentNumber](const TDCPK7Item* item) {
        return item->Day == day && item->InstrumentNumber == instrumentNumber;
    };
    if (lastK7Item_ != nullptr && matches(lastK7Item_)) return lastK7Item_->K7File.get();
    // Any day outside the calendar shares key 0: items are compared anyway.
    const int64_t dayNumber = std::isfinite(day) && std::abs(day) < 1e15 ? static_cast<int64_t>(day) : 0;
    const uint64_t key = static_cast<uint64_t>(dayNumber) << 32 | static_cast<uint32_t>(instrumentNumber);
    const auto [entry, added] = k7ItemOfDay_.Insert(HashBytes(std::string_view(reinterpret_cast<const char*>(&key), sizeof key)),
                                                    matches);
    if (added) {
        *entry = Owner->GetK7Item(date, instrumentNumber, instrumentCode);
        k7Items_.push_back(*entry);
    }
    lastK7Item_ = *entry;
    return lastK7Item_->K7File.get();
}

void TDCP::FlushK7Items(TDateTime date) {
    if (Owner == nullptr) return;  // only a list's beacon has items
    const TWorkDirLock lock(Owner->Context().WorkDir());
    const TDateTime day = DateOf(date);
    for (TDCPK7Item* item : k7Items_)
        if (date == 0.0 || item->Day == day) item->Flush();
}

void TDCP::ClearContent() {
    settledBlocks_ = 0;
    blocks_.clear();
    blockOfHeader_.clear();
    k7Items_.clear();
    k7ItemOfDay_.clear();
    lastK7Item_ = nullptr;
}

std::string TDCP::FolderName() const { return BeaconFolderName(Name); }

}  // namespace skylog
