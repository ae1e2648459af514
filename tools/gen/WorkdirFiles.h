#pragma once
// The working-directory files that go with generated messages: DcpList.inf (beacons
// and their associations with instruments) and Managers.inf.

#include <string>
#include <string_view>
#include <vector>

#include "Common/DateTime.h"

namespace skylog::gen {

struct ManagerDef {
    int id = 0;
    std::string name;     // family name
    std::string forName;  // first name
    std::string mail;
};

struct AssociationDef {
    TDateTime start = 0;  // inclusive
    TDateTime end = 0;    // inclusive
    int instrumentNumber = 0;
    uint8_t instrumentCode = 0;  // not stored: the messages carry it
    std::string posName;         // no comma
    std::vector<int> managerIds;
};

struct BeaconDef {
    std::string name;
    std::string number;
    int baseTime = 0;   // seconds
    int interval = 30;  // minutes
    std::vector<AssociationDef> associations;

    // The association covering a date-time, or null.
    [[nodiscard]] const AssociationDef* FindAssociation(TDateTime when) const;
};

// "dd/mm/yyyy,hh:nn:ss,dd/mm/yyyy,hh:nn:ss,<instrument>,<locality>,<id|id>"
[[nodiscard]] std::string AssociationLine(const AssociationDef& association);

// The files' text in UTF-8 with CR LF line ends; written to disk in Windows-1252.
[[nodiscard]] std::string DcpListText(const std::vector<BeaconDef>& beacons);
[[nodiscard]] std::string ManagersText(const std::vector<ManagerDef>& managers);

// Writes DcpList.inf and Managers.inf into the folder (created when missing).
// Throws FileError.
void WriteWorkdirFiles(std::string_view folder, const std::vector<BeaconDef>& beacons,
                       const std::vector<ManagerDef>& managers);

}  // namespace skylog::gen
