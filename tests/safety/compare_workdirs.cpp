// skylog-safety-compare REFERENCE RESULT: compares the stored data of two working
// directories, the way the crash and concurrency tests need it.
//
// - Daily message files (DataDCP/*/*.DCP): the same set of records (header + body), each
//   record once in RESULT, and no cut record (a file must be whole two-line records).
// - K7 files (DataK7/*/*.K7): the same 256 header bytes and the same multiset of events.
// - No temporary file of an atomic write left in DataK7 (".NAME.tmpXXXXXX"), no journal
//   of an append left in DataDCP (".NAME.journal").
//
// It reads the files with its own small readers rather than the engine's, so that a
// fault of the engine's readers cannot hide a fault of its writers. Exit 0 when equal,
// 1 when not (each difference on stdout), 2 on usage errors.

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr size_t kK7HeaderSize = 256;

std::string readBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Relative paths of the regular files under root/folder whose extension is ext.
std::set<std::string> filesUnder(const fs::path& root, const std::string& folder, const std::string& ext) {
    std::set<std::string> files;
    std::error_code error;
    const fs::path base = root / folder;
    if (!fs::is_directory(base, error)) return files;
    for (const auto& entry : fs::recursive_directory_iterator(base, error)) {
        if (!entry.is_regular_file()) continue;
        const std::string name = entry.path().filename().string();
        if (name.size() > ext.size() && name.compare(name.size() - ext.size(), ext.size(), ext) == 0 &&
            name[0] != '.')
            files.insert(fs::relative(entry.path(), root).string());
    }
    return files;
}

std::vector<std::string> lines(const std::string& bytes) {
    std::vector<std::string> out;
    size_t start = 0;
    for (size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] != '\r' && bytes[i] != '\n') continue;
        out.push_back(bytes.substr(start, i - start));
        if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
        start = i + 1;
    }
    if (start < bytes.size()) out.push_back(bytes.substr(start));
    return out;
}

struct DailyFile {
    std::multiset<std::string> records;  // header + "\n" + body
    bool whole = true;                   // ends with CR LF after a whole number of records
};

DailyFile readDaily(const fs::path& path) {
    const std::string bytes = readBytes(path);
    DailyFile file;
    const std::vector<std::string> all = lines(bytes);
    file.whole = all.size() % 2 == 0 && (bytes.empty() || bytes.ends_with("\r\n"));
    for (size_t i = 0; i + 1 < all.size(); i += 2) file.records.insert(all[i] + "\n" + all[i + 1]);
    if (all.size() % 2 != 0) file.records.insert(all.back() + "\n<cut>");
    return file;
}

// Events as the K7 layout frames them: byte 1 the length L, byte L-1 equal to L; a
// byte that starts no event is skipped. Events of type 0xFF are empty and dropped.
std::multiset<std::string> k7Events(const std::string& bytes) {
    std::multiset<std::string> events;
    size_t p = kK7HeaderSize;
    while (p + 1 < bytes.size()) {
        const size_t length = static_cast<unsigned char>(bytes[p + 1]);
        if (length == 0 || p + length > bytes.size() ||
            static_cast<unsigned char>(bytes[p + length - 1]) != length) {
            ++p;
            continue;
        }
        if (static_cast<unsigned char>(bytes[p]) != 0xFF) events.insert(bytes.substr(p, length));
        p += length;
    }
    return events;
}

std::string hex(const std::string& bytes, size_t limit = 24) {
    std::string out;
    char pair[3];
    for (size_t i = 0; i < bytes.size() && i < limit; ++i) {
        std::snprintf(pair, sizeof pair, "%02X", static_cast<unsigned char>(bytes[i]));
        out += pair;
    }
    if (bytes.size() > limit) out += "...";
    return out;
}

std::string printable(const std::string& text) {
    std::string out;
    for (char c : text) out += (c == '\n') ? std::string(" | ") : std::string(1, (c >= 32 && c < 127) ? c : '?');
    return out.size() > 120 ? out.substr(0, 120) + "..." : out;
}

template <typename T>
std::multiset<T> minus(const std::multiset<T>& a, const std::multiset<T>& b) {
    std::multiset<T> out;
    std::set_difference(a.begin(), a.end(), b.begin(), b.end(), std::inserter(out, out.end()));
    return out;
}

