// DcpList.inf: the beacon list read with what is wrong in it named, and written back
// with this run's changes only (Common/ListMerge.h).

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "Common/FileUtil.h"
#include "Common/ListMerge.h"
#include "Common/MessageBoxes.h"
#include "Common/NearestName.h"
#include "Common/UUtils.h"
#include "Common/WorkDirLock.h"
#include "dcp/DcpListFormat.h"
#include "dcp/UDCPList.h"

namespace skylog {

namespace {

// The file as this program reads it.
struct TDcpListImage {
    explicit TDcpListImage(const std::string& path) : Ini(path) {}
    TIniFile Ini;
    size_t Count = 0;  // beacons read: sections DCP0 .. DCP<Count-1>
    // Why the file cannot be read as a beacon list (no beacon is read), or why it must
    // not be written (beacons it holds are not read).
    std::optional<std::string> Unreadable;
    std::optional<std::string> NotWritable;
    std::vector<std::string> Warnings;

    [[nodiscard]] std::vector<TRecord> Records() const {
        std::vector<TRecord> records;
        for (size_t i = 0; i < Count; ++i) records.push_back(Ini.Record(dcplist::BeaconSection(i)));
        return records;
    }
};

// n of a section "DCP<n>" (the name the list gives it), or nothing.
std::optional<size_t> beaconSectionIndex(std::string_view name) {
    const std::string_view prefix = dcplist::kBeaconSectionPrefix;
    if (name.size() <= prefix.size() || !EqualsNoCase(name.substr(0, prefix.size()), prefix)) return std::nullopt;
    const auto n = ParseInt32(name.substr(prefix.size()));
    if (!n || *n < 0 || std::to_string(*n) != name.substr(prefix.size())) return std::nullopt;
    return static_cast<size_t>(*n);
}

std::string sectionText(size_t index) { return "[" + dcplist::BeaconSection(index) + "]"; }

TDcpListImage readImage(const std::string& fileName) {
    using namespace dcplist;
    TDcpListImage image(fileName);
    const TIniFile& ini = image.Ini;
    if (ini.Problem()) {
        image.Unreadable = *ini.Problem();
        return image;
    }
    size_t sections = 0;  // the last beacon section present, plus one
    std::vector<size_t> present;
    for (const std::string& name : ini.SectionNames()) {
        if (EqualsNoCase(name, kGeneralSection)) continue;
        if (const auto n = beaconSectionIndex(name)) {
            sections = std::max(sections, *n + 1);
            present.push_back(*n);
        } else {
            image.Warnings.push_back("section inconnue [" + QuotedLine(name) + "], ignorée");
        }
    }
    if (!ini.SectionExists(kGeneralSection)) {
        // A missing or blank file is an empty list; anything else is not one.
        if (sections > 0 || ini.HasPreamble() || !image.Warnings.empty())
            image.Unreadable = "pas de section [" + std::string(kGeneralSection) + "]";
        return image;
    }
    for (const std::string& key : ini.KeyNames(kGeneralSection)) {
        if (EqualsNoCase(key, kBeaconCountKey)) continue;
        std::string text = "[" + std::string(kGeneralSection) + "] : clé inconnue " + QuotedLine(key);
        if (const auto near = NearestName(key, {std::string(kBeaconCountKey)})) text += " (vouliez-vous dire " + *near + " ?)";
        image.Warnings.push_back(text + ", ignorée");
    }
    const std::string countText = ini.ReadString(kGeneralSection, kBeaconCountKey, "0");
    const auto declared = ParseInt32(countText);
    if (!declared || *declared < 0) {
        image.Unreadable = std::string(kBeaconCountKey) + "=" + QuotedLine(countText) + " n'est pas un nombre de balises";
        return image;
    }
    const auto count = static_cast<size_t>(*declared);
    const std::string countIs = std::string(kBeaconCountKey) + "=" + std::to_string(count);
    // A count far larger than the sections (a damaged file) costs no time: sections
    // past the last one present would only give default beacons.
    image.Count = std::min(count, sections);
    if (count > sections)
        image.Warnings.push_back(countIs + (sections == 0 ? " mais aucune section de balise"
                                                          : " mais la dernière section de balise est " +
                                                                sectionText(sections - 1)) +
                                 " : " + std::to_string(image.Count) + " balise(s) lue(s)");
    if (sections > count)
        image.NotWritable = countIs + " mais la section " + sectionText(sections - 1) +
                            " existe : les balises au-delà ne sont pas lues, et le fichier ne sera pas modifié tant que " +
                            std::string(kBeaconCountKey) + " ne les compte pas";
    for (size_t i = 0; i < image.Count; ++i)
        if (std::find(present.begin(), present.end(), i) == present.end())
            image.Warnings.push_back("section " + sectionText(i) + " absente : la balise " + std::to_string(i) +
                                     " prend les valeurs par défaut (" + std::string(kDefaultName) + ")");
    return image;
}

}  // namespace

void TDCPList::LoadFromFile() {
    Beacons.clear();
    TDcpListImage image = readImage(FileName);
    const std::vector<std::string> previous = std::move(loadWarnings_);
    loadWarnings_.clear();
    for (const std::string& warning : image.Warnings) loadWarnings_.push_back(FileName + " : " + warning);
    if (image.Unreadable)
        loadWarnings_.push_back(FileName + " ne peut pas être lu comme une liste de balises (" + *image.Unreadable +
                                ") : aucune balise n'est lue, et le fichier ne sera pas modifié");
    if (image.NotWritable) loadWarnings_.push_back(FileName + " : " + *image.NotWritable);
    for (size_t i = 0; i < image.Count; ++i) {
        const std::string section = dcplist::BeaconSection(i);
        auto beacon = std::make_unique<TDCP>();
        RecordingMessageBoxes warnings;
        beacon->LoadFromIni(image.Ini, section, context_.Managers, warnings);
        for (const std::string& warning : warnings.Warnings())
            loadWarnings_.push_back(FileName + " [" + section + "] " + warning);
        beacon->listOrigin_ = i;
        Add(std::move(beacon));
    }
    base_ = records();
    read_ = image.Records();
    // Read again (a command's change, under the lock), the same file says nothing new.
    if (loadWarnings_.empty() || loadWarnings_ == previous) return;
    std::string text;
    for (const std::string& warning : loadWarnings_) text += (text.empty() ? "" : "\n") + warning;
    context_.Reporter().Warning(text);
}

// A beacon's section as SaveToIni writes it.
std::vector<TRecord> TDCPList::records() {
    std::vector<TRecord> out;
    for (const auto& beacon : Beacons) {
        TIniFile scratch = TIniFile::FromText("");
        beacon->SaveToIni(scratch, "B");
        out.push_back(scratch.Record("B"));
    }
    return out;
}

std::vector<size_t> TDCPList::origins() const {
    std::vector<size_t> out;
    for (const auto& beacon : Beacons) out.push_back(beacon->listOrigin_);
    return out;
}

bool TDCPList::Changed() { return RecordsChanged(base_, records(), origins()); }

void TDCPList::SaveToFile() {
    using namespace dcplist;
    const std::vector<TRecord> mine = records();
    const std::vector<size_t> mineOrigins = origins();
    if (!RecordsChanged(base_, mine, mineOrigins)) return;
    const TWorkDirLock lock(ExtractFileDir(FileName));
    TDcpListImage image = readImage(FileName);
    if (const auto& why = image.Unreadable ? image.Unreadable : image.NotWritable)
        throw FileError(FileName + " n'est pas modifié : " + *why);
    TMergeRules rules;
    // A beacon's associations change together: their count and lines are one group.
    rules.Group = [](std::string_view key) {
        return EqualsNoCase(key, kAssoCountKey) ||
                       (key.size() > kAssoKeyPrefix.size() && EqualsNoCase(key.substr(0, kAssoKeyPrefix.size()), kAssoKeyPrefix))
                   ? std::string(kAssoKeyPrefix)
                   : std::string(key);
    };
    rules.SameItem = [](const TRecord& base, const TRecord& file) {
        const auto name = [](const TRecord& r) {
            for (const auto& [key, value] : r)
                if (EqualsNoCase(key, kNameKey)) return value;
            return std::string(kDefaultName);
        };
        return name(base) == name(file);
    };
    const std::vector<TMergedRecord> merged = MergeRecords(base_, read_, mine, mineOrigins, image.Records(), rules);

    TIniFile& ini = image.Ini;
    for (size_t i = 0; i < image.Count; ++i) ini.EraseSection(BeaconSection(i));
    ini.WriteInteger(kGeneralSection, kBeaconCountKey, static_cast<int32_t>(merged.size()));
    for (size_t p = 0; p < merged.size(); ++p) ini.SetRecord(BeaconSection(p), merged[p].Record);
    ini.UpdateFile();

    // The list takes what was written; a beacon this run held keeps its blocks.
    std::vector<std::unique_ptr<TDCP>> adopted;
    for (size_t p = 0; p < merged.size(); ++p) {
        const TMergedRecord& m = merged[p];
        std::unique_ptr<TDCP> beacon = m.Mine != kNoRecord ? std::move(Beacons[m.Mine]) : std::make_unique<TDCP>();
        if (m.Mine == kNoRecord || !SameRecord(m.Record, mine[m.Mine])) {
            RecordingMessageBoxes warned;  // the file's defects were named when it was read
            beacon->LoadFromIni(ini, BeaconSection(p), context_.Managers, warned);
        }
        beacon->Owner = this;
        beacon->listOrigin_ = p;
        adopted.push_back(std::move(beacon));
    }
    for (auto& gone : Beacons)
        if (gone) gone->ClearContent();
    Beacons = std::move(adopted);
    base_ = records();
    read_.clear();
    for (const TMergedRecord& m : merged) read_.push_back(m.Record);
}

// Associations of this run that name the manager are changed: where the file names the
// old identifier, it names another program's manager now.
void TDCPList::RenumberManager(int32_t from, int32_t to) {
    for (const auto& beacon : Beacons)
        for (const auto& asso : beacon->AssoList) asso->Managers.Renumber(from, to);
}

}  // namespace skylog
