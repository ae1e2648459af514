#pragma once
// One K7 event: a record of a K7 file, handed over as framed text (STX, address,
// hex bytes, ETB, checksum), checked, matched against the event dictionary of its
// file's host data, dated and split into scenario elements. Defects are recorded in
// ErrorCode, never thrown.

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
// True when the text is uppercase hex digit pairs, the form an event can hold as bytes.
[[nodiscard]] bool IsCanonicalHex(std::string_view text);
// The bytes of such a text.
[[nodiscard]] std::string BytesOfCanonicalHex(std::string_view hex);

class TEvenement;

// The scenario elements of an event, in descriptor order. They are built from the
// event's bytes when first looked at: an import files and writes hundreds of
// thousands of events whose elements nobody reads, and building them is most of the
// cost of an event in time and memory. Built late, they are exactly those that
// building at decoding would have given, bound to the same instrument types in the
// same order.
class TEventElements {
public:
    using Container = std::vector<std::unique_ptr<TScnElement>>;

    [[nodiscard]] size_t size() const { return Items().size(); }
    [[nodiscard]] bool empty() const { return Items().empty(); }
    [[nodiscard]] const std::unique_ptr<TScnElement>& operator[](size_t i) const { return Items()[i]; }
    [[nodiscard]] Container::const_iterator begin() const { return Items().begin(); }
    [[nodiscard]] Container::const_iterator end() const { return Items().end(); }

private:
    friend class TEvenement;
    explicit TEventElements(TEvenement& event) : event_(event) {}
    [[nodiscard]] const Container& Items() const;
    void Reset();

    // What only an event whose elements were looked at or bound again needs: kept out
    // of the event itself, which an import holds by the hundred thousand.
    struct Built {
        Container items;
        // Instrument types bound while the elements were pending, in order.
        std::vector<const InstrumentType*> laterBinds;
    };

    TEvenement& event_;
    // Type to bind first: the owner's at decoding (may be null, then nothing is bound).
    const InstrumentType* firstBind_ = nullptr;
    mutable std::unique_ptr<Built> built_;
    mutable bool pending_ = false;   // elements still to be built
    mutable bool building_ = false;  // being built: a filter element looks at those before it
};

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
    // The same as SetEvt(FramedEventText(bytes, count)), without building the text and
    // reading it back: the frame and checksum of such a text are right by construction.
    void SetFramedBytes(const uint8_t* bytes, size_t count);
    // The framed text as handed over; after a successful check only the hex bytes.
    [[nodiscard]] std::string Evt() const;
    // Length of Evt() without building it.
    [[nodiscard]] size_t EvtSize() const { return evt_.holdsBytes ? 2 * evt_.View().size() : evt_.View().size(); }
    // After a successful check, a text of uppercase hex digit pairs (every event read
    // from a K7 file or converted from a message) is held as its bytes: half the
    // memory, and no hex to read again when the file is written.
    [[nodiscard]] bool HoldsBytes() const { return evt_.holdsBytes; }
    // The bytes when HoldsBytes(), else the text. Two events that passed the frame
    // and checksum check have equal Evt() texts exactly when they agree on
    // HoldsBytes() and on this (an event that failed it holds any text as text).
    [[nodiscard]] std::string_view Content() const { return evt_.View(); }

    // Ordered to leave no padding: an import holds events by the hundred thousand.
    TDateTime Date = 0;
    const EventDescriptor* Descriptor = nullptr;  // host-owned
    TK7File* Owner;                               // not owned; may be null
    int32_t EvtLength = 0;
    uint8_t EvtType = 0;
    uint8_t ErrorCode = 0;
    bool Framed = false;
    bool Decoded = false;
    // Empty below goes into the padding at its end: an import holds events by the
    // hundred thousand, and the allocator rounds 88 bytes up to 96.
    [[no_unique_address]] TEventElements Elements{*this};
    bool Empty = true;

    [[nodiscard]] std::string SymbolString() const;
    [[nodiscard]] std::string DescString() const;
    [[nodiscard]] std::string AsciiString() const;
    [[nodiscard]] std::string AsciiHeader() const;
    // Hands the owner's instrument type to every element; nothing without an owner.
    void BindInstrument();
    // The host data of the owner (its dictionary decodes the event), or null: an event
    // without an owner matches no descriptor.
    [[nodiscard]] const THostData* HostData() const;

private:
    friend class TEventElements;
    void ResetState();
    template <class Source>
    void Decode(const Source& source);
    void BuildElements(TEventElements::Container& into, const InstrumentType* firstBind,
                       const std::vector<const InstrumentType*>& laterBinds);

    // The content: bytes or text (see Content), without the spare capacity and the
    // 32 bytes of a std::string.
    class Storage {
    public:
        void Assign(std::string_view content);
        [[nodiscard]] std::string_view View() const { return {data_.get(), size_}; }

    private:
        std::unique_ptr<char[]> data_;
        uint32_t size_ = 0;

    public:
        bool holdsBytes = false;  // here, in what would be padding
    };
    Storage evt_;
};

}  // namespace skylog
