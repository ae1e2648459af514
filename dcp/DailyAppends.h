#pragma once
// The appends of one flush to the daily message files (TDCP::SaveBlocks,
// TDCPList::FlushAll).

#include <cstddef>
#include <cstdint>
#include <deque>
#include <exception>
#include <future>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "dcp/LineSet.h"

namespace skylog {

class IMessageBoxes;
class TDCP;
class TDCPDataBloc;
class TDailyFileIndex;

// Gathers, beacon by beacon, the records of the blocks that their daily files do not
// hold yet (a line of the file or of an earlier record equal to the header, letter
// case ignored) and appends them, one append per file and day, in block order.
//
// The appends can be held back until something they must follow is done (`before`:
// the K7 files of a flush being made durable and put in place on another thread, which
// is mostly a wait on the disk). Records are gathered meanwhile, which only reads
// memory and the daily files, and appended as soon as it is done; nothing is appended
// if it failed. Under the working directory lock.
class TDailyAppends {
public:
    // A daily file that cannot be opened or created is warned about, once, to the
    // reporter.
    TDailyAppends(TDailyFileIndex& index, IMessageBoxes& reporter, std::future<void>* before = nullptr);
    TDailyAppends(const TDailyAppends&) = delete;
    TDailyAppends& operator=(const TDailyAppends&) = delete;

    // The beacon's blocks; the records of a day are appended once the day is complete,
    // unless held back. Throws FileError when a daily file cannot be read or written.
    void Gather(const TDCP& beacon);
    // Waits for `before` (rethrowing its error, nothing appended), then appends every
    // record gathered and not appended yet.
    void Finish();
    // The sources (TDCPDataBloc::Source) of the blocks whose daily file could not be
    // opened or created, in order, once each.
    [[nodiscard]] std::vector<uint32_t> TakeUnstoredSources();

private:
    // Records waiting to be appended to one daily file, in block order, with those of
    // their lines that could be a header (upper case), so that a later block of the
    // same flush sees them as stored.
    struct File {
        std::string path;
        std::vector<const TDCPDataBloc*> blocks;
        size_t bytes = 0;
        TLineSet lines;
        // The file did not exist when the flush began. Under the working directory
        // lock nobody else creates it, so only the records of this flush can be in it,
        // and the index need not look at the disk for every block.
        bool created = false;
        // The index has looked at the file, or appended to it, during this flush: under
        // the lock it still knows the file's size, and need not look at the disk again.
        bool indexCurrent = false;
        bool due = false;  // in due_
    };

    [[nodiscard]] bool mayAppend();
    void waitBefore();
    // Appends the file's records now, or once `before` is done.
    void complete(File& file);
    void appendDue();
    void append(File& file);
    [[nodiscard]] static bool pendingHolds(const File& file, std::string_view header, const std::string& upper);

    TDailyFileIndex& index_;
    IMessageBoxes& reporter_;
    std::future<void>* before_;
    bool beforeDone_ = false;
    std::exception_ptr beforeError_;
    std::deque<File> files_;             // every file of the flush, in the order first met
    std::deque<File*> due_;              // complete files held back, in the order completed
    std::unordered_set<std::string> heldPaths_;
    std::unordered_set<std::string> folders_;  // beacon folders known to exist
    std::vector<std::string> warned_;          // one warning per file, not one per block
    std::vector<uint32_t> unstoredSources_;
    std::string upper_;                        // a header or line in upper case
};

}  // namespace skylog
