#include "tools/gen/RandomSet.h"

#include <algorithm>
#include <cstdio>
#include <numeric>
#include <stdexcept>

#include "Common/FileUtil.h"
#include "Common/UUtils.h"
#include "tools/gen/GenFormat.h"
#include "tools/gen/MessageBody.h"
#include "tools/gen/Rng.h"
#include "tools/gen/ScenarioEncoder.h"

namespace skylog::gen {

std::vector<uint8_t> DefaultInstrumentCodes() { return {0x1A, 0x20, 0xA0, 0xB9, 0xBB}; }


std::string_view DefectName(DefectKind kind) {
    switch (kind) {
        case DefectKind::BadEndMarker: return "bad-end-marker";
        case DefectKind::Truncated: return "truncated";
        case DefectKind::UnknownBeacon: return "unknown-beacon";
        case DefectKind::BadHeaderDate: return "bad-header-date";
        case DefectKind::BadHeaderTime: return "bad-header-time";
        case DefectKind::NoData: return "no-data";
        case DefectKind::HighBits: return "high-bits";
        case DefectKind::WrongInstrument: return "wrong-instrument";
        case DefectKind::BadScenarioDate: return "bad-scenario-date";
        case DefectKind::BadScenarioEnd: return "bad-scenario-end";
        case DefectKind::Duplicate: return "duplicate";
    }
    return "";
}

namespace {

constexpr int64_t kDaySeconds = 86400;
constexpr int kDefectOneIn = 20;
constexpr int kContinuationOneIn = 6;
constexpr uint8_t kSafeMarker = 63;  // has an end marker read in full for every type
constexpr std::string_view kUnknownNumber = "FFFFFFFF";
constexpr std::string_view kUnknownName = "Inconnue";
constexpr std::string_view kDamagedEndMarker = "\x04]Jd";

struct Site {
    const char* name;      // beacon name: one word, ASCII (BRU headers name it, bit 7 is cleared)
    const char* locality;  // association locality
};
constexpr Site kSites[] = {
    {"Sede", "Sédé Boqer"},   {"Avignon", "Avignon"},       {"Besancon", "Besançon"},
    {"Tamanrasset", "Tamanrasset"}, {"Dakar", "Dakar"},     {"Banizoumbou", "Banizoumbou"},
    {"Lampedusa", "Lampedusa"}, {"Ilorin", "Ilorin"},       {"Agoufou", "Agoufou"},
    {"Evora", "Évora"},
};

const DefectKind kDefectKinds[] = {
    DefectKind::BadEndMarker,  DefectKind::Truncated,       DefectKind::UnknownBeacon,
    DefectKind::BadHeaderDate, DefectKind::BadHeaderTime,   DefectKind::NoData,
    DefectKind::HighBits,      DefectKind::WrongInstrument, DefectKind::BadScenarioDate,
    DefectKind::BadScenarioEnd, DefectKind::Duplicate,
};

bool DropsWholeMessage(DefectKind kind) {
    return kind == DefectKind::UnknownBeacon || kind == DefectKind::BadHeaderDate ||
           kind == DefectKind::BadHeaderTime || kind == DefectKind::NoData || kind == DefectKind::WrongInstrument;
}

struct Scenario {
    const ScenarioLayout* layout = nullptr;
    ScenarioValues values;
    bool stored = true;
};

struct Planned {
    int beacon = 0;
    int index = 0;        // in the beacon's timeline
    int64_t second = 0;   // from the first day's midnight
    int slot = 0;         // output file
    int cyclic = 0;
    const AssociationDef* association = nullptr;
    std::vector<Scenario> scenarios;
    std::string carriedIn;  // end of the previous message's last scenario
    size_t cutOfLast = 0;   // where the last scenario is cut; 0 when it is whole
    bool linked = false;    // takes part in a continuation
    std::optional<DefectKind> defect;
};

class SetBuilder {
public:
    explicit SetBuilder(const RandomConfig& config) : config_(config), rng_(config.seed) {
        if (config.beacons < 1 || config.days < 1 || config.messages < 0 || config.formats.empty() ||
            config.filesPerFormat < 1 || config.instrumentCodes.empty()) {
            throw std::invalid_argument("random set: beacons, days, formats and files must be at least 1");
        }
        if (config.beacons > 120) throw std::invalid_argument("random set: at most 120 beacons");
        if (!config.dense && static_cast<int64_t>(config.messages) > int64_t{config.beacons} * config.days * 1440) {
            throw std::invalid_argument("random set: at most one message a minute per beacon");
        }
        if (static_cast<int64_t>(config.messages) > int64_t{config.beacons} * config.days * kDaySeconds) {
            throw std::invalid_argument("random set: at most one message a second per beacon");
        }
        if (!TryEncodeDate(config.year, config.month, config.day, firstDay_)) {
            throw std::invalid_argument("random set: first day does not exist");
        }
        slots_ = static_cast<int>(config.formats.size()) * config.filesPerFormat;
    }

