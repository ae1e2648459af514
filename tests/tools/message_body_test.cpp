#include <gtest/gtest.h>

#include "tools/gen/MessageBody.h"

namespace skylog::gen {
namespace {

int Six(char c) { return static_cast<uint8_t>(c) - 0x40; }

MessageHead SampleHead() {
    MessageHead head;
    head.cyclicNumber = 63;
    head.instrumentHour = 14;
    head.instrumentMinute = 2;
    head.instrumentSecond = 10;
    head.instrumentCode = 0xB9;
    head.parameters = ParametersFromCountryDistrict(0x21, 0x1234);
    head.instrumentNumber = 0xC5;
    head.beaconHour = 23;
    head.beaconMinute = 58;
    head.beaconSecond = 1;
    return head;
}

TEST(MessageBody, HeadFieldsSitWhereTheDecoderReadsThem) {
    const std::string head = EncodeHead(SampleHead());
    ASSERT_EQ(head.size(), kHeadLength);
    EXPECT_EQ(Six(head[0]), 63);
    EXPECT_EQ(Six(head[1]), 14);
    EXPECT_EQ(Six(head[2]), 2);
    EXPECT_EQ(Six(head[3]), 10);
    EXPECT_EQ((head[4] & 15) * 16 + (head[5] & 15), 0xB9);
    EXPECT_EQ((head[6] & 15) * 16 + (head[7] & 15), 0x21);  // country
    EXPECT_EQ((head[8] & 15) * 4096 + (head[9] & 15) * 256 + (head[10] & 15) * 16 + (head[11] & 15), 0x1234);
    EXPECT_EQ((head[12] & 15) * 16 + (head[13] & 15), 0xC5);
    EXPECT_EQ(Six(head[14]), 1);  // beacon time, seconds first
    EXPECT_EQ(Six(head[15]), 58);
    EXPECT_EQ(Six(head[16]), 23);
    for (char c : head) {
        EXPECT_GE(static_cast<uint8_t>(c), 64);
        EXPECT_LE(static_cast<uint8_t>(c), 127);
    }
}

TEST(MessageBody, DeclaredLengthAndEndMarkerCloseTheData) {
    const std::string data = "?ABCDEFG";
    const std::string body = BuildBody(SampleHead(), data);
    ASSERT_EQ(body.size(), kHeadLength + data.size() + 2 + 4);
    EXPECT_EQ(body.substr(kHeadLength, data.size()), data);
    const size_t lengthAt = kHeadLength + data.size();
    EXPECT_EQ(Six(body[lengthAt]) * 64 + Six(body[lengthAt + 1]), static_cast<int>(lengthAt));
    EXPECT_EQ(body.substr(lengthAt + 2), kEndMarker);
}

TEST(MessageBody, DeclaredLengthUsesTwelveBits) {
    EXPECT_EQ(EncodeDeclaredLength(0), "@@");
    EXPECT_EQ(EncodeDeclaredLength(4095), "\x7f\x7f");
    EXPECT_EQ(EncodeDeclaredLength(118), "Av");
    EXPECT_THROW((void)EncodeDeclaredLength(4096), std::invalid_argument);
}

TEST(MessageBody, TrailingBytesAndDamagedMarkerAsAsked) {
    BodyOptions options;
    options.endMarker = "\x04]Jd";
    options.trailing = "ZZ";
    options.declaredLength = 5;
    const std::string body = BuildBody(SampleHead(), "", options);
    EXPECT_EQ(body.substr(kHeadLength), std::string("@E\x04]JdZZ"));
}

TEST(MessageBody, InstrumentNumberBeyondTwoNibblesIsRefused) {
    MessageHead head;
    head.instrumentNumber = 256;
    EXPECT_THROW((void)EncodeHead(head), std::invalid_argument);
}

}  // namespace
}  // namespace skylog::gen
