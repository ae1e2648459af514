// skylog k7 dump: a K7 file's header and events as the windows show them.

#include <algorithm>
#include <iostream>
#include <optional>
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

// Why a file that has a header still is no K7 file, or nothing. Any file of 256 bytes
// parses: a text file (a ground-station file given by mistake) or a file whose events
// all fail their check would be dumped as pages of garbage.
std::optional<std::string> notK7Reason(const TK7File& file) {
    const std::string& bytes = file.Buffer();
    // Text in any 8-bit code page: no control byte but line ends and tabs. The header
    // of a K7 file holds type codes and dates, all small numbers.
    const bool text = std::all_of(bytes.begin(), bytes.end(), [](char c) {
        return static_cast<unsigned char>(c) >= ' ' || c == '\t' || c == '\r' || c == '\n';
    });
    if (text) return "fichier texte";
    const bool anyGood = std::any_of(file.Events().begin(), file.Events().end(),
                                     [](const auto& event) { return event->ErrorCode == 0; });
    if (!file.Events().empty() && !anyGood)
        return "aucun de ses " + std::to_string(file.Events().size()) + " évènements n'est lisible";
    return std::nullopt;
}

int dump(const Args& args, const Options& options) {
    args.ExpectPositional(1, 1);
    const std::string& path = args.Positional()[0];
    const bool hex = args.Has("--hex");

    TK7File file(&options.host);
    file.FileName = path;
    if (!file.Parse(ReadFileBytes(path))) {  // a file that cannot be read throws, with the reason
        std::cerr << "skylog: " << path << " : fichier K7 sans en-tête (" << file.Size() << " octets, "
                  << k7format::kHeaderSize << " au moins)\n";
        return kExitFailure;
    }
    if (const auto reason = notK7Reason(file)) {
        std::cerr << "skylog: " << path << " n'est pas un fichier K7 (" << *reason << ")\n";
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
