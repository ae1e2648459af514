// Associations of a beacon with an instrument, and their line in DcpList.inf.

#include "Common/UUtils.h"
#include "dcp/DcpListFormat.h"
#include "dcp/UDCPList.h"

namespace skylog {

namespace {

// "dd/mm/yyyy" and "hh:nn:ss" fields into one date-time; nothing when either is not
// made of numbers or names a date or time that does not exist.
std::optional<TDateTime> parseDateTime(std::string_view date, std::string_view time) {
    const std::optional<TDateTime> day = ParseDateDMY(Trim(date));
    const std::optional<TDateTime> timeOfDay = ParseTimeHMS(Trim(time));
    if (!day || !timeOfDay) return std::nullopt;
    return CombineDateTime(*day, *timeOfDay);
}

}  // namespace

TDCPAsso::TDCPAsso(const TManagerList* managers) : Managers(managers) {}

bool TDCPAsso::FromLine(std::string_view line, IMessageBoxes& reporter) {
    const StringList fields = Split(line, dcplist::kAssoFieldSeparator);
    // A short line sets nothing: the association keeps dates 0.0 and covers no real day.
    if (fields.size() < dcplist::kAssoMinFields) return true;
    const std::optional<TDateTime> start = parseDateTime(fields[0], fields[1]);
    const std::optional<TDateTime> end = parseDateTime(fields[2], fields[3]);
    const std::optional<int32_t> instrument = ParseInt32(fields[4]);
    if (!start || !end || !instrument) return false;
    StartDate = *start;
    EndDate = *end;
    InstrumentNumber = *instrument;
    if (fields.size() > 5) PosName = fields[5];
    if (fields.size() > 6) Managers.SetIdsText(fields[6], reporter);
    return true;
}

std::string TDCPAsso::ToLine() {
    const char sep = dcplist::kAssoFieldSeparator;
    return FormatDateDMY(StartDate) + sep + FormatTimeHMS(StartDate) + sep +
           FormatDateDMY(EndDate) + sep + FormatTimeHMS(EndDate) + sep +
           std::to_string(InstrumentNumber) + sep + PosName + sep + Managers.IdsText();
}

}  // namespace skylog
