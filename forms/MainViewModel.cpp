#include "forms/MainViewModel.h"

#include "Common/UUtils.h"
#include "dcp/UDCPList.h"
#include "dcp/UDCPReport.h"
#include "import/UDecodFile.h"
#include "k7/UInstrument.h"

namespace skylog::forms {

std::array<std::string, 6> BeaconRowTexts(const TDCP& beacon, TDateTime day) {
    TDCPAsso* asso = beacon.FindAsso(DateOf(day));
    return {beacon.Name,
            std::to_string(beacon.Blocks().size()),
            std::to_string(beacon.TransmissionBytesReallyTransmitted()),
            asso ? std::to_string(asso->InstrumentNumber) : "-",
            asso ? asso->PosName : "Pas d'association",
            asso ? asso->Managers.DisplayStr() : "-"};
}

std::string DeclaredLengthText(const TDCPDataBloc& block) {
    if (static_cast<int64_t>(block.DeclaredLength) + block.TrailingBytes + 5 == block.BodyLength) return " =";
    return std::to_string(block.DeclaredLength);
}

std::array<std::string, 5> BlocRowTexts(const TDCPDataBloc& block) {
    return {FormatLongTime(block.Date), std::to_string(block.BodyLength), DeclaredLengthText(block),
            std::to_string(block.Errors.size()), std::to_string(block.IgnoredBytes)};
}

std::string LatitudeText(int32_t value) { return std::to_string(value) + " mn"; }

std::string LongitudeText(int32_t value) {
    return std::to_string(value / 256) + " h " + std::to_string(value % 256) + " mn";
}

TGeneralParamTexts GeneralParamTexts(const TDCPDataBloc* block, const InstrumentTypeList* types) {
    TGeneralParamTexts texts;
    if (!block) return texts;
    texts.Cycle = block->CyclicNumber == -1 ? "?" : std::to_string(block->CyclicNumber);
    if (block->InstrumentCode == 0) {
        texts.InstrumentId = "?";
    } else {
        texts.InstrumentId = std::to_string(block->InstrumentCode) + " (0x" + ByteToHexString(block->InstrumentCode) + ")";
        texts.InstrumentTypeName = InstrumentTypeName(types, block->InstrumentCode);
    }
    texts.InstrumentTime = FormatLongTime(block->InstrumentTime);
    texts.InstrumentNumber = std::to_string(block->InstrumentNumber);
    texts.DCPTime = FormatLongTime(block->DCPTime);
    texts.Latitude = LatitudeText(block->Latitude);
    texts.Longitude = LongitudeText(block->Longitude);
    texts.Country = std::to_string(block->Country);
    texts.District = std::to_string(block->District);
    return texts;
}

std::vector<std::string> BlocErrorLines(const TDCPDataBloc& block) {
    std::vector<std::string> lines;
    lines.reserve(block.Errors.size());
    for (const TDCPDataError& error : block.Errors) lines.push_back(ErrorText(error));
    return lines;
}

TDateFieldTexts DateFieldTexts(TDateTime date) {
    const DateParts parts = DecodeDate(date);
    return {std::to_string(parts.day), std::to_string(parts.month), std::to_string(parts.year)};
}

std::optional<TDateTime> ReadDateFields(const TDateFieldTexts& fields) {
    const auto day = ParseInt32(Trim(fields.Day));
    const auto month = ParseInt32(Trim(fields.Month));
    const auto year = ParseInt32(Trim(fields.Year));
    if (!day || !month || !year) return std::nullopt;
    TDateTime date = 0;
    if (!TryEncodeDate(ExpandYear(*year), *month, *day, date)) return std::nullopt;
    return date;
}

int DaysBeforeOf(std::string_view text) {
    const auto value = ParseInt32(Trim(text));
    return value && *value > 0 ? *value : 0;
}

int StatisticsColumnWidth(int listWidth) { return (listWidth - 20) / 2; }

std::string AddingFileStatus(const std::string& path, size_t position, size_t count) {
    return "Ajout du fichier " + path + " (" + std::to_string(position) + "/" + std::to_string(count) + ")";
}

std::string UnknownFormatWarning(const std::string& path) { return "Le format du fichier " + path + " est inconnu!"; }

std::vector<std::string> ErrorReportLines(const std::vector<TDecodFileError>& errors) {
    if (errors.empty()) return {"Aucune erreur détectée"};
    std::vector<std::string> lines;
    lines.reserve(errors.size());
    for (const TDecodFileError& error : errors)
        lines.push_back("Ligne " + std::to_string(error.Line) + ", E=" + std::to_string(error.Code) + ", " +
                        TDecodFile::ErrorMessage(error));
    return lines;
}

TMainViewState ViewStateOf(bool dcpLocked, int selectedBeacon, std::optional<size_t> selectedBlockErrors,
                           bool paramAsLatLon) {
    TMainViewState state;
    state.BeaconListVisible = !dcpLocked;
    state.SingleBeaconVisible = dcpLocked;
    state.ToggleEnabled = selectedBeacon != -1;
    state.ToggleText = dcpLocked ? "Voir la liste DCP" : "Selectionner DCP";
    state.VoirCorpsEnabled = selectedBlockErrors.has_value() && selectedBeacon != -1;
    state.GeneralParamsVisible = selectedBlockErrors.has_value();
    state.LatLonVisible = paramAsLatLon;
    state.ErrorReportVisible = selectedBlockErrors.value_or(0) > 0;
    return state;
}

int EffectiveIndex(int selected, size_t count) {
    return selected >= 0 && static_cast<size_t>(selected) < count ? selected : -1;
}

}  // namespace skylog::forms
