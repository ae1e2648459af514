// skylog k7 dump: a K7 file's header and events as the windows show them.

#include <iostream>
#include <string>
#include <vector>

#include "Common/DateTime.h"
#include "Common/FileUtil.h"
#include "cli/Commands.h"
#include "k7/K7Format.h"
#include "k7/UK7File.h"

namespace skylog::cli {
namespace {

std::string headerDateText(TDateTime value, bool withSeconds) {
    if (value == 0) return "aucune";
    std::string text = FormatShortDate(value) + " " + FormatLongTime(value);
    if (!withSeconds) text += " (sans secondes)";
    return text;
}

int dump(const Args& args, const Options&) {
    args.ExpectPositional(1, 1);
    const std::string& path = args.Positional()[0];
    const bool hex = args.Has("--hex");
    if (!FileExists(path)) {
        std::cerr << "skylog: fichier introuvable : " << path << '\n';
        return kExitFailure;
    }

    const TK7File file(path);  // an unreadable file has already been reported
    if (!file.HasBuffer()) return kExitFailure;
    if (file.ParamBloc().empty()) {
        std::cerr << "skylog: " << path << " : fichier K7 sans en-tête (" << file.Size() << " octets, "
                  << k7format::kHeaderSize << " au moins)\n";
        return kExitFailure;
    }

    std::cout << "Fichier : " << path << '\n'
              << "Instrument : " << file.InstruName() << " (" << file.InstruIdent() << ")\n"
              << "Date d'en-tête 1 : " << headerDateText(file.HeaderDate1, file.SecondsValid) << '\n'
              << "Date d'en-tête 2 : " << headerDateText(file.HeaderDate2, true) << '\n'
              << "Evènements : " << file.Events().size() << '\n';
    for (const auto& event : file.Events()) {
        std::cout << event->DescString() << '\n';
        if (const std::string header = event->AsciiHeader(); !header.empty()) std::cout << "  " << header << '\n';
        std::cout << "  " << event->AsciiString() << '\n';
        if (hex) std::cout << "  " << event->Evt() << '\n';
    }
    return kExitOk;
}

Registrar dumpCommand("k7 dump", dump, false);

}  // namespace
}  // namespace skylog::cli
