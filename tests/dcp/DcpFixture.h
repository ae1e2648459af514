#pragma once
// A working directory of its own, a run environment with recorded message boxes, a
// beacon list on it and helpers to build beacons and blocks.

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "Common/DateTime.h"
#include "dcp/UDCPList.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestEnvironment.h"

namespace skylog::test {

class DcpFixture : public ::testing::Test {
protected:
    // What a list of this fixture reaches; managers_ and host_ may be set first.
    TStoreContext Context() { return {env_.Env(), host_, managers_, nullptr, nullptr}; }
    // A list on WorkDir + "DcpList.inf", read from the file.
    std::unique_ptr<TDCPList> LoadedList() {
        auto list = std::make_unique<TDCPList>(dir_.File("DcpList.inf"), Context());
        list->LoadFromFile();
        return list;
    }
    // The fixture's list, empty until beacons are added.
    TDCPList& List() {
        if (!list_) list_ = std::make_unique<TDCPList>(dir_.File("DcpList.inf"), Context());
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
    TestEnvironment env_{dir_.Path()};
    RecordingMessageBoxes& boxes_ = env_.boxes;
    THostData host_;
    const TManagerList* managers_ = nullptr;

private:
    std::unique_ptr<TDCPList> list_;
};

}  // namespace skylog::test
