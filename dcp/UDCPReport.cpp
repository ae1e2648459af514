#include "dcp/UDCPReport.h"

#include <algorithm>
#include <array>
#include <vector>

#include "dcp/UDCPList.h"
#include "k7/HostData.h"
#include "k7/UEvenement.h"

namespace skylog {

namespace {

constexpr size_t kMaxReportedCodes = 16;
constexpr int32_t kStatusStop = 0x68;      // 'b'
constexpr int32_t kStatusOrigin = 0x69;    // 's'
constexpr int32_t kStatusHumidity = 0x6A;  // 'h'

// Texts whose long and short forms are the same.
std::string_view PlainErrorText(int32_t code) {
    switch (code) {
        case kErrTooShort: return "Message trop court";
        case kErrCyclicNumber: return "Numéro cyclique non conforme";
        case kErrNoData: return "Erreur \"No Data\"";
        case kErrParameterBytes: return "Octets non conformes dans le bloc de paramétrage";
        case kErrUnknownInstrument: return "Type d'instrument non répertorié";
        case kErrInstrumentTime: return "Heure de l'instrument mal formatée";
        case kErrDCPTime: return "Heure de la DCP mal formatée";
        case kErrNoAssociation: return "La balise n'est pas associée à un instrument";
        case kErrBadMessageEnd: return "La fin du message est mal formatée";
        default: return "Erreur inconnue";
    }
}

}  // namespace

std::string ErrorText(const TDCPDataError& error) {
    switch (error.Code) {
        case kErrWrongInstrument:
            return "La balise est associée à l'instrument #" + error.S1 + " alors que le message provient du numéro #" +
                   error.S2;
        case kErrScnBadEndMarker: return "Le scénario " + error.S1 + " possède un mauvais marqueur de fin";
        case kErrScnBadDate: return "Le scénario " + error.S1 + " possède une mauvaise date. Données :" + error.S2;
        case kErrScnImprobableDate: return "Le scénario possède une date improbable (" + error.S1 + ")";
        case kErrScnIncomplete: return "Le scénario " + error.S1 + " semble être incomplet. Données :" + error.S2;
        default: return std::string(PlainErrorText(error.Code));
    }
}

std::string ErrorLabel(const TDCPDataError& error) {
    switch (error.Code) {
        case kErrWrongInstrument: return "La balise est associée à un mauvais instrument";
        case kErrScnBadEndMarker: return "Scénario possèdant un mauvais marqueur de fin";
        default: return ErrorText(error);
    }
}

TRgbColour ByteClassColour(int byteClass) {
    static constexpr std::array<TRgbColour, 12> kColours{{
        {128, 128, 128},  // not examined
        {0, 128, 0},      // valid
        {255, 0, 0},      // NO DATA
        {255, 0, 0},      // out of range
        {255, 0, 0},      // unknown
        {255, 0, 0},      // malformed
        {128, 128, 0},    // parameter
        {0, 128, 128},    // time
        {0, 0, 128},      // first words
        {0, 0, 255},      // later words
        {0, 0, 255},      // byte value
        {0, 0, 0},        // trailing
    }};
    if (byteClass < 0 || byteClass >= static_cast<int>(kColours.size())) return kColours[0];
    return kColours[static_cast<size_t>(byteClass)];
}

void BuildReport(const TDCP& beacon, StringList& labels, StringList& values, char decimalSeparator) {
    auto row = [&](std::string label, std::string value) {
        labels.push_back(std::move(label));
        values.push_back(std::move(value));
    };

    const int64_t transmitted = beacon.TransmissionBytesReallyTransmitted();
    int64_t events = 0, ignored = 0, errors = 0;
    for (const auto& block : beacon.Blocks()) {
        events += static_cast<int64_t>(block->Events.size());
        ignored += block->IgnoredBytes;
        errors += static_cast<int64_t>(block->Errors.size());
    }
    row("Octets transmis", std::to_string(transmitted) + " octets");
    row("Scénarios décodés", std::to_string(events) + " scénarios");
    std::string ignoredText = std::to_string(ignored) + " octets";
    if (transmitted != 0) {
        // The share is cut to a whole percent before it is written with one decimal.
        ignoredText += " (" + std::to_string(ignored * 100 / transmitted) + decimalSeparator + "0%)";
    }
    row("Octets ignorés", std::move(ignoredText));

    if (errors > 0) {
        row("Erreurs (total)", std::to_string(errors) + " erreurs");
        struct CodeCount {
            const TDCPDataError* first;
            int64_t count;
        };
        std::vector<CodeCount> codes;
        for (const auto& block : beacon.Blocks()) {
            for (const TDCPDataError& error : block->Errors) {
                auto found = std::find_if(codes.begin(), codes.end(),
                                          [&](const CodeCount& c) { return c.first->Code == error.Code; });
                if (found != codes.end())
                    ++found->count;
                else if (codes.size() < kMaxReportedCodes)
                    codes.push_back({&error, 1});
            }
        }
        for (const CodeCount& c : codes) row("Erreur " + ErrorLabel(*c.first), std::to_string(c.count) + " erreurs");
    }

    int64_t stops = 0, origins = 0, humidity = 0;
    for (const auto& block : beacon.Blocks()) {
        for (const TEvenement* event : block->Events) {
            if (event == nullptr || event->Descriptor == nullptr) continue;
            switch (event->Descriptor->StatusCode) {
                case kStatusStop: ++stops; break;
                case kStatusOrigin: ++origins; break;
                case kStatusHumidity: ++humidity; break;
                default: break;
            }
        }
    }
    if (stops != 0) row("Status erreur de butée 'b'", std::to_string(stops) + " butées");
    if (origins != 0) row("Status erreur origine 's'", std::to_string(origins) + " erreurs");
    if (humidity != 0) row("Status humectage 'h'", std::to_string(humidity) + " échantillons");
}

}  // namespace skylog
