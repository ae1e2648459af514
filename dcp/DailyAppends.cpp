#include "dcp/DailyAppends.h"

#include <algorithm>
#include <chrono>
#include <exception>
#include <memory>
#include <unordered_map>

#include "Common/DateTime.h"
#include "Common/FileUtil.h"
#include "Common/Lines.h"
#include "Common/UUtils.h"
#include "dcp/UDCPList.h"
#include "dcp/UDailyFile.h"

namespace skylog {

namespace {

// Past this many bytes a file's records are appended at once, so that a very large day
// is not held whole.
constexpr size_t kMaxPendingBytes = size_t{1} << 20;

// Requests from memory what gathering a block's record reads (see VisitFetchingAhead):
// the header and the whole body, which the test for line breaks reads through.
void fetchRecordParts(const TDCPDataBloc& block) {
    __builtin_prefetch(block.Header.data());
    const std::string_view body = block.RecordBody();
    PrefetchRange(body.data(), body.size());
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
        ForEachLine(block.DailyRecord(), f);
        return;
    }
    f(std::string_view(block.Header));
    f(body);
}

}  // namespace

std::vector<uint32_t> TDailyAppends::TakeUnstoredSources() {
    std::sort(unstoredSources_.begin(), unstoredSources_.end());
    unstoredSources_.erase(std::unique(unstoredSources_.begin(), unstoredSources_.end()), unstoredSources_.end());
    return std::move(unstoredSources_);
}

TDailyAppends::TDailyAppends(TDailyFileIndex& index, IMessageBoxes& reporter, std::future<void>* before)
    : index_(index), reporter_(reporter), before_(before) {}

// True when a line of the file's records equals the header, letter case ignored;
// upper is the header in upper case.
bool TDailyAppends::pendingHolds(const File& file, std::string_view header, const std::string& upper) {
    if (header.find(' ') != std::string_view::npos) return file.lines.contains(upper);
    // Not a header the reader makes: compare with every pending line.
    bool found = false;
    for (const TDCPDataBloc* block : file.blocks) {
        forEachRecordLine(*block, [&](std::string_view line) { found = found || EqualsNoCase(line, header); });
        if (found) return true;
    }
    return false;
}

void TDailyAppends::Gather(const TDCP& beacon) {
    std::unordered_map<std::string, File*> filesOf;  // this beacon's files by path
    std::vector<File*> beaconFiles;                  // the same, in the order first met
    // Blocks are in date order: the file changes only when the day does.
    TDateTime lastDay = -1;
    File* current = nullptr;
    VisitFetchingAhead(beacon.Blocks(), fetchRecordParts, [&](const std::unique_ptr<TDCPDataBloc>& block) {
        if (block->Date == 0.0) return;
        if (current == nullptr || DateOf(block->Date) != lastDay) {
            // The day's records are complete: appended now, while their bytes are still
            // in the processor's caches, unless held back.
            if (current != nullptr) complete(*current);
            std::string path = block->DailyFilePath(false);
            if (path.empty()) return;
            const std::string folder = ExtractFileDir(path);
            if (folders_.insert(folder).second) path = block->DailyFilePath(true);
            auto [slot, added] = filesOf.try_emplace(path, nullptr);
            if (added) {
                // Records of an earlier beacon held back for the same file (two names
                // made into one folder) go in first, as appending beacon after beacon
                // gives, so that the file is looked at with them.
                if (heldPaths_.contains(path)) {
                    waitBefore();
                    appendDue();
                }
                File& file = files_.emplace_back();
                file.path = path;
                file.created = !FileExists(path);
                slot->second = &file;
                beaconFiles.push_back(&file);
            }
            current = slot->second;
            lastDay = DateOf(block->Date);
        }
        File& file = *current;
        ToUpperAsciiInto(upper_, block->Header);
        if (pendingHolds(file, block->Header, upper_)) return;
        if (!file.created) {
            const bool stored = index_.Contains(file.path, block->Header, file.indexCurrent);
            file.indexCurrent = true;
            if (stored) return;
        }
        file.blocks.push_back(block.get());
        file.bytes += block->Header.size() + block->RecordBody().size() + 2 * kRecordLineEnd.size();
        // A header holds spaces (its fields are separated by them), a body of 6-bit
        // characters usually none: only lines with a space can ever equal a header.
        const std::string_view header = block->Header;
        forEachRecordLine(*block, [this, &file, header](std::string_view line) {
            if (line.find(' ') == std::string_view::npos) return;
            // The header line is already in upper case in upper_.
            if (line.data() != header.data() || line.size() != header.size()) ToUpperAsciiInto(upper_, line);
            file.lines.insert(upper_);
        });
        if (file.bytes >= kMaxPendingBytes) complete(file);
    });
    for (File* file : beaconFiles) complete(*file);
}

void TDailyAppends::Finish() {
    waitBefore();
    appendDue();
}

bool TDailyAppends::mayAppend() {
    if (before_ == nullptr || beforeDone_) return true;
    if (before_->wait_for(std::chrono::seconds(0)) != std::future_status::ready) return false;
    waitBefore();
    return true;
}

// Once failed, `before` fails every later call: nothing may be appended then.
void TDailyAppends::waitBefore() {
    if (before_ == nullptr || beforeDone_) return;
    if (beforeError_) std::rethrow_exception(beforeError_);
    try {
        before_->get();
    } catch (...) {
        beforeError_ = std::current_exception();
        throw;
    }
    beforeDone_ = true;
}

void TDailyAppends::complete(File& file) {
    if (file.blocks.empty()) return;
    if (mayAppend()) {
        appendDue();
        append(file);
        return;
    }
    if (file.due) return;
    file.due = true;
    due_.push_back(&file);
    heldPaths_.insert(file.path);
}

// A file that fails is not tried again by a later call: it leaves the list first.
void TDailyAppends::appendDue() {
    while (!due_.empty()) {
        File& file = *due_.front();
        due_.pop_front();
        file.due = false;
        append(file);
    }
    heldPaths_.clear();
}

void TDailyAppends::append(File& file) {
    if (file.blocks.empty()) return;
    // The records are handed over as pieces of their blocks, not built one by one.
    std::vector<std::string_view> pieces;
    pieces.reserve(4 * file.blocks.size());
    for (const TDCPDataBloc* block : file.blocks)
        pieces.insert(pieces.end(), {block->Header, kRecordLineEnd, block->RecordBody(), kRecordLineEnd});
    // The index takes the lines already found rather than looking for them again.
    const bool appended = index_.Append(file.path, pieces, file.lines);
    if (!appended)
        for (const TDCPDataBloc* block : file.blocks)
            if (block->Source != 0 && (unstoredSources_.empty() || unstoredSources_.back() != block->Source))
                unstoredSources_.push_back(block->Source);
    std::vector<const TDCPDataBloc*>().swap(file.blocks);
    file.bytes = 0;
    file.lines.clear();
    // A later block of the same file (blocks out of date order) is looked for in the
    // index, which knows what the file holds.
    file.created = false;
    file.indexCurrent = true;
    if (appended || std::find(warned_.begin(), warned_.end(), file.path) != warned_.end()) return;
    warned_.push_back(file.path);
    TDCPDataBloc::WarnCannotStore(reporter_, file.path);
}

}  // namespace skylog
