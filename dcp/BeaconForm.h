#pragma once
// The beacon configuration form without its window: the texts its boxes show for a
// beacon and an association, and the reading of those texts back, in the form's order
// and with its messages. The desktop dialog calls these box by box; the command line
// goes through the same functions, so that both accept and refuse the same texts.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "Common/DateTime.h"
#include "Common/FormField.h"
#include "Common/SettingsForm.h"

namespace skylog {

class TDCP;
class TDCPAsso;
class TDCPList;
class TListManagers;

inline constexpr std::string_view kNewBeaconName = "Nouvelle DCP";
inline constexpr std::string_view kDeleteBeaconQuestion =
    "Voulez-vous vraiment supprimer la définition de la balise en cours d'édition?";

// ---- the beacon's general fields -------------------------------------------------------

enum class TBeaconField { Name, Number, BaseTime, Interval };

struct TBeaconTexts {
    std::string Name;
    std::string Number;
    std::string BaseTime;  // "m:ss"
    std::string Interval;  // minutes
};

// What the boxes show for a beacon.
[[nodiscard]] TBeaconTexts BeaconTexts(const TDCP& beacon);
// Minutes ":" seconds, without leading zeros: 150 s is "2:30", 125 s is "2:5".
[[nodiscard]] std::string FormatBaseTime(int32_t seconds);

// The name, trimmed (the file trims it when read back); never empty.
[[nodiscard]] TFieldValue<std::string> ReadBeaconName(std::string_view text);
// The identifier of the message headers, trimmed; may be empty (not known yet).
[[nodiscard]] TFieldValue<std::string> ReadBeaconNumber(std::string_view text);
// "m:ss" (one or two digits each side, seconds below 60) as seconds.
[[nodiscard]] TFieldValue<int32_t> ReadBaseTime(std::string_view text);
// The interval is read by ReadInterval (Common/SettingsForm.h), as the default interval.

// A name or a number that another beacon of the list already has: messages go to the
// first beacon with a number, and commands name a beacon by its name, so the second
// one could never be reached. beacon is the one being edited (null for a new one).
[[nodiscard]] std::optional<TFormRefusal<TBeaconField>> BeaconIdentityRefusal(
    const TDCPList& list, const TDCP* beacon, std::string_view name, std::string_view number);

// What the dialog does when it leaves a beacon: a name or number that cannot be stored
// is refused and nothing changes; a base time or an interval that does not read keeps
// the beacon's previous value, without a message.
[[nodiscard]] std::optional<TFormRefusal<TBeaconField>> StoreBeacon(TDCP& beacon,
                                                                    const TBeaconTexts& texts);

// The same for a beacon of the list, as the desktop dialog stores it: a name or a
// number that another beacon already has is refused too, and a renamed beacon takes
// its stored messages along to its new folder (MoveDailyFolder, under the working
// directory's lock; refused when that folder already holds files). Throws FileError
// when the folder cannot be moved.
[[nodiscard]] std::optional<TFormRefusal<TBeaconField>> StoreBeaconInList(TDCPList& list, TDCP& beacon,
                                                                          const TBeaconTexts& texts,
                                                                          const std::string& workDir);

// ---- associations ----------------------------------------------------------------------

// The boxes, in the order the form checks them.
enum class TAssoField { InstrumentNumber, StartDate, EndDate, StartTime, EndTime, PosName };
enum class TAssoBound { Start, End };

struct TAssoTexts {
    std::string StartDate;  // "dd/mm/yyyy"
    std::string StartTime;  // "hh:nn" or "hh:nn:ss"; empty is midnight
    std::string EndDate;
    std::string EndTime;
    std::string InstrumentNumber;
    std::string PosName;
};

struct TAssoValues {
    TDateTime StartDate = 0;
    TDateTime EndDate = 0;
    int32_t InstrumentNumber = 0;
    std::string PosName;
};

// What the boxes show for an association. Times are "hh:nn", with the seconds only when
// there are any, so that modifying an association never cuts its seconds.
[[nodiscard]] TAssoTexts AssoTexts(const TDCPAsso& asso);
// The boxes of a new association: today's date, "00:00", no instrument, no locality.
[[nodiscard]] TAssoTexts NewAssoTexts(TDateTime today);
// The list's row: start and end "dd/mm/yy hh:nn", "#" and the instrument, the locality.
[[nodiscard]] std::array<std::string, 4> AssoRowTexts(const TDCPAsso& asso);

// Each box alone, with the form's messages.
[[nodiscard]] TFieldValue<int32_t> ReadInstrumentNumber(std::string_view text);
[[nodiscard]] TFieldValue<TDateTime> ReadAssoDate(std::string_view text, TAssoBound bound);
[[nodiscard]] TFieldValue<TDateTime> ReadAssoTime(std::string_view text, TAssoBound bound);
[[nodiscard]] TFieldValue<std::string> ReadPosName(std::string_view text);

// The whole form, box after box in the form's order: the values, or the first refusal.
// No check that the start lies before the end, nor that associations do not overlap.
struct TAssoReading {
    std::optional<TAssoValues> Values;
    TFormRefusal<TAssoField> Refusal{TAssoField::InstrumentNumber, {}};
};
[[nodiscard]] TAssoReading ReadAssociation(const TAssoTexts& texts);

// Writes the values and a copy of the managers being edited into the association.
void StoreAssociation(TDCPAsso& asso, const TAssoValues& values, const TListManagers& managers);

}  // namespace skylog
