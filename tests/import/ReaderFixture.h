#pragma once
// A beacon list of three beacons, a temporary working directory with a run
// environment of its own, and the reader filing into the list, for the import tests.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "Common/DateTime.h"
#include "dcp/UDCPList.h"
#include "import/UDecodFile.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestEnvironment.h"

namespace skylog::test {

using Strings = std::vector<std::string>;

inline TDateTime At(int y, int mo, int d, int h, int mi, int s) { return *EncodeDateTime(y, mo, d, h, mi, s); }

class ReaderTest : public ::testing::Test {
protected:
    void SetUp() override {
        lampedusa = AddBeacon("4711", "Lampedusa");
        goes = AddBeacon("CE123456", "Carpentras");
        bru = AddBeacon("5522", "Brussels");
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
        for (const auto& b : beacon->Blocks()) bodies.emplace_back(b->Body.begin(), b->Body.begin() + b->BodyLength);
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
    TestEnvironment env{dir.Path()};
    std::unique_ptr<TDCPList> list =
        std::make_unique<TDCPList>(dir.File("DcpList.inf"), TStoreContext{env.Env(), {}, nullptr, nullptr, nullptr});
    TDCP* lampedusa = nullptr;
    TDCP* goes = nullptr;
    TDCP* bru = nullptr;
    TDecodFile reader{*list};
};

}  // namespace skylog::test
