// Random events -> generator -> ground-station files of every format -> import ->
// K7 files: each file holds exactly the events the generator expects, once, however
// often the files are imported.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <iterator>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "Common/FileUtil.h"
#include "dcp/UDCPList.h"
#include "import/UDecodFile.h"
#include "k7/HostDataLoader.h"
#include "k7/UEvenement.h"
#include "k7/UK7File.h"
#include "plugin/USkylog.h"
#include "tests/support/TempDir.h"
#include "tools/gen/RandomSet.h"

namespace skylog::gen {
namespace {

namespace fs = std::filesystem;

class RoundTrip : public ::testing::Test {
protected:
    // Writes the set into a folder of its own, starts a run on its working directory and
    // imports every file `rounds` times, flushing and clearing after each round as the
    // main window does.
    void Import(const GeneratedSet& set, int rounds, const std::string& folder, bool dayFirst) {
        WriteGeneratedSet(set, folder);
        work_ = folder + "workdir/";
        TSkylogOptions options;
        options.settingsFile = folder + "Skylog.conf";
        options.workDirOverride = work_;
        options.host = HostDataOf(*host_);
        options.reporter = &boxes_;
        run_ = std::make_unique<TSkylog>(options);
        run_->Settings().DCPDateNew = dayFirst;
        run_->Load();
        for (int round = 0; round < rounds; ++round) {
            for (const GeneratedFile& file : set.files) {
                // The reader rewrites its input in place; each round reads a fresh copy.
                const std::string path = folder + "input/" + file.name;
                WriteFileAtomic(path, file.bytes);
                ASSERT_EQ(run_->Reader().ReadFile(path), 0) << file.name;
            }
            run_->Beacons().FlushAll();
            RecordBlockErrors();
            run_->Beacons().ClearAll();
        }
    }

    // The decoding errors of every block, shown when the comparison fails: most of them
    // are the generator's deliberate defects, the others point at the culprit.
    void RecordBlockErrors() {
        blockErrors_.clear();
        for (const auto& beacon : run_->Beacons().Beacons)
            for (const auto& block : beacon->Blocks())
                for (const TDCPDataError& e : block->Errors)
                    blockErrors_ += block->Header + ": " + std::to_string(e.Code) + " " + e.S1 + "\n";
    }

    // Every K7 file under DataK7, as relative path -> event texts in file order.
    std::map<std::string, std::vector<std::string>> K7Files() const {
        std::map<std::string, std::vector<std::string>> files;
        const fs::path root = fs::path(work_) / "DataK7";
        if (!fs::exists(root)) return files;
        for (const auto& entry : fs::recursive_directory_iterator(root)) {
            if (!entry.is_regular_file()) continue;
            TK7File k7;
            EXPECT_TRUE(k7.LoadFromFile(entry.path().string()));
            std::vector<std::string>& events = files["DataK7/" + fs::relative(entry.path(), root).generic_string()];
            for (const auto& e : k7.Events()) events.push_back(e->Evt());
        }
        return files;
    }

    // Compares file by file and names only what differs: missing and extra events (an
    // event held twice is extra once).
    void ExpectExactly(const GeneratedSet& set) {
        const auto expected = ExpectedK7Files(set.expected);
        auto actual = K7Files();
        for (const auto& [path, events] : expected) {
            std::vector<std::string> got = actual[path];
            std::sort(got.begin(), got.end());
            std::vector<std::string> missing, extra;
            std::set_difference(events.begin(), events.end(), got.begin(), got.end(), std::back_inserter(missing));
            std::set_difference(got.begin(), got.end(), events.begin(), events.end(), std::back_inserter(extra));
            for (const std::string& e : missing) ADD_FAILURE() << path << " lacks " << e;
            for (const std::string& e : extra) ADD_FAILURE() << path << " holds unexpected " << e;
        }
        for (const auto& [path, events] : actual) {
            if (!expected.count(path) && !events.empty()) ADD_FAILURE() << "unexpected K7 file " << path;
        }
        if (HasFailure()) ADD_FAILURE() << "decoding errors of the last round:\n" << blockErrors_;
    }

    std::unique_ptr<HostDataSet> host_ = LoadHostData(std::string(SKYLOG_SOURCE_DIR) + "/sample/host");
    RecordingMessageBoxes boxes_;
    std::string work_;
    std::unique_ptr<TSkylog> run_;
    std::string blockErrors_;
};

RandomConfig Config(uint64_t seed, bool defects, int messages = 150, int beacons = 4, int filesPerFormat = 2) {
    RandomConfig config;
    config.seed = seed;
    config.messages = messages;
    config.beacons = beacons;
    config.days = 2;
    config.filesPerFormat = filesPerFormat;
    config.defects = defects;
    return config;
}

// Clean and defective sets, imported once or again and again, the committed sample (the
// same set as sample/input), "at" headers written month first and read with the month-first
// setting. More seeds on request: SKYLOG_ROUNDTRIP_SEEDS=100 adds seeds 1000 to 1099.
TEST_F(RoundTrip, ImportsGiveExactlyTheGeneratedEvents) {
    struct Case {
        std::string name;
        RandomConfig config;
        int rounds = 1;
    };
    std::vector<Case> cases = {{"clean", Config(1, false)},
                               {"defective", Config(2, true, 400)},
                               {"imported three times", Config(3, true), 3},
                               {"sample", Config(2005, true, 300, 5, 1), 2},
                               {"month first", Config(4, false)}};
    cases.back().config.dayFirst = false;
    cases.back().config.formats = {StationFormat::Dcp, StationFormat::Cnrs};
    const char* env = std::getenv("SKYLOG_ROUNDTRIP_SEEDS");
    for (int i = 0, seeds = env != nullptr ? std::atoi(env) : 3; i < seeds; ++i) {
        RandomConfig config = Config(1000 + static_cast<uint64_t>(i), true, 150, 1 + i % 6, 1 + i % 3);
        config.days = 1 + i % 3;
        cases.push_back({"seed " + std::to_string(1000 + i), config, 1 + i % 2});
    }
    int continuations = 0;
    size_t defects = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const GeneratedSet set = GenerateRandomSet(c.config);
        continuations += set.continuations;
        defects += set.defects.size();
        test::TempDir dir;
        Import(set, c.rounds, dir.Path(), c.config.dayFirst);
        ExpectExactly(set);
        run_.reset();
        if (HasFailure()) break;
    }
    EXPECT_GT(continuations, 10);
    EXPECT_GT(defects, 20u);
}

}  // namespace
}  // namespace skylog::gen
