#include "managers/UManagers.h"

#include <algorithm>
#include <cstdint>

#include "Common/Encoding.h"
#include "Common/FileUtil.h"
#include "Common/Lines.h"
#include "Common/MessageBoxes.h"
#include "Common/UUtils.h"

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
    if (FileExists(FileName))
        LoadFromBytes(ReadFileBytes(FileName), reporter);
    else
        Managers.clear();
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

void TManagerList::LoadFromBytes(std::string_view bytes, IMessageBoxes& reporter) {
    Managers.clear();
    const std::string text = Cp1252ToUtf8(bytes);
    for (std::string_view line : SplitLines(text)) {
        if (line.empty()) continue;
        std::optional<TManager> manager = TManager::FromLine(line);
        if (!manager) {
            reporter.Warning("Ligne ignorée dans " + FileName +
                        " : l'identifiant du responsable n'est pas un nombre entier.\n" +
                        std::string(line));
            continue;
        }
        if (manager->Id >= NextId) NextId = manager->Id < INT32_MAX ? manager->Id + 1 : INT32_MAX;
        Managers.push_back(std::make_unique<TManager>(std::move(*manager)));
    }
}

std::string TManagerList::ToBytes() const {
    std::string text;
    for (const auto& manager : Managers) {
        text += manager->AsLine();
        text += kLineEnd;
    }
    return Utf8ToCp1252(text);
}

void TManagerList::SaveToFile() const { WriteFileAtomic(FileName, ToBytes()); }

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
            reporter.Warning("Identifiant de responsable ignoré : \"" + piece +
                        "\" n'est pas un nombre entier (liste \"" + std::string(text) + "\").");
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
