// skylog report: one day of stored messages, loaded like the main window loads it.

#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "Common/DateTime.h"
#include "Common/UUtils.h"
#include "cli/Commands.h"
#include "plugin/USkylog.h"
#include "cli/Names.h"
#include "dcp/UDCPList.h"
#include "dcp/UDCPReport.h"

namespace skylog::cli {
namespace {

std::string statusDigits(const TDCPDataBloc& block) {
    std::string digits;
    digits.reserve(static_cast<size_t>(block.BodyLength));
    for (int32_t i = 0; i < block.BodyLength; ++i) {
        int cls = i < static_cast<int32_t>(block.ByteStatus.size()) ? block.ByteStatus[static_cast<size_t>(i)] : 0;
        digits.push_back(NibbleToHex(cls));
    }
    return digits;
}

void printTsv(const TDCP& beacon, std::ostream& out) {
    for (const auto& b : beacon.Blocks()) {
        std::string codes;
        for (const auto& e : b->Errors) codes += (codes.empty() ? "" : ",") + std::to_string(e.Code);
        out << beacon.Name << '\t' << b->Header << '\t' << b->BodyLength << '\t' << b->DeclaredLength
            << '\t' << b->TrailingBytes << '\t' << b->IgnoredBytes << '\t' << (b->EndMarkerFound ? 1 : 0)
            << '\t' << b->CyclicNumber << '\t' << static_cast<int>(b->InstrumentCode) << '\t'
            << b->InstrumentNumber << '\t' << b->Events.size() << '\t' << codes << '\t'
            << statusDigits(*b) << '\n';
    }
}

void printText(const TDCP& beacon, char decimalSeparator, std::ostream& out) {
    out << "Balise " << beacon.Name << " (" << beacon.Number << ") : " << beacon.Blocks().size()
        << " messages\n";
    StringList labels, values;
    BuildReport(beacon, labels, values, decimalSeparator);
    for (size_t i = 0; i < labels.size(); ++i) out << "  " << labels[i] << " : " << values[i] << '\n';
    for (const auto& b : beacon.Blocks()) {
        out << "  " << b->Header << '\n'
            << "    Longueur " << b->BodyLength << ", annoncée " << b->AnnouncedLength << ", déclarée "
            << b->DeclaredLength << ", ignorés " << b->IgnoredBytes << ", après la fin "
            << b->TrailingBytes << ", scénarios " << b->Events.size() << '\n';
        for (const auto& e : b->Errors) out << "    " << ErrorText(e) << '\n';
    }
}

int report(const Args& args, const Options& options) {
    args.ExpectPositional(0, 0);
    const TDateTime day = *args.Date("--day");
    const auto beacon = args.Text("--beacon");
    const int daysBefore = args.Count("--days-before").value_or(0);
    if (args.Has("--days-before") && !beacon) throw UsageError("--days-before ne s'emploie qu'avec --beacon");
    const bool tsv = args.Has("--tsv");
    TDCPList& list = options.run->Beacons();
    const int index = beacon ? static_cast<int>(BeaconIndex(list, *beacon)) : -1;
    list.ClearAll();
    // As the main window: the whole list loads the shown day; one beacon may include
    // the days before it, newest first.
    for (int i = 0; i <= daysBefore; ++i) list.LoadDay(day - i, index);

    std::ostringstream out;
    for (size_t i = 0; i < list.Count(); ++i) {
        if (index >= 0 && static_cast<int>(i) != index) continue;
        if (tsv)
            printTsv(*list.Beacons[i], out);
        else
            printText(*list.Beacons[i], options.host.DecimalSeparator, out);
    }
    std::cout << out.str();
    list.ClearAll();
    return kExitOk;
}

Registrar reportCommand("report", report);

}  // namespace
}  // namespace skylog::cli
