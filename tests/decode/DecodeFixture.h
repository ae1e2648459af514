#pragma once
// A beacon associated with instrument 45 (type 0xA0), the host data it needs, a
// converter, a beacon list that gives them to the beacon, and a fresh working
// directory; the clock stands at 7 March 2005 12:00. Message bodies are written by the
// test-data generator, whose encoder is independent of the decoder.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "Common/DateTime.h"
#include "Common/UUtils.h"
#include "dcp/UDCPList.h"
#include "dcp/UDCPReport.h"
#include "dcp/UDCP_to_K7.h"
#include "k7/HostData.h"
#include "k7/HostDataLoader.h"
#include "k7/UEvenement.h"
#include "k7/UK7File.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestEnvironment.h"
#include "tools/gen/GenFormat.h"
#include "tools/gen/MessageBody.h"
#include "tools/gen/Rng.h"
#include "tools/gen/ScenarioEncoder.h"
#include "tools/gen/ScenarioTable.h"
#include "tools/gen/SixBit.h"

namespace skylog::test {

inline TDateTime At(int year, int month, int day, int hour = 0, int minute = 0, int second = 0) {
    return *EncodeDateTime(year, month, day, hour, minute, second);
}

inline std::vector<int32_t> Codes(const TDCPDataBloc& block) {
    std::vector<int32_t> codes;
    for (const TDCPDataError& e : block.Errors) codes.push_back(e.Code);
    return codes;
}

// One letter per byte class, for bytes from .. to - 1: . not examined, v valid, n NO DATA,
// o out of range, u unknown, m malformed, p parameter, t time, f first words, l later
// words, b byte value, x trailing.
inline std::string Classes(const TDCPDataBloc& block, size_t from, size_t to) {
    std::string letters;
    for (size_t i = from; i < to && i < block.ByteStatus.size(); ++i) letters += ".vnoumptflbx?????"[block.ByteStatus[i]];
    return letters;
}

// The declared length, then the end marker.
inline std::string Tail(int declared) { return gen::EncodeDeclaredLength(declared) + std::string(gen::kEndMarker); }

// A scenario of marker 63 dated 7 March 2005 (unless told otherwise) at 11:22:33, nine
// words 0x0100 to 0x0108 and the given end marker.
inline std::string Scenario(int month = 3, int day = 7, int hour = 11, uint8_t endMarker = 0xFE) {
    gen::ScenarioValues values{.month = month, .day = day, .hour = hour, .minute = 22, .second = 33, .words = {},
                               .byteValues = {}, .endMarker = endMarker};
    for (uint16_t word = 0x0100; word <= 0x0108; ++word) values.words.push_back(word);
    return gen::EncodeScenario(*gen::FindLayout(63, 0xA0), values).text;
}

// Random values of a layout that the converter reads back whole (byte values 127 and
// 128 first).
inline gen::ScenarioValues RandomValues(gen::Rng& rng, const gen::ScenarioLayout& layout) {
    gen::ScenarioValues v{.month = rng.Between(1, 12), .day = rng.Between(1, 28), .hour = rng.Between(0, 23),
                          .minute = rng.Between(0, 59), .second = rng.Between(0, 59), .words = {}, .byteValues = {},
                          .yearCodeTwenties = rng.Below(3)};
    v.byte3 = static_cast<uint8_t>(layout.CountOf(gen::FieldKind::RawByte) ? rng.Between(64, 127) : rng.Below(64));
    for (int i = layout.CountOf(gen::FieldKind::Word); i > 0; --i) v.words.push_back(static_cast<uint16_t>(rng.Next()));
    for (int i = 0; i < layout.CountOf(gen::FieldKind::ByteValue); ++i)
        v.byteValues.push_back(static_cast<uint8_t>(i < 2 ? 0x7F + i : rng.Next()));
    return v;
}

class DecodeFixture : public ::testing::Test {
protected:
    static constexpr int kInstrument = 45;
    static constexpr uint8_t kType = 0xA0;

    DecodeFixture() {
        for (const char* ident : {"SPA00000", "SP120000", "SP1A0000", "SP200000", "SPB90000", "SPBB0000"})
            host_.InstrumentTypes.Types.push_back({ident, {ident}, {}});
        host_.Dictionary.Descriptors.push_back(
            {.Symbol = "Q", .Description = "Scénario court", .Type = 0xDF, .StatusCode = 0x68});
        beacon_ = NewBeacon();
    }

    // A beacon associated with the instrument all through 2005, reaching the run through
    // the fixture's list (it is not in the list's beacons).
    std::unique_ptr<TDCP> NewBeacon() {
        auto beacon = std::make_unique<TDCP>();
        beacon->Owner = &list_;
        beacon->Number = "12345";
        beacon->Name = "Lampedusa";
        AddAsso(*beacon, At(2005, 1, 1), At(2005, 12, 31, 23, 59, 59));
        return beacon;
    }
    // Dates 0: an association that covers undated blocks only.
    static void AddAsso(TDCP& beacon, TDateTime start = 0, TDateTime end = 0) {
        beacon.AssoList.push_back(std::make_unique<TDCPAsso>());
        beacon.AssoList.back()->InstrumentNumber = kInstrument;
        beacon.AssoList.back()->StartDate = start;
        beacon.AssoList.back()->EndDate = end;
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

    // A message of the fixture's instrument unless told otherwise; the head is zero but
    // for what is given.
    static std::string Body(gen::MessageHead head = {}, const std::string& scenario = Scenario()) {
        return gen::BuildBody(Head(head), scenario);
    }
    static gen::MessageHead Head(gen::MessageHead head = {}) {
        if (head.instrumentCode == 0) head.instrumentCode = kType;
        if (head.instrumentNumber == 0) head.instrumentNumber = kInstrument;
        return head;
    }

    TK7File* K7(TDateTime day) { return beacon_->GetK7File(day, kInstrument, kType); }

    TempDir dir_;
    TestEnvironment env_{dir_.Path(), At(2005, 3, 7, 12)};
    TSkylogSettings& settings_ = env_.settings;
    HostDataSet host_;
    TDCP_to_K7 converter_{env_.settings, env_.clock};
    TDCPList list_{dir_.File("DcpList.inf"),
                   TStoreContext{env_.Env(), HostDataOf(host_), nullptr, &converter_, nullptr}};
    std::unique_ptr<TDCP> beacon_;
    int headers_ = 0;
};

}  // namespace skylog::test
