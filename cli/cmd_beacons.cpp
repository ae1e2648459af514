// skylog beacons ...: the beacons of DcpList.inf, listed, shown, added, changed and
// removed with the checks and messages of the beacon dialog.

#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "Common/DateTime.h"
#include "Common/Settings.h"
#include "cli/Commands.h"
#include "cli/ConfigChange.h"
#include "cli/Names.h"
#include "dcp/BeaconForm.h"
#include "dcp/UDCPList.h"
#include "dcp/UDailyFile.h"
#include "plugin/USkylog.h"

namespace skylog::cli {
namespace {

std::string dateTimeText(TDateTime value) { return FormatDateDMY(value) + ' ' + FormatTimeHMS(value); }

// The base time is kept in seconds and shown as minutes and seconds, as the beacon
// dialog edits it.
std::string baseTimeText(int32_t seconds) {
    return std::to_string(seconds / 60) + " min " + std::to_string(seconds % 60) + " s";
}

int list(const Args& args, const Options& options) {
    args.ExpectPositional(0, 0);
    const TDCPList* beacons = &options.run->Beacons();
    if (beacons == nullptr) {
        std::cerr << "skylog: aucune liste de balises\n";
        return kExitFailure;
    }
    for (const auto& beacon : beacons->Beacons) {
        std::cout << "Balise " << beacon->Name << " : n° " << beacon->Number << ", base de temps "
                  << baseTimeText(beacon->BaseTime) << ", intervalle " << beacon->Interval << " min\n";
        for (const auto& asso : beacon->AssoList) {
            std::cout << "  du " << dateTimeText(asso->StartDate) << " au " << dateTimeText(asso->EndDate)
                      << " : instrument " << asso->InstrumentNumber << ", localité " << asso->PosName
                      << ", responsables : " << asso->Managers.DisplayStr() << '\n';
        }
    }
    return kExitOk;
}

// The managers' identifiers and names, as "--managers" takes them back.
std::string managersText(TListManagers& managers) {
    const std::string names = managers.DisplayStr();  // drops identifiers of deleted managers
    if (managers.Ids().empty()) return "aucun responsable";
    std::string ids;
    for (const int32_t id : managers.Ids()) ids += (ids.empty() ? "" : ",") + std::to_string(id);
    return "responsables " + ids + " : " + names;
}

int show(const Args& args, const Options& options) {
    args.ExpectPositional(1, 1);
    const TDCPList& beacons = options.run->Beacons();
    const TDCP* beacon = beacons.Beacons[BeaconIndex(beacons, args.Positional()[0])].get();
    const TBeaconTexts texts = BeaconTexts(*beacon);
    std::cout << "Nom : " << texts.Name << "\nN° Id : " << texts.Number
              << "\nBase de l'heure d'émission : " << texts.BaseTime
              << " (mm:ss)\nInterval d'émission : " << texts.Interval << " min.\n";
    for (size_t i = 0; i < beacon->AssoList.size(); ++i) {
        TDCPAsso& asso = *beacon->AssoList[i];
        const TAssoTexts a = AssoTexts(asso);
        std::cout << i << " : du " << a.StartDate << ' ' << a.StartTime << " au " << a.EndDate
                  << ' ' << a.EndTime << ", instrument " << a.InstrumentNumber << ", localité "
                  << a.PosName << ", " << managersText(asso.Managers) << '\n';
    }
    return kExitOk;
}

// A beacon's general fields while a command changes them.
struct BeaconFields {
    std::string Name;
    std::string Number;
    int32_t BaseTime = 0;
    int32_t Interval = 0;
};

BeaconFields fieldsOf(const TDCP& beacon) {
    return {beacon.Name, beacon.Number, beacon.BaseTime, beacon.Interval};
}

// Reads the text given for one field (the argument that gave it names it in a refusal).
template <class T>
bool readField(const std::optional<std::string>& text, std::string_view argument,
               TFieldValue<T> (*read)(std::string_view), T& field) {
    if (!text) return true;
    TFieldValue<T> value = read(*text);
    if (!value.Value) {
        std::cerr << "skylog: " << value.Message << " (" << argument << ' ' << *text << ")\n";
        return false;
    }
    field = std::move(*value.Value);
    return true;
}

// The name and number come from NAME and NUMBER for "add", from options for "set".
bool readFields(const Args& args, std::optional<std::string> name,
                std::optional<std::string> number, BeaconFields& fields) {
    const bool positional = name.has_value();
    if (!positional) {
        name = args.Text("--name");
        number = args.Text("--number");
    }
    return readField(name, positional ? "NAME" : "--name", ReadBeaconName, fields.Name) &&
           readField(number, positional ? "NUMBER" : "--number", ReadBeaconNumber, fields.Number) &&
           readField(args.Text("--base-time"), "--base-time", ReadBaseTime, fields.BaseTime) &&
           readField(args.Text("--interval"), "--interval", ReadInterval, fields.Interval);
}

void store(const BeaconFields& fields, TDCP& beacon) {
    beacon.Name = fields.Name;
    beacon.Number = fields.Number;
    beacon.BaseTime = fields.BaseTime;
    beacon.Interval = fields.Interval;
}

int add(const Args& args, const Options& options) {
    args.ExpectPositional(2, 2);
    TConfigChange change(*options.run);
    auto beacon = change.Beacons().NewBeacon();  // with the default interval of the settings
    BeaconFields fields = fieldsOf(*beacon);
    if (!readFields(args, args.Positional()[0], args.Positional()[1], fields)) return kExitFailure;
    if (auto refusal = BeaconIdentityRefusal(change.Beacons(), nullptr, fields.Name, fields.Number))
        return Refused(refusal->Message);
    store(fields, *beacon);
    change.Beacons().Add(std::move(beacon));
    change.SaveBeacons();
    return kExitOk;
}

int set(const Args& args, const Options& options) {
    args.ExpectPositional(1, 1);
    if (!args.Has("--name") && !args.Has("--number") && !args.Has("--base-time") &&
        !args.Has("--interval"))
        throw UsageError("rien à changer");
    TConfigChange change(*options.run);
    TDCP* beacon = &change.Beacon(args.Positional()[0]);
    BeaconFields fields = fieldsOf(*beacon);
    if (!readFields(args, std::nullopt, std::nullopt, fields)) return kExitFailure;
    if (auto refusal = BeaconIdentityRefusal(change.Beacons(), beacon, fields.Name, fields.Number))
        return Refused(refusal->Message);
    // A renamed beacon takes its stored messages along to its new folder.
    const std::string oldFolder = beacon->FolderName();
    const std::string newFolder = BeaconFolderName(fields.Name);
    if (auto refusal = MoveDailyFolder(options.run->WorkDir(), oldFolder, newFolder))
        return Refused(*refusal);
    store(fields, *beacon);
    try {
        change.SaveBeacons();
    } catch (...) {
        static_cast<void>(MoveDailyFolder(options.run->WorkDir(), newFolder, oldFolder));
        throw;
    }
    return kExitOk;
}

// --yes is required: it answers the dialog's question.
int remove(const Args& args, const Options& options) {
    args.ExpectPositional(1, 1);
    TConfigChange change(*options.run);
    change.Beacons().Delete(BeaconIndex(change.Beacons(), args.Positional()[0]));
    change.SaveBeacons();
    return kExitOk;
}

// Every run names what is wrong in the lists as it reads them (on standard error);
// this one says whether anything was, for a script or an operator after an edit.
int check(const Args& args, const Options& options) {
    args.ExpectPositional(0, 0);
    const size_t problems = options.run->ListWarnings().size();
    if (problems == 0) {
        std::cout << "DcpList.inf, Managers.inf, Tasks.inf : rien à signaler\n";
        return kExitOk;
    }
    std::cout << problems << " problème(s) dans DcpList.inf, Managers.inf ou Tasks.inf (ci-dessus)\n";
    return kExitFailure;
}

Registrar listCommand("beacons list", list);
Registrar checkCommand("beacons check", check);
Registrar showCommand("beacons show", show);
Registrar addCommand("beacons add", add);
Registrar setCommand("beacons set", set);
Registrar removeCommand("beacons remove", remove);

}  // namespace
}  // namespace skylog::cli
