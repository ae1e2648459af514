#include <gtest/gtest.h>

#include <vector>

#include "tools/gen/MessageBody.h"
#include "tools/gen/SixBit.h"

namespace skylog::gen {
namespace {

// Packing against the decoder's unpacking: tests/decode/convert_test.cpp.
TEST(SixBit, StreamPadsItsLastGroupWithZeroBytes) {
    EXPECT_EQ(PackByteStream(std::vector<uint8_t>{0x04, 0x10, 0x41, 0xFE}), "AAAA\x7f`@@");  // FE 00 00
}

const MessageHead kHead{.cyclicNumber = 63, .instrumentHour = 14, .instrumentMinute = 2, .instrumentSecond = 10,
                        .instrumentCode = 0xB9, .parameters = ParametersFromCountryDistrict(0x21, 0x1234),
                        .instrumentNumber = 0xC5, .beaconHour = 23, .beaconMinute = 58, .beaconSecond = 1};

// Cyclic number and instrument time in 6 bits each, the instrument code, the country and
// district and the instrument number in low nibbles, the beacon time seconds first.
TEST(MessageBody, HeadFieldsSitWhereTheDecoderReadsThem) {
    EXPECT_EQ(EncodeHead(kHead), "\x7f" "NBJ" "KI" "BA" "ABCD" "LE" "AzW");
}

TEST(MessageBody, DeclaredLengthAndEndMarkerCloseTheData) {
    EXPECT_EQ(BuildBody(kHead, "?ABCDEFG"), EncodeHead(kHead) + "?ABCDEFG" + "@Y" + "\x04]Jc");  // 17 + 8 = 25
    EXPECT_EQ(EncodeDeclaredLength(0), "@@");
    EXPECT_EQ(EncodeDeclaredLength(118), "Av");
    EXPECT_EQ(EncodeDeclaredLength(4095), "\x7f\x7f");
    // A declared length, a damaged end marker and trailing bytes as asked, for defects.
    const BodyOptions options{.declaredLength = 5, .endMarker = "\x04]Jd", .trailing = "ZZ"};
    EXPECT_EQ(BuildBody(kHead, "", options).substr(kHeadLength), "@E\x04]JdZZ");
}

TEST(MessageBody, ValuesBeyondTheirFieldsAreRefused) {
    EXPECT_THROW((void)SixBitChar(64), std::invalid_argument);
    EXPECT_THROW((void)SixBitChar(-1), std::invalid_argument);
    EXPECT_THROW((void)EncodeDeclaredLength(4096), std::invalid_argument);
    EXPECT_THROW((void)EncodeHead(MessageHead{.instrumentNumber = 256}), std::invalid_argument);
}

}  // namespace
}  // namespace skylog::gen
