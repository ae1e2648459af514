#pragma once
// The responsible persons ("responsables") named by beacon associations, and the
// Managers.inf file that holds them: one manager per line, "Id,Name,ForName,Mail",
// Windows-1252 on disk, CR LF line ends. Associations refer to managers by identifier
// only, so an identifier stays attached to its manager for good: identifiers are kept
// as read and a new manager always gets a number above every one handed out before.

#include <algorithm>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "Common/Encoding.h"
#include "Common/IniFile.h"

namespace skylog {

class IMessageBoxes;

class TManager {
public:
    TManager() = default;  // a new manager: every field empty, Id 0 until the list adds it

    int32_t Id = 0;
    std::string Name;     // family name
    std::string ForName;  // first name
    std::string Mail;

    // One line of Managers.inf (UTF-8, without its line break); fields missing at the
    // end read as empty. Nothing when the identifier is not an integer.
    [[nodiscard]] static std::optional<TManager> FromLine(std::string_view line);

    [[nodiscard]] std::string FullName() const;  // ForName + " " + Name
    [[nodiscard]] std::string AsLine() const;    // "Id,Name,ForName,Mail"
};

class TManagerList {
public:
    // An empty list on the file; LoadFromFile reads it.
    explicit TManagerList(std::string fileName);
    TManagerList(const TManagerList&) = delete;
    TManagerList& operator=(const TManagerList&) = delete;

    std::string FileName;
    int32_t NextId = 1;  // never goes down, so no identifier is handed out twice
    std::vector<std::unique_ptr<TManager>> Managers;  // owned, in file order

    [[nodiscard]] size_t Count() const { return Managers.size(); }
    // Gives the manager the identifier NextId, then appends it; returns it. Once NextId
    // has reached INT32_MAX it gives the smallest positive identifier not in use.
    TManager* Add(std::unique_ptr<TManager> manager);
    [[nodiscard]] TManager* FindById(int32_t id) const;
    [[nodiscard]] bool Exists(int32_t id) const { return FindById(id) != nullptr; }
    void Delete(size_t index);            // removes and destroys one manager
    bool Remove(const TManager* manager);  // the same by object; false when not listed

    // Replaces the content with the managers of FileName; a missing file empties the
    // list. Throws FileError when the file cannot be read.
    void LoadFromFile(IMessageBoxes& reporter);
    // Replaces the content with the managers of a Managers.inf image (Windows-1252, or
    // UTF-8 when the bytes are, see Common/Encoding.h); NextId moves above the largest
    // identifier read. A line whose identifier is not an integer is skipped, and a file
    // that is no text read as empty; both with a warning to the reporter, which
    // LoadWarnings keeps.
    void LoadFromBytes(std::string_view bytes, IMessageBoxes& reporter);
    [[nodiscard]] const std::vector<std::string>& LoadWarnings() const { return loadWarnings_; }
    // The list alone as a file image: AsLine() of every manager, CR LF after each line.
    [[nodiscard]] std::string ToBytes() const;
    // Writes this run's changes to the list since it was read or last written (none:
    // nothing is written) into what FileName holds now, under the working directory
    // lock, atomically; the list then holds what was written, changes of other programs
    // included. Lines of the file that could not be read are written back as they were.
    // Throws FileError, writing nothing, when the file cannot be written or is no text.
    void SaveToFile();
    [[nodiscard]] bool Changed() const;

    // Told when SaveToFile gives a manager that this run added another identifier,
    // because another program gave its identifier to a manager of its own meanwhile:
    // what names the manager follows (the associations of the run's beacon list).
    std::function<void(int32_t from, int32_t to)> OnRenumbered;

private:
    std::vector<TRecord> records() const;
    std::vector<size_t> origins() const;

    std::vector<TRecord> base_;  // the managers as read or last written
    std::vector<std::string> loadWarnings_;
    TTextEncoding encoding_ = TTextEncoding::Cp1252;
};

// The managers of one association, as identifiers into the run's manager list,
// without duplicates. Without a manager list the identifiers cannot be checked and
// are kept as they are.
class TListManagers {
public:
    // The list (may be null) must outlive this object.
    explicit TListManagers(const TManagerList* managers = nullptr) : managers_(managers) {}

    // Appends the identifier when a manager has it and it is not listed yet.
    bool AddManager(int32_t id);
    // Takes the identifier out of the list; false when it was not listed.
    bool RemoveManager(int32_t id) { return std::erase(ids_, id) > 0; }
    // The manager's new identifier in place of its old one (TManagerList::OnRenumbered).
    void Renumber(int32_t from, int32_t to) { std::replace(ids_.begin(), ids_.end(), from, to); }
    void Clear() { ids_.clear(); }
    [[nodiscard]] const std::vector<int32_t>& Ids() const { return ids_; }
    [[nodiscard]] size_t Count() const { return ids_.size(); }

    // Identifiers joined by "|". Drops identifiers whose manager no longer exists.
    [[nodiscard]] std::string IdsText();
    // Clears the list, then adds every "|"-separated identifier; a piece that is not an
    // integer is skipped with a warning to the reporter.
    void SetIdsText(std::string_view text, IMessageBoxes& reporter);
    // Full names joined by ", ". Drops identifiers whose manager no longer exists.
    [[nodiscard]] std::string DisplayStr();

private:
    void Prune();
    const TManagerList* managers_;
    std::vector<int32_t> ids_;
};

}  // namespace skylog
