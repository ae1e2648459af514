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
#include "Common/RunObjects.h"
#include "Common/Settings.h"
#include "dcp/UDCPList.h"
#include "import/UDecodFile.h"
#include "k7/HostDataLoader.h"
#include "k7/UDCP_to_K7.h"
#include "k7/UEvenement.h"
#include "k7/UK7File.h"
#include "managers/UManagers.h"
#include "tests/support/TempDir.h"
#include "tools/gen/RandomSet.h"

namespace skylog::gen {
namespace {

namespace fs = std::filesystem;

class RoundTrip : public ::testing::Test {
protected:
    RoundTrip() : saved_(Settings()) {
        host_ = LoadHostData(std::string(SKYLOG_SOURCE_DIR) + "/sample/host");
        InstallHostData(*host_);
    }
    ~RoundTrip() override {
        beacons_.reset();
        skylog::Run() = TRunObjects{};
        UninstallHostData();
        Settings() = saved_;
    }

    // Writes the set, points a run at its working directory and imports every file
    // `rounds` times, flushing and clearing after each round as the main window does.
    void Import(const GeneratedSet& set, int rounds) { Import(set, rounds, dir_.Path()); }
    void Import(const GeneratedSet& set, int rounds, const std::string& folder) {
        WriteGeneratedSet(set, folder);
        work_ = folder + "workdir/";
        Settings().WorkDir = work_;
        managers_ = std::make_unique<TManagerList>(work_ + "Managers.inf");
        skylog::Run().Managers = managers_.get();
        beacons_ = std::make_unique<TDCPList>(work_ + "DcpList.inf");
        skylog::Run().Beacons = beacons_.get();
        skylog::Run().Reader = &reader_;
        skylog::Run().Converter = &converter_;
        for (int round = 0; round < rounds; ++round) {
            for (const GeneratedFile& file : set.files) {
                // The reader rewrites its input in place; each round reads a fresh copy.
                const std::string path = folder + "input/" + file.name;
                WriteFileAtomic(path, file.bytes);
                ASSERT_EQ(reader_.ReadFile(path), 0) << file.name;
            }
            beacons_->FlushAll();
            RecordBlockErrors();
            beacons_->ClearAll();
        }
    }

    // The decoding errors of every block, shown when the comparison fails: most of them
    // are the generator's deliberate defects, the others point at the culprit.
    void RecordBlockErrors() {
        blockErrors_.clear();
        for (const auto& beacon : beacons_->Beacons) {
            for (const auto& block : beacon->Blocks) {
                for (const TDCPDataError& e : block->Errors) {
                    blockErrors_ += block->Header + ": " + std::to_string(e.Code) + " " + e.S1 + "\n";
                }
            }
        }
    }

    // Every K7 file under DataK7, as relative path -> event texts in file order.
    std::map<std::string, std::vector<std::string>> K7Files() const {
        std::map<std::string, std::vector<std::string>> files;
        const fs::path root = fs::path(work_) / "DataK7";
        if (!fs::exists(root)) return files;
        for (const auto& entry : fs::recursive_directory_iterator(root)) {
            if (!entry.is_regular_file()) continue;
            TK7File k7(entry.path().string());
            std::vector<std::string>& events = files["DataK7/" + fs::relative(entry.path(), root).generic_string()];
            for (const auto& e : k7.Events()) events.push_back(e->Evt());
        }
        return files;
    }

    // Compares file by file and names only what differs: missing and extra events.
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
            EXPECT_EQ(std::adjacent_find(got.begin(), got.end()), got.end()) << path << " holds an event twice";
        }
        for (const auto& [path, events] : actual) {
            if (!expected.count(path) && !events.empty()) ADD_FAILURE() << "unexpected K7 file " << path;
        }
        if (HasFailure()) ADD_FAILURE() << "decoding errors of the last round:\n" << blockErrors_;
    }

    test::TempDir dir_;
    TSkylogSettings saved_;
    std::unique_ptr<HostDataSet> host_;
    std::string work_;
    std::unique_ptr<TManagerList> managers_;
    std::unique_ptr<TDCPList> beacons_;
    std::string blockErrors_;
    TDecodFile reader_;
    TDCP_to_K7 converter_;
};

RandomConfig Config(uint64_t seed, bool defects) {
    RandomConfig config;
    config.seed = seed;
    config.messages = 150;
    config.beacons = 4;
    config.days = 2;
    config.filesPerFormat = 2;
    config.defects = defects;
    return config;
}

TEST_F(RoundTrip, CleanFilesGiveExactlyTheGeneratedEvents) {
    const GeneratedSet set = GenerateRandomSet(Config(1, false));
    ASSERT_GT(set.continuations, 0);
    Import(set, 1);
    ExpectExactly(set);
}

TEST_F(RoundTrip, DefectiveFilesGiveTheEventsTheirSoundScenariosCarry) {
    RandomConfig config = Config(2, true);
    config.messages = 400;
    const GeneratedSet set = GenerateRandomSet(config);
    ASSERT_GT(set.defects.size(), 5u);
    Import(set, 1);
    ExpectExactly(set);
}

TEST_F(RoundTrip, ImportingAgainAddsNothing) {
    const GeneratedSet set = GenerateRandomSet(Config(3, true));
    Import(set, 3);
    ExpectExactly(set);
}

TEST_F(RoundTrip, CommittedSampleFilesGiveTheCommittedExpectedEvents) {
    // The same set as sample/input (checked byte for byte by the generator's tests).
    RandomConfig config = Config(2005, true);
    config.messages = 300;
    config.beacons = 5;
    config.filesPerFormat = 1;
    const GeneratedSet set = GenerateRandomSet(config);
    Import(set, 2);
    ExpectExactly(set);
    EXPECT_EQ(ExpectedEventsText(set.expected),
              ReadFileBytes(std::string(SKYLOG_SOURCE_DIR) + "/sample/expected-events.txt"));
}

// More seeds on request: SKYLOG_ROUNDTRIP_SEEDS=100 runs seeds 1000 to 1099.
TEST_F(RoundTrip, ManySeedsWithDefects) {
    const char* env = std::getenv("SKYLOG_ROUNDTRIP_SEEDS");
    const int seeds = env != nullptr ? std::atoi(env) : 3;
    for (int i = 0; i < seeds && !HasFailure(); ++i) {
        RandomConfig config = Config(1000 + static_cast<uint64_t>(i), true);
        config.filesPerFormat = 1 + i % 3;
        config.beacons = 1 + i % 6;
        config.days = 1 + i % 3;
        const GeneratedSet set = GenerateRandomSet(config);
        test::TempDir dir;
        Import(set, 1 + i % 2, dir.Path());
        ExpectExactly(set);
        if (HasFailure()) ADD_FAILURE() << "seed " << 1000 + i;
        beacons_.reset();
    }
}

TEST_F(RoundTrip, MonthFirstHeadersReadWithTheMonthFirstSetting) {
    RandomConfig config = Config(4, false);
    config.dayFirst = false;
    config.formats = {StationFormat::Dcp, StationFormat::Cnrs};
    const GeneratedSet set = GenerateRandomSet(config);
    Settings().DCPDateNew = false;
    Import(set, 1);
    ExpectExactly(set);
}

}  // namespace
}  // namespace skylog::gen
