#include "dcp/ScenarioMap.h"

#include <algorithm>

#include "Common/MessageBodyFormat.h"

#include "dcp/UDCPList.h"
#include "dcp/UDCP_to_K7.h"
#include "k7/UEvenement.h"
#include "k7/UScnElement.h"

namespace skylog {

namespace {

constexpr int32_t kBitsPerChar = 6;
constexpr int32_t kCharsPerGroup = 4;
// The four event bytes conversion writes last, over whatever a field put there: the
// type and length bytes, and the trailer (0xFE, length).
constexpr int32_t kEventHeadBytes = 2;
constexpr int32_t kEventTrailerBytes = 2;

bool IsStreamKind(int32_t kind) { return kind == kScnWord || kind == kScnByteValue || kind == kScnEndMarker; }
// Kinds whose value is packed six bits a character, as opposed to a value per character.
bool IsPacked(int32_t kind) { return kind == kScnTime || IsStreamKind(kind); }

// Walks a scenario's fields as the converter read them (TDCP_to_K7::ReadScenario and
// TScnCursor), keeping only where each field's characters lie: the same fit rules,
// the same byte stream phases, and the move to the next block at the first field that
// runs short when conversion recorded that the scenario ran over.
class FieldWalker {
public:
    FieldWalker(const TDCPDataBloc& block, int32_t marker, bool continues)
        : continues_(continues), position_(marker + 1) {
        const int32_t bodyEnd = std::min<int32_t>(block.BodyLength, static_cast<int32_t>(block.Body.size()));
        charLimit_ = std::min(block.DataEnd, bodyEnd);
        groupLimit_ = std::min(block.DataEnd + 2, bodyEnd);
    }

    [[nodiscard]] TFieldSpan Read(int32_t kind, int32_t offset) {
        TFieldSpan field{kind, kind == kScnEndMarker ? -1 : offset, ScnFieldWidth(kind), {}, 0, false};
        if (here_ && !Fits(kind)) {
            // Not read here: from the next block, or not at all (the scenario is
            // incomplete, and the next field is tried at the same place).
            if (!continues_) return field;
            here_ = false;
        }
        if (!here_) {
            ReadElsewhere(field);
            return field;
        }
        switch (kind) {
            case kScnDate: Take(field, 3); break;
            case kScnTime: Take(field, kCharsPerGroup); break;
            case kScnSmallByte:
            case kScnRawByte: Take(field, 1); break;
            case kScnWord: ReadWord(field); break;
            case kScnByteValue:
            case kScnEndMarker: ReadByte(field); break;
            default: break;
        }
        return field;
    }

private:
    [[nodiscard]] bool Fits(int32_t kind) const {
        switch (kind) {
            case kScnDate: return position_ + 3 <= charLimit_;
            case kScnTime: return position_ + kCharsPerGroup <= charLimit_;
            case kScnSmallByte:
            case kScnRawByte: return position_ + 1 <= charLimit_;
            case kScnWord:
            case kScnByteValue:
            case kScnEndMarker: return position_ + kCharsPerGroup <= groupLimit_;
            default: return true;
        }
    }

    void Take(TFieldSpan& field, int32_t count) {
        field.Chars = {position_, position_ + count};
        position_ += count;
    }

    // Bytes of a group: byte k takes bits 8k .. 8k + 7 of its four characters.
    void ReadWord(TFieldSpan& field) {
        switch (phase_) {
            case 0:  // bytes 0 and 1 of the group; byte 2 is kept for the next word
                field.Chars = {position_, position_ + 3};
                keptAt_ = position_ + 2;
                position_ += kCharsPerGroup;
                phase_ = 1;
                byteIndex_ = 2;
                break;
            case 1:  // the kept byte, then byte 0 of the group
                field.Chars = {keptAt_, position_ + 2};
                field.FirstBit = 4;
                phase_ = 2;
                byteIndex_ = 1;
                break;
            default:  // bytes 1 and 2
                field.Chars = {position_ + 1, position_ + kCharsPerGroup};
                field.FirstBit = 2;
                position_ += kCharsPerGroup;
                phase_ = 0;
                byteIndex_ = 0;
                break;
        }
    }

    void ReadByte(TFieldSpan& field) {
        if (phase_ == 1) {
            field.Chars = {keptAt_, keptAt_ + 2};
            field.FirstBit = 4;
        } else {
            field.Chars = {position_ + byteIndex_, position_ + byteIndex_ + 2};
            field.FirstBit = 2 * byteIndex_;
        }
        AfterByte();
    }

    void AfterByte() {
        ++byteIndex_;
        phase_ = 0;
        if (byteIndex_ > 2) {
            position_ += kCharsPerGroup;
            byteIndex_ = 0;
        }
    }

