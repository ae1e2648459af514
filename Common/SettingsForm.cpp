#include "Common/SettingsForm.h"

#include <unistd.h>

#include "Common/FileUtil.h"
#include "Common/UUtils.h"

namespace skylog {

namespace {

int32_t limitOf(std::string_view text, int32_t fallback) {
    const std::optional<int32_t> days = ParseInt32(text);
    // A negative limit would count every message of the last days as improbable.
    return days && *days >= 0 ? *days : fallback;
}

}  // namespace

TSettingsTexts SettingsTexts(const TSkylogSettings& settings) {
    TSettingsTexts texts;
    texts.WorkDir = settings.WorkDir;
    texts.ParamIndex = settings.ParamAsLatLon ? 1 : 0;
    texts.TransInterval = std::to_string(settings.TransInterval);
    texts.DecodBadJump = settings.DecodBadJump;
    texts.DecodBadFE = settings.DecodBadFE;
    texts.DecodBadTime = settings.DecodBadTime;
    texts.ImprobableDateDecod = settings.ImprobableDateDecod;
    texts.LimitPasse = std::to_string(settings.LimitPasse);
    texts.LimitFutur = std::to_string(settings.LimitFutur);
    texts.DCPDateIndex = settings.DCPDateNew ? 0 : 1;
    return texts;
}

TFieldValue<int32_t> ReadInterval(std::string_view text) {
    const std::optional<int32_t> minutes = ParseInt32(text);
    if (!minutes)
        return TFieldValue<int32_t>::Refused("L'intervalle d'émission doit être un chiffre entier!");
    if (*minutes < 1)
        return TFieldValue<int32_t>::Refused("L'intervalle d'émission doit être d'au moins une minute!");
    return TFieldValue<int32_t>::Accepted(*minutes);
}

TWorkDirChoice ChooseWorkDir(std::string_view typed, const std::string& current) {
    const std::string folder(typed);
    if (folder.empty() || folder[0] != '/' || !DirectoryExists(folder)) return {current, std::nullopt};
    if (::access(folder.c_str(), W_OK | X_OK) != 0)
        return {current, "Le répertoire " + folder +
                             " n'est pas accessible en écriture : le répertoire de travail reste " + current +
                             "."};
    return {IncludeBackslash(folder), std::nullopt};
}

TSettingsReading ReadSettingsForm(const TSettingsTexts& texts, const TSkylogSettings& current) {
    TSettingsReading reading;
    TFieldValue<int32_t> interval = ReadInterval(texts.TransInterval);
    if (!interval.Value) {
        reading.Message = std::move(interval.Message);
        return reading;
    }
    TSkylogSettings settings = current;
    settings.TransInterval = *interval.Value;
    settings.DecodBadJump = texts.DecodBadJump;
    settings.DecodBadFE = texts.DecodBadFE;
    settings.DecodBadTime = texts.DecodBadTime;
    settings.ParamAsLatLon = texts.ParamIndex == 1;
    settings.ImprobableDateDecod = texts.ImprobableDateDecod;
    if (LimitsEnabled(texts.ImprobableDateDecod)) {
        settings.LimitPasse = limitOf(texts.LimitPasse, kDefaultLimitPasse);
        settings.LimitFutur = limitOf(texts.LimitFutur, kDefaultLimitFutur);
    }
    settings.DCPDateNew = texts.DCPDateIndex == 0;
    TWorkDirChoice workDir = ChooseWorkDir(texts.WorkDir, current.WorkDir);
    settings.WorkDir = std::move(workDir.WorkDir);
    reading.Warning = std::move(workDir.Warning);
    reading.Settings = std::move(settings);
    return reading;
}

}  // namespace skylog
