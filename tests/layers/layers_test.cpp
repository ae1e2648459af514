// The shape of the engine, checked on its sources: each folder includes only its own
// headers and those of folders below it (Common < managers < k7 < dcp < import <
// tasks < plugin), each library links exactly the engine libraries its sources
// include, and no engine code keeps mutable state of the whole process (a run reaches
// its collaborators through what it is handed, so two runs can share a process).

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace skylog {
namespace {

namespace fs = std::filesystem;

const std::vector<std::string> kOrder = {"Common", "managers", "k7", "dcp", "import", "tasks", "plugin"};
// Folders whose code may hold no process-wide state: the run's own folder (plugin) is
// where the windows may keep the one instance they need.
const std::set<std::string> kWithoutGlobals = {"Common", "managers", "k7", "dcp", "import", "tasks"};
// Process-wide by nature: the locks this process holds on working directories (the
// system keeps one per process and file), and the storage of content left to the
// system at exit, which nothing reads.
const std::set<std::pair<std::string, std::string>> kAllowedStatics = {
    {"Common/WorkDirLock.cpp", "s"}, {"dcp/UDCPList.cpp", "storage"}, {"dcp/UDCPList.cpp", "content"}};

int Rank(const std::string& folder) {
    const auto it = std::find(kOrder.begin(), kOrder.end(), folder);
    return it == kOrder.end() ? -1 : static_cast<int>(it - kOrder.begin());
}

std::string Text(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

// The lines of a source without its comments (string contents are kept; none of the
// patterns below spans a string).
std::vector<std::string> CodeLines(const std::string& text) {
    std::vector<std::string> lines;
    std::string line;
    bool inBlock = false;
    for (size_t i = 0; i < text.size(); ++i) {
        if (inBlock) {
            if (text.compare(i, 2, "*/") == 0) {
                inBlock = false;
                ++i;
            }
            continue;
        }
        if (text.compare(i, 2, "/*") == 0) {
            inBlock = true;
            ++i;
        } else if (text.compare(i, 2, "//") == 0) {
            while (i + 1 < text.size() && text[i + 1] != '\n') ++i;
        } else if (text[i] == '\n') {
            lines.push_back(line);
            line.clear();
        } else {
            line += text[i];
        }
    }
    lines.push_back(line);
    return lines;
}

struct Source {
    std::string folder;
    std::string name;  // folder/file
    std::vector<std::string> lines;
};

std::vector<Source> EngineSources() {
    std::vector<Source> sources;
    for (const std::string& folder : kOrder) {
        for (const auto& entry : fs::directory_iterator(fs::path(SKYLOG_SOURCE_DIR) / folder)) {
            const std::string extension = entry.path().extension().string();
            if (extension != ".h" && extension != ".cpp") continue;
            sources.push_back({folder, folder + "/" + entry.path().filename().string(), CodeLines(Text(entry.path()))});
        }
    }
    return sources;
}

// Engine folders named by the target_link_libraries of the folder's library.
std::set<std::string> LinkedFolders(const std::string& folder) {
    const std::string text = Text(fs::path(SKYLOG_SOURCE_DIR) / folder / "CMakeLists.txt");
    std::set<std::string> linked;
    static const std::regex call(R"(target_link_libraries\(\s*skylog_\w+([^)]*)\))");
    static const std::regex library(R"(skylog::(\w+))");
    for (auto c = std::sregex_iterator(text.begin(), text.end(), call); c != std::sregex_iterator(); ++c) {
        const std::string arguments = (*c)[1];
        const auto end = std::sregex_iterator();
        for (auto l = std::sregex_iterator(arguments.begin(), arguments.end(), library); l != end; ++l)
            linked.insert((*l)[1] == "common" ? std::string("Common") : std::string((*l)[1]));
    }
    return linked;
}

TEST(EngineLayers, IncludesFollowTheOrderAndLibrariesLinkWhatTheyInclude) {
    static const std::regex include(R"(^\s*#\s*include\s*"([^"/]+)/)");
    std::map<std::string, std::set<std::string>> used;
    for (const Source& source : EngineSources()) {
        for (const std::string& line : source.lines) {
            std::smatch m;
            if (!std::regex_search(line, m, include)) continue;
            const std::string target = m[1];
            EXPECT_GE(Rank(target), 0) << source.name << " includes outside the engine: " << line;
            EXPECT_LE(Rank(target), Rank(source.folder)) << source.name << " includes a folder above it: " << line;
            if (target != source.folder) used[source.folder].insert(target);
        }
    }
    for (const std::string& folder : kOrder) {
        if (folder == "Common") continue;
        EXPECT_EQ(LinkedFolders(folder), used[folder]) << folder << "/CMakeLists.txt";
    }
}

TEST(EngineLayers, NoProcessWideState) {
    // A variable with static storage that is not constant: function-local or at
    // namespace scope. Thread-local state (the write batch of one flush, caches keyed by
    // what they cache) serves one call at a time and is no hook.
    static const std::regex staticVariable(
        R"(^\s*(?:alignas\([^)]*\)\s*)?static\s+)"
        R"((?!constexpr\b|const\b|thread_local\b|inline\b|_assert)([^;(=]*?)\s*(?:=|;|\{))");
    static const std::regex namespaceVariable(
        R"(^(?!(?:constexpr|inline|const|static|thread_local|using|namespace|class|struct|enum|template|)"
        R"(typedef|extern|friend|return)\b)[A-Za-z_][\w:<>,\s*&]*[\s*&](\w+)\s*(?:=[^=]|\{[^}]*\}\s*;|;))");
    static const std::regex systemClock(R"(\bCurrentDateTime\s*\()");
    for (const Source& source : EngineSources()) {
        if (!kWithoutGlobals.contains(source.folder)) continue;
        for (const std::string& line : source.lines) {
            std::smatch m;
            if (std::regex_search(line, m, staticVariable) || std::regex_search(line, m, namespaceVariable)) {
                const std::string declared = m[1];
                const std::string name = declared.substr(declared.find_last_of(" *&") + 1);
                EXPECT_TRUE(kAllowedStatics.contains({source.name, name})) << source.name << ": " << line;
            }
            // The run's clock, never the system's, outside the clock itself.
            if (source.folder == "Common") continue;
            EXPECT_FALSE(std::regex_search(line, systemClock)) << source.name << ": " << line;
        }
    }
}

}  // namespace
}  // namespace skylog
