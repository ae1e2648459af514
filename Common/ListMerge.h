#pragma once
// How a list file (DcpList.inf, Tasks.inf, Managers.inf) is written by a program that
// may have held the list for hours while other programs changed the file: under the
// working directory lock, the file is read again and only this run's own changes are
// applied to what it holds now. A run that changed nothing writes nothing.
//
// An item is a record (its section's lines, or a line's fields). The run keeps the
// records of the items as it read them, both as it would write them (base) and as the
// file held them (read, by which they are found in the file again), and knows, for
// each item it holds now (mine), which record it came from. Its changes are the groups of keys whose lines differ from the
// base (a beacon's name; its associations, which change together); they replace the
// same group of the item in the file, every other line of the file staying as it is.
// An item this run deleted leaves the file, one it added is appended. An item that
// another run deleted stays deleted unless this run changed it.

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "Common/IniFile.h"

namespace skylog {

inline constexpr size_t kNoRecord = static_cast<size_t>(-1);

struct TMergeRules {
    // The group of a key; empty function: the key itself. Keys compare without regard
    // to case.
    std::function<std::string(std::string_view key)> Group;
    // Whether a record of the file stands for an item read when the two are not equal
    // (the same beacon name, the same manager identifier): tried after equal records
    // have been paired.
    std::function<bool(const TRecord& read, const TRecord& file)> SameItem;
};

// One record to write, the index in mine of the item it comes from (kNoRecord: an item
// of the file this run did not hold) and its index in the file (kNoRecord: an item
// this run added).
struct TMergedRecord {
    TRecord Record;
    size_t Mine = kNoRecord;
    size_t File = kNoRecord;
};

// Whether mine differs from base: an item added, deleted or changed.
// mineOrigins[k] is the index in base of mine[k], kNoRecord for an item added.
[[nodiscard]] bool RecordsChanged(const std::vector<TRecord>& base, const std::vector<TRecord>& mine,
                                  const std::vector<size_t>& mineOrigins);

// The records to write: the file's, in its order, with this run's changes applied,
// then the items this run added (and changed items another run deleted). read[i] is
// base[i] as the file held it.
[[nodiscard]] std::vector<TMergedRecord> MergeRecords(const std::vector<TRecord>& base,
                                                      const std::vector<TRecord>& read,
                                                      const std::vector<TRecord>& mine,
                                                      const std::vector<size_t>& mineOrigins,
                                                      const std::vector<TRecord>& file, const TMergeRules& rules);

[[nodiscard]] bool SameRecord(const TRecord& a, const TRecord& b);

}  // namespace skylog
