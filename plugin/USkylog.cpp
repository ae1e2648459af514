#include "plugin/USkylog.h"

#include <exception>
#include <filesystem>

#include <unistd.h>

#include "Common/FileUtil.h"
#include "Common/InstalledPaths.h"
#include "Common/UUtils.h"
#include "dcp/UDCPList.h"
#include "dcp/UDCP_to_K7.h"
#include "import/UDecodFile.h"
#include "managers/UManagers.h"
#include "tasks/UTasks.h"

namespace skylog {

namespace {

constexpr const char* kManagersFile = "Managers.inf";
constexpr const char* kBeaconsFile = "DcpList.inf";
constexpr const char* kTasksFile = "Tasks.inf";

}  // namespace

std::string TSkylog::DefaultWorkDir(const std::string& hostFileName) {
    const std::string folder = IncludeBackslash(ExtractFileDir(hostFileName));
    // An installed host keeps no data beside itself (PREFIX/bin, writable or not, as
    // /usr/bin is for root): the user's data folder takes its place, as for skylog.
    const bool installed = !folder.empty() && DirectoryExists(InstalledFolder(TInstalled::HostData, folder));
    if (installed || (!folder.empty() && DirectoryExists(folder) && ::access(folder.c_str(), W_OK) != 0))
        return IncludeBackslash(ExtractFileDir(DefaultHostFileName())) + "Skylog/";
    return folder + "Skylog/";
}

TSkylog::TSkylog(TSkylogOptions options)
    : hostFileName_(options.hostFileName.empty() ? DefaultHostFileName() : options.hostFileName),
      settingsFile_(options.settingsFile.empty() ? SettingsFilePath() : options.settingsFile),
      host_(options.host) {
    if (options.reporter == nullptr) ownReporter_ = std::make_unique<ConsoleMessageBoxes>(false);
    reporter_ = options.reporter != nullptr ? options.reporter : ownReporter_.get();
    if (options.clock == nullptr) ownClock_ = std::make_unique<TSystemClock>();
    clock_ = options.clock != nullptr ? options.clock : ownClock_.get();

    settings_.WorkDir = DefaultWorkDir(hostFileName_);
    const TSettingsStore store(settingsFile_);
    settings_.LoadSettings(store);
    for (const std::string& warning : SettingsWarnings(store, settings_)) reporter_->Warning(warning);
    if (options.workDirOverride) settings_.WorkDir = IncludeBackslash(*options.workDirOverride);
    readSettings_ = settings_;
    // A directory that cannot be created is not reported here: the file operations
    // that follow fail on their own terms.
    if (!DirectoryExists(settings_.WorkDir)) ForceDirectories(settings_.WorkDir);

    const std::string& w = settings_.WorkDir;
    converter_ = std::make_unique<TDCP_to_K7>(settings_, *clock_);
    managers_ = std::make_unique<TManagerList>(w + kManagersFile);
    const TStoreContext context{Environment(), host_, managers_.get(), converter_.get(), nullptr};
    beacons_ = std::make_unique<TDCPList>(w + kBeaconsFile, context);
    managers_->OnRenumbered = [this](int32_t from, int32_t to) { beacons_->RenumberManager(from, to); };
    reader_ = std::make_unique<TDecodFile>(*beacons_);
    beacons_->SetReader(reader_.get());
    store_ = std::make_unique<TRunStore>(*reader_, *beacons_);
    tasks_ = std::make_unique<TTasksList>();
    taskServices_ =
        std::make_unique<TTaskServices>(TTaskServices{Environment(), *store_, &silentProgress_, {}, {}});
}

TSkylog::~TSkylog() = default;

void TSkylog::Load() {
    const std::string& w = settings_.WorkDir;
    managers_->LoadFromFile(*reporter_);
    beacons_->LoadFromFile();
    tasks_->LoadFromFile(w + kTasksFile);
    for (const std::string& warning : tasks_->LoadWarnings()) reporter_->Warning(warning);
}

std::vector<std::string> TSkylog::ListWarnings() const {
    std::vector<std::string> warnings = managers_->LoadWarnings();
    for (const auto* list : {&beacons_->LoadWarnings(), &tasks_->LoadWarnings()})
        warnings.insert(warnings.end(), list->begin(), list->end());
    return warnings;
}

bool TSkylog::SaveSettings() {
    try {
        (void)settings_.SaveChanges(settingsFile_, readSettings_);
        readSettings_ = settings_;
        return true;
    } catch (const std::exception& e) {
        reporter_->Warning(std::string("Impossible d'enregistrer les paramètres : ") + e.what());
        return false;
    }
}

bool TSkylog::SaveTasks() {
    try {
        tasks_->SaveToFile(tasks_->FileName.empty() ? settings_.WorkDir + kTasksFile : std::string());
        return true;
    } catch (const std::exception& e) {
        reporter_->Warning(std::string("Impossible d'enregistrer les tâches : ") + e.what());
        return false;
    }
}

bool TSkylog::SaveBeacons() {
    try {
        beacons_->SaveToFile();
        return true;
    } catch (const std::exception& e) {
        reporter_->Warning(std::string("Impossible d'enregistrer la liste des balises : ") + e.what());
        return false;
    }
}

bool TSkylog::SaveManagers() {
    try {
        managers_->SaveToFile();
        return true;
    } catch (const std::exception& e) {
        reporter_->Warning(std::string("Impossible d'enregistrer la liste des responsables : ") + e.what());
        return false;
    }
}

bool TSkylog::Save() {
    const bool settings = SaveSettings();
    const bool tasks = SaveTasks();
    const bool beacons = SaveBeacons();
    return settings && tasks && beacons;
}

void TSkylog::SetProgress(IProgress* progress) {
    taskServices_->Progress = progress != nullptr ? progress : &silentProgress_;
}

// The manual is installed beside the host: PREFIX/bin/<host> and
// PREFIX/share/doc/skylog/html/ (the build tree has the same shape).
std::string TSkylog::HelpFile() const {
    return InstalledFolder(TInstalled::Manual, ExtractFileDir(hostFileName_)) + "/index.html";
}

}  // namespace skylog
