#pragma once
// The user's twelve settings. On disk they are a text file of Name=Value lines
// (Windows-1252) standing in for the registry key the values were first kept under.

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace skylog {

inline constexpr std::string_view kRegistryKey = "SOFTWARE\\Velmont\\ORMA Win\\Skylog";

// Name=Value store with no sections; names compare without regard to case.
class TSettingsStore {
public:
    explicit TSettingsStore(std::string fileName);  // loads the file when it exists
    [[nodiscard]] const std::string& FileName() const { return fileName_; }
    [[nodiscard]] bool Exists(std::string_view name) const;
    [[nodiscard]] std::string ReadString(std::string_view name, std::string_view defaultValue) const;
    [[nodiscard]] int32_t ReadInteger(std::string_view name, int32_t defaultValue) const;
    [[nodiscard]] bool ReadBool(std::string_view name, bool defaultValue) const;
    void WriteString(std::string_view name, std::string_view value);
    void WriteInteger(std::string_view name, int32_t value);
    void WriteBool(std::string_view name, bool value);
    // Writes the file (creating its folder), atomically; throws FileError.
    void Save() const;

private:
    std::string fileName_;
    std::vector<std::pair<std::string, std::string>> values_;  // in file order
};

struct TSkylogSettings {
    bool DecodBadJump = false;
    bool DecodBadFE = false;
    bool DecodBadTime = false;
    bool ParamAsLatLon = false;
    bool DCPDateNew = true;
    int32_t TransInterval = 30;
    int32_t LimitPasse = 15;
    int32_t LimitFutur = 5;
    bool ImprobableDateDecod = false;
    std::string WorkDir;   // ends with "/"
    std::string LUImpDir;
    bool Automode = false;

    // Reads every value in the reading order; an absent value keeps the field's
    // current content, which therefore serves as the default.
    void LoadSettings(const TSettingsStore& store);
    // Writes every value in the writing order.
    void SaveSettings(TSettingsStore& store) const;
    // The twelve values as text, in the writing order.
    [[nodiscard]] std::vector<std::pair<std::string, std::string>> NameValues() const;
    // Sets one value from text; false for an unknown name or a malformed value.
    bool SetValue(std::string_view name, std::string_view value);
};

// The process-wide settings read by every part of the engine; defaults until a run
// loads them.
[[nodiscard]] TSkylogSettings& Settings();

// Where the settings file lies: $SKYLOG_SETTINGS when set, else a path derived from
// the registry key under ${XDG_CONFIG_HOME:-$HOME/.config}.
[[nodiscard]] std::string SettingsFilePath();

// The host file name for a build without the host: a name in the user's data folder
// (${XDG_DATA_HOME:-$HOME/.local/share}/skylog/skylog), so that the working directory
// formed from it is one the user can write.
[[nodiscard]] std::string DefaultHostFileName();

}  // namespace skylog
