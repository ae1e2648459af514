// skylog assoc ...: the associations of a beacon with instruments, added, changed and
// removed with the checks, order and messages of the beacon dialog's association form.

#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "Common/UUtils.h"
#include "cli/Commands.h"
#include "cli/ConfigChange.h"
#include "dcp/BeaconForm.h"
#include "dcp/UDCPList.h"
#include "managers/UManagers.h"
#include "plugin/USkylog.h"

namespace skylog::cli {
namespace {

// The option that gives each box of the form.
std::string_view optionOf(TAssoField box) {
    switch (box) {
        case TAssoField::InstrumentNumber:
            return "--instrument";
        case TAssoField::StartDate:
        case TAssoField::StartTime:
            return "--from";
        case TAssoField::EndDate:
        case TAssoField::EndTime:
            return "--to";
        case TAssoField::PosName:
            return "--locality";
    }
    return {};
}

// "dd/mm/yyyy[ hh:nn[:ss]]" into the date and time boxes.
void splitDateTime(std::string_view text, std::string& date, std::string& time) {
    const std::string trimmed = Trim(text);
    const size_t space = trimmed.find(' ');
    date = trimmed.substr(0, space);
    time =
        space == std::string::npos ? std::string() : Trim(std::string_view(trimmed).substr(space));
}

// The options over the boxes, checked in the form's order; the first refusal is
// printed with the option at fault.
std::optional<TAssoValues> readForm(const Args& args, TAssoTexts texts) {
    if (const auto from = args.Text("--from"))
        splitDateTime(*from, texts.StartDate, texts.StartTime);
    if (const auto to = args.Text("--to")) splitDateTime(*to, texts.EndDate, texts.EndTime);
    texts.InstrumentNumber = args.Text("--instrument").value_or(texts.InstrumentNumber);
    texts.PosName = args.Text("--locality").value_or(texts.PosName);
    TAssoReading reading = ReadAssociation(texts);
    if (!reading.Values) {
        const std::string_view option = optionOf(reading.Refusal.Box);
        std::cerr << "skylog: " << reading.Refusal.Message;
        if (const auto given = args.Text(option))
            std::cerr << " (" << option << ' ' << *given << ')';
        std::cerr << '\n';
    }
    return reading.Values;
}

// "--managers 4,7": managers of the list, in that order; an empty text gives none.
std::optional<TListManagers> readManagers(std::string_view text, const TManagerList& list) {
    TListManagers managers(&list);
    for (const std::string& piece : Split(text, ',')) {
        const std::optional<int32_t> id = ParseInt32(piece);
        if (!id || !list.Exists(*id)) {
            Refused("aucun responsable n'a l'identifiant \"" + piece + "\" (--managers " +
                    std::string(text) + ", voir skylog managers list)");
            return std::nullopt;
        }
        managers.AddManager(*id);
    }
    return managers;
}

// INDEX of an association of the beacon, as "beacons show" numbers them.
size_t assoIndex(const TDCP& beacon, const std::string& text) {
    const std::optional<int32_t> index = ParseInt32(text);
    if (!index || *index < 0 || static_cast<size_t>(*index) >= beacon.AssoList.size())
        throw UsageError("la balise " + beacon.Name + " n'a pas d'association " + text + " (" +
                         std::to_string(beacon.AssoList.size()) + " associations)");
    return static_cast<size_t>(*index);
}

int add(const Args& args, const Options& options) {
    args.ExpectPositional(1, 1);
    TConfigChange change(*options.run);
    TDCP& beacon = change.Beacon(args.Positional()[0]);
    const std::optional<TAssoValues> values = readForm(args, {});
    if (!values) return kExitFailure;
    const auto managers = readManagers(args.Text("--managers").value_or(""), change.Managers());
    if (!managers) return kExitFailure;
    auto asso = std::make_unique<TDCPAsso>(&change.Managers());
    StoreAssociation(*asso, *values, *managers);
    beacon.AssoList.push_back(std::move(asso));
    change.SaveBeacons();
    std::cout << beacon.AssoList.size() - 1 << '\n';
    return kExitOk;
}

int set(const Args& args, const Options& options) {
    args.ExpectPositional(2, 2);
    if (!args.Has("--from") && !args.Has("--to") && !args.Has("--instrument") &&
        !args.Has("--locality") && !args.Has("--managers"))
        throw UsageError("rien à changer");
    TConfigChange change(*options.run);
    TDCP& beacon = change.Beacon(args.Positional()[0]);
    TDCPAsso& asso = *beacon.AssoList[assoIndex(beacon, args.Positional()[1])];
    // The boxes show the association, the options replace what they give, and the
    // whole form is checked, as the dialog's "Modifier" does.
    const std::optional<TAssoValues> values = readForm(args, AssoTexts(asso));
    if (!values) return kExitFailure;
    std::optional<TListManagers> managers = asso.Managers;
    if (const auto text = args.Text("--managers"))
        managers = readManagers(*text, change.Managers());
    if (!managers) return kExitFailure;
    StoreAssociation(asso, *values, *managers);
    change.SaveBeacons();
    return kExitOk;
}

int remove(const Args& args, const Options& options) {
    args.ExpectPositional(2, 2);
    TConfigChange change(*options.run);
    TDCP& beacon = change.Beacon(args.Positional()[0]);
    const size_t index = assoIndex(beacon, args.Positional()[1]);
    beacon.AssoList.erase(beacon.AssoList.begin() + static_cast<std::ptrdiff_t>(index));
    change.SaveBeacons();
    return kExitOk;
}

Registrar addCommand("assoc add", add);
Registrar setCommand("assoc set", set);
Registrar removeCommand("assoc remove", remove);

}  // namespace
}  // namespace skylog::cli
