#pragma once
// The responsible persons ("responsables") named by beacon associations, and the
// Managers.inf file that holds them: one manager per line, "Id,Name,ForName,Mail",
// Windows-1252 on disk, CR LF line ends. Associations refer to managers by identifier
// only, so an identifier stays attached to its manager for good: identifiers are kept
// as read and a new manager always gets a number above every one handed out before.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

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
    // Replaces the content with the managers of a Managers.inf image (Windows-1252
    // bytes); NextId moves above the largest identifier read. A line whose identifier
    // is not an integer is skipped with a warning to the reporter.
    void LoadFromBytes(std::string_view bytes, IMessageBoxes& reporter);
    // The file image: AsLine() of every manager, Windows-1252, CR LF after each line.
    [[nodiscard]] std::string ToBytes() const;
    // Replaces FileName atomically; throws FileError.
    void SaveToFile() const;
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
