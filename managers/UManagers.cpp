#include "managers/UManagers.h"

#include <algorithm>
#include <cstdint>

#include "Common/Encoding.h"
#include "Common/FileUtil.h"
#include "Common/Lines.h"
#include "Common/MessageBoxes.h"
#include "Common/ListMerge.h"
#include "Common/UUtils.h"
#include "Common/WorkDirLock.h"

namespace skylog {

namespace {

constexpr char kFieldSeparator = ',';
constexpr char kIdSeparator = '|';
constexpr std::string_view kLineEnd = "\r\n";

}  // namespace

// --- TManager ---------------------------------------------------------------------

std::optional<TManager> TManager::FromLine(std::string_view line) {
    const StringList fields = Split(line, kFieldSeparator);
    const std::optional<int32_t> id = fields.empty() ? std::nullopt : ParseInt32(fields[0]);
    if (!id) return std::nullopt;
    TManager manager;
    manager.Id = *id;
    if (fields.size() > 1) manager.Name = fields[1];
    if (fields.size() > 2) manager.ForName = fields[2];
    if (fields.size() > 3) manager.Mail = fields[3];
    return manager;
}

std::string TManager::FullName() const { return ForName + " " + Name; }

std::string TManager::AsLine() const {
    return std::to_string(Id) + kFieldSeparator + Name + kFieldSeparator + ForName +
           kFieldSeparator + Mail;
}

// --- TManagerList -----------------------------------------------------------------

TManagerList::TManagerList(std::string fileName) : FileName(std::move(fileName)) {}

void TManagerList::LoadFromFile(IMessageBoxes& reporter) {
    if (FileExists(FileName)) {
        LoadFromBytes(ReadFileBytes(FileName), reporter);
    } else {
        Managers.clear();
        base_.clear();
        loadWarnings_.clear();
        encoding_ = TTextEncoding::Cp1252;
    }
}

TManager* TManagerList::Add(std::unique_ptr<TManager> manager) {
    if (NextId < INT32_MAX) {
        manager->Id = NextId++;
    } else {
        // No identifier is left above the largest one read: the new manager takes the
        // smallest positive identifier that no manager holds, never one in use.
        int32_t id = 1;
        while (Exists(id)) ++id;
        manager->Id = id;
    }
    Managers.push_back(std::move(manager));
    return Managers.back().get();
}

TManager* TManagerList::FindById(int32_t id) const {
    for (const auto& manager : Managers)
        if (manager->Id == id) return manager.get();
    return nullptr;
}

void TManagerList::Delete(size_t index) {
    if (index < Managers.size()) Managers.erase(Managers.begin() + static_cast<std::ptrdiff_t>(index));
}

bool TManagerList::Remove(const TManager* manager) {
    auto it = std::find_if(Managers.begin(), Managers.end(),
                           [manager](const auto& m) { return m.get() == manager; });
    if (it == Managers.end()) return false;
    Managers.erase(it);
    return true;
}

namespace {

constexpr std::string_view kIdField = "Id";
constexpr std::string_view kNameField = "Name";
constexpr std::string_view kForNameField = "ForName";
constexpr std::string_view kMailField = "Mail";

TRecord recordOf(const TManager& manager) {
    return {{std::string(kIdField), std::to_string(manager.Id)},
            {std::string(kNameField), manager.Name},
            {std::string(kForNameField), manager.ForName},
            {std::string(kMailField), manager.Mail}};
}

// A line of the file as a record; a line that is no manager is one field without a key.
TRecord recordOfLine(std::string_view line) {
    if (const std::optional<TManager> manager = TManager::FromLine(line)) return recordOf(*manager);
    return {{std::string(), std::string(line)}};
}

std::optional<TManager> managerOf(const TRecord& record) {
    if (record.size() != 4 || record[0].first != kIdField) return std::nullopt;
    const std::optional<int32_t> id = ParseInt32(record[0].second);
    if (!id) return std::nullopt;
    TManager manager;
    manager.Id = *id;
    manager.Name = record[1].second;
    manager.ForName = record[2].second;
    manager.Mail = record[3].second;
    return manager;
}

// The lines of a Managers.inf image that are not empty.
std::vector<std::string> fileLines(const std::string& text) {
    std::vector<std::string> lines;
    for (std::string_view line : SplitLines(text))
        if (!line.empty()) lines.emplace_back(line);
    return lines;
}

}  // namespace

void TManagerList::LoadFromBytes(std::string_view bytes, IMessageBoxes& reporter) {
    Managers.clear();
    const std::vector<std::string> previous = std::move(loadWarnings_);
    loadWarnings_.clear();
    const TDecodedText decoded = DecodeTextFile(bytes);
    encoding_ = decoded.Encoding;
    if (decoded.Problem)
        loadWarnings_.push_back(FileName + " ne peut pas être lu (" + *decoded.Problem +
                                ") : aucun responsable n'est lu, et le fichier ne sera pas modifié");
    for (const std::string& line : fileLines(decoded.Text)) {
        std::optional<TManager> manager = TManager::FromLine(line);
        if (!manager) {
            loadWarnings_.push_back("Ligne ignorée dans " + FileName +
                                    " : l'identifiant du responsable n'est pas un nombre entier.\n" +
                                    QuotedLine(line));
            continue;
        }
        if (FindById(manager->Id))
            loadWarnings_.push_back(FileName + " : l'identifiant " + std::to_string(manager->Id) +
                                    " est donné à deux responsables ; les associations désignent le premier");
        if (manager->Id >= NextId) NextId = manager->Id < INT32_MAX ? manager->Id + 1 : INT32_MAX;
        Managers.push_back(std::make_unique<TManager>(std::move(*manager)));
    }
    // Read again (a command's change, under the lock), the same file says nothing new.
    if (loadWarnings_ != previous)
        for (const std::string& warning : loadWarnings_) reporter.Warning(warning);
    base_ = records();
}

std::string TManagerList::ToBytes() const {
    std::string text;
    for (const auto& manager : Managers) {
        text += manager->AsLine();
        text += kLineEnd;
    }
    return EncodeTextFile(text, encoding_);
}

std::vector<TRecord> TManagerList::records() const {
    std::vector<TRecord> out;
    for (const auto& manager : Managers) out.push_back(recordOf(*manager));
    return out;
}

// A manager keeps its identifier for good: the base record of the same identifier is
// the one it comes from.
std::vector<size_t> TManagerList::origins() const {
    std::vector<size_t> out;
    std::vector<bool> used(base_.size(), false);
    for (const auto& manager : Managers) {
        size_t origin = kNoRecord;
        const std::string id = std::to_string(manager->Id);
        for (size_t i = 0; i < base_.size() && origin == kNoRecord; ++i)
            if (!used[i] && base_[i][0].second == id) origin = i;
        if (origin != kNoRecord) used[origin] = true;
        out.push_back(origin);
    }
    return out;
}

bool TManagerList::Changed() const { return RecordsChanged(base_, records(), origins()); }

void TManagerList::SaveToFile() {
    const std::vector<TRecord> mine = records();
    const std::vector<size_t> mineOrigins = origins();
    if (!RecordsChanged(base_, mine, mineOrigins)) return;
    const TWorkDirLock lock(ExtractFileDir(FileName));
    TDecodedText file;
    if (FileExists(FileName)) file = DecodeTextFile(ReadFileBytes(FileName));
    if (file.Problem) throw FileError(FileName + " n'est pas modifié : " + *file.Problem);
    const std::vector<std::string> lines = fileLines(file.Text);
    std::vector<TRecord> fileRecords;
    for (const std::string& line : lines) fileRecords.push_back(recordOfLine(line));
    TMergeRules rules;
    rules.SameItem = [](const TRecord& a, const TRecord& b) { return !b.empty() && a[0].second == b[0].second; };
    std::vector<TMergedRecord> merged = MergeRecords(base_, base_, mine, mineOrigins, fileRecords, rules);

    // A manager added here whose identifier another program gave meanwhile to one of
    // its own takes the next free identifier.
    int32_t largest = NextId - 1;
    for (const TMergedRecord& m : merged)
        if (const auto manager = managerOf(m.Record)) largest = std::max(largest, manager->Id);
    std::vector<std::pair<int32_t, int32_t>> renumbered;
    for (TMergedRecord& m : merged) {
        if (m.File != kNoRecord || m.Mine == kNoRecord || mineOrigins[m.Mine] != kNoRecord) continue;
        const int32_t id = Managers[m.Mine]->Id;
        const bool taken = std::any_of(merged.begin(), merged.end(), [&](const TMergedRecord& other) {
            const auto manager = managerOf(other.Record);
            return &other != &m && manager && manager->Id == id;
        });
        if (!taken || largest == INT32_MAX) continue;
        m.Record[0].second = std::to_string(++largest);
        renumbered.emplace_back(id, largest);
    }

    std::string text;
    for (const TMergedRecord& m : merged) {
        // Lines nobody changed are written as they were read.
        const bool asRead = m.File != kNoRecord && SameRecord(m.Record, fileRecords[m.File]);
        text += asRead ? lines[m.File] : (managerOf(m.Record) ? managerOf(m.Record)->AsLine() : m.Record[0].second);
        text += kLineEnd;
    }
    RemoveStaleTemporaries(FileName);
    WriteFileAtomic(FileName, EncodeTextFile(text, file.Encoding));
    encoding_ = file.Encoding;

    std::vector<std::unique_ptr<TManager>> adopted;
    for (const TMergedRecord& m : merged) {
        std::optional<TManager> manager = managerOf(m.Record);
        if (!manager) continue;
        std::unique_ptr<TManager> kept = m.Mine != kNoRecord ? std::move(Managers[m.Mine]) : std::make_unique<TManager>();
        *kept = std::move(*manager);
        if (kept->Id >= NextId) NextId = kept->Id < INT32_MAX ? kept->Id + 1 : INT32_MAX;
        adopted.push_back(std::move(kept));
    }
    Managers = std::move(adopted);
    base_ = records();
    if (OnRenumbered)
        for (const auto& [from, to] : renumbered) OnRenumbered(from, to);
}

// --- TListManagers ----------------------------------------------------------------

bool TListManagers::AddManager(int32_t id) {
    if (managers_ && !managers_->Exists(id)) return false;
    if (std::find(ids_.begin(), ids_.end(), id) != ids_.end()) return false;
    ids_.push_back(id);
    return true;
}

void TListManagers::Prune() {
    if (!managers_) return;
    std::erase_if(ids_, [this](int32_t id) { return !managers_->Exists(id); });
}

std::string TListManagers::IdsText() {
    Prune();
    std::string text;
    for (size_t i = 0; i < ids_.size(); ++i) {
        if (i > 0) text += kIdSeparator;
        text += std::to_string(ids_[i]);
    }
    return text;
}

void TListManagers::SetIdsText(std::string_view text, IMessageBoxes& reporter) {
    Clear();
    for (const std::string& piece : Split(text, kIdSeparator)) {
        const std::optional<int32_t> id = ParseInt32(piece);
        if (!id) {
            reporter.Warning("Identifiant de responsable ignoré : \"" + QuotedLine(piece) +
                             "\" n'est pas un nombre entier (liste \"" + QuotedLine(text) + "\").");
            continue;
        }
        if (managers_ && !managers_->Exists(*id)) {
            reporter.Warning("le responsable " + std::to_string(*id) + " n'existe pas dans " + managers_->FileName +
                             ", il est retiré de l'association");
            continue;
        }
        AddManager(*id);
    }
}

std::string TListManagers::DisplayStr() {
    Prune();
    std::string text;
    if (!managers_) return text;
    for (size_t i = 0; i < ids_.size(); ++i) {
        if (i > 0) text += ", ";
        text += managers_->FindById(ids_[i])->FullName();
    }
    return text;
}

}  // namespace skylog