    GeneratedSet Build() {
        MakeManagers();
        MakeBeacons();
        PlanTimelines();
        AssignDefects();
        NumberCycles();
        MakeScenarios();
        LinkContinuations();
        WriteFiles();
        CollectExpected();
        return std::move(set_);
    }

private:
    [[nodiscard]] TDateTime At(int64_t second) const {
        int64_t days = second / kDaySeconds;
        int64_t rest = second % kDaySeconds;
        if (rest < 0) {
            rest += kDaySeconds;
            --days;
        }
        return firstDay_ + static_cast<double>(days) + static_cast<double>(rest) / kDaySeconds;
    }
    [[nodiscard]] StationFormat FormatOfSlot(int slot) const {
        return config_.formats[static_cast<size_t>(slot) % config_.formats.size()];
    }

    void MakeManagers() {
        set_.managers = {{1, "Dupont", "Jean", "jean.dupont@example.org"},
                         {2, "Lefèvre", "Hélène", "helene.lefevre@example.org"},
                         {3, "Ndiaye", "Awa", "awa.ndiaye@example.org"},
                         {4, "Moreau", "Loïc", ""}};
    }

    void MakeBeacons() {
        std::vector<int> instruments(255);
        std::iota(instruments.begin(), instruments.end(), 1);
        for (size_t i = instruments.size(); i > 1; --i) {
            std::swap(instruments[i - 1], instruments[static_cast<size_t>(rng_.Below(static_cast<int>(i)))]);
        }
        size_t nextInstrument = 0;
        TDateTime periodStart = firstDay_ - 90;
        TDateTime periodEnd = 0;
        (void)TryEncodeTime(23, 59, 59, 0, periodEnd);
        periodEnd += firstDay_ + config_.days - 1 + 90;
        const size_t siteCount = std::size(kSites);
        for (int b = 0; b < config_.beacons; ++b) {
            const Site& site = kSites[static_cast<size_t>(b) % siteCount];
            BeaconDef beacon;
            beacon.name = site.name;
            if (static_cast<size_t>(b) >= siteCount) beacon.name += std::to_string(b / static_cast<int>(siteCount) + 1);
            beacon.number = UniqueNumber();
            beacon.baseTime = rng_.Below(1800);
            beacon.interval = rng_.OneIn(2) ? 30 : 60;
            country_.push_back(rng_.Below(256));
            district_.push_back(rng_.Below(65536));
            // Every third beacon is moved to another instrument halfway through.
            const bool moved = b % 3 == 1;
            const int64_t split = int64_t{config_.days} * kDaySeconds / 2;
            for (int part = 0; part < (moved ? 2 : 1); ++part) {
                AssociationDef a;
                a.start = part == 0 ? periodStart : At(split);
                a.end = moved && part == 0 ? At(split - 1) : periodEnd;
                a.instrumentNumber = instruments[nextInstrument++];
                a.instrumentCode = config_.instrumentCodes[static_cast<size_t>(b + part) %
                                                           config_.instrumentCodes.size()];
                a.posName = site.locality;
                a.managerIds = {1 + b % 4};
                if (b % 2 == 0) a.managerIds.push_back(1 + (b + 1) % 4);
                beacon.associations.push_back(std::move(a));
            }
            set_.beacons.push_back(std::move(beacon));
        }
    }

