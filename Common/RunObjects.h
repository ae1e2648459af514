#pragma once
// Process-wide references to the shared objects of a run and to the host's data.
// The run composition (plugin/USkylog) fills them and clears them at its end; tests
// fill them with their own objects. None of them is owned here.

namespace skylog {

class TDecodFile;
class TDCP_to_K7;
class TManagerList;
class TDCPList;
class TTasksList;
struct InstrumentTypeList;
struct EventDictionary;

struct TRunObjects {
    TDecodFile* Reader = nullptr;
    TDCP_to_K7* Converter = nullptr;
    TManagerList* Managers = nullptr;
    TDCPList* Beacons = nullptr;
    TTasksList* Tasks = nullptr;
};
[[nodiscard]] TRunObjects& Run();

// Owned by the host (or, without one, by the loader of the host-data files); read only.
struct THostData {
    const InstrumentTypeList* InstrumentTypes = nullptr;
    const EventDictionary* Dictionary = nullptr;
};
[[nodiscard]] THostData& Host();

// The process-wide decimal separator, adopted from the host's format options.
[[nodiscard]] char DecimalSeparator();
void SetDecimalSeparator(char separator);

}  // namespace skylog
