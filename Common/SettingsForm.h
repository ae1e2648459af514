#pragma once
// The general configuration form without its window: the texts its boxes show for the
// settings, and the reading of those texts back when the form is confirmed. The
// desktop dialog only moves text between its boxes and these functions.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "Common/FormField.h"
#include "Common/Settings.h"

namespace skylog {

// What a limit becomes when its box does not hold a whole number of days, 0 or more.
inline constexpr int32_t kDefaultLimitPasse = 15;
inline constexpr int32_t kDefaultLimitFutur = 5;

// The boxes of the form. The two lists are given by the index of the item shown.
struct TSettingsTexts {
    std::string WorkDir;
    int ParamIndex = 0;  // 0 "Numéro de country et district", 1 "Latitude et longitude"
    std::string TransInterval;
    bool DecodBadJump = false;
    bool DecodBadFE = false;
    bool DecodBadTime = false;
    bool ImprobableDateDecod = false;
    std::string LimitPasse;
    std::string LimitFutur;
    int DCPDateIndex = 0;  // 0 "Format dd/mm/yy", 1 "Format mm/dd/yy"
};

[[nodiscard]] TSettingsTexts SettingsTexts(const TSkylogSettings& settings);

// The limits are read only when improbable dates are not decoded anyway.
[[nodiscard]] constexpr bool LimitsEnabled(bool improbableDateDecod) { return !improbableDateDecod; }

// Whole minutes, at least one (also the beacon form's interval).
[[nodiscard]] TFieldValue<int32_t> ReadInterval(std::string_view text);

// The working directory typed: taken, with its final "/", when it names a directory
// that exists and can be written; one that does not exist (or is not an absolute path)
// leaves the current one without a word; one that cannot be written leaves it with a
// warning, since the messages and K7 files written there would be lost.
struct TWorkDirChoice {
    std::string WorkDir;
    std::optional<std::string> Warning;
};
[[nodiscard]] TWorkDirChoice ChooseWorkDir(std::string_view typed, const std::string& current);

// The form confirmed: the settings to keep, or the refusal of the interval (then
// nothing at all is taken). Limits that do not read fall back to 15 and 5; with
// improbable dates decoded they are not read and keep their values.
struct TSettingsReading {
    std::optional<TSkylogSettings> Settings;
    std::string Message;                // the refusal
    std::optional<std::string> Warning;  // the working directory was not taken
};
[[nodiscard]] TSettingsReading ReadSettingsForm(const TSettingsTexts& texts, const TSkylogSettings& current);

}  // namespace skylog
