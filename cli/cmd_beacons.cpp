// skylog beacons list: the beacons of DcpList.inf with their associations.

#include <iostream>
#include <string>

#include "Common/DateTime.h"
#include "Common/RunObjects.h"
#include "cli/Commands.h"
#include "dcp/UDCPList.h"

namespace skylog::cli {
namespace {

std::string dateTimeText(TDateTime value) { return FormatDateDMY(value) + ' ' + FormatTimeHMS(value); }

// The base time is kept in seconds and shown as minutes and seconds, as the beacon
// dialog edits it.
std::string baseTimeText(int32_t seconds) {
    return std::to_string(seconds / 60) + " min " + std::to_string(seconds % 60) + " s";
}

int list(const Args& args, const Options&) {
    args.ExpectPositional(0, 0);
    TDCPList* beacons = Run().Beacons;
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

Registrar listCommand("beacons list", list);

}  // namespace
}  // namespace skylog::cli
