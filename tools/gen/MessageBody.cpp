#include "tools/gen/MessageBody.h"

#include <stdexcept>

#include "tools/gen/SixBit.h"

namespace skylog::gen {

namespace {

char NibbleChar(int nibble) { return static_cast<char>(kSixBitOffset | (nibble & 0x0F)); }

}  // namespace

std::array<uint8_t, 6> ParametersFromCountryDistrict(int country, int district) {
    return {static_cast<uint8_t>((country >> 4) & 0x0F), static_cast<uint8_t>(country & 0x0F),
            static_cast<uint8_t>((district >> 12) & 0x0F), static_cast<uint8_t>((district >> 8) & 0x0F),
            static_cast<uint8_t>((district >> 4) & 0x0F), static_cast<uint8_t>(district & 0x0F)};
}

std::string EncodeHead(const MessageHead& head) {
    if (head.instrumentNumber < 0 || head.instrumentNumber > 255) {
        throw std::invalid_argument("instrument number beyond two nibbles");
    }
    std::string out;
    out.reserve(kHeadLength);
    out.push_back(SixBitChar(head.cyclicNumber));
    out.push_back(SixBitChar(head.instrumentHour));
    out.push_back(SixBitChar(head.instrumentMinute));
    out.push_back(SixBitChar(head.instrumentSecond));
    out.push_back(NibbleChar(head.instrumentCode >> 4));
    out.push_back(NibbleChar(head.instrumentCode));
    for (uint8_t p : head.parameters) out.push_back(SixBitChar(p));
    out.push_back(NibbleChar(head.instrumentNumber >> 4));
    out.push_back(NibbleChar(head.instrumentNumber));
    out.push_back(SixBitChar(head.beaconSecond));
    out.push_back(SixBitChar(head.beaconMinute));
    out.push_back(SixBitChar(head.beaconHour));
    return out;
}

std::string EncodeDeclaredLength(int length) {
    if (length < 0 || length > kMaxDeclaredLength) throw std::invalid_argument("declared length beyond 12 bits");
    return {SixBitChar(length / 64), SixBitChar(length % 64)};
}

std::string BuildBody(const MessageHead& head, std::string_view scenarioData, const BodyOptions& options) {
    std::string body = EncodeHead(head);
    body += scenarioData;
    body += EncodeDeclaredLength(options.declaredLength.value_or(static_cast<int>(body.size())));
    body += options.endMarker;
    body += options.trailing;
    return body;
}

}  // namespace skylog::gen
