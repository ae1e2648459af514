// skylog config show | set NAME VALUE: the stored settings, without composing a run.

#include <iostream>

#include "Common/FileUtil.h"
#include "Common/MessageBoxes.h"
#include "Common/NearestName.h"
#include "Common/Settings.h"
#include "Common/UUtils.h"
#include "cli/Commands.h"
#include "plugin/USkylog.h"

namespace skylog::cli {
namespace {

// The stored settings, with a warning for each line of the file at fault.
TSkylogSettings loadStored(IMessageBoxes& reporter) {
    TSkylogSettings settings;
    settings.WorkDir = TSkylog::DefaultWorkDir(DefaultHostFileName());
    const TSettingsStore store(SettingsFilePath());
    settings.LoadSettings(store);
    for (const std::string& warning : SettingsWarnings(store, settings)) reporter.Warning(warning);
    return settings;
}

int show(const Args& args, const Options& options) {
    args.ExpectPositional(0, 0);
    for (const auto& [name, value] : loadStored(*options.reporter).NameValues()) std::cout << name << '=' << value << '\n';
    return kExitOk;
}

int set(const Args& args, const Options& options) {
    args.ExpectPositional(2, 2);
    const std::string& name = args.Positional()[0];
    const std::string& value = args.Positional()[1];
    if (!IsSettingName(name)) {
        std::string names;
        for (const std::string& known : SettingNames()) names += (names.empty() ? "" : ", ") + known;
        std::string message = "paramètre inconnu : " + name;
        if (const auto near = NearestName(name, SettingNames())) message += " (vouliez-vous dire " + *near + " ?)";
        throw UsageError(message + " ; les paramètres : " + names);
    }
    if (const auto problem = SettingProblem(name, value)) {
        std::cerr << "skylog: valeur refusée pour " << name << " : " << value << " (" << *problem << ")\n";
        return kExitFailure;
    }
    const TSkylogSettings read = loadStored(*options.reporter);
    TSkylogSettings settings = read;
    (void)settings.SetValue(name, value);
    if (EqualsNoCase(name, "WorkDir") && !DirectoryExists(value))
        std::cerr << "skylog: le répertoire " << value << " n'existe pas encore ; il sera créé au prochain lancement\n";
    // Only this value is written, into the file as it is now.
    (void)settings.SaveChanges(SettingsFilePath(), read);
    return kExitOk;
}

Registrar showCommand("config show", show, false);
Registrar setCommand("config set", set, false);

}  // namespace
}  // namespace skylog::cli