    std::string UniqueNumber() {
        while (true) {
            char buf[16];
            std::snprintf(buf, sizeof buf, "%08X", static_cast<unsigned>(rng_.Next() & 0xFFFFFFFFu));
            const std::string number = buf;
            bool used = number == kUnknownNumber;
            for (const BeaconDef& b : set_.beacons) used = used || b.number == number;
            if (!used) return number;
        }
    }

    void PlanTimelines() {
        const int beacons = config_.beacons;
        const int64_t span = int64_t{config_.days} * kDaySeconds;
        const int chunksPerBeacon = std::max(config_.days, (slots_ + beacons - 1) / beacons);
        for (int b = 0; b < beacons; ++b) {
            const int count = config_.messages / beacons + (b < config_.messages % beacons ? 1 : 0);
            if (count == 0) continue;
            const int64_t spacing = span / count;
            const int chunks = std::min(chunksPerBeacon, count);
            for (int k = 0; k < count; ++k) {
                Planned m;
                m.beacon = b;
                m.index = k;
                m.second = k * spacing + rng_.Below(static_cast<int>(std::max<int64_t>(1, spacing / 2)));
                m.slot = (b * chunksPerBeacon + k * chunks / count) % slots_;
                planned_.push_back(std::move(m));
            }
        }
    }

    void AssignDefects() {
        if (!config_.defects) return;
        for (Planned& m : planned_) {
            if (!rng_.OneIn(kDefectOneIn)) continue;
            DefectKind kind = kDefectKinds[rng_.Below(static_cast<int>(std::size(kDefectKinds)))];
            // A GOES header carries a day number, which cannot name a day that does not exist.
            const StationFormat format = FormatOfSlot(m.slot);
            if (kind == DefectKind::BadHeaderDate &&
                (format == StationFormat::Goes || format == StationFormat::GoesFramed)) {
                kind = DefectKind::BadHeaderTime;
            }
            m.defect = kind;
        }
    }

    // Each beacon counts its messages; a message lost after a truncated one leaves a gap,
    // so that the truncated scenario is not continued in the next message.
    void NumberCycles() {
        std::vector<int> next(static_cast<size_t>(config_.beacons), -1);
        for (Planned& m : planned_) {
            int& counter = next[static_cast<size_t>(m.beacon)];
            if (counter < 0) counter = rng_.Below(64);
            m.cyclic = counter;
            counter = (counter + (m.defect == DefectKind::Truncated ? 2 : 1)) % 64;
            m.association = set_.beacons[static_cast<size_t>(m.beacon)].FindAssociation(At(m.second));
        }
    }

    Scenario RandomScenario(uint8_t marker, uint8_t instrumentCode, int64_t sent) {
        Scenario s;
        s.layout = FindLayout(marker, instrumentCode);
        const int64_t when = sent - rng_.Between(60, 5 * 3600);
        const DateParts d = DecodeDate(At(when));
        const TimeParts t = DecodeTime(At(when));
        ScenarioValues& v = s.values;
        v.year = d.year;
        v.month = d.month;
        v.day = d.day;
        v.hour = t.hour;
        v.minute = t.minute;
        v.second = t.second;
        v.yearCodeTwenties = rng_.Below(3);
        if (s.layout->CountOf(FieldKind::RawByte) > 0) {
            v.byte3 = static_cast<uint8_t>(rng_.Between(64, 127));
        } else if (s.layout->CountOf(FieldKind::SmallByte) > 0) {
            v.byte3 = static_cast<uint8_t>(rng_.Below(64));
        }
        v.words.resize(static_cast<size_t>(s.layout->CountOf(FieldKind::Word)));
        for (uint16_t& w : v.words) w = static_cast<uint16_t>(rng_.Next() & 0xFFFF);
        v.byteValues.resize(static_cast<size_t>(s.layout->CountOf(FieldKind::ByteValue)));
        for (uint8_t& b : v.byteValues) b = static_cast<uint8_t>(rng_.Below(256));
        return s;
    }

