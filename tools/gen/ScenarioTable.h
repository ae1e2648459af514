#pragma once
// The scenario layouts a beacon can send: for each marker character, the K7 event it
// becomes and the runs of fields that fill the event.

#include <cstdint>
#include <vector>

namespace skylog::gen {

enum class FieldKind : int {
    Date = 1,       // 3 characters: year code, month, day
    Time = 2,       // 4 characters: one group holding BCD hour, minute, second
    Word = 3,       // 2 bytes of the byte stream, big-endian in the event
    SmallByte = 4,  // 1 character, its six bits
    RawByte = 5,    // 1 character, its code
    ByteValue = 6,  // 1 byte of the byte stream, 2 bytes in the event
    ZeroTime = 7,   // nothing read, 00 00 00 in the event
    EndMarker = 8,  // 1 byte of the byte stream, must be 0xFE, written nowhere
};

[[nodiscard]] bool IsStreamKind(FieldKind kind);
// Characters a field takes outside the byte stream (0 for stream kinds and zero time).
[[nodiscard]] int CharacterCount(FieldKind kind);

struct FieldRun {
    int count = 1;
    FieldKind kind = FieldKind::Word;
    int offset = -1;  // byte of the first repetition in the event; -1 for the end marker
};

struct ScenarioLayout {
    uint8_t code = 0;    // the marker character
    uint8_t k7Type = 0;  // event type byte
    int length = 0;      // event length in bytes
    std::vector<uint8_t> allowedTypes;  // instrument type codes; empty for all
    std::vector<FieldRun> runs;

    [[nodiscard]] bool Allows(uint8_t instrumentCode) const;
    [[nodiscard]] int CountOf(FieldKind kind) const;
    [[nodiscard]] bool HasEndMarker() const { return CountOf(FieldKind::EndMarker) > 0; }
};

// Every layout, in the order the converter searches them.
[[nodiscard]] const std::vector<ScenarioLayout>& ScenarioTable();
// The layout the converter picks for a marker sent by an instrument type; null when none.
[[nodiscard]] const ScenarioLayout* FindLayout(uint8_t code, uint8_t instrumentCode);
// The distinct marker characters, in table order.
[[nodiscard]] std::vector<uint8_t> ScenarioMarkers();

}  // namespace skylog::gen
