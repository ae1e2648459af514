#include "Common/ListMerge.h"

#include <algorithm>

#include "Common/UUtils.h"

namespace skylog {

namespace {

std::string groupOf(const TMergeRules& rules, std::string_view key) {
    std::string group = rules.Group ? rules.Group(key) : std::string(key);
    for (char& c : group)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + ('a' - 'A'));
    return group;
}

// The lines of a record that belong to the group, in order. Lines without a key (comments)
// belong to no group: they are the file's and never change here.
TRecord linesOf(const TRecord& record, const std::string& group, const TMergeRules& rules) {
    TRecord lines;
    for (const auto& line : record)
        if (!line.first.empty() && groupOf(rules, line.first) == group) lines.push_back(line);
    return lines;
}

// Puts into target the groups that mine changed from base, each where the group stood
// in target (at the end when target has none of it).
void applyChanges(TRecord& target, const TRecord& base, const TRecord& mine, const TMergeRules& rules) {
    std::vector<std::string> groups;
    for (const TRecord* record : {&mine, &base})
        for (const auto& line : *record) {
            if (line.first.empty()) continue;
            std::string group = groupOf(rules, line.first);
            if (std::find(groups.begin(), groups.end(), group) == groups.end()) groups.push_back(std::move(group));
        }
    for (const std::string& group : groups) {
        const TRecord mineLines = linesOf(mine, group, rules);
        if (SameRecord(linesOf(base, group, rules), mineLines)) continue;
        size_t at = target.size();
        for (size_t i = target.size(); i-- > 0;) {
            if (target[i].first.empty() || groupOf(rules, target[i].first) != group) continue;
            target.erase(target.begin() + static_cast<std::ptrdiff_t>(i));
            at = i;
        }
        target.insert(target.begin() + static_cast<std::ptrdiff_t>(std::min(at, target.size())), mineLines.begin(),
                      mineLines.end());
    }
}

}  // namespace

bool SameRecord(const TRecord& a, const TRecord& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](const auto& x, const auto& y) {
               return x.second == y.second && EqualsNoCase(x.first, y.first);
           });
}

bool RecordsChanged(const std::vector<TRecord>& base, const std::vector<TRecord>& mine,
                    const std::vector<size_t>& mineOrigins) {
    if (mine.size() != base.size()) return true;
    for (size_t k = 0; k < mine.size(); ++k)
        if (mineOrigins[k] != k || !SameRecord(mine[k], base[k])) return true;
    return false;
}

std::vector<TMergedRecord> MergeRecords(const std::vector<TRecord>& base, const std::vector<TRecord>& read,
                                        const std::vector<TRecord>& mine,
                                        const std::vector<size_t>& mineOrigins, const std::vector<TRecord>& file,
                                        const TMergeRules& rules) {
    // Each base record paired with the file's record of the same item: the same record
    // at the same place (nobody changed it), then the same record elsewhere, then the
    // same item changed.
    std::vector<size_t> fileOf(base.size(), kNoRecord);
    std::vector<bool> taken(file.size(), false);
    const auto pair = [&](const std::function<bool(size_t, size_t)>& same) {
        for (size_t i = 0; i < base.size(); ++i) {
            if (fileOf[i] != kNoRecord) continue;
            for (size_t j = 0; j < file.size(); ++j) {
                if (taken[j] || !same(i, j)) continue;
                fileOf[i] = j;
                taken[j] = true;
                break;
            }
        }
    };
    pair([&](size_t i, size_t j) { return i == j && SameRecord(read[i], file[j]); });
    pair([&](size_t i, size_t j) { return SameRecord(read[i], file[j]); });
    if (rules.SameItem) pair([&](size_t i, size_t j) { return rules.SameItem(read[i], file[j]); });

    std::vector<size_t> mineOf(base.size(), kNoRecord);
    for (size_t k = 0; k < mine.size(); ++k)
        if (mineOrigins[k] != kNoRecord && mineOrigins[k] < base.size()) mineOf[mineOrigins[k]] = k;

    std::vector<TMergedRecord> merged(file.size());
    std::vector<bool> removed(file.size(), false);
    std::vector<bool> appended(mine.size(), false);
    for (size_t j = 0; j < file.size(); ++j) {
        merged[j].Record = file[j];
        merged[j].File = j;
    }
    for (size_t i = 0; i < base.size(); ++i) {
        const size_t j = fileOf[i];
        const size_t k = mineOf[i];
        if (k == kNoRecord) {
            if (j != kNoRecord) removed[j] = true;  // deleted by this run
            continue;
        }
        const bool changed = !SameRecord(mine[k], base[i]);
        if (j == kNoRecord) {
            appended[k] = changed;  // deleted by another run: kept only when changed here
            continue;
        }
        merged[j].Mine = k;
        if (changed) applyChanges(merged[j].Record, base[i], mine[k], rules);
    }
    for (size_t k = 0; k < mine.size(); ++k)
        if (mineOrigins[k] == kNoRecord || mineOrigins[k] >= base.size()) appended[k] = true;

    std::vector<TMergedRecord> out;
    out.reserve(file.size() + mine.size());
    for (size_t j = 0; j < file.size(); ++j)
        if (!removed[j]) out.push_back(std::move(merged[j]));
    for (size_t k = 0; k < mine.size(); ++k)
        if (appended[k]) out.push_back({mine[k], k, kNoRecord});
    return out;
}

}  // namespace skylog
