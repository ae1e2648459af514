#pragma once
// The user's twelve settings. On disk they are a text file of Name=Value lines
// (Windows-1252) standing in for the registry key the values were first kept under.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "Common/Encoding.h"

namespace skylog {

inline constexpr std::string_view kRegistryKey = "SOFTWARE\\Velmont\\ORMA Win\\Skylog";

// Name=Value store with no sections; names compare without regard to case. Every line
// of the file is kept, comments and lines it cannot read included, and written back as
// it was unless its value was changed: a hand-edited file loses nothing. A name given
// twice reads (and is written) at its last line.
class TSettingsStore {
public:
    struct Line {
        size_t number = 0;  // from 1
        std::string text;   // as read, or as last written
        bool hasValue = false;
        std::string name, value;
    };

    explicit TSettingsStore(std::string fileName);  // loads the file when it exists
    [[nodiscard]] const std::string& FileName() const { return fileName_; }
    // Why the file is no text this program reads (it is then read as empty, and Save
    // refuses to replace it).
    [[nodiscard]] const std::optional<std::string>& Problem() const { return problem_; }
    // A write changed a value since the file was read.
    [[nodiscard]] bool Changed() const { return changed_; }
    [[nodiscard]] const std::vector<Line>& Lines() const { return lines_; }
    [[nodiscard]] bool Exists(std::string_view name) const;
    [[nodiscard]] std::string ReadString(std::string_view name, std::string_view defaultValue) const;
    [[nodiscard]] int32_t ReadInteger(std::string_view name, int32_t defaultValue) const;
    [[nodiscard]] bool ReadBool(std::string_view name, bool defaultValue) const;
    void WriteString(std::string_view name, std::string_view value);
    void WriteInteger(std::string_view name, int32_t value);
    void WriteBool(std::string_view name, bool value);
    // Writes the file (creating its folder), atomically, in the encoding it was read in;
    // throws FileError.
    void Save() const;

private:
    // The last line giving the name a value, or lines_.size().
    [[nodiscard]] size_t find(std::string_view name) const;

    std::string fileName_;
    std::optional<std::string> problem_;
    TTextEncoding encoding_ = TTextEncoding::Cp1252;
    bool changed_ = false;
    std::vector<Line> lines_;  // in file order; new values at the end
};

// Reads the settings file again under the lock of its folder, lets change write into
// it, and writes it when change changed a value: programs that write the file at the
// same time never undo each other's values. Throws FileError.
void UpdateSettingsFile(const std::string& fileName, const std::function<void(TSettingsStore&)>& change);

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

    // Settings whose stored text could not be used (SettingProblem): the name and the
    // value used instead, as text. Saving leaves their lines as the user wrote them
    // while the value stays the one used instead.
    std::vector<std::pair<std::string, std::string>> Unread;

    // Reads every value; an absent value, or one that cannot be used, keeps the
    // field's current content, which therefore serves as the default.
    void LoadSettings(const TSettingsStore& store);
    // Writes every value in the writing order.
    void SaveSettings(TSettingsStore& store) const;
    // Writes only the values that differ from `read` (the settings as this run read
    // them or last wrote them), as UpdateSettingsFile does: a run writes the settings it
    // changed, and nothing when it changed none. False when nothing was written.
    bool SaveChanges(const std::string& fileName, const TSkylogSettings& read) const;
    // The twelve values as text, in the writing order.
    [[nodiscard]] std::vector<std::pair<std::string, std::string>> NameValues() const;
    // Sets one value from text; false for an unknown name or a value that
    // SettingProblem refuses.
    bool SetValue(std::string_view name, std::string_view value);
};

// What the windows keep in the same file beside the twelve settings: the main window's
// size and position. Not settings, but not mistakes either.
inline constexpr std::string_view kMainWindowGeometryName = "MainWindowGeometry";
inline constexpr std::string_view kMainWindowMaximizedName = "MainWindowMaximized";

// The twelve names, in the writing order.
[[nodiscard]] std::vector<std::string> SettingNames();
[[nodiscard]] bool IsSettingName(std::string_view name);
// Why a text cannot be the value of that setting ("0 ou 1 attendu", "nombre entier de
// 1 ou plus attendu", "chemin absolu attendu"), or nothing when it can.
[[nodiscard]] std::optional<std::string> SettingProblem(std::string_view name, std::string_view value);

// One warning per line of the store at fault, naming the file and the line: a name
// that is no setting (with the setting probably meant), a value that cannot be used
// (with the value used instead, from the loaded settings), a name given twice, a line
// that is neither a value nor a comment. Such lines are kept as they are.
[[nodiscard]] std::vector<std::string> SettingsWarnings(const TSettingsStore& store, const TSkylogSettings& loaded);

// Where the settings file lies: $SKYLOG_SETTINGS when set, else a path derived from
// the registry key under ${XDG_CONFIG_HOME:-$HOME/.config}.
[[nodiscard]] std::string SettingsFilePath();

// The host file name for a build without the host: a name in the user's data folder
// (${XDG_DATA_HOME:-$HOME/.local/share}/skylog/skylog), so that the working directory
// formed from it is one the user can write.
[[nodiscard]] std::string DefaultHostFileName();

}  // namespace skylog