    void MakeScenarios() {
        const std::vector<uint8_t> markers = ScenarioMarkers();
        for (Planned& m : planned_) {
            const uint8_t code = m.association->instrumentCode;
            const int count = rng_.Between(1, 4);
            for (int i = 0; i < count; ++i) {
                const uint8_t marker = markers[static_cast<size_t>(rng_.Below(static_cast<int>(markers.size())))];
                m.scenarios.push_back(RandomScenario(marker, code, m.second));
            }
            if (!m.defect) continue;
            switch (*m.defect) {
                case DefectKind::BadScenarioDate: {
                    Scenario& s = m.scenarios[static_cast<size_t>(rng_.Below(count))];
                    s.values.month = 13;
                    s.stored = false;
                    break;
                }
                case DefectKind::BadScenarioEnd:
                    m.scenarios[0] = RandomScenario(kSafeMarker, code, m.second);
                    m.scenarios[0].values.endMarker = 0xFD;
                    m.scenarios[0].stored = false;
                    break;
                case DefectKind::Truncated: m.scenarios.back().stored = false; break;
                default:
                    if (DropsWholeMessage(*m.defect)) {
                        for (Scenario& s : m.scenarios) s.stored = false;
                    }
                    break;
            }
        }
    }

    // The last scenario of a message now and then runs over into the beacon's next
    // message, which must then come right after it, in the same file.
    void LinkContinuations() {
        for (size_t i = 0; i + 1 < planned_.size(); ++i) {
            Planned& a = planned_[i];
            Planned& b = planned_[i + 1];
            if (a.beacon != b.beacon || a.slot != b.slot || a.defect || b.defect || b.linked) continue;
            if (!rng_.OneIn(kContinuationOneIn)) continue;
            const Scenario& last = a.scenarios.back();
            const EncodedScenario encoded = EncodeScenario(*last.layout, last.values);
            if (encoded.cutPoints.empty()) continue;
            a.cutOfLast = encoded.cutPoints[static_cast<size_t>(rng_.Below(static_cast<int>(encoded.cutPoints.size())))];
            b.carriedIn = encoded.text.substr(a.cutOfLast);
            a.linked = b.linked = true;
            ++set_.continuations;
        }
    }

    std::string BodyOf(const Planned& m) {
        if (m.defect == DefectKind::NoData) return std::string(kNoData) + std::string(kEndMarker);
        std::string data = m.carriedIn;
        for (size_t i = 0; i < m.scenarios.size(); ++i) {
            const Scenario& s = m.scenarios[i];
            std::string text = EncodeScenario(*s.layout, s.values).text;
            const bool last = i + 1 == m.scenarios.size();
            if (last && m.cutOfLast > 0) text.resize(m.cutOfLast);
            // Truncated: the marker and one date character, too little for any field
            // to be read from what is left.
            if (last && m.defect == DefectKind::Truncated) text.resize(2);
            data += text;
        }
        MessageHead head;
        head.cyclicNumber = m.cyclic;
        const TimeParts sent = DecodeTime(At(m.second));
        const TimeParts instrument = DecodeTime(At(m.second - rng_.Between(0, 120)));
        head.instrumentHour = instrument.hour;
        head.instrumentMinute = instrument.minute;
        head.instrumentSecond = instrument.second;
        head.instrumentCode = m.association->instrumentCode;
        head.parameters = ParametersFromCountryDistrict(country_[static_cast<size_t>(m.beacon)],
                                                        district_[static_cast<size_t>(m.beacon)]);
        head.instrumentNumber = m.association->instrumentNumber;
        if (m.defect == DefectKind::WrongInstrument) {
            head.instrumentNumber = head.instrumentNumber == 255 ? 254 : head.instrumentNumber + 1;
        }
        head.beaconHour = sent.hour;
        head.beaconMinute = sent.minute;
        head.beaconSecond = sent.second;

        BodyOptions options;
        if (m.defect == DefectKind::BadEndMarker) options.endMarker = std::string(kDamagedEndMarker);
        if (rng_.OneIn(10)) {
            const int count = rng_.Between(1, 6);
            for (int i = 0; i < count; ++i) options.trailing.push_back(static_cast<char>('A' + rng_.Below(26)));
        }
        while (true) {
            std::string body = m.defect == DefectKind::Truncated ? EncodeHead(head) + data
                                                                 : BuildBody(head, data, options);
            // The receiving side cuts a first body piece after a "VGTM" among its first
            // bytes; a head that happens to spell it is sent a second later.
            if (body.substr(0, kVgtmSearchSpan + kVgtm.size()).find(kVgtm) == std::string::npos) return body;
            head.instrumentSecond = (head.instrumentSecond + 1) % 60;
        }
    }

