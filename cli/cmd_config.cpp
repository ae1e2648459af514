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

int show(const std::vector<std::string>& args, const Options&) {
    if (!args.empty()) {
        std::cerr << "usage: skylog config show\n";
        return kExitUsage;
    }
    for (const auto& [name, value] : loadStored().NameValues()) std::cout << name << '=' << value << '\n';
    return kExitOk;
}

int set(const std::vector<std::string>& args, const Options&) {
    if (args.size() != 2) {
        std::cerr << "usage: skylog config set NAME VALUE\n";
        return kExitUsage;
    }
    TSkylogSettings settings = loadStored();
    if (!settings.SetValue(args[0], args[1])) {
        std::cerr << "skylog: paramètre inconnu ou valeur invalide : " << args[0] << '=' << args[1]
                  << '\n';
        return kExitUsage;
    }
    TSettingsStore store(SettingsFilePath());
    settings.SaveSettings(store);
    store.Save();
    return kExitOk;
}

Registrar showCommand("config show", "config show", show, false);
Registrar setCommand("config set", "config set NAME VALUE", set, false);

}  // namespace
}  // namespace skylog::cli
