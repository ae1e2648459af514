#pragma once
// The settings object of a run and the shared objects it composes. A run reads the
// settings and the lists from disk at its start and writes them back at its end.

#include <memory>
#include <optional>
#include <string>

#include "Common/Settings.h"

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
};

// The manual, relative to the prefix under which the host's folder lies.
inline constexpr const char* kManualPath = "share/doc/skylog/html/index.html";

class TSkylog {
public:
    // Reads the settings, creates the working directory when it is missing, then
    // builds the reader, the converter, the manager list, the beacon list and the
    // task list in that order, and publishes them through Run().
    explicit TSkylog(TSkylogOptions options = {});
    // Saves the settings, then Tasks.inf, then DcpList.inf (through the beacon list's
    // destructor); Managers.inf is not written here. Failures are shown as warnings:
    // nothing thrown from here.
    ~TSkylog();
    TSkylog(const TSkylog&) = delete;
    TSkylog& operator=(const TSkylog&) = delete;

    // Writes the settings now (the general configuration's OK); a failure is shown as
    // a warning. A working directory given for this run only is not written.
    bool SaveSettings();

    // The manual beside the host's installation, whatever the working directory.
    [[nodiscard]] std::string HelpFile() const;
    [[nodiscard]] const std::string& SettingsFile() const { return settingsFile_; }

    // The default of WorkDir: the host file's folder + "/Skylog/", or the user's data
    // folder + "/skylog/Skylog/" when the host's folder is not writable.
    [[nodiscard]] static std::string DefaultWorkDir(const std::string& hostFileName);

private:
    std::string hostFileName_;
    std::string settingsFile_;
    std::string storedWorkDir_;  // saved back instead of a per-run override
    bool overridden_ = false;

    std::unique_ptr<TDecodFile> reader_;
    std::unique_ptr<TDCP_to_K7> converter_;
    std::unique_ptr<TManagerList> managers_;
    std::unique_ptr<TDCPList> beacons_;
    std::unique_ptr<TTasksList> tasks_;
};

}  // namespace skylog
