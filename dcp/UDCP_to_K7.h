#pragma once
// Conversion of the scenarios a beacon message carries (6-bit text) into the K7
// events the instrument itself would have recorded. One converter exists per run;
// the first-level decoding of a block offers it every possible scenario marker, and
// it files the events into the K7 files of the block's beacon.

#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "Common/Clock.h"
#include "Common/DateTime.h"
#include "Common/Settings.h"

namespace skylog {

class TDCPDataBloc;

enum TScnFieldKind : int32_t {
    kScnDate = 1,        // 3 characters -> BCD year, month, day
    kScnTime = 2,        // 4 characters -> BCD hour, minute, second
    kScnWord = 3,        // 2 bytes of the byte stream, big-endian
    kScnSmallByte = 4,   // 1 character, its six bits
    kScnRawByte = 5,     // 1 character, its code
    kScnByteValue = 6,   // 1 stream byte written as 16 bits (0xFFFC from 128 on)
    kScnZeroTime = 7,    // nothing read, 00 00 00 written
    kScnEndMarker = 8,   // 1 stream byte that must be 0xFE, written nowhere
};

// One run of fields: Count repetitions of Kind, the first written at byte Offset.
struct TDCP_ScnDesc {
    int32_t Count = 1;
    int32_t Kind = 0;
    int32_t Offset = 0;
};

// Bytes of the K7 event one repetition of a field kind writes.
[[nodiscard]] int32_t ScnFieldWidth(int32_t kind);

// The layout of one scenario kind.
class TDCP_Scn {
public:
    TDCP_Scn(uint8_t code, uint8_t k7Type, int32_t length, std::span<const uint8_t> allowedTypes,
             std::vector<TDCP_ScnDesc> runs);

    uint8_t Code;                            // the marker character
    int32_t Length;                          // bytes of the K7 event
    uint8_t K7Type;                          // the K7 event type
    std::span<const uint8_t> AllowedTypes;   // instrument type codes; empty accepts all
    std::vector<TDCP_ScnDesc> Runs;          // in reading order
    std::vector<uint8_t> Buffer;             // Length bytes: the event under construction

    [[nodiscard]] bool Accepts(uint8_t instrumentCode) const;
    [[nodiscard]] int32_t FieldCount() const;
};

// Three bytes carried by four 6-bit characters (each character is value + 0x40).
[[nodiscard]] inline std::array<uint8_t, 3> UnpackGroup(const uint8_t* chars) {
    constexpr int kBase = 0x40;
    const int a = chars[0] - kBase, b = chars[1] - kBase, c = chars[2] - kBase, d = chars[3] - kBase;
    return {static_cast<uint8_t>(a * 4 + (b >> 4)), static_cast<uint8_t>((b & 0x0F) * 16 + (c >> 2)),
            static_cast<uint8_t>((c & 0x03) * 64 + d)};
}

// The four-digit year of a scenario year code (0..19): the closest to the reference
// year among code, code + 20, ... code + 80 read as two-digit years; the smaller
// candidate wins a tie.
[[nodiscard]] int32_t ChooseScenarioYear(int32_t yearCode, int32_t referenceYear);

// Where a scenario is being read: a character position in the current block (which
// changes when the scenario runs over into the next message) and the state of the
// byte stream shared by words, byte values and end markers.
class TScnCursor {
public:
    TScnCursor(TDCPDataBloc& block, int32_t position) : Block(&block), Position(position) {}

    TDCPDataBloc* Block;
    int32_t Position;
    int32_t ByteIndex = 0;  // byte of the current group a byte field takes next
    int32_t Phase = 0;      // 0: word starts a group; 1: word uses the kept byte; 2: word ends a group
    uint8_t Kept = 0;

    // Characters Position .. Position + count - 1 lie before DataEnd.
    [[nodiscard]] bool CharsFit(int32_t count) const;
    // The group at Position may reach two characters past DataEnd (into the count
    // bytes) but never past the body.
    [[nodiscard]] bool GroupFits() const;
    [[nodiscard]] uint8_t Char(int32_t offset) const;
    void Mark(int32_t offset, int32_t count, uint8_t byteClass) const;

    // Both require GroupFits().
    [[nodiscard]] uint16_t ReadWord();
    // keptByte tells that the value was the kept byte (no character of its own).
    [[nodiscard]] uint8_t ReadByte(bool& keptByte);
    // Three ReadWord calls at once, when they start a cycle (Phase 0) and both groups
    // fit; false (and nothing read) otherwise.
    [[nodiscard]] bool ReadThreeWords(std::array<uint16_t, 3>& words);
    // Up to maxTriples ReadThreeWords calls at once, their words written big-endian to
    // out (six bytes each); how many were read.
    [[nodiscard]] int32_t ReadWordTriples(uint8_t* out, int32_t maxTriples);
};

class TDCP_to_K7 {
public:
    // The decoding settings (DecodBadJump, DecodBadFE, ImprobableDateDecod, LimitPasse,
    // LimitFutur) are read at each conversion; the clock gives the reference year of
    // an undated block. Both must outlive the converter.
    TDCP_to_K7(const TSkylogSettings& settings, const IClock& clock);
    TDCP_to_K7(const TDCP_to_K7&) = delete;
    TDCP_to_K7& operator=(const TDCP_to_K7&) = delete;

    [[nodiscard]] const std::vector<std::unique_ptr<TDCP_Scn>>& Layouts() const { return layouts_; }
    // First layout with this marker that accepts the instrument type, or null.
    [[nodiscard]] TDCP_Scn* FindLayout(uint8_t marker, uint8_t instrumentCode) const;

    // Converts the scenario whose marker is at `index` of the block's body; `next` is
    // the block that follows (may be null), into which a scenario may run over.
    void Convert(TDCPDataBloc& block, TDCPDataBloc* next, int32_t index);

private:
    struct Reading;
    void ReadScenario(TDCP_Scn& layout, TDCPDataBloc& block, TDCPDataBloc* next, Reading& reading) const;
    bool ReadField(TDCP_Scn& layout, const TDCP_ScnDesc& run, int32_t repetition, Reading& reading) const;
    // The words of a run from its first, while their groups fit in the message; how many.
    int32_t ReadWords(TDCP_Scn& layout, const TDCP_ScnDesc& run, Reading& reading) const;
    void FileEvent(TDCPDataBloc& block, std::span<const uint8_t> bytes, const Reading& reading) const;

    static constexpr std::array<uint8_t, 3> kLongLayoutTypes{0xA0, 0xB9, 0xBB};
    const TSkylogSettings& settings_;
    const IClock& clock_;
    std::vector<std::unique_ptr<TDCP_Scn>> layouts_;
    // The year of the block date read last (date 0: none yet); reading is const, and
    // one converter serves one run, on one thread.
    struct YearOfDate {
        TDateTime date = 0;
        int32_t year = 0;
    };
    mutable YearOfDate yearCache_;
    // The year chosen last for a scenario year code: the scenarios of a run of messages
    // carry the same code and reference year.
    struct YearChoice {
        int32_t yearCode = -1;
        int32_t referenceYear = 0;
        int32_t year = 0;
    };
    mutable YearChoice yearChoice_;
};

}  // namespace skylog
