#include "Common/Settings.h"

#include <algorithm>
#include <cstdlib>

#include "Common/Encoding.h"
#include "Common/FileUtil.h"
#include "Common/Lines.h"
#include "Common/NearestName.h"
#include "Common/UUtils.h"
#include "Common/WorkDirLock.h"

namespace skylog {

TSettingsStore::TSettingsStore(std::string fileName) : fileName_(std::move(fileName)) {
    if (!FileExists(fileName_)) return;
    TDecodedText decoded = DecodeTextFile(ReadFileBytes(fileName_));
    problem_ = std::move(decoded.Problem);
    encoding_ = decoded.Encoding;
    const std::string& text = decoded.Text;
    size_t number = 0;
    ForEachLine(text, [this, &number](std::string_view raw) {
        Line line;
        line.number = ++number;
        line.text = std::string(raw);
        const std::string trimmed = Trim(line.text);
        const size_t eq = trimmed.find('=');
        if (!trimmed.empty() && trimmed[0] != '#' && trimmed[0] != ';' && eq != std::string::npos) {
            line.hasValue = true;
            line.name = Trim(trimmed.substr(0, eq));
            line.value = Trim(trimmed.substr(eq + 1));
        }
        lines_.push_back(std::move(line));
    });
}

size_t TSettingsStore::find(std::string_view name) const {
    for (size_t i = lines_.size(); i-- > 0;)
        if (lines_[i].hasValue && EqualsNoCase(lines_[i].name, name)) return i;
    return lines_.size();
}

bool TSettingsStore::Exists(std::string_view name) const { return find(name) < lines_.size(); }

std::string TSettingsStore::ReadString(std::string_view name, std::string_view defaultValue) const {
    const size_t i = find(name);
    return i < lines_.size() ? lines_[i].value : std::string(defaultValue);
}

int32_t TSettingsStore::ReadInteger(std::string_view name, int32_t defaultValue) const {
    if (auto v = ParseInt32(ReadString(name, ""))) return *v;
    return defaultValue;
}

bool TSettingsStore::ReadBool(std::string_view name, bool defaultValue) const {
    return ReadInteger(name, defaultValue ? 1 : 0) != 0;
}

void TSettingsStore::WriteString(std::string_view name, std::string_view value) {
    if (const size_t i = find(name); i < lines_.size()) {
        Line& line = lines_[i];
        if (line.value == value) return;  // the line stays as the user wrote it
        changed_ = true;
        line.value = std::string(value);
        line.text = line.name + "=" + line.value;
        return;
    }
    changed_ = true;
    Line line;
    line.hasValue = true;
    line.name = std::string(name);
    line.value = std::string(value);
    line.text = line.name + "=" + line.value;
    lines_.push_back(std::move(line));
}

void TSettingsStore::WriteInteger(std::string_view name, int32_t value) {
    WriteString(name, std::to_string(value));
}

void TSettingsStore::WriteBool(std::string_view name, bool value) { WriteString(name, value ? "1" : "0"); }

void TSettingsStore::Save() const {
    if (problem_) throw FileError(fileName_ + " n'est pas modifié : " + *problem_);
    std::string text;
    for (const Line& line : lines_) text += line.text + "\n";
    const std::string dir = ExtractFileDir(fileName_);
    if (!dir.empty()) ForceDirectories(dir);
    RemoveStaleTemporaries(fileName_);
    WriteFileAtomic(fileName_, EncodeTextFile(text, encoding_));
}

void UpdateSettingsFile(const std::string& fileName, const std::function<void(TSettingsStore&)>& change) {
    const std::string dir = ExtractFileDir(fileName);
    if (!dir.empty()) ForceDirectories(dir);
    const TWorkDirLock lock(dir);
    TSettingsStore store(fileName);
    change(store);
    if (store.Changed()) store.Save();
}

namespace {

// The twelve settings in the writing order, with what their values must be.
enum class Kind { Flag, Number, Folder, Text };
struct Field {
    std::string_view name;
    Kind kind;
    int32_t minimum = 0;  // numbers
    bool TSkylogSettings::*flag = nullptr;
    int32_t TSkylogSettings::*number = nullptr;
    std::string TSkylogSettings::*text = nullptr;
};
constexpr Field flagField(std::string_view name, bool TSkylogSettings::*field) {
    return {name, Kind::Flag, 0, field, nullptr, nullptr};
}
constexpr Field numberField(std::string_view name, int32_t minimum, int32_t TSkylogSettings::*field) {
    return {name, Kind::Number, minimum, nullptr, field, nullptr};
}
constexpr Field textField(std::string_view name, Kind kind, std::string TSkylogSettings::*field) {
    return {name, kind, 0, nullptr, nullptr, field};
}
constexpr Field kFields[] = {
    textField("WorkDir", Kind::Folder, &TSkylogSettings::WorkDir),
    flagField("Automode", &TSkylogSettings::Automode),
    flagField("DecodBadJump", &TSkylogSettings::DecodBadJump),
    flagField("DecodBadTime", &TSkylogSettings::DecodBadTime),
    flagField("DecodBadFE", &TSkylogSettings::DecodBadFE),
    flagField("ParamAsLatLon", &TSkylogSettings::ParamAsLatLon),
    flagField("ImprobableDateDecod", &TSkylogSettings::ImprobableDateDecod),
    // A new beacon sends at least once a minute; a day count of improbable dates
    // cannot be negative.
    numberField("TransInterval", 1, &TSkylogSettings::TransInterval),
    numberField("LimitPasse", 0, &TSkylogSettings::LimitPasse),
    numberField("LimitFutur", 0, &TSkylogSettings::LimitFutur),
    textField("LUImpDir", Kind::Text, &TSkylogSettings::LUImpDir),
    flagField("DCPDateNew", &TSkylogSettings::DCPDateNew),
};

const Field* fieldOf(std::string_view name) {
    for (const Field& f : kFields)
        if (EqualsNoCase(f.name, name)) return &f;
    return nullptr;
}

std::string textOf(const TSkylogSettings& settings, const Field& f) {
    if (f.flag) return settings.*f.flag ? "1" : "0";
    if (f.number) return std::to_string(settings.*f.number);
    return settings.*f.text;
}

// Stores a value that SettingProblem accepts. WorkDir always ends with the separator:
// every data path is formed by appending to it.
void assign(TSkylogSettings& settings, const Field& f, std::string_view value) {
    if (f.flag) settings.*f.flag = *ParseInt32(value) != 0;
    else if (f.number) settings.*f.number = *ParseInt32(value);
    else if (f.kind == Kind::Folder) settings.*f.text = IncludeBackslash(value);
    else settings.*f.text = std::string(value);
}

}  // namespace

std::vector<std::string> SettingNames() {
    std::vector<std::string> names;
    for (const Field& f : kFields) names.emplace_back(f.name);
    return names;
}

bool IsSettingName(std::string_view name) { return fieldOf(name) != nullptr; }

std::optional<std::string> SettingProblem(std::string_view name, std::string_view value) {
    const Field* f = fieldOf(name);
    if (f == nullptr) return std::string("paramètre inconnu");
    const auto number = ParseInt32(value);
    switch (f->kind) {
        case Kind::Flag:
            if (!number) return std::string("0 ou 1 attendu");
            break;
        case Kind::Number:
            if (!number || *number < f->minimum)
                return "nombre entier de " + std::to_string(f->minimum) + " ou plus attendu";
            break;
        case Kind::Folder:
            if (value.empty() || value[0] != kPathSeparator) return std::string("chemin absolu attendu");
            break;
        case Kind::Text:
            break;
    }
    return std::nullopt;
}

void TSkylogSettings::LoadSettings(const TSettingsStore& s) {
    Unread.clear();
    for (const Field& f : kFields) {
        if (!s.Exists(f.name)) continue;
        const std::string value = s.ReadString(f.name, "");
        if (SettingProblem(f.name, value))
            Unread.emplace_back(std::string(f.name), textOf(*this, f));
        else
            assign(*this, f, value);
    }
}

std::vector<std::pair<std::string, std::string>> TSkylogSettings::NameValues() const {
    std::vector<std::pair<std::string, std::string>> values;
    for (const Field& f : kFields) values.emplace_back(std::string(f.name), textOf(*this, f));
    return values;
}

bool TSkylogSettings::SaveChanges(const std::string& fileName, const TSkylogSettings& read) const {
    const auto unread = [](const TSkylogSettings& s, std::string_view name) {
        return std::any_of(s.Unread.begin(), s.Unread.end(), [&](const auto& u) { return u.first == name; });
    };
    std::vector<std::pair<std::string, std::string>> changed;
    for (const Field& f : kFields)
        if (textOf(*this, f) != textOf(read, f) || (unread(read, f.name) && !unread(*this, f.name)))
            changed.emplace_back(std::string(f.name), textOf(*this, f));
    if (changed.empty()) return false;
    UpdateSettingsFile(fileName, [&](TSettingsStore& store) {
        for (const auto& [name, value] : changed) store.WriteString(name, value);
    });
    return true;
}

void TSkylogSettings::SaveSettings(TSettingsStore& store) const {
    for (const auto& value : NameValues())
        if (std::find(Unread.begin(), Unread.end(), value) == Unread.end()) store.WriteString(value.first, value.second);
}

bool TSkylogSettings::SetValue(std::string_view name, std::string_view value) {
    const Field* f = fieldOf(name);
    if (f == nullptr || SettingProblem(name, value)) return false;
    assign(*this, *f, value);
    std::erase_if(Unread, [&](const auto& unread) { return unread.first == f->name; });
    return true;
}

std::vector<std::string> SettingsWarnings(const TSettingsStore& store, const TSkylogSettings& loaded) {
    std::vector<std::string> warnings;
    if (store.Problem())
        warnings.push_back(store.FileName() + " ne peut pas être lu (" + *store.Problem() +
                           ") : valeurs par défaut utilisées, et le fichier ne sera pas modifié");
    const auto& lines = store.Lines();
    for (size_t i = 0; i < lines.size(); ++i) {
        const TSettingsStore::Line& line = lines[i];
        const std::string where = store.FileName() + ", ligne " + std::to_string(line.number) + " : ";
        const std::string trimmed = Trim(line.text);
        if (!line.hasValue) {
            if (!trimmed.empty() && trimmed[0] != '#' && trimmed[0] != ';')
                warnings.push_back(where + "ligne illisible (ni NOM=VALEUR ni commentaire) : " + QuotedLine(trimmed));
            continue;
        }
        if (EqualsNoCase(line.name, kMainWindowGeometryName) || EqualsNoCase(line.name, kMainWindowMaximizedName))
            continue;
        if (!IsSettingName(line.name)) {
            std::string text = where + QuotedLine(line.name) + " n'est pas un paramètre";
            if (const auto near = NearestName(line.name, SettingNames())) text += " (vouliez-vous dire " + *near + " ?)";
            warnings.push_back(text + ", ligne sans effet");
            continue;
        }
        const auto later = std::find_if(lines.begin() + static_cast<std::ptrdiff_t>(i) + 1, lines.end(),
                                        [&](const auto& other) { return other.hasValue && EqualsNoCase(other.name, line.name); });
        if (later != lines.end()) {
            warnings.push_back(where + line.name + " est donné à nouveau ligne " + std::to_string(later->number) +
                               ", qui l'emporte");
        } else if (const auto problem = SettingProblem(line.name, line.value)) {
            const std::string used = textOf(loaded, *fieldOf(line.name));
            warnings.push_back(where + line.name + "=" + QuotedLine(line.value) + " : " + *problem + ", valeur utilisée : " +
                               (used.empty() ? "(vide)" : used));
        }
    }
    return warnings;
}

namespace {
std::string homeDir() {
    const char* home = std::getenv("HOME");
    return home && *home ? home : "/tmp";
}
}  // namespace

std::string SettingsFilePath() {
    if (const char* explicitPath = std::getenv("SKYLOG_SETTINGS"); explicitPath && *explicitPath)
        return explicitPath;
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    std::string base = (xdg && *xdg) ? xdg : homeDir() + "/.config";
    // SOFTWARE\Velmont\ORMA Win\Skylog -> <base>/Velmont/ORMA Win/Skylog.conf
    std::string key(kRegistryKey.substr(std::string_view("SOFTWARE\\").size()));
    for (char& c : key)
        if (c == '\\') c = '/';
    return base + "/" + key + ".conf";
}

std::string DefaultHostFileName() {
    const char* xdg = std::getenv("XDG_DATA_HOME");
    std::string base = (xdg && *xdg) ? xdg : homeDir() + "/.local/share";
    return base + "/skylog/skylog";
}

}  // namespace skylog
