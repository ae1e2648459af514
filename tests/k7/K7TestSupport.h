#pragma once
// Shared fixtures of the K7 tests: event bytes built by hand, and the sample host
// data.

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "k7/HostData.h"
#include "k7/HostDataLoader.h"
#include "k7/UEvenement.h"

namespace skylog::test {

// BCD date and time bytes: yy mm dd hh nn ss.
using BcdStamp = std::array<uint8_t, 6>;
constexpr BcdStamp kMarch7th2005 = {0x05, 0x03, 0x07, 0x12, 0x30, 0x00};

// A well-formed event of the given type and length: byte 2 = 0xFF, byte 3 = byte3,
// the stamp at 4..9, zeros up to the end marker FE and the length.
[[nodiscard]] std::string EventBytes(uint8_t type, uint8_t length, uint8_t byte3 = 0x00,
                                     const BcdStamp& stamp = kMarch7th2005);
void PutWord(std::string& event, size_t offset, uint16_t value);
// The event as the file reader hands it to TEvenement.
[[nodiscard]] std::string Framed(const std::string& bytes);
// Any text framed with the right checksum: STX, "1", the text, ETB, checksum.
[[nodiscard]] std::string FramedHex(const std::string& text);
[[nodiscard]] std::string Hex(const std::string& bytes);
// Lowercase hex but for the end marker: decoded as the uppercase text, held as text.
[[nodiscard]] std::string LowerHex(const std::string& bytes);
[[nodiscard]] std::unique_ptr<TEvenement> EventOf(const std::string& text, TK7File* owner = nullptr);

// Test suites over the sample host data of the source tree, loaded once per suite.
class SampleHostDataSuite : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        data_ = LoadHostData(std::string(SKYLOG_SOURCE_DIR) + "/sample/host/");
        host_ = HostDataOf(*data_);
    }
    static void TearDownTestSuite() { data_.reset(); }
    static inline std::unique_ptr<HostDataSet> data_;
    static inline THostData host_;
};

}  // namespace skylog::test
