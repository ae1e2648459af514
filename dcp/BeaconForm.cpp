#include "dcp/BeaconForm.h"

#include <algorithm>
#include <cstdio>
#include <initializer_list>
#include <vector>

#include "Common/UUtils.h"
#include "Common/WorkDirLock.h"
#include "dcp/UDCPList.h"
#include "dcp/UDailyFile.h"

namespace skylog {

namespace {

constexpr int kSecondsPerMinute = 60;

// The pieces of text between separators, when each is made of one digit or more and
// of at most maxDigits; nothing otherwise.
std::optional<std::vector<int>> digitPieces(std::string_view text, char separator,
                                            std::initializer_list<size_t> maxDigits) {
    std::vector<int> numbers;
    auto width = maxDigits.begin();
    for (size_t start = 0;; ++width) {
        const size_t end = std::min(text.find(separator, start), text.size());
        const std::string_view piece = text.substr(start, end - start);
        if (width == maxDigits.end() || piece.empty() || piece.size() > *width ||
            !std::all_of(piece.begin(), piece.end(), [](char c) { return c >= '0' && c <= '9'; }))
            return std::nullopt;
        numbers.push_back(*ParseInt32(piece));
        if (end == text.size()) return numbers;
        start = end + 1;
    }
}

std::string twoDigits(int value) {
    char text[8];
    std::snprintf(text, sizeof text, "%02d", value);
    return text;
}

// "hh:nn", and ":ss" only when there are seconds.
std::string timeText(TDateTime value) {
    const TimeParts t = DecodeTime(value);
    std::string text = twoDigits(t.hour) + ':' + twoDigits(t.minute);
    if (t.second != 0) text += ':' + twoDigits(t.second);
    return text;
}

// "dd/mm/yy hh:nn", the list's short form.
std::string rowDateTime(TDateTime value) {
    const DateParts d = DecodeDate(value);
    const TimeParts t = DecodeTime(value);
    return twoDigits(d.day) + '/' + twoDigits(d.month) + '/' + twoDigits(d.year % 100) + ' ' +
           twoDigits(t.hour) + ':' + twoDigits(t.minute);
}

}  // namespace

// ---- the beacon's general fields -------------------------------------------------------

std::string FormatBaseTime(int32_t seconds) {
    return std::to_string(seconds / kSecondsPerMinute) + ':' +
           std::to_string(seconds % kSecondsPerMinute);
}

TBeaconTexts BeaconTexts(const TDCP& beacon) {
    return {beacon.Name, beacon.Number, FormatBaseTime(beacon.BaseTime),
            std::to_string(beacon.Interval)};
}

TFieldValue<std::string> ReadBeaconName(std::string_view text) {
    std::string name = Trim(text);
    if (name.empty())
        return TFieldValue<std::string>::Refused("Le nom de la balise ne peut pas être vide!");
    if (auto message = UnstorableTextMessage(name, "dans le nom de la balise"))
        return TFieldValue<std::string>::Refused(std::move(*message));
    return TFieldValue<std::string>::Accepted(std::move(name));
}

TFieldValue<std::string> ReadBeaconNumber(std::string_view text) {
    std::string number = Trim(text);
    if (auto message = UnstorableTextMessage(number, "dans le numéro de la balise"))
        return TFieldValue<std::string>::Refused(std::move(*message));
    return TFieldValue<std::string>::Accepted(std::move(number));
}

TFieldValue<int32_t> ReadBaseTime(std::string_view text) {
    const auto parts = digitPieces(Trim(text), ':', {2, 2});
    if (!parts || parts->size() != 2 || (*parts)[1] >= kSecondsPerMinute)
        return TFieldValue<int32_t>::Refused(
            "Mauvais format de la base de l'heure d'émission (mm:ss)");
    return TFieldValue<int32_t>::Accepted((*parts)[0] * kSecondsPerMinute + (*parts)[1]);
}

std::optional<TFormRefusal<TBeaconField>> BeaconIdentityRefusal(const TDCPList& list,
                                                                const TDCP* beacon,
                                                                std::string_view name,
                                                                std::string_view number) {
    for (const auto& other : list.Beacons) {
        if (other.get() == beacon) continue;
        if (other->Name == name)
            return TFormRefusal<TBeaconField>{
                TBeaconField::Name, "Une balise nommée \"" + std::string(name) + "\" existe déjà!"};
        if (!number.empty() && other->Number == number)
            return TFormRefusal<TBeaconField>{
                TBeaconField::Number, "Le numéro \"" + std::string(number) +
                                          "\" est déjà celui de la balise \"" + other->Name +
                                          "\"!"};
    }
    return std::nullopt;
}

std::optional<TFormRefusal<TBeaconField>> StoreBeacon(TDCP& beacon, const TBeaconTexts& texts) {
    TFieldValue<std::string> name = ReadBeaconName(texts.Name);
    if (!name.Value) return TFormRefusal<TBeaconField>{TBeaconField::Name, std::move(name.Message)};
    TFieldValue<std::string> number = ReadBeaconNumber(texts.Number);
    if (!number.Value)
        return TFormRefusal<TBeaconField>{TBeaconField::Number, std::move(number.Message)};
    beacon.Name = std::move(*name.Value);
    beacon.Number = std::move(*number.Value);
    beacon.BaseTime = ReadBaseTime(texts.BaseTime).Value.value_or(beacon.BaseTime);
    beacon.Interval = ReadInterval(texts.Interval).Value.value_or(beacon.Interval);
    return std::nullopt;
}

std::optional<TFormRefusal<TBeaconField>> StoreBeaconInList(TDCPList& list, TDCP& beacon,
                                                          const TBeaconTexts& texts,
                                                          const std::string& workDir) {
    TFieldValue<std::string> name = ReadBeaconName(texts.Name);
    if (!name.Value) return TFormRefusal<TBeaconField>{TBeaconField::Name, std::move(name.Message)};
    TFieldValue<std::string> number = ReadBeaconNumber(texts.Number);
    if (!number.Value)
        return TFormRefusal<TBeaconField>{TBeaconField::Number, std::move(number.Message)};
    if (auto refusal = BeaconIdentityRefusal(list, &beacon, *name.Value, *number.Value))
        return refusal;
    const std::string oldFolder = beacon.FolderName();
    const std::string newFolder = BeaconFolderName(*name.Value);
    if (oldFolder != newFolder) {
        const TWorkDirLock lock(workDir);
        if (auto refusal = MoveDailyFolder(workDir, oldFolder, newFolder))
            return TFormRefusal<TBeaconField>{TBeaconField::Name, std::move(*refusal)};
    }
    return StoreBeacon(beacon, texts);
}

// ---- associations ----------------------------------------------------------------------

TAssoTexts AssoTexts(const TDCPAsso& asso) {
    return {FormatDateDMY(asso.StartDate),         timeText(asso.StartDate),
            FormatDateDMY(asso.EndDate),           timeText(asso.EndDate),
            std::to_string(asso.InstrumentNumber), asso.PosName};
}

TAssoTexts NewAssoTexts(TDateTime today) {
    const std::string date = FormatDateDMY(today);
    return {date, "00:00", date, "00:00", {}, {}};
}

std::array<std::string, 4> AssoRowTexts(const TDCPAsso& asso) {
    return {rowDateTime(asso.StartDate), rowDateTime(asso.EndDate),
            '#' + std::to_string(asso.InstrumentNumber), asso.PosName};
}

TFieldValue<int32_t> ReadInstrumentNumber(std::string_view text) {
    const std::optional<int32_t> number = ParseInt32(text);
    if (!number || *number < 0) return TFieldValue<int32_t>::Refused("Mauvais numéro d'instrument");
    return TFieldValue<int32_t>::Accepted(*number);
}

// Day and month of one or two digits, the year of four: "1/3/05" would be the year 5.
TFieldValue<TDateTime> ReadAssoDate(std::string_view text, TAssoBound bound) {
    const bool start = bound == TAssoBound::Start;
    const std::string trimmed = Trim(text);
    const auto parts = digitPieces(trimmed, '/', {2, 2, 4});
    if (!parts || parts->size() != 3 || trimmed.size() - trimmed.rfind('/') != 5)
        return TFieldValue<TDateTime>::Refused(start ? "Mauvais formattage de la date de départ"
                                                     : "Mauvais formattage de la date de fin");
    TDateTime date = 0;
    if (!TryEncodeDate((*parts)[2], (*parts)[1], (*parts)[0], date))
        return TFieldValue<TDateTime>::Refused(start ? "Date de départ incorrecte"
                                                     : "Date de fin incorrecte");
    return TFieldValue<TDateTime>::Accepted(date);
}

// Hours, minutes and seconds of one or two digits; those left out are 0 ("hh:nn" has
// no seconds, an empty box is midnight).
TFieldValue<TDateTime> ReadAssoTime(std::string_view text, TAssoBound bound) {
    const std::string trimmed = Trim(text);
    const auto parts = trimmed.empty() ? std::vector<int>{} : digitPieces(trimmed, ':', {2, 2, 2});
    std::array<int, 3> hms{};
    if (parts) std::copy(parts->begin(), parts->end(), hms.begin());
    TDateTime time = 0;
    if (!parts || !TryEncodeTime(hms[0], hms[1], hms[2], 0, time))
        return TFieldValue<TDateTime>::Refused(
            bound == TAssoBound::Start ? "Heure de départ incorrecte" : "Heure de fin incorrecte");
    return TFieldValue<TDateTime>::Accepted(time);
}

TFieldValue<std::string> ReadPosName(std::string_view text) {
    if (text.find(',') != std::string_view::npos)
        return TFieldValue<std::string>::Refused(
            "Il n'est pas possible d'utiliser le caractère virgule (',') dans la localité!");
    if (auto message = UnstorableTextMessage(text, "dans la localité"))
        return TFieldValue<std::string>::Refused(std::move(*message));
    return TFieldValue<std::string>::Accepted(std::string(text));
}

TAssoReading ReadAssociation(const TAssoTexts& texts) {
    TAssoReading reading;
    auto refuse = [&reading](TAssoField box, std::string& message) {
        reading.Refusal = {box, std::move(message)};
        return reading;
    };
    TFieldValue<int32_t> instrument = ReadInstrumentNumber(texts.InstrumentNumber);
    if (!instrument.Value) return refuse(TAssoField::InstrumentNumber, instrument.Message);
    TFieldValue<TDateTime> startDate = ReadAssoDate(texts.StartDate, TAssoBound::Start);
    if (!startDate.Value) return refuse(TAssoField::StartDate, startDate.Message);
    TFieldValue<TDateTime> endDate = ReadAssoDate(texts.EndDate, TAssoBound::End);
    if (!endDate.Value) return refuse(TAssoField::EndDate, endDate.Message);
    TFieldValue<TDateTime> startTime = ReadAssoTime(texts.StartTime, TAssoBound::Start);
    if (!startTime.Value) return refuse(TAssoField::StartTime, startTime.Message);
    TFieldValue<TDateTime> endTime = ReadAssoTime(texts.EndTime, TAssoBound::End);
    if (!endTime.Value) return refuse(TAssoField::EndTime, endTime.Message);
    TFieldValue<std::string> posName = ReadPosName(texts.PosName);
    if (!posName.Value) return refuse(TAssoField::PosName, posName.Message);
    reading.Values = TAssoValues{CombineDateTime(*startDate.Value, *startTime.Value),
                                 CombineDateTime(*endDate.Value, *endTime.Value), *instrument.Value,
                                 std::move(*posName.Value)};
    return reading;
}

void StoreAssociation(TDCPAsso& asso, const TAssoValues& values, const TListManagers& managers) {
    asso.PosName = values.PosName;
    asso.InstrumentNumber = values.InstrumentNumber;
    asso.StartDate = values.StartDate;
    asso.EndDate = values.EndDate;
    asso.Managers = managers;
}

}  // namespace skylog
