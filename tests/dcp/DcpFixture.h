#pragma once
// A working directory of its own, a run environment with recorded message boxes, a
// beacon list on it and helpers to build beacons and blocks.

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "Common/DateTime.h"
#include "Common/UUtils.h"
#include "dcp/UDCPList.h"
#include "k7/UEvenement.h"
#include "k7/UK7File.h"
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
    // An event of type 0x10 whose one data byte is the given value, and the texts of such
    // events.
    static void AddEvent(TK7File& file, uint8_t value) {
        const uint8_t bytes[] = {0x10, 5, value, 0xFE, 5};
        auto event = std::make_unique<TEvenement>(&file);
        event->SetEvt(FramedEventText(bytes, sizeof bytes));
        file.AppendEvent(std::move(event));
    }
    static std::vector<std::string> Evts(std::initializer_list<uint8_t> values) {
        std::vector<std::string> texts;
        for (uint8_t value : values) texts.push_back("1005" + ByteToHexString(value) + "FE05");
        return texts;
    }
    // The K7 file of instrument 45 on a day of March 2005, and what it holds on disk.
    std::string K7Path(int day = 7) const {
        return dir_.Path() + "DataK7/2005_03_0" + std::to_string(day) + "/P045_2005030" + std::to_string(day) + ".K7";
    }
    static std::unique_ptr<TK7File> OnDisk(const std::string& path) {
        auto file = std::make_unique<TK7File>();
        EXPECT_TRUE(file->LoadFromFile(path));
        return file;
    }
    static std::vector<std::string> EventsOnDisk(const std::string& path) {
        const auto file = OnDisk(path);
        std::vector<std::string> texts;
        for (const auto& event : file->Events()) texts.push_back(event->Evt());
        return texts;
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
