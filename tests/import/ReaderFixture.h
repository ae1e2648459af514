#pragma once
// A beacon list of three beacons installed in Run().Beacons, a temporary working
// directory and the reader, for the import tests. Settings touched are restored.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "Common/DateTime.h"
#include "Common/RunObjects.h"
#include "Common/Settings.h"
#include "dcp/UDCPList.h"
#include "import/UDecodFile.h"
#include "tests/support/TempDir.h"

namespace skylog::test {

using Strings = std::vector<std::string>;

inline TDateTime At(int y, int mo, int d, int h, int mi, int s) { return *EncodeDateTime(y, mo, d, h, mi, s); }

class ReaderTest : public ::testing::Test {
protected:
    void SetUp() override {
        savedDateNew_ = Settings().DCPDateNew;
        savedWorkDir_ = Settings().WorkDir;
        Settings().WorkDir = dir.Path();
        list = std::make_unique<TDCPList>(dir.File("DcpList.inf"));
        lampedusa = AddBeacon("4711", "Lampedusa");
        goes = AddBeacon("CE123456", "Carpentras");
        bru = AddBeacon("5522", "Brussels");
        skylog::Run().Beacons = list.get();
        skylog::Run().Reader = &reader;
    }
    void TearDown() override {
        skylog::Run().Beacons = nullptr;
        skylog::Run().Reader = nullptr;
        Settings().DCPDateNew = savedDateNew_;
        Settings().WorkDir = savedWorkDir_;
    }

    TDCP* AddBeacon(std::string_view number, std::string_view name) {
        auto beacon = std::make_unique<TDCP>();
        beacon->Number = number;
        beacon->Name = name;
        return list->Add(std::move(beacon));
    }

    // The bodies of a beacon's blocks in list order: block count and contents in one check.
    static Strings Bodies(const TDCP* beacon) {
        Strings bodies;
        for (const auto& b : beacon->Blocks) bodies.emplace_back(b->Body.begin(), b->Body.begin() + b->BodyLength);
        return bodies;
    }
    // The reader's errors as "code@line S1".
    Strings ErrorList() const {
        Strings errors;
        for (const auto& e : reader.Errors)
            errors.push_back(std::to_string(e.Code) + "@" + std::to_string(e.Line) + " " + e.S1);
        return errors;
    }

    TempDir dir;
    std::unique_ptr<TDCPList> list;
    TDCP* lampedusa = nullptr;
    TDCP* goes = nullptr;
    TDCP* bru = nullptr;
    TDecodFile reader;

private:
    bool savedDateNew_ = true;
    std::string savedWorkDir_;
};

}  // namespace skylog::test
