#include "plugin/USkylog.h"

#include <exception>
#include <filesystem>

#include <unistd.h>

#include "Common/FileUtil.h"
#include "Common/MessageBoxes.h"
#include "Common/RunObjects.h"
#include "Common/UUtils.h"
#include "dcp/UDCPList.h"
#include "import/UDecodFile.h"
#include "k7/UDCP_to_K7.h"
#include "managers/UManagers.h"
#include "tasks/UTasks.h"

namespace skylog {

std::string TSkylog::DefaultWorkDir(const std::string& hostFileName) {
    const std::string folder = IncludeBackslash(ExtractFileDir(hostFileName));
    // A host installed in a system folder cannot keep data beside itself: the user's
    // data folder takes its place.
    if (!folder.empty() && DirectoryExists(folder) && ::access(folder.c_str(), W_OK) != 0)
        return IncludeBackslash(ExtractFileDir(DefaultHostFileName())) + "Skylog/";
    return folder + "Skylog/";
}

TSkylog::TSkylog(TSkylogOptions options)
    : hostFileName_(options.hostFileName.empty() ? DefaultHostFileName() : options.hostFileName),
      settingsFile_(options.settingsFile.empty() ? SettingsFilePath() : options.settingsFile) {
    TSkylogSettings& settings = Settings();
    settings = TSkylogSettings{};
    settings.WorkDir = DefaultWorkDir(hostFileName_);
    const TSettingsStore store(settingsFile_);
    settings.LoadSettings(store);
    for (const std::string& warning : SettingsWarnings(store, settings)) ShowWarning(warning);
    storedWorkDir_ = settings.WorkDir;
    if (options.workDirOverride) {
        settings.WorkDir = IncludeBackslash(*options.workDirOverride);
        overridden_ = true;
    }
    // A directory that cannot be created is not reported here: the file operations
    // that follow fail on their own terms.
    if (!DirectoryExists(settings.WorkDir)) ForceDirectories(settings.WorkDir);

    const std::string& w = settings.WorkDir;
    reader_ = std::make_unique<TDecodFile>();
    Run().Reader = reader_.get();
    converter_ = std::make_unique<TDCP_to_K7>();
    Run().Converter = converter_.get();
    managers_ = std::make_unique<TManagerList>(w + "Managers.inf");
    Run().Managers = managers_.get();
    beacons_ = std::make_unique<TDCPList>(w + "DcpList.inf");
    Run().Beacons = beacons_.get();
    tasks_ = std::make_unique<TTasksList>();
    Run().Tasks = tasks_.get();
    tasks_->LoadFromFile(w + "Tasks.inf");
}

bool TSkylog::SaveSettings() {
    try {
        TSettingsStore store(settingsFile_);
        TSkylogSettings toSave = Settings();
        if (overridden_) toSave.WorkDir = storedWorkDir_;
        toSave.SaveSettings(store);
        store.Save();
        return true;
    } catch (const std::exception& e) {
        ShowWarning(std::string("Impossible d'enregistrer les paramètres : ") + e.what());
        return false;
    }
}

TSkylog::~TSkylog() {
    TSkylogSettings& settings = Settings();
    (void)SaveSettings();
    try {
        tasks_->SaveToFile(settings.WorkDir + "Tasks.inf");
    } catch (const std::exception& e) {
        ShowWarning(std::string("Impossible d'enregistrer les tâches : ") + e.what());
    }
    Run().Tasks = nullptr;
    tasks_.reset();
    Run().Beacons = nullptr;
    beacons_.reset();  // writes DcpList.inf
    Run().Converter = nullptr;
    converter_.reset();
    Run().Reader = nullptr;
    reader_.reset();
    Run().Managers = nullptr;
    managers_.reset();
}

// The manual is installed beside the host: PREFIX/bin/<host> and
// PREFIX/share/doc/skylog/html/ (the build tree has the same shape).
std::string TSkylog::HelpFile() const {
    const std::filesystem::path host(ExtractFileDir(hostFileName_));
    return (host / ".." / kManualPath).lexically_normal().string();
}

}  // namespace skylog