    // A field read after the move to the next block. Only the stream's kept byte,
    // when the last word read here left one, can still lie in this block.
    void ReadElsewhere(TFieldSpan& field) {
        field.InNextBlock = field.Kind != kScnZeroTime;
        if (!IsStreamKind(field.Kind)) return;
        const bool keptHere = phase_ == 1 && keptAt_ >= 0;
        if (keptHere) {
            field.Chars = {keptAt_, keptAt_ + 2};
            field.FirstBit = 4;
            // A byte field is the kept byte alone; a word also takes a byte there.
            field.InNextBlock = field.Kind == kScnWord;
        }
        keptAt_ = -1;
        if (field.Kind != kScnWord) {
            AfterByte();
            return;
        }
        // Only the phases matter from here on: the characters are in the next block.
        phase_ = (phase_ + 1) % 3;
        byteIndex_ = phase_ == 0 ? 0 : 3 - phase_;
    }

    bool continues_;
    bool here_ = true;
    int32_t position_;
    int32_t charLimit_ = 0;
    int32_t groupLimit_ = 0;
    int32_t phase_ = 0;
    int32_t byteIndex_ = 0;
    int32_t keptAt_ = -1;
};

// The characters event byte k of the field (0-based within what it wrote) comes from,
// on the run of characters that continues past the field's part in this block.
TCharRange LogicalCharsOfByte(const TFieldSpan& field, int32_t k) {
    const int32_t from = field.Chars.From;
    switch (field.Kind) {
        case kScnDate: return {from + k, from + k + 1};  // year, month, day: a character each
        case kScnSmallByte:
        case kScnRawByte: return {from, from + 1};
        case kScnByteValue: k = 0; [[fallthrough]];      // both event bytes come from one stream byte
        case kScnTime:
        case kScnWord: {
            const int32_t firstBit = field.FirstBit + 8 * k;
            return {from + firstBit / kBitsPerChar, from + (firstBit + 7) / kBitsPerChar + 1};
        }
        default: return {};
    }
}

void Join(std::vector<TCharRange>& ranges) {
    std::sort(ranges.begin(), ranges.end(),
              [](const TCharRange& a, const TCharRange& b) { return a.From < b.From; });
    std::vector<TCharRange> joined;
    for (const TCharRange& range : ranges) {
        if (!joined.empty() && range.From <= joined.back().To)
            joined.back().To = std::max(joined.back().To, range.To);
        else
            joined.push_back(range);
    }
    ranges = std::move(joined);
}

TElementSpan ElementSpan(const ElementDescriptor& descriptor, const std::vector<TFieldSpan>& fields,
                         int32_t eventLength) {
    TElementSpan span;
    const int32_t first = descriptor.Offset;
    const int32_t last = first + ElementByteCount(descriptor.ValueCode);
    for (int32_t byte = std::max(first, kEventHeadBytes); byte < std::min(last, eventLength - kEventTrailerBytes);
         ++byte) {
        for (const TFieldSpan& field : fields) {
            if (byte < field.EventOffset || byte >= field.EventOffset + field.EventBytes) continue;
            if (field.Chars.empty()) {
                span.ContinuesInNext = span.ContinuesInNext || field.InNextBlock;
                continue;
            }
            const int32_t k = byte - field.EventOffset;
            const TCharRange logical = LogicalCharsOfByte(field, k);
            const TCharRange here{logical.From, std::min(logical.To, field.Chars.To)};
            if (span.Chars.empty() && !here.empty() && IsPacked(field.Kind))
                span.FirstBit = (field.FirstBit + (field.Kind == kScnByteValue ? 0 : 8 * k)) % kBitsPerChar;
            if (!here.empty()) span.Chars.push_back(here);
            if (here.To < logical.To) span.ContinuesInNext = true;
        }
    }
    Join(span.Chars);
    return span;
}

const TDCP_to_K7* ConverterOf(const TDCPDataBloc& block) {
    return block.Beacon != nullptr && block.Beacon->Owner != nullptr ? block.Beacon->Owner->Context().Converter
                                                                      : nullptr;
}

}  // namespace

TScenarioNotes& TScenarioNotes::operator=(const TScenarioNotes& other) {
    if (this == &other) return *this;
    inPlace_ = other.inPlace_;
    more_ = other.more_ ? std::make_unique<std::vector<uint8_t>>(*other.more_) : nullptr;
    return *this;
}

void TScenarioNotes::Add(uint8_t flags) {
    const auto inPlace = static_cast<size_t>(inPlace_ >> kCountShift);
    if (inPlace < kInPlace) {
        inPlace_ += uint64_t{flags & 0x0Fu} << (4 * inPlace);
        inPlace_ += uint64_t{1} << kCountShift;
        return;
    }
    if (!more_) more_ = std::make_unique<std::vector<uint8_t>>();
    more_->push_back(flags);
}

size_t TScenarioNotes::size() const { return static_cast<size_t>(inPlace_ >> kCountShift) + (more_ ? more_->size() : 0); }

uint8_t TScenarioNotes::operator[](size_t i) const {
    if (i < kInPlace) return static_cast<uint8_t>((inPlace_ >> (4 * i)) & 0x0F);
    return more_ && i - kInPlace < more_->size() ? (*more_)[i - kInPlace] : 0;
}

TScenarioMap::TScenarioMap(const TDCPDataBloc& block) {
    const TDCP_to_K7* converter = ConverterOf(block);
    const TScenarioNotes& notes = block.Scenarios;
    if (converter == nullptr || notes.size() == 0) return;
    // The head's error records come first, then those of the scenarios, in order.
    size_t scenarioErrors = 0;
    for (size_t i = 0; i < notes.size(); ++i) scenarioErrors += (notes[i] & TScenarioNotes::kRaisedError) != 0;
    int32_t eventIndex = 0;
    auto errorIndex = static_cast<int32_t>(block.Errors.size() - std::min(scenarioErrors, block.Errors.size()));
    scenarios_.reserve(notes.size());
    // The markers decoding offered the converter, as it offered them: those that have a
    // layout are the scenarios noted.
    const int32_t dataEnd = std::min({block.DataEnd, block.BodyLength, static_cast<int32_t>(block.Body.size())});
    for (int32_t marker = body::kHeadLength; marker < dataEnd && scenarios_.size() < notes.size(); ++marker) {
        const uint8_t code = block.Body[static_cast<size_t>(marker)];
        if (code < body::kFirstScenarioMarker || code > body::kLastScenarioMarker) continue;
        const TDCP_Scn* layout = converter->FindLayout(code, block.InstrumentCode);
        if (layout == nullptr) continue;
        const uint8_t note = notes[scenarios_.size()];
        TScenarioSpan& span = scenarios_.emplace_back();
        span.Marker = marker;
        span.EventIndex = (note & TScenarioNotes::kGaveEvent) != 0 ? eventIndex++ : -1;
        span.ErrorIndex = (note & TScenarioNotes::kRaisedError) != 0 ? errorIndex++ : -1;
        span.ContinuesInNext = (note & TScenarioNotes::kContinues) != 0;
        span.Incomplete = (note & TScenarioNotes::kIncomplete) != 0;
        if (span.EventIndex >= 0 && static_cast<size_t>(span.EventIndex) < block.Events.size())
            span.Event = block.Events[static_cast<size_t>(span.EventIndex)];

        FieldWalker walker(block, marker, span.ContinuesInNext);
        span.Chars = {marker, marker + 1};
        for (const TDCP_ScnDesc& run : layout->Runs) {
            for (int32_t repetition = 0; repetition < run.Count; ++repetition) {
                const TFieldSpan& field =
                    span.Fields.emplace_back(walker.Read(run.Kind, run.Offset + repetition * ScnFieldWidth(run.Kind)));
                if (!field.Chars.empty()) span.Chars.To = std::max(span.Chars.To, field.Chars.To);
            }
        }
        if (span.Event == nullptr || span.Event->Descriptor == nullptr) continue;
        for (const auto& element : span.Event->Elements)
            span.Elements.push_back(ElementSpan(*element->Descriptor, span.Fields, layout->Length));
    }
}

std::optional<size_t> TScenarioMap::ScenarioOfEntry(size_t eventIndex) const {
    for (size_t i = 0; i < scenarios_.size(); ++i)
        if (scenarios_[i].EventIndex >= 0 && static_cast<size_t>(scenarios_[i].EventIndex) == eventIndex) return i;
    return std::nullopt;
}

std::optional<size_t> TScenarioMap::ScenarioOf(const TEvenement* event) const {
    if (event == nullptr) return std::nullopt;
    for (size_t i = 0; i < scenarios_.size(); ++i)
        if (scenarios_[i].Event == event) return i;
    return std::nullopt;
}

std::optional<TScenarioMap::Position> TScenarioMap::At(int32_t index) const {
    for (size_t i = scenarios_.size(); i-- > 0;) {
        const TScenarioSpan& scenario = scenarios_[i];
        if (!scenario.Chars.Contains(index)) continue;
        Position position{i, std::nullopt};
        for (size_t j = 0; j < scenario.Elements.size() && !position.Element; ++j)
            for (const TCharRange& range : scenario.Elements[j].Chars)
                if (range.Contains(index)) position.Element = j;
        return position;
    }
    return std::nullopt;
}

}  // namespace skylog