    void WriteFiles() {
        std::vector<std::vector<std::pair<int64_t, StationMessage>>> slotMessages(static_cast<size_t>(slots_));
        std::vector<std::pair<size_t, DefectKind>> defectSlots;
        for (const Planned& m : planned_) {
            const BeaconDef& beacon = set_.beacons[static_cast<size_t>(m.beacon)];
            StationMessage sm;
            sm.beaconNumber = beacon.number;
            sm.beaconName = beacon.name;
            sm.date = At(m.second);
            sm.body = BodyOf(m);
            sm.goesReception = rng_.OneIn(10) ? '?' : kGoesGoodReception;
            sm.goesEnd = rng_.OneIn(4) ? GoesEndStyle::ThreeCharLine : GoesEndStyle::XStar;
            sm.goesClosing = rng_.OneIn(2) ? kFramedGoesStx : kFramedGoesEtx;
            sm.programNumber = 1 + m.index % 99;
            int beaconKey = m.beacon;
            if (m.defect) {
                switch (*m.defect) {
                    case DefectKind::UnknownBeacon:
                        sm.beaconNumber = kUnknownNumber;
                        sm.beaconName = kUnknownName;
                        beaconKey = config_.beacons;
                        break;
                    case DefectKind::BadHeaderDate: sm.headerDefect = HeaderDefect::BadDate; break;
                    case DefectKind::BadHeaderTime: sm.headerDefect = HeaderDefect::BadTime; break;
                    case DefectKind::HighBits: sm.highBits = true; break;
                    default: break;
                }
                set_.defects.push_back({std::to_string(m.slot), sm.beaconName, sm.date, *m.defect});
            }
            const int64_t key = static_cast<int64_t>(beaconKey) << 40 | (m.second + (int64_t{1} << 39));
            slotMessages[static_cast<size_t>(m.slot)].emplace_back(key, sm);
            if (m.defect == DefectKind::Duplicate) {
                const int copySlot = (m.slot + 1) % slots_;
                slotMessages[static_cast<size_t>(copySlot)].emplace_back(key, sm);
                set_.defects.back().file += "+" + std::to_string(copySlot);
            }
        }

        const DateParts first = DecodeDate(firstDay_);
        char prefix[16];
        std::snprintf(prefix, sizeof prefix, "%04d%02d%02d_", first.year, first.month, first.day);
        std::vector<std::string> names;
        for (int slot = 0; slot < slots_; ++slot) {
            const StationFormat format = FormatOfSlot(slot);
            const int fileIndex = slot / static_cast<int>(config_.formats.size());
            names.push_back(prefix + std::to_string(fileIndex + 1) + std::string(FormatNameTag(format)) +
                            std::string(FormatExtension(format)));
            auto& list = slotMessages[static_cast<size_t>(slot)];
            // Name-line stations deliver beacon by beacon; the others in time order.
            const bool byBeacon = format == StationFormat::Cnrs || format == StationFormat::Nasa;
            std::stable_sort(list.begin(), list.end(), [byBeacon](const auto& x, const auto& y) {
                if (byBeacon) return x.first < y.first;
                const int64_t tx = x.first & ((int64_t{1} << 40) - 1);
                const int64_t ty = y.first & ((int64_t{1} << 40) - 1);
                return tx != ty ? tx < ty : x.first < y.first;
            });
            std::vector<StationMessage> messages;
            for (auto& entry : list) messages.push_back(std::move(entry.second));
            set_.messageCount += static_cast<int>(messages.size());
            FileStyle style;
            style.dayFirst = config_.dayFirst;
            style.lineWidth = config_.lineWidth.value_or(DefaultWidth(format));
            // Some receiving software puts a blank line between framed messages.
            style.blankLines = fileIndex % 2 == 0;
            style.lineEnd = !config_.defects ? LineEnd::CrLf
                            : slot % 3 == 0  ? LineEnd::CrLf
                            : slot % 3 == 1  ? LineEnd::Lf
                                             : LineEnd::Nul;
            set_.files.push_back({names.back(), format, WriteStationFile(format, messages, style)});
        }
        for (DefectNote& note : set_.defects) {
            std::string files;
            for (const std::string& part : Split(note.file, '+')) {
                if (!files.empty()) files += " + ";
                files += names[static_cast<size_t>(std::stoi(part))];
            }
            note.file = files;
        }
    }

