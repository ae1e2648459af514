#pragma once
// A working directory of its own, recorded message boxes and helpers to build
// beacons and blocks; settings and run objects are restored afterwards.

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "Common/DateTime.h"
#include "Common/MessageBoxes.h"
#include "Common/RunObjects.h"
#include "Common/Settings.h"
#include "dcp/UDCPList.h"
#include "tests/support/TempDir.h"

namespace skylog::test {

class DcpFixture : public ::testing::Test {
protected:
    DcpFixture() : savedSettings_(Settings()), savedRun_(skylog::Run()) {
        Settings().WorkDir = dir_.Path();
    }
    // The run objects go first: a test's own manager list is already gone when the list
    // writes DcpList.inf.
    ~DcpFixture() override {
        skylog::Run() = savedRun_;
        list_.reset();
        Settings() = savedSettings_;
    }

    // A fresh list on WorkDir + "DcpList.inf", installed as the run's beacon list.
    TDCPList& List() {
        if (!list_) {
            list_ = std::make_unique<TDCPList>(dir_.File("DcpList.inf"));
            skylog::Run().Beacons = list_.get();
        }
        return *list_;
    }
    TDCP* AddBeacon(std::string name, std::string number) {
        auto beacon = std::make_unique<TDCP>();
        beacon->Name = std::move(name);
        beacon->Number = std::move(number);
        return List().Add(std::move(beacon));
    }
    static TDCPDataBloc* AddBlock(TDCP& beacon, std::string header, TDateTime date,
                                  std::string_view body) {
        auto block = std::make_unique<TDCPDataBloc>(&beacon);
        block->Header = std::move(header);
        block->Date = date;
        block->AddBody(body);
        return beacon.AddBlock(std::move(block));
    }
    static TDateTime At(int year, int month, int day, int hour = 0, int minute = 0, int second = 0) {
        return *EncodeDateTime(year, month, day, hour, minute, second);
    }

    TempDir dir_;
    RecordingMessageBoxes boxes_;
    ScopedMessageBoxes scoped_{boxes_};

private:
    TSkylogSettings savedSettings_;
    TRunObjects savedRun_;
    std::unique_ptr<TDCPList> list_;
};

}  // namespace skylog::test
