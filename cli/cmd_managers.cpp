// skylog managers ...: the responsible persons of Managers.inf, listed, added, changed
// and removed with the checks and messages of the manager dialogs.

#include <iostream>
#include <memory>
#include <string>

#include "cli/Commands.h"
#include "cli/ConfigChange.h"
#include "cli/Names.h"
#include "dcp/UDCPList.h"
#include "managers/ManagerForm.h"
#include "managers/UManagers.h"
#include "plugin/USkylog.h"

namespace skylog::cli {
namespace {

const char* optionOf(TManagerField box) {
    switch (box) {
        case TManagerField::Name:
            return "--name";
        case TManagerField::ForName:
            return "--forname";
        case TManagerField::Mail:
            return "--mail";
    }
    return "";
}

// The editor's boxes with the options given; false, the refusal printed, when the
// editor would not close.
bool readTexts(const Args& args, TManagerTexts& texts) {
    if (!args.Has("--name") && !args.Has("--forname") && !args.Has("--mail"))
        throw UsageError("--name, --forname ou --mail est attendu");
    texts.Name = args.Text("--name").value_or(texts.Name);
    texts.ForName = args.Text("--forname").value_or(texts.ForName);
    texts.Mail = args.Text("--mail").value_or(texts.Mail);
    const auto refusal = CheckManagerTexts(texts);
    if (refusal) Refused(refusal->Message + " (" + optionOf(refusal->Box) + ")");
    return !refusal;
}

int list(const Args& args, const Options& options) {
    args.ExpectPositional(0, 0);
    for (const auto& manager : options.run->Managers().Managers)
        std::cout << manager->Id << '\t' << manager->FullName() << '\t' << manager->Mail << '\n';
    return kExitOk;
}

int add(const Args& args, const Options& options) {
    args.ExpectPositional(0, 0);
    TConfigChange change(*options.run);
    TManagerTexts texts;
    if (!readTexts(args, texts)) return kExitFailure;
    auto manager = std::make_unique<TManager>();
    StoreManager(*manager, texts);
    const TManager* added = change.Managers().Add(std::move(manager));
    change.SaveManagers();
    std::cout << added->Id << '\n';
    return kExitOk;
}

int set(const Args& args, const Options& options) {
    args.ExpectPositional(1, 1);
    TConfigChange change(*options.run);
    TManager& manager = ManagerNamed(change.Managers(), args.Positional()[0]);
    TManagerTexts texts = ManagerTexts(manager);
    if (!readTexts(args, texts)) return kExitFailure;
    StoreManager(manager, texts);
    change.SaveManagers();
    return kExitOk;
}

// The associations drop the manager at once rather than the next time they are shown:
// an identifier left in DcpList.inf could be handed to a new manager after a restart.
// DcpList.inf is written first, so that no association ever names a manager gone.
int remove(const Args& args, const Options& options) {
    args.ExpectPositional(1, 1);
    TConfigChange change(*options.run);
    TManager& manager = ManagerNamed(change.Managers(), args.Positional()[0]);
    const int32_t id = manager.Id;
    change.Managers().Remove(&manager);
    bool referenced = false;
    for (const auto& beacon : change.Beacons().Beacons)
        for (const auto& asso : beacon->AssoList)
            referenced = asso->Managers.RemoveManager(id) || referenced;
    if (referenced) change.SaveBeacons();
    change.SaveManagers();
    return kExitOk;
}

Registrar listCommand("managers list", list);
Registrar addCommand("managers add", add);
Registrar setCommand("managers set", set);
Registrar removeCommand("managers remove", remove);

}  // namespace
}  // namespace skylog::cli
