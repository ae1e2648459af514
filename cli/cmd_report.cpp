// skylog report: one day of stored messages, loaded like the main window loads it.

#include <iostream>
#include <sstream>
#include <string>

#include "Common/DateTime.h"
#include "Common/RunObjects.h"
#include "Common/UUtils.h"
#include "cli/Commands.h"
#include "dcp/UDCPList.h"
#include "dcp/UDCPReport.h"

namespace skylog::cli {
namespace {

constexpr const char* kUsage = "report --day YYYY-MM-DD [--beacon NAME] [--days-before N] [--tsv]";

struct ReportArgs {
    TDateTime day = 0;
    std::string beacon;
    bool hasBeacon = false;
    int daysBefore = 0;
    bool tsv = false;
};

bool parseArgs(const std::vector<std::string>& args, ReportArgs& out) {
    bool hasDay = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        auto value = [&](std::string& v) {
            if (i + 1 >= args.size()) return false;
            v = args[++i];
            return true;
        };
        std::string v;
        if (a == "--day") {
            if (!value(v)) return false;
            auto d = ParseIsoDate(v);
            if (!d) return false;
            out.day = *d;
            hasDay = true;
        } else if (a == "--beacon") {
            if (!value(out.beacon)) return false;
            out.hasBeacon = true;
        } else if (a == "--days-before") {
            if (!value(v)) return false;
            auto n = ParseInt32(v);
            if (!n || *n < 0) return false;
            out.daysBefore = *n;
        } else if (a == "--tsv") {
            out.tsv = true;
        } else {
            return false;
        }
    }
    return hasDay;
}

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
    for (const auto& b : beacon.Blocks) {
        std::string codes;
        for (const auto& e : b->Errors) codes += (codes.empty() ? "" : ",") + std::to_string(e.Code);
        out << beacon.Name << '\t' << b->Header << '\t' << b->BodyLength << '\t' << b->DeclaredLength
            << '\t' << b->TrailingBytes << '\t' << b->IgnoredBytes << '\t' << (b->EndMarkerFound ? 1 : 0)
            << '\t' << b->CyclicNumber << '\t' << static_cast<int>(b->InstrumentCode) << '\t'
            << b->InstrumentNumber << '\t' << b->Events.size() << '\t' << codes << '\t'
            << statusDigits(*b) << '\n';
    }
}

void printText(const TDCP& beacon, std::ostream& out) {
    out << "Balise " << beacon.Name << " (" << beacon.Number << ") : " << beacon.Blocks.size()
        << " messages\n";
    StringList labels, values;
    BuildReport(beacon, labels, values);
    for (size_t i = 0; i < labels.size(); ++i) out << "  " << labels[i] << " : " << values[i] << '\n';
    for (const auto& b : beacon.Blocks) {
        out << "  " << b->Header << '\n'
            << "    Longueur " << b->BodyLength << ", annoncée " << b->AnnouncedLength << ", déclarée "
            << b->DeclaredLength << ", ignorés " << b->IgnoredBytes << ", après la fin "
            << b->TrailingBytes << ", scénarios " << b->Events.size() << '\n';
        for (const auto& e : b->Errors) out << "    " << ErrorText(e) << '\n';
    }
}

int report(const std::vector<std::string>& args, const Options&) {
    ReportArgs r;
    if (!parseArgs(args, r)) {
        std::cerr << "usage: skylog " << kUsage << '\n';
        return kExitUsage;
    }
    TDCPList& list = *Run().Beacons;
    int index = -1;
    if (r.hasBeacon) {
        for (size_t i = 0; i < list.Count(); ++i)
            if (list.Beacons[i]->Name == r.beacon) {
                index = static_cast<int>(i);
                break;
            }
        if (index < 0) {
            std::cerr << "skylog: balise inconnue : " << r.beacon << '\n';
            return kExitUsage;
        }
    }
    list.ClearAll();
    // As the main window: the whole list loads the shown day; one beacon may include
    // the days before it, newest first.
    const int days = r.hasBeacon ? r.daysBefore : 0;
    for (int i = 0; i <= days; ++i) list.LoadDay(r.day - i, index);

    std::ostringstream out;
    for (size_t i = 0; i < list.Count(); ++i) {
        if (index >= 0 && static_cast<int>(i) != index) continue;
        if (r.tsv)
            printTsv(*list.Beacons[i], out);
        else
            printText(*list.Beacons[i], out);
    }
    std::cout << out.str();
    list.ClearAll();
    return kExitOk;
}

Registrar reportCommand("report", kUsage, report);

}  // namespace
}  // namespace skylog::cli
