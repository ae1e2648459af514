#pragma once
// DcpList.inf: the beacon definitions and their associations (docs/formats/dcplist-inf.md).
//
//   [General]  NbDCP=<beacon count>
//   [DCP<i>]   Name, Number, BaseTime (s), Interval (min), NbAss, Asso<j>
//
// An association line is "dd/mm/yyyy,hh:nn:ss,dd/mm/yyyy,hh:nn:ss,instrument,locality,ids"
// where ids are manager identifiers joined by "|".

#include <string>
#include <string_view>

namespace skylog::dcplist {

inline constexpr std::string_view kFileName = "DcpList.inf";

inline constexpr std::string_view kGeneralSection = "General";
inline constexpr std::string_view kBeaconCountKey = "NbDCP";
inline constexpr std::string_view kBeaconSectionPrefix = "DCP";

inline constexpr std::string_view kNameKey = "Name";
inline constexpr std::string_view kNumberKey = "Number";
inline constexpr std::string_view kBaseTimeKey = "BaseTime";
inline constexpr std::string_view kIntervalKey = "Interval";
inline constexpr std::string_view kAssoCountKey = "NbAss";
inline constexpr std::string_view kAssoKeyPrefix = "Asso";

inline constexpr std::string_view kDefaultName = "NoName";
inline constexpr int kDefaultInterval = 30;  // minutes, when the key is absent

inline constexpr char kAssoFieldSeparator = ',';
inline constexpr size_t kAssoMinFields = 5;  // dates, times and instrument

[[nodiscard]] inline std::string BeaconSection(size_t index) {
    return std::string(kBeaconSectionPrefix) + std::to_string(index);
}
[[nodiscard]] inline std::string AssoKey(size_t index) {
    return std::string(kAssoKeyPrefix) + std::to_string(index);
}

}  // namespace skylog::dcplist
