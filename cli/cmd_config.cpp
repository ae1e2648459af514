// skylog config show | set NAME VALUE: the stored settings, without composing a run.

#include <iostream>

#include "Common/Settings.h"
#include "cli/Commands.h"
#include "plugin/USkylog.h"

namespace skylog::cli {
namespace {

TSkylogSettings loadStored() {
    TSkylogSettings settings;
    settings.WorkDir = TSkylog::DefaultWorkDir(DefaultHostFileName());
    settings.LoadSettings(TSettingsStore(SettingsFilePath()));
    return settings;
}

int show(const Args& args, const Options&) {
    args.ExpectPositional(0, 0);
    for (const auto& [name, value] : loadStored().NameValues()) std::cout << name << '=' << value << '\n';
    return kExitOk;
}

int set(const Args& args, const Options&) {
    args.ExpectPositional(2, 2);
    const std::string& name = args.Positional()[0];
    const std::string& value = args.Positional()[1];
    TSkylogSettings settings = loadStored();
    if (!settings.SetValue(name, value)) {
        std::cerr << "skylog: paramètre inconnu ou valeur invalide : " << name << '=' << value << '\n';
        return kExitUsage;
    }
    TSettingsStore store(SettingsFilePath());
    settings.SaveSettings(store);
    store.Save();
    return kExitOk;
}

Registrar showCommand("config show", show, false);
Registrar setCommand("config set", set, false);

}  // namespace
}  // namespace skylog::cli
