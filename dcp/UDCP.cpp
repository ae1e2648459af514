// A beacon: its definition in DcpList.inf, its associations, its blocks in memory and
// the K7 files it fills. Decoding (DecodeAll) lives in UDCPDecode.cpp.

#include <algorithm>
#include <cmath>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

#include "Common/FileUtil.h"
#include "Common/Settings.h"
#include "Common/UUtils.h"
#include "Common/WorkDirLock.h"
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

TDCP::TDCP() : Interval(Settings().TransInterval) {}

// Blocks refer to events of the K7 files; they go first so that no block outlives
// the events it points to.
TDCP::~TDCP() {
    AssoList.clear();
    Blocks.clear();
    K7Items.clear();
    ownK7Items_.clear();
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

void TDCP::LoadFromIni(const TIniFile& ini, std::string_view section) {
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
        auto asso = std::make_unique<TDCPAsso>();
        if (asso->FromLine(line)) AssoList.push_back(std::move(asso));
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

namespace {

// Records waiting to be appended to one daily file, in block order, as pieces of their
// blocks (header, line end, body, line end: the blocks are not changed meanwhile), with
// those of their lines that could be a header (upper case), so that a later block of
// the same flush sees them as stored.
struct PendingRecords {
    std::string path;
    std::vector<std::string_view> pieces;
    std::vector<const TDCPDataBloc*> blocks;
    size_t bytes = 0;
    TLineSet lines;
    // The file did not exist when the flush began. Under the working directory lock
    // nobody else creates it, so only the records of this flush can be in it, and the
    // index need not look at the disk for every block.
    bool created = false;
    // The index has looked at the file, or appended to it, during this flush: under the
    // lock it still knows the file's size, and need not look at the disk again.
    bool indexCurrent = false;

    void Clear() {
        std::vector<std::string_view>().swap(pieces);
        std::vector<const TDCPDataBloc*>().swap(blocks);
        bytes = 0;
        lines.clear();
    }
};


// Requests from memory what writing a block's record reads (see VisitFetchingAhead).
void fetchRecordParts(const TDCPDataBloc& block) {
    __builtin_prefetch(block.Header.data());
    __builtin_prefetch(block.Body.data());
}

bool holdsLineBreak(std::string_view text) {
    return text.find('\r') != std::string_view::npos || text.find('\n') != std::string_view::npos;
}

// Calls f for each line of the block's daily record.
template <class F>
void forEachRecordLine(const TDCPDataBloc& block, F&& f) {
    const std::string_view body = block.RecordBody();
    if (holdsLineBreak(block.Header) || holdsLineBreak(body)) {
        // Never made by the reader; cut exactly as the file will be read.
        ForEachDailyLine(block.DailyRecord(), f);
        return;
    }
    f(std::string_view(block.Header));
    f(body);
}

// True when a line of the pending records equals the header, letter case ignored;
// upperHeader is the header in upper case.
bool PendingHolds(const PendingRecords& file, std::string_view header, const std::string& upperHeader) {
    if (header.find(' ') != std::string_view::npos) return file.lines.contains(upperHeader);
    // Not a header the reader makes: compare with every pending line.
    bool found = false;
    for (const TDCPDataBloc* block : file.blocks) {
        forEachRecordLine(*block, [&](std::string_view line) { found = found || EqualsNoCase(line, header); });
        if (found) return true;
    }
    return false;
}

// Past this many bytes a file's records are written at once, so that the write of a
// very large day is not one piece.
constexpr size_t kMaxPendingBytes = size_t{1} << 20;

}  // namespace

// Each daily file receives its new records with one append per flush (or per megabyte)
// instead of one open, write and close per block; what the file holds afterwards is the
// same, record for record.
void TDCP::SaveBlocks() {
    const TWorkDirLock lock(Settings().WorkDir);
    TDailyFileIndex ownIndex;
    TDailyFileIndex& index = Owner ? Owner->DailyFiles() : ownIndex;
    std::vector<std::string> warned;  // one warning per file, not one per block
    auto write = [&index, &warned](PendingRecords& file) {
        if (file.pieces.empty()) return;
        // The index takes the lines already found rather than looking for them again.
        const bool appended = index.Append(file.path, file.pieces, file.lines);
        file.Clear();
        if (appended || std::find(warned.begin(), warned.end(), file.path) != warned.end()) return;
        warned.push_back(file.path);
        TDCPDataBloc::WarnCannotStore(file.path);
    };

    // Written before the end of the flush: a later block of the same file (blocks out of
    // date order) is then looked for in the index, which knows what the file holds.
    auto writeNow = [&write](PendingRecords& file) {
        if (file.pieces.empty()) return;
        write(file);
        file.created = false;
        file.indexCurrent = true;
    };
    std::string upper;  // the block's header in upper case, then each line put in a pending set
    std::vector<PendingRecords> pending;
    std::unordered_map<std::string, size_t> pendingOf;  // path -> index in pending
    std::unordered_set<std::string> folders;             // beacon folders known to exist
    // Blocks are in date order: the file changes only when the day does.
    TDateTime lastDay = -1;
    PendingRecords* current = nullptr;
    VisitFetchingAhead(Blocks, fetchRecordParts, [&](const std::unique_ptr<TDCPDataBloc>& block) {
        if (block->Date == 0.0) return;
        if (current == nullptr || DateOf(block->Date) != lastDay) {
            // The day's records are complete: written now, while their bytes are still
            // in the processor's caches, and their pieces freed.
            if (current != nullptr) writeNow(*current);
            std::string path = block->DailyFilePath(false);
            if (path.empty()) return;
            const std::string folder = ExtractFileDir(path);
            if (folders.insert(folder).second) path = block->DailyFilePath(true);
            auto [slot, added] = pendingOf.try_emplace(path, pending.size());
            if (added) pending.push_back(PendingRecords{path, {}, {}, 0, {}, !FileExists(path), false});
            current = &pending[slot->second];
            lastDay = DateOf(block->Date);
        }
        PendingRecords& file = *current;
        ToUpperAsciiInto(upper, block->Header);
        if (PendingHolds(file, block->Header, upper)) return;
        if (!file.created) {
            const bool stored = index.Contains(file.path, block->Header, file.indexCurrent);
            file.indexCurrent = true;
            if (stored) return;
        }
        const std::string_view body = block->RecordBody();
        file.pieces.insert(file.pieces.end(), {block->Header, kRecordLineEnd, body, kRecordLineEnd});
        file.blocks.push_back(block.get());
        file.bytes += block->Header.size() + body.size() + 2 * kRecordLineEnd.size();
        // A header holds spaces (its fields are separated by them), a body of 6-bit
        // characters usually none: only lines with a space can ever equal a header.
        const std::string_view header = block->Header;
        forEachRecordLine(*block, [&file, &upper, header](std::string_view line) {
            if (line.find(' ') == std::string_view::npos) return;
            // The header line is already in upper case in upper.
            if (line.data() != header.data() || line.size() != header.size()) ToUpperAsciiInto(upper, line);
            file.lines.insert(upper);
        });
        if (file.bytes >= kMaxPendingBytes) writeNow(file);
    });
    for (PendingRecords& file : pending) write(file);
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
    TDCPK7Item* item = nullptr;
    if (Owner) {
        item = Owner->GetK7Item(date, instrumentNumber, instrumentCode);
    } else {
        ownK7Items_.push_back(std::make_unique<TDCPK7Item>(instrumentNumber, instrumentCode, date));
        item = ownK7Items_.back().get();
    }
    lastK7Item_ = indexed = K7Items.size();
    K7Items.push_back(item);
    return item->K7File.get();
}

void TDCP::FlushK7Items(TDateTime date) {
    const TWorkDirLock lock(Settings().WorkDir);
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
            fetchRecordParts(block);
            __builtin_prefetch(block.Events.data());
            __builtin_prefetch(block.ByteStatus.Packed());
        },
        [](std::unique_ptr<TDCPDataBloc>& block) { block.reset(); });
    Blocks.clear();
    headerIndex_.clear();
    indexedBlocks_ = 0;
    K7Items.clear();
    k7ItemIndex_.clear();
    ownK7Items_.clear();
}

std::string TDCP::FolderName() const {
    if (Name.empty()) return "_";
    if (Name == "." || Name == "..") return "_" + Name;
    std::string folder = Name;
    std::replace(folder.begin(), folder.end(), '/', '_');
    std::replace(folder.begin(), folder.end(), '\0', '_');
    return folder;
}

}  // namespace skylog
