// A beacon: its definition in DcpList.inf, its associations, its blocks in memory and
// the K7 files it fills. Decoding (DecodeAll) lives in UDCPDecode.cpp.

#include <algorithm>
#include <cmath>
#include <string_view>
#include <unordered_map>

#include "Common/MessageBoxes.h"
#include "Common/NearestName.h"
#include "Common/UUtils.h"
#include "Common/WorkDirLock.h"
#include "dcp/DailyAppends.h"
#include "dcp/DcpListFormat.h"
#include "dcp/UDCPList.h"
#include "dcp/UDailyFile.h"

namespace skylog {

namespace {

// j of a key "Asso<j>", or nothing for any other key.
std::optional<int32_t> assoIndexOf(std::string_view key) {
    if (key.size() <= dcplist::kAssoKeyPrefix.size() ||
        !EqualsNoCase(key.substr(0, dcplist::kAssoKeyPrefix.size()), dcplist::kAssoKeyPrefix))
        return std::nullopt;
    const std::string_view digits = key.substr(dcplist::kAssoKeyPrefix.size());
    if (!std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; })) return std::nullopt;
    return ParseInt32(digits);
}

// An integer key; a value that is no integer is warned about and gives the default.
int32_t readNumber(const TIniFile& ini, std::string_view section, std::string_view key, int32_t defaultValue,
                   std::string_view instead, IMessageBoxes& reporter) {
    if (!ini.ValueExists(section, key)) return defaultValue;
    const std::string text = ini.ReadString(section, key, "");
    if (const auto value = ParseInt32(text)) return *value;
    reporter.Warning(std::string(key) + "=" + QuotedLine(text) + " n'est pas un nombre entier, " + std::string(instead));
    return defaultValue;
}

// Keys of a beacon section that are no key of the format, and "Asso<j>" keys past the
// association count, which are not read.
void warnUnreadKeys(const std::vector<std::string>& keys, int32_t assoCount, IMessageBoxes& reporter) {
    using namespace dcplist;
    const std::vector<std::string> known{std::string(kNameKey), std::string(kNumberKey), std::string(kBaseTimeKey),
                                         std::string(kIntervalKey), std::string(kAssoCountKey)};
    for (const std::string& key : keys) {
        if (const auto j = assoIndexOf(key)) {
            if (*j >= assoCount)
                reporter.Warning(key + " : au-delà de NbAss=" + std::to_string(assoCount) + ", association ignorée");
            continue;
        }
        if (std::any_of(known.begin(), known.end(), [&](const std::string& k) { return EqualsNoCase(k, key); }))
            continue;
        std::string text = "clé inconnue " + QuotedLine(key);
        if (const auto near = NearestName(key, known)) text += " (vouliez-vous dire " + *near + " ?)";
        reporter.Warning(text + ", ignorée");
    }
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
    BaseTime = readNumber(ini, section, kBaseTimeKey, 0, "0 utilisé", reporter);
    Interval = readNumber(ini, section, kIntervalKey, kDefaultInterval, "30 utilisé", reporter);
    const int32_t declared = readNumber(ini, section, kAssoCountKey, 0, "aucune association lue", reporter);
    const std::vector<std::string> keys = ini.KeyNames(section);
    warnUnreadKeys(keys, std::max(declared, 0), reporter);
    // Keys beyond the last "Asso" key present would all read empty: a count far larger
    // than the section (a damaged file) costs no time.
    int32_t last = -1;
    for (const std::string& key : keys) last = std::max(last, assoIndexOf(key).value_or(-1));
    const int32_t count = std::min(declared, last + 1);
    AssoList.clear();
    for (int32_t j = 0; j < count; ++j) {
        const std::string key = AssoKey(static_cast<size_t>(j));
        const std::string line = ini.ReadString(section, key, "");
        if (line.empty()) continue;
        auto asso = std::make_unique<TDCPAsso>(managers);
        RecordingMessageBoxes lineWarnings;
        const bool read = asso->FromLine(line, lineWarnings);
        for (const std::string& warning : lineWarnings.Warnings()) reporter.Warning(key + " : " + warning);
        if (!read) {
            reporter.Warning(key + " : date, heure ou numéro d'instrument illisible, association ignorée : " +
                             QuotedLine(line));
            continue;
        }
        if (Split(line, kAssoFieldSeparator).size() < kAssoMinFields)
            reporter.Warning(key + " : moins de cinq champs, l'association ne couvre aucune date : " + QuotedLine(line));
        AssoList.push_back(std::move(asso));
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
        // Those before it stay in order.
        if (at < settledBlocks_)
            --settledBlocks_;
        else if (at < settledBlocks_ + recentBlocks_)
            --recentBlocks_;
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
    settledBlocks_ = recentBlocks_ = 0;
    return taken;
}

// The records of this beacon alone, appended as each day is complete.
void TDCP::SaveBlocks() {
    if (Owner == nullptr) return;
    Order();
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
    settledBlocks_ = recentBlocks_ = 0;
    blocks_.clear();
    blockOfHeader_.clear();
    k7Items_.clear();
    k7ItemOfDay_.clear();
    lastK7Item_ = nullptr;
}

std::string TDCP::FolderName() const { return BeaconFolderName(Name); }

}  // namespace skylog
