#pragma once
// The settings object of a run and the context it composes: the settings, the working
// directory, the host's data, the reporter, the clock, the reader, the converter, the
// manager list, the beacon list, the task list and the services the tasks run with.
// A front end builds one TSkylog per run, calls Load at the start and Save at the end,
// and hands the run (or the parts it needs) to its windows; nothing is process-wide,
// so two runs on two working directories can live in one process.

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "Common/Clock.h"
#include "Common/MessageBoxes.h"
#include "Common/Progress.h"
#include "Common/Settings.h"
#include "k7/HostData.h"
#include "tasks/TaskServices.h"

namespace skylog {

class TDecodFile;
class TDCP_to_K7;
class TManagerList;
class TDCPList;
class TTasksList;

struct TSkylogOptions {
    // The host file: the working directory's default and the help file are placed
    // beside it. Empty: DefaultHostFileName().
    std::string hostFileName;
    // The settings file. Empty: SettingsFilePath().
    std::string settingsFile;
    // A working directory for this run only; the stored setting is left as it was.
    std::optional<std::string> workDirOverride;
    // The host's data for this run (nothing known by default); it must outlive the run.
    THostData host;
    // Where warnings and questions go; null: standard error, questions answered No.
    IMessageBoxes* reporter = nullptr;
    // The run's clock; null: the system's.
    const IClock* clock = nullptr;
};

class TSkylog {
public:
    // Reads the settings, creates the working directory when it is missing, then
    // builds the reader, the converter, the manager list, the beacon list and the task
    // list, all empty: Load reads them.
    explicit TSkylog(TSkylogOptions options = {});
    // Writes nothing: Save does.
    ~TSkylog();
    TSkylog(const TSkylog&) = delete;
    TSkylog& operator=(const TSkylog&) = delete;

    // Managers.inf, DcpList.inf, then Tasks.inf; a missing file leaves its list empty.
    // What is wrong in them is shown as warnings (ListWarnings keeps it). Throws
    // FileError when a file cannot be read.
    void Load();
    [[nodiscard]] std::vector<std::string> ListWarnings() const;
    // The settings, then Tasks.inf, then DcpList.inf (Managers.inf is written by its
    // dialog only). Each is written only when this run changed it, with these changes
    // only, into what the file holds now (see Common/ListMerge.h). A failure is shown
    // as a warning and the rest is still written; false when anything failed.
    bool Save();
    bool SaveSettings();
    bool SaveTasks();
    bool SaveBeacons();
    bool SaveManagers();

    [[nodiscard]] TSkylogSettings& Settings() { return settings_; }
    [[nodiscard]] const std::string& WorkDir() const { return settings_.WorkDir; }
    [[nodiscard]] const THostData& Host() const { return host_; }
    [[nodiscard]] IMessageBoxes& Reporter() { return *reporter_; }
    [[nodiscard]] const IClock& Clock() const { return *clock_; }
    [[nodiscard]] TRunEnvironment Environment() { return {settings_, *reporter_, *clock_}; }
    [[nodiscard]] TDecodFile& Reader() { return *reader_; }
    [[nodiscard]] TDCP_to_K7& Converter() { return *converter_; }
    [[nodiscard]] TManagerList& Managers() { return *managers_; }
    [[nodiscard]] TDCPList& Beacons() { return *beacons_; }
    [[nodiscard]] TTasksList& Tasks() { return *tasks_; }
    // The reader and the beacon list as the import and the tasks drive them.
    [[nodiscard]] IMessageStore& Store() { return *store_; }
    // What the tasks run with (TTasksList::ExecuteDueTasks, a task's Execute or
    // Configure). The front end sets its progress sink and dialogs here; it learns what
    // the tasks changed as an observer of the beacon list (TDCPList::SetObserver).
    [[nodiscard]] TTaskServices& TaskServices() { return *taskServices_; }
    // Null gives back the silent sink.
    void SetProgress(IProgress* progress);

    // The manual beside the host's installation, whatever the working directory.
    [[nodiscard]] std::string HelpFile() const;
    [[nodiscard]] const std::string& SettingsFile() const { return settingsFile_; }

    // The default of WorkDir: the host file's folder + "/Skylog/", or the user's data
    // folder + "/skylog/Skylog/" when the host is installed (share/skylog/host lies
    // beside its folder) or its folder is not writable.
    [[nodiscard]] static std::string DefaultWorkDir(const std::string& hostFileName);

private:
    std::string hostFileName_;
    std::string settingsFile_;
    TSkylogSettings settings_;
    // The settings as read or last written (with a per-run working directory, that
    // one, so that it is never written back).
    TSkylogSettings readSettings_;
    THostData host_;

    std::unique_ptr<IMessageBoxes> ownReporter_;
    IMessageBoxes* reporter_;
    std::unique_ptr<IClock> ownClock_;
    const IClock* clock_;
    TNullProgress silentProgress_;

    std::unique_ptr<TDCP_to_K7> converter_;
    std::unique_ptr<TManagerList> managers_;
    std::unique_ptr<TDCPList> beacons_;
    std::unique_ptr<TDecodFile> reader_;
    std::unique_ptr<IMessageStore> store_;
    std::unique_ptr<TTasksList> tasks_;
    std::unique_ptr<TTaskServices> taskServices_;
};

}  // namespace skylog