    static size_t DefaultWidth(StationFormat format) {
        switch (format) {
            case StationFormat::Cnrs: return 69;
            case StationFormat::Nasa: return 80;
            case StationFormat::Dcp: return 0;
            case StationFormat::Goes: return 69;
            case StationFormat::Bru: return 64;
            case StationFormat::GoesFramed: return 0;  // a message is one line
        }
        return 69;
    }

    void CollectExpected() {
        for (const Planned& m : planned_) {
            for (const Scenario& s : m.scenarios) {
                if (!s.stored) continue;
                ExpectedEvent e;
                e.instrumentNumber = m.association->instrumentNumber;
                e.year = s.values.year;
                e.month = s.values.month;
                e.day = s.values.day;
                e.hex = EventHex(EventBytesFromValues(*s.layout, s.values));
                set_.expected.push_back(std::move(e));
            }
        }
        std::sort(set_.expected.begin(), set_.expected.end());
        set_.expected.erase(std::unique(set_.expected.begin(), set_.expected.end()), set_.expected.end());
    }

    const RandomConfig& config_;
    Rng rng_;
    TDateTime firstDay_ = 0;
    int slots_ = 1;
    std::vector<int> country_;
    std::vector<int> district_;
    std::vector<Planned> planned_;
    GeneratedSet set_;
};

std::string K7Path(const ExpectedEvent& e) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "DataK7/%04d_%02d_%02d/P%03d_%04d%02d%02d.K7", e.year, e.month, e.day,
                  e.instrumentNumber, e.year, e.month, e.day);
    return buf;
}

}  // namespace

GeneratedSet GenerateRandomSet(const RandomConfig& config) { return SetBuilder(config).Build(); }

std::string ExpectedEventsText(const std::vector<ExpectedEvent>& events) {
    std::string text;
    for (const ExpectedEvent& e : events) {
        char buf[32];
        std::snprintf(buf, sizeof buf, "P%03d %04d-%02d-%02d ", e.instrumentNumber, e.year, e.month, e.day);
        text += buf;
        text += e.hex;
        text += '\n';
    }
    return text;
}

std::map<std::string, std::vector<std::string>> ExpectedK7Files(const std::vector<ExpectedEvent>& events) {
    std::map<std::string, std::vector<std::string>> files;
    for (const ExpectedEvent& e : events) files[K7Path(e)].push_back(e.hex);
    return files;
}

void WriteGeneratedSet(const GeneratedSet& set, std::string_view outDir, const WriteOptions& options) {
    const std::string dir = IncludeBackslash(outDir);
    const std::string input = dir + "input/";
    if (!ForceDirectories(input)) throw FileError("cannot create folder " + input);
    for (const GeneratedFile& file : set.files) WriteFileAtomic(input + file.name, file.bytes);
    WriteWorkdirFiles(dir + "workdir/", set.beacons, set.managers);
    if (options.expectedEvents) WriteFileAtomic(dir + "expected-events.txt", ExpectedEventsText(set.expected));
    if (options.manifest) {
        std::string text = "files " + std::to_string(set.files.size()) + "\nmessages " +
                           std::to_string(set.messageCount) + "\ncontinuations " +
                           std::to_string(set.continuations) + "\nexpected events " +
                           std::to_string(set.expected.size()) + "\n";
        for (const DefectNote& d : set.defects) {
            text += "defect " + std::string(DefectName(d.kind)) + " " + d.beacon + " " + FormatDateDMY(d.date) +
                    " " + FormatTimeHMS(d.date) + " in " + d.file + "\n";
        }
        WriteFileAtomic(dir + "manifest.txt", text);
    }
}

}  // namespace skylog::gen
