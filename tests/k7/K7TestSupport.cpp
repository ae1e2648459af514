#include "tests/k7/K7TestSupport.h"

#include <algorithm>
#include <cctype>

#include "Common/UUtils.h"

namespace skylog::test {

std::string EventBytes(uint8_t type, uint8_t length, uint8_t byte3, const BcdStamp& stamp) {
    std::string bytes(length, '\0');
    bytes[0] = static_cast<char>(type);
    bytes[1] = static_cast<char>(length);
    if (length > 2) bytes[2] = static_cast<char>(0xFF);
    if (length > 3) bytes[3] = static_cast<char>(byte3);
    for (size_t i = 0; i < stamp.size() && 4 + i + 2 < length; ++i) bytes[4 + i] = static_cast<char>(stamp[i]);
    bytes[length - 2] = static_cast<char>(0xFE);
    bytes[length - 1] = static_cast<char>(length);
    return bytes;
}

void PutWord(std::string& event, size_t offset, uint16_t value) {
    event[offset] = static_cast<char>(value >> 8);
    event[offset + 1] = static_cast<char>(value & 0xFF);
}

std::string Framed(const std::string& bytes) { return FramedEventText(bytes); }

std::string FramedHex(const std::string& text) {
    const std::string body = "\x02" "1" + text + "\x17";
    return body + EventChecksum(body);
}

std::string Hex(const std::string& bytes) {
    return BytesToHex(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
}

std::string LowerHex(const std::string& bytes) {
    std::string hex = Hex(bytes);
    std::transform(hex.begin(), hex.end(), hex.begin(), [](char c) { return std::tolower(c); });
    return hex.replace(2 * (bytes.size() - 2), 2, "FE");
}

std::unique_ptr<TEvenement> EventOf(const std::string& text, TK7File* owner) {
    auto event = std::make_unique<TEvenement>(owner);
    event->SetEvt(text);
    return event;
}

}  // namespace skylog::test
