#include "Common/Settings.h"

#include <cstdlib>

#include "Common/Encoding.h"
#include "Common/FileUtil.h"
#include "Common/UUtils.h"

namespace skylog {

TSettingsStore::TSettingsStore(std::string fileName) : fileName_(std::move(fileName)) {
    if (!FileExists(fileName_)) return;
    std::string text = Cp1252ToUtf8(ReadFileBytes(fileName_));
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find('\n', pos);
        if (end == std::string::npos) end = text.size();
        std::string line = Trim(std::string_view(text).substr(pos, end - pos));
        pos = end + 1;
        if (line.empty() || line[0] == '#' || line[0] == ';') continue;
        size_t eq = line.find('=');
        if (eq == std::string::npos) continue;
        WriteString(Trim(line.substr(0, eq)), Trim(line.substr(eq + 1)));
    }
}

bool TSettingsStore::Exists(std::string_view name) const {
    for (const auto& [key, value] : values_)
        if (EqualsNoCase(key, name)) return true;
    return false;
}

std::string TSettingsStore::ReadString(std::string_view name, std::string_view defaultValue) const {
    for (const auto& [key, value] : values_)
        if (EqualsNoCase(key, name)) return value;
    return std::string(defaultValue);
}

int32_t TSettingsStore::ReadInteger(std::string_view name, int32_t defaultValue) const {
    if (auto v = ParseInt32(ReadString(name, ""))) return *v;
    return defaultValue;
}

bool TSettingsStore::ReadBool(std::string_view name, bool defaultValue) const {
    return ReadInteger(name, defaultValue ? 1 : 0) != 0;
}

void TSettingsStore::WriteString(std::string_view name, std::string_view value) {
    for (auto& [key, v] : values_)
        if (EqualsNoCase(key, name)) {
            v = std::string(value);
            return;
        }
    values_.emplace_back(std::string(name), std::string(value));
}

void TSettingsStore::WriteInteger(std::string_view name, int32_t value) {
    WriteString(name, std::to_string(value));
}

void TSettingsStore::WriteBool(std::string_view name, bool value) { WriteString(name, value ? "1" : "0"); }

void TSettingsStore::Save() const {
    std::string text;
    for (const auto& [key, value] : values_) text += key + "=" + value + "\n";
    const std::string dir = ExtractFileDir(fileName_);
    if (!dir.empty()) ForceDirectories(dir);
    WriteFileAtomic(fileName_, Utf8ToCp1252(text));
}

void TSkylogSettings::LoadSettings(const TSettingsStore& s) {
    WorkDir = s.ReadString("WorkDir", WorkDir);
    LUImpDir = s.ReadString("LUImpDir", LUImpDir);
    Automode = s.ReadBool("Automode", Automode);
    DecodBadJump = s.ReadBool("DecodBadJump", DecodBadJump);
    DecodBadTime = s.ReadBool("DecodBadTime", DecodBadTime);
    DecodBadFE = s.ReadBool("DecodBadFE", DecodBadFE);
    ParamAsLatLon = s.ReadBool("ParamAsLatLon", ParamAsLatLon);
    TransInterval = s.ReadInteger("TransInterval", TransInterval);
    LimitPasse = s.ReadInteger("LimitPasse", LimitPasse);
    LimitFutur = s.ReadInteger("LimitFutur", LimitFutur);
    ImprobableDateDecod = s.ReadBool("ImprobableDateDecod", ImprobableDateDecod);
    DCPDateNew = s.ReadBool("DCPDateNew", DCPDateNew);
}

std::vector<std::pair<std::string, std::string>> TSkylogSettings::NameValues() const {
    auto b = [](bool v) { return std::string(v ? "1" : "0"); };
    return {
        {"WorkDir", WorkDir},
        {"Automode", b(Automode)},
        {"DecodBadJump", b(DecodBadJump)},
        {"DecodBadTime", b(DecodBadTime)},
        {"DecodBadFE", b(DecodBadFE)},
        {"ParamAsLatLon", b(ParamAsLatLon)},
        {"ImprobableDateDecod", b(ImprobableDateDecod)},
        {"TransInterval", std::to_string(TransInterval)},
        {"LimitPasse", std::to_string(LimitPasse)},
        {"LimitFutur", std::to_string(LimitFutur)},
        {"LUImpDir", LUImpDir},
        {"DCPDateNew", b(DCPDateNew)},
    };
}

void TSkylogSettings::SaveSettings(TSettingsStore& store) const {
    for (const auto& [name, value] : NameValues()) store.WriteString(name, value);
}

bool TSkylogSettings::SetValue(std::string_view name, std::string_view value) {
    auto setBool = [&](bool& field) {
        auto v = ParseInt32(value);
        if (!v) return false;
        field = *v != 0;
        return true;
    };
    auto setInt = [&](int32_t& field) {
        auto v = ParseInt32(value);
        if (!v) return false;
        field = *v;
        return true;
    };
    if (EqualsNoCase(name, "WorkDir")) {
        if (value.empty()) return false;
        WorkDir = IncludeBackslash(value);
        return true;
    }
    if (EqualsNoCase(name, "LUImpDir")) {
        LUImpDir = std::string(value);
        return true;
    }
    if (EqualsNoCase(name, "Automode")) return setBool(Automode);
    if (EqualsNoCase(name, "DecodBadJump")) return setBool(DecodBadJump);
    if (EqualsNoCase(name, "DecodBadTime")) return setBool(DecodBadTime);
    if (EqualsNoCase(name, "DecodBadFE")) return setBool(DecodBadFE);
    if (EqualsNoCase(name, "ParamAsLatLon")) return setBool(ParamAsLatLon);
    if (EqualsNoCase(name, "ImprobableDateDecod")) return setBool(ImprobableDateDecod);
    if (EqualsNoCase(name, "DCPDateNew")) return setBool(DCPDateNew);
    if (EqualsNoCase(name, "TransInterval")) return setInt(TransInterval);
    if (EqualsNoCase(name, "LimitPasse")) return setInt(LimitPasse);
    if (EqualsNoCase(name, "LimitFutur")) return setInt(LimitFutur);
    return false;
}

TSkylogSettings& Settings() {
    static TSkylogSettings settings;
    return settings;
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
