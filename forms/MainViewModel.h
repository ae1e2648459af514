#pragma once
// The rules of the main window that need no widget: the texts of its rows, columns
// and fields, the reading of the date fields, and which views show in which state.
// Standard library and engine only; the window and the item models call these.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "Common/DateTime.h"

namespace skylog {
class TDCP;
class TDCPDataBloc;
struct TDecodFileError;
struct InstrumentTypeList;
}  // namespace skylog

namespace skylog::forms {

// ---- Beacon list ----------------------------------------------------------------
inline constexpr std::array<const char*, 6> kBeaconColumns = {"Nom", "NbM", "Octets", "Num.", "Localité",
                                                              "Responsable"};
// The six texts of a beacon's row on a day (the association covering 00:00 of it).
[[nodiscard]] std::array<std::string, 6> BeaconRowTexts(const TDCP& beacon, TDateTime day);

// ---- Block list -----------------------------------------------------------------
inline constexpr std::array<const char*, 5> kBlocColumns = {"Heure", "T.r", "T.p", "Err", "Mis."};
[[nodiscard]] std::array<std::string, 5> BlocRowTexts(const TDCPDataBloc& block);
// " =" when the declared length, the trailing bytes and the 5 bytes of the head and end
// marker account for the whole body; the declared length otherwise.
[[nodiscard]] std::string DeclaredLengthText(const TDCPDataBloc& block);

// ---- Block details --------------------------------------------------------------
inline constexpr const char* kNoBlockHeader = "Selectionnez un bloc transmis...";

struct TGeneralParamTexts {
    std::string Cycle = "-";
    std::string InstrumentId = "-";
    std::string InstrumentTypeName;  // beside the identifier; empty when unknown
    std::string InstrumentTime, InstrumentNumber, DCPTime;
    std::string Latitude, Longitude, Country, District;
};
// The texts of a block's decoded head; without a block, "-" for the cycle and the
// identifier and nothing else.
[[nodiscard]] TGeneralParamTexts GeneralParamTexts(const TDCPDataBloc* block, const InstrumentTypeList* types);
// Latitude v: "v mn"; longitude w: "w div 256 h w mod 256 mn", both truncated toward
// zero (the remainder takes the sign of w).
[[nodiscard]] std::string LatitudeText(int32_t value);
[[nodiscard]] std::string LongitudeText(int32_t value);

// One line per error of the block.
[[nodiscard]] std::vector<std::string> BlocErrorLines(const TDCPDataBloc& block);

// ---- Date panel -----------------------------------------------------------------
struct TDateFieldTexts {
    std::string Day, Month, Year;
};
// Plain decimal numbers, no leading zeros.
[[nodiscard]] TDateFieldTexts DateFieldTexts(TDateTime date);
// The day the three fields name (year through ExpandYear), or nothing when a field is
// not an integer or the date does not exist ("Date invalide").
[[nodiscard]] std::optional<TDateTime> ReadDateFields(const TDateFieldTexts& fields);
inline constexpr const char* kInvalidDate = "Date invalide";

// ---- Single-beacon view ---------------------------------------------------------
inline constexpr std::array<const char*, 10> kDaysBeforeChoices = {"0", "1", "2", "3", "4", "5", "10", "15", "20", "30"};
// "Nombre de jours précédents inclus": any text; not an integer counts as 0, and so
// does a negative number (which would otherwise load no day at all).
[[nodiscard]] int DaysBeforeOf(std::string_view text);
// Both statistics columns take (list width - 20) / 2, rounded toward zero.
[[nodiscard]] int StatisticsColumnWidth(int listWidth);

// ---- Adding files and reports ---------------------------------------------------
[[nodiscard]] std::string AddingFileStatus(const std::string& path, size_t position, size_t count);
[[nodiscard]] std::string UnknownFormatWarning(const std::string& path);
inline constexpr const char* kUnexpectedImportError =
    "Une exception non prévue est survenue. Problème dans le décodage, contacter Velmont, merci.";
inline constexpr const char* kErrorReportCaption = "Rapport des erreurs de premier niveau";
// "Ligne N, E=code, message" per record; "Aucune erreur détectée" for none.
[[nodiscard]] std::vector<std::string> ErrorReportLines(const std::vector<TDecodFileError>& errors);

// ---- Which views show -----------------------------------------------------------
struct TMainViewState {
    bool BeaconListVisible = true;     // DCPListView
    bool SingleBeaconVisible = false;  // "Informations sur la selection"
    bool ToggleEnabled = false;
    std::string ToggleText;
    bool VoirCorpsEnabled = false;
    bool GeneralParamsVisible = false;
    bool LatLonVisible = false;  // else country and district
    bool ErrorReportVisible = false;
};
// selectedBlockErrors: errors of the selected block, or nothing when none is selected.
[[nodiscard]] TMainViewState ViewStateOf(bool dcpLocked, int selectedBeacon, std::optional<size_t> selectedBlockErrors,
                                         bool paramAsLatLon);
// A selection past the blocks now loaded counts as none.
[[nodiscard]] int EffectiveIndex(int selected, size_t count);

}  // namespace skylog::forms
