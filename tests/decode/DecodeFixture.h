#pragma once
// A beacon associated with instrument 45 (type 0xA0), the host data it needs, a
// converter installed as the run's converter, and a fresh working directory.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "Common/DateTime.h"
#include "Common/RunObjects.h"
#include "Common/Settings.h"
#include "Common/UUtils.h"
#include "dcp/UDCPList.h"
#include "dcp/UDCPReport.h"
#include "k7/HostData.h"
#include "k7/UDCP_to_K7.h"
#include "k7/UEvenement.h"
#include "k7/UK7File.h"
#include "tests/decode/ScnEncoder.h"
#include "tests/support/TempDir.h"

namespace skylog::test {

inline TDateTime At(int year, int month, int day, int hour = 0, int minute = 0, int second = 0) {
    return *EncodeDateTime(year, month, day, hour, minute, second);
}

inline std::vector<int32_t> Codes(const TDCPDataBloc& block) {
    std::vector<int32_t> codes;
    for (const TDCPDataError& e : block.Errors) codes.push_back(e.Code);
    return codes;
}

class DecodeFixture : public ::testing::Test {
protected:
    static constexpr int kInstrument = 45;
    static constexpr uint8_t kType = 0xA0;

    DecodeFixture() {
        saved_ = Settings();
        Settings().WorkDir = dir_.Path();
        host_.InstrumentTypes.Types.push_back({"Photomètre A0", {"SPA00000"}, {}});
        host_.InstrumentTypes.Types.push_back({"Photomètre 12", {"SP120000"}, {}});
        EventDescriptor scn63;
        scn63.Type = 0xDF;
        scn63.Symbol = "Q";
        scn63.Description = "Scénario court";
        scn63.StatusCode = 0x68;
        host_.Dictionary.Descriptors.push_back(scn63);
        Host().InstrumentTypes = &host_.InstrumentTypes;
        Host().Dictionary = &host_.Dictionary;
        skylog::Run().Converter = &converter_;
        SetClockForTesting(At(2005, 3, 7, 12));

        beacon_ = std::make_unique<TDCP>();
        beacon_->Number = "12345";
        beacon_->Name = "Lampedusa";
        auto asso = std::make_unique<TDCPAsso>();
        asso->InstrumentNumber = kInstrument;
        asso->StartDate = At(2005, 1, 1);
        asso->EndDate = At(2005, 12, 31, 23, 59, 59);
        beacon_->AssoList.push_back(std::move(asso));
    }

    ~DecodeFixture() override {
        beacon_.reset();
        SetClockForTesting(std::nullopt);
        skylog::Run().Converter = nullptr;
        Host() = THostData{};
        Settings() = saved_;
    }

    TDCPDataBloc& AddBlock(std::string_view body, TDateTime date) {
        auto block = std::make_unique<TDCPDataBloc>(beacon_.get());
        block->Header = "12345 " + std::to_string(++headers_) + " at";
        block->Date = date;
        block->AddBody(body);
        return *beacon_->AddBlock(std::move(block));
    }

    // A block decoded on its own (no next block).
    TDCPDataBloc& Decoded(std::string_view body, TDateTime date = At(2005, 3, 7, 12)) {
        TDCPDataBloc& block = AddBlock(body, date);
        block.Decode(nullptr);
        return block;
    }

    TK7File* K7(TDateTime day) { return beacon_->GetK7File(day, kInstrument, kType); }

    TempDir dir_;
    TSkylogSettings saved_;
    HostDataSet host_;
    TDCP_to_K7 converter_;
    std::unique_ptr<TDCP> beacon_;
    int headers_ = 0;
};

}  // namespace skylog::test
