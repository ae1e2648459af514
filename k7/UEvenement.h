#pragma once
// One K7 event: a record of a K7 file, handed over as framed text (STX, address,
// hex bytes, ETB, checksum), checked, matched against the host's event dictionary,
// dated and split into scenario elements. Defects are recorded in ErrorCode, never
// thrown.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "Common/DateTime.h"
#include "k7/HostData.h"
#include "k7/UScnElement.h"

namespace skylog {

class TK7File;

constexpr char kSTX = '\x02';
constexpr char kETB = '\x17';
constexpr uint8_t kEmptyEventType = 0xFF;
constexpr uint8_t kEventEndMarker = 0xFE;

// ErrorCode values.
constexpr uint8_t kEvtTooSmall = 1;
constexpr uint8_t kEvtBadLength = 2;
constexpr uint8_t kEvtBadLengthCheck = 3;
constexpr uint8_t kEvtBadChecksum = 4;
constexpr uint8_t kEvtBadEndMarker = 5;

// XOR of the character codes from STX to ETB inclusive, as two uppercase hex digits.
[[nodiscard]] std::string EventChecksum(std::string_view textFromStxToEtb);
// STX, "1", the bytes as uppercase hex, ETB, checksum.
[[nodiscard]] std::string FramedEventText(const uint8_t* bytes, size_t count);
[[nodiscard]] inline std::string FramedEventText(std::string_view bytes) {
    return FramedEventText(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
}

// First descriptor of the dictionary (null = none) matching the event hex text for
// the instrument identification string; null when none does.
[[nodiscard]] const EventDescriptor* MatchEventDescriptor(const EventDictionary* dictionary,
                                                          std::string_view hex, std::string_view ident);

class TEvenement {
public:
    // The owner (may be null) gives the instrument identification and type; it must
    // outlive the event.
    explicit TEvenement(TK7File* owner);
    ~TEvenement();
    TEvenement(const TEvenement&) = delete;
    TEvenement& operator=(const TEvenement&) = delete;

    // Stores, checks and decodes; the only way an event receives its content. Every
    // earlier result (flags, date, descriptor, elements) is replaced. An event held by
    // a TK7File must not be set again: the file indexes its text.
    void SetEvt(std::string_view text);
    // The framed text as handed over; after a successful check only the hex bytes.
    [[nodiscard]] const std::string& Evt() const { return evt_; }

    bool Framed = false;
    bool Decoded = false;
    TDateTime Date = 0;
    uint8_t EvtType = 0;
    int32_t EvtLength = 0;
    bool Empty = true;
    uint8_t ErrorCode = 0;
    const EventDescriptor* Descriptor = nullptr;  // host-owned
    TK7File* Owner;                               // not owned; may be null
    std::vector<std::unique_ptr<TScnElement>> Elements;

    [[nodiscard]] std::string SymbolString() const;
    [[nodiscard]] std::string DescString() const;
    [[nodiscard]] std::string AsciiString() const;
    [[nodiscard]] std::string AsciiHeader() const;
    // Hands the owner's instrument type to every element; nothing without an owner.
    void BindInstrument();

private:
    void Decode(std::string_view hex);

    std::string evt_;
};

}  // namespace skylog
