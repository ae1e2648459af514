#include "tools/gen/WorkdirFiles.h"

#include <stdexcept>

#include "Common/Encoding.h"
#include "Common/FileUtil.h"
#include "Common/IniFile.h"
#include "Common/UUtils.h"

namespace skylog::gen {

const AssociationDef* BeaconDef::FindAssociation(TDateTime when) const {
    for (const AssociationDef& a : associations) {
        if (a.start <= when && when <= a.end) return &a;
    }
    return nullptr;
}

std::string AssociationLine(const AssociationDef& a) {
    if (a.posName.find(',') != std::string::npos) throw std::invalid_argument("a locality holds no comma");
    std::string ids;
    for (int id : a.managerIds) {
        if (!ids.empty()) ids += '|';
        ids += std::to_string(id);
    }
    return FormatDateDMY(a.start) + "," + FormatTimeHMS(a.start) + "," + FormatDateDMY(a.end) + "," +
           FormatTimeHMS(a.end) + "," + std::to_string(a.instrumentNumber) + "," + a.posName + "," + ids;
}

std::string DcpListText(const std::vector<BeaconDef>& beacons) {
    TIniFile ini = TIniFile::FromText("");
    ini.WriteInteger("General", "NbDCP", static_cast<int32_t>(beacons.size()));
    for (size_t i = 0; i < beacons.size(); ++i) {
        const BeaconDef& b = beacons[i];
        const std::string section = "DCP" + std::to_string(i);
        ini.WriteString(section, "Name", b.name);
        ini.WriteString(section, "Number", b.number);
        ini.WriteInteger(section, "BaseTime", b.baseTime);
        ini.WriteInteger(section, "Interval", b.interval);
        ini.WriteInteger(section, "NbAss", static_cast<int32_t>(b.associations.size()));
        for (size_t j = 0; j < b.associations.size(); ++j) {
            ini.WriteString(section, "Asso" + std::to_string(j), AssociationLine(b.associations[j]));
        }
    }
    return ini.ToText();
}

std::string ManagersText(const std::vector<ManagerDef>& managers) {
    std::string text;
    for (const ManagerDef& m : managers) {
        for (const std::string* field : {&m.name, &m.forName, &m.mail}) {
            if (field->find(',') != std::string::npos) throw std::invalid_argument("a manager field holds no comma");
        }
        text += std::to_string(m.id) + "," + m.name + "," + m.forName + "," + m.mail + "\r\n";
    }
    return text;
}

void WriteWorkdirFiles(std::string_view folder, const std::vector<BeaconDef>& beacons,
                       const std::vector<ManagerDef>& managers) {
    const std::string dir = IncludeBackslash(folder);
    if (!ForceDirectories(dir)) throw FileError("cannot create folder " + dir);
    WriteFileAtomic(dir + "DcpList.inf", Utf8ToCp1252(DcpListText(beacons)));
    WriteFileAtomic(dir + "Managers.inf", Utf8ToCp1252(ManagersText(managers)));
}

}  // namespace skylog::gen
