#pragma once
// Which body characters each scenario of a decoded block, each of its fields and each
// element of its event were read from: what lets a viewer show the characters behind a
// decoded value. Conversion keeps four flags a scenario (TScenarioNotes); the
// characters are worked out again from the body and the scenario's layout when a
// TScenarioMap is built, so that an import, which never asks, pays next to nothing.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

namespace skylog {

class TDCPDataBloc;
class TEvenement;

// What conversion notes of each scenario it reads from a block, in reading order
// (TDCPDataBloc::Scenarios): four flags a scenario. Where each scenario starts is found
// again from the body (every marker with a layout before DataEnd), its entry of the
// block's Events and its error record by counting the flags before it. Fifteen
// scenarios fit in place, more take the heap: an import holds blocks by the hundred
// thousand. Rebuilt with the block's decoding; never stored on disk.
class TScenarioNotes {
public:
    static constexpr uint8_t kGaveEvent = 1;    // it added an entry to the block's Events
    static constexpr uint8_t kRaisedError = 2;  // it raised an error record (one at most)
    static constexpr uint8_t kContinues = 4;    // it ran over into the next block (at index 17)
    static constexpr uint8_t kIncomplete = 8;   // fields ran short with no next block to read them from

    TScenarioNotes() = default;
    TScenarioNotes(const TScenarioNotes& other) { *this = other; }
    TScenarioNotes& operator=(const TScenarioNotes& other);
    TScenarioNotes(TScenarioNotes&&) noexcept = default;
    TScenarioNotes& operator=(TScenarioNotes&&) noexcept = default;

    void Add(uint8_t flags);
    [[nodiscard]] size_t size() const;
    [[nodiscard]] uint8_t operator[](size_t i) const;

private:
    static constexpr size_t kInPlace = 15;
    static constexpr int kCountShift = 60;
    // Four bits a scenario from the low end, the count of those in the top four.
    uint64_t inPlace_ = 0;
    std::unique_ptr<std::vector<uint8_t>> more_;  // the scenarios after the first fifteen
};

// Body characters From .. To - 1 of one block.
struct TCharRange {
    int32_t From = 0;
    int32_t To = 0;

    [[nodiscard]] bool empty() const { return To <= From; }
    [[nodiscard]] bool Contains(int32_t index) const { return index >= From && index < To; }
    bool operator==(const TCharRange&) const = default;
};

// One field of a scenario (a date, a time, a word ...), as it was read.
struct TFieldSpan {
    int32_t Kind = 0;         // TScnFieldKind
    int32_t EventOffset = 0;  // first event byte it wrote; -1 for the end marker, written nowhere
    int32_t EventBytes = 0;   // event bytes it wrote
    // Its characters in this block; empty when it was not read here (it ran short, or
    // was read from the next block) or reads none (zero time).
    TCharRange Chars;
    // Values packed six bits a character (time, words, byte values, end marker) start
    // at this bit of Chars.From, counted from its high bit (0..5); 0 for the others.
    int32_t FirstBit = 0;
    bool InNextBlock = false;  // some or all of its characters are in the next block
};

// The characters an element of the scenario's event was read from.
struct TElementSpan {
    std::vector<TCharRange> Chars;  // in this block, in body order, adjacent runs joined
    // Packed six bits a character, its value starts at this bit of its first character
    // (counted from the high bit, 0..5); 0 for characters read whole.
    int32_t FirstBit = 0;
    bool ContinuesInNext = false;   // some of them are in the next block
};

struct TScenarioSpan {
    int32_t Marker = 0;
    TCharRange Chars;                 // the marker to the last character read in this block
    const TEvenement* Event = nullptr;  // the block's Events[EventIndex]; null when not kept
    int32_t EventIndex = -1;
    int32_t ErrorIndex = -1;          // its error record in the block's Errors; -1 none
    bool ContinuesInNext = false;     // it ran over into the next block (at index 17)
    bool Incomplete = false;          // fields ran short with no next block to read them from
    std::vector<TFieldSpan> Fields;   // in reading order
    // One per element of Event, in the event's element order; empty without an event.
    std::vector<TElementSpan> Elements;
};

// The scenarios of one decoded block with their characters. The block (and its events)
// must outlive the map; a map is built when a viewer needs it and is not kept up to
// date. A block decoded without a converter, or stopped before its scenarios, has none.
class TScenarioMap {
public:
    explicit TScenarioMap(const TDCPDataBloc& block);

    [[nodiscard]] size_t size() const { return scenarios_.size(); }
    [[nodiscard]] bool empty() const { return scenarios_.empty(); }
    [[nodiscard]] const TScenarioSpan& operator[](size_t i) const { return scenarios_[i]; }
    [[nodiscard]] std::vector<TScenarioSpan>::const_iterator begin() const { return scenarios_.begin(); }
    [[nodiscard]] std::vector<TScenarioSpan>::const_iterator end() const { return scenarios_.end(); }

    // The scenario that gave entry `eventIndex` of the block's Events (a row of its
    // decoded data).
    [[nodiscard]] std::optional<size_t> ScenarioOfEntry(size_t eventIndex) const;
    // The first scenario that gave this event (a block lists an event twice when two of
    // its scenarios are the same).
    [[nodiscard]] std::optional<size_t> ScenarioOf(const TEvenement* event) const;

    struct Position {
        size_t Scenario = 0;
        std::optional<size_t> Element;  // none: a character of the scenario no element reads
    };
    // The scenario (the last one read, when two cover it) and element a body character
    // belongs to.
    [[nodiscard]] std::optional<Position> At(int32_t index) const;

private:
    std::vector<TScenarioSpan> scenarios_;
};

}  // namespace skylog