template <typename T>
std::set<T> repeated(const std::multiset<T>& items) {
    std::set<T> out;
    for (auto it = items.begin(); it != items.end(); it = items.upper_bound(*it))
        if (items.count(*it) > 1) out.insert(*it);
    return out;
}

class Comparison {
public:
    Comparison(fs::path reference, fs::path result) : ref_(std::move(reference)), res_(std::move(result)) {}

    int Run() {
        compareDaily();
        compareK7();
        checkTemporaries();
        std::cout << (faults_ == 0 ? "identiques" : "différences : " + std::to_string(faults_)) << " ("
                  << dailyFiles_ << " fichiers journaliers, " << records_ << " messages, " << k7Files_
                  << " fichiers K7, " << events_ << " évènements)\n";
        return faults_ == 0 ? 0 : 1;
    }

private:
    void fault(const std::string& text) {
        if (++faults_ <= kShownFaults) std::cout << text << '\n';
    }

    void compareSets(const std::set<std::string>& a, const std::set<std::string>& b, const char* kind) {
        for (const std::string& name : a)
            if (!b.contains(name)) fault(std::string(kind) + " absent du résultat : " + name);
        for (const std::string& name : b)
            if (!a.contains(name)) fault(std::string(kind) + " en trop dans le résultat : " + name);
    }

    void compareDaily() {
        const auto refFiles = filesUnder(ref_, "DataDCP", ".DCP");
        const auto resFiles = filesUnder(res_, "DataDCP", ".DCP");
        compareSets(refFiles, resFiles, "fichier journalier");
        for (const std::string& name : refFiles) {
            if (!resFiles.contains(name)) continue;
            ++dailyFiles_;
            const DailyFile ref = readDaily(ref_ / name);
            const DailyFile res = readDaily(res_ / name);
            records_ += res.records.size();
            if (!res.whole) fault(name + " : enregistrement coupé");
            for (const auto& record : repeated(res.records)) fault(name + " : en double : " + printable(record));
            for (const auto& record : minus(ref.records, res.records))
                fault(name + " : perdu : " + printable(record));
            for (const auto& record : minus(res.records, ref.records))
                fault(name + " : en trop : " + printable(record));
        }
    }

    void compareK7() {
        const auto refFiles = filesUnder(ref_, "DataK7", ".K7");
        const auto resFiles = filesUnder(res_, "DataK7", ".K7");
        compareSets(refFiles, resFiles, "fichier K7");
        for (const std::string& name : refFiles) {
            if (!resFiles.contains(name)) continue;
            ++k7Files_;
            const std::string ref = readBytes(ref_ / name);
            const std::string res = readBytes(res_ / name);
            if (ref.substr(0, kK7HeaderSize) != res.substr(0, kK7HeaderSize))
                fault(name + " : en-tête différent");
            const auto refEvents = k7Events(ref);
            const auto resEvents = k7Events(res);
            events_ += resEvents.size();
            for (const auto& event : repeated(resEvents)) fault(name + " : évènement en double " + hex(event));
            for (const auto& event : minus(refEvents, resEvents)) fault(name + " : évènement perdu " + hex(event));
            for (const auto& event : minus(resEvents, refEvents)) fault(name + " : évènement en trop " + hex(event));
        }
    }

    // Leftovers of a killed atomic write must not stay among the K7 files, nor the
    // journal of a killed append among the daily files: the next write of the same file
    // removes them.
    void checkTemporaries() {
        checkLeftovers("DataK7", ".tmp");
        checkLeftovers("DataDCP", ".journal");
    }
    void checkLeftovers(const std::string& folder, const std::string& mark) {
        std::error_code error;
        if (!fs::is_directory(res_ / folder, error)) return;
        for (const auto& entry : fs::recursive_directory_iterator(res_ / folder, error)) {
            const std::string name = entry.path().filename().string();
            if (entry.is_regular_file() && name.starts_with(".") && name.find(mark) != std::string::npos)
                fault("fichier temporaire laissé : " + fs::relative(entry.path(), res_).string());
        }
    }

    static constexpr int kShownFaults = 40;
    fs::path ref_, res_;
    int faults_ = 0;
    size_t dailyFiles_ = 0, records_ = 0, k7Files_ = 0, events_ = 0;
};

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: skylog-safety-compare REFERENCE_WORKDIR RESULT_WORKDIR\n";
        return 2;
    }
    return Comparison(argv[1], argv[2]).Run();
}
