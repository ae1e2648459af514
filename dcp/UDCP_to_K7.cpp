#include "dcp/UDCP_to_K7.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "Common/MessageBodyFormat.h"
#include "Common/UUtils.h"
#include "dcp/UDCPList.h"
#include "dcp/UDCPReport.h"
#include "k7/UEvenement.h"
#include "k7/UK7File.h"

namespace skylog {

namespace {

constexpr uint8_t kSixBitBase = 0x40;
constexpr uint16_t kByteValueOutOfRange = 0xFFFC;
constexpr int32_t kMaxCyclicNumber = 63;

// The smallest of the three limits, so that no reading passes the body even when a
// block's DataEnd says otherwise.
int32_t BodyEnd(const TDCPDataBloc& block) {
    return std::min<int32_t>(block.BodyLength, static_cast<int32_t>(block.Body.size()));
}

void SetClass(TDCPDataBloc& block, int32_t index, uint8_t byteClass) {
    if (index >= 0 && index < BodyEnd(block) && index < static_cast<int32_t>(block.ByteStatus.size()))
        block.ByteStatus.Set(static_cast<size_t>(index), byteClass);
}

void Put(TDCP_Scn& layout, int32_t offset, uint8_t value) {
    if (offset >= 0 && offset < layout.Length) layout.Buffer[static_cast<size_t>(offset)] = value;
}

void PutWord(TDCP_Scn& layout, int32_t offset, uint16_t value) {
    Put(layout, offset, static_cast<uint8_t>(value >> 8));
    Put(layout, offset + 1, static_cast<uint8_t>(value & 0xFF));
}

bool FollowsCyclically(const TDCPDataBloc& block, const TDCPDataBloc& next) {
    // An unknown cyclic number (-1) proves nothing about the order of two messages.
    if (block.CyclicNumber < 0 || next.CyclicNumber < 0) return false;
    const int32_t expected = block.CyclicNumber >= kMaxCyclicNumber ? 0 : block.CyclicNumber + 1;
    return next.CyclicNumber == expected;
}

}  // namespace

int32_t ScnFieldWidth(int32_t kind) {
    switch (kind) {
        case kScnDate:
        case kScnTime:
        case kScnZeroTime: return 3;
        case kScnWord:
        case kScnByteValue: return 2;
        case kScnSmallByte:
        case kScnRawByte: return 1;
        default: return 0;
    }
}

TDCP_Scn::TDCP_Scn(uint8_t code, uint8_t k7Type, int32_t length, std::span<const uint8_t> allowedTypes,
                   std::vector<TDCP_ScnDesc> runs)
    : Code(code),
      Length(length),
      K7Type(k7Type),
      AllowedTypes(allowedTypes),
      Runs(std::move(runs)),
      Buffer(static_cast<size_t>(length), 0xFF) {}

bool TDCP_Scn::Accepts(uint8_t instrumentCode) const {
    return AllowedTypes.empty() ||
           std::find(AllowedTypes.begin(), AllowedTypes.end(), instrumentCode) != AllowedTypes.end();
}

int32_t TDCP_Scn::FieldCount() const {
    int32_t total = 0;
    for (const TDCP_ScnDesc& run : Runs) total += run.Count;
    return total;
}

int32_t ChooseScenarioYear(int32_t yearCode, int32_t referenceYear) {
    int32_t best = ExpandYear(yearCode);
    for (int32_t k = 1; k <= 4; ++k) {
        const int32_t candidate = ExpandYear(k * 20 + yearCode);
        if (std::abs(candidate - referenceYear) < std::abs(best - referenceYear)) best = candidate;
    }
    return best;
}

// --- TScnCursor ---

bool TScnCursor::CharsFit(int32_t count) const {
    return Position + count <= std::min(Block->DataEnd, BodyEnd(*Block));
}

bool TScnCursor::GroupFits() const {
    return Position + 4 <= std::min(Block->DataEnd + 2, BodyEnd(*Block));
}

uint8_t TScnCursor::Char(int32_t offset) const {
    return Block->Body[static_cast<size_t>(Position + offset)];
}

void TScnCursor::Mark(int32_t offset, int32_t count, uint8_t byteClass) const {
    // SetClass for each byte, with its bounds checked once for the run.
    const int32_t from = std::max(Position + offset, 0);
    const int32_t to = std::min({Position + offset + count, BodyEnd(*Block),
                                 static_cast<int32_t>(Block->ByteStatus.size())});
    if (from < to) Block->ByteStatus.SetRange(static_cast<size_t>(from), static_cast<size_t>(to), byteClass);
}

uint16_t TScnCursor::ReadWord() {
    const auto group = UnpackGroup(&Block->Body[static_cast<size_t>(Position)]);
    uint16_t value = 0;
    switch (Phase) {
        case 0:
            value = static_cast<uint16_t>(group[0] * 256 + group[1]);
            Kept = group[2];
            Phase = 1;
            ByteIndex = 2;
            Mark(0, 4, kByteFirstWords);
            Position += 4;
            break;
        case 1:
            value = static_cast<uint16_t>(Kept * 256 + group[0]);
            Phase = 2;
            ByteIndex = 1;
            Mark(0, 2, kByteLaterWords);
            break;
        default:
            value = static_cast<uint16_t>(group[1] * 256 + group[2]);
            Phase = 0;
            ByteIndex = 0;
            Mark(0, 4, kByteLaterWords);
            Position += 4;
            break;
    }
    return value;
}

// The first group's characters are marked as first words, the second's as later words,
// as ReadWord marks them.
bool TScnCursor::ReadThreeWords(std::array<uint16_t, 3>& words) {
    std::array<uint8_t, 6> bytes{};
    if (ReadWordTriples(bytes.data(), 1) == 0) return false;
    for (size_t k = 0; k < words.size(); ++k)
        words[k] = static_cast<uint16_t>(bytes[2 * k] * 256 + bytes[2 * k + 1]);
    return true;
}

int32_t TScnCursor::ReadWordTriples(uint8_t* out, int32_t maxTriples) {
    TDCPDataBloc& block = *Block;
    const int32_t limit = std::min(block.DataEnd + 2, BodyEnd(block));
    if (Phase != 0 || Position < 0 || maxTriples <= 0 || Position + 8 > limit) return 0;
    const int32_t count = std::min(maxTriples, (limit - Position) / 8);
    const uint8_t* chars = &block.Body[static_cast<size_t>(Position)];
    uint32_t firstGroup = 0;  // the three bytes of the last triple's first group
    for (int32_t k = 0; k < count; ++k, chars += 8, out += 6) {
        // The two groups as 24-bit numbers, their bytes big-endian.
        uint64_t word = 0;
        std::memcpy(&word, chars, sizeof word);
        constexpr uint64_t kTopBits = 0xC0C0C0C0C0C0C0C0ull, kSixBitTop = 0x4040404040404040ull;
        uint64_t groups = 0;
        if ((word & kTopBits) == kSixBitTop) {
            // Eight 6-bit characters, the usual case, packed with a few word operations
            // (byte k of word is chars[k]): pairs of characters first (a << 6 | b in each
            // 16-bit lane), then pairs of pairs (24 bits in each 32-bit lane).
            word &= ~kTopBits;
            constexpr uint64_t kLowOfPairs = 0x003F003F003F003Full, kLowOfQuads = 0x0000FFFF0000FFFFull;
            const uint64_t pairs = (word & kLowOfPairs) << 6 | (word >> 8 & kLowOfPairs);
            groups = (pairs & kLowOfQuads) << 12 | (pairs >> 16 & kLowOfQuads);
        } else {
            // Other characters give what UnpackGroup's arithmetic gives them.
            const auto a = UnpackGroup(chars), b = UnpackGroup(chars + 4);
            groups = uint64_t{a[0]} << 16 | uint64_t{a[1]} << 8 | a[2] | uint64_t{b[0]} << 48 | uint64_t{b[1]} << 40 |
                     uint64_t{b[2]} << 32;
        }
        firstGroup = static_cast<uint32_t>(groups & 0xFFFFFF);
        // The six bytes in memory order: first group then second, each big-endian.
        const uint64_t bytes = __builtin_bswap64(uint64_t{firstGroup} << 40 | (groups >> 32 & 0xFFFFFF) << 16);
        std::memcpy(out, &bytes, 6);
    }
    // Classes: four characters of first words, four of later words, per triple.
    const int32_t end = Position + 8 * count;
    const auto classCount = static_cast<int32_t>(std::min<size_t>(block.ByteStatus.size(), INT32_MAX));
    if (end <= classCount) {
        constexpr uint8_t kFirst = kByteFirstWords, kLater = kByteLaterWords;
        uint8_t* packed = block.ByteStatus.PackedData() + Position / 2;
        if ((Position & 1) == 0) {
            for (int32_t k = 0; k < count; ++k, packed += 4) {
                packed[0] = packed[1] = kFirst * 0x11;
                packed[2] = packed[3] = kLater * 0x11;
            }
        } else {
            // Shifted by one entry: the first and last bytes are shared with neighbours.
            const auto lastHigh = static_cast<uint8_t>(packed[4 * count] & 0xF0);
            *packed = static_cast<uint8_t>((*packed & 0x0F) | kFirst << 4);
            ++packed;
            for (int32_t k = 0; k < count; ++k, packed += 4) {
                packed[0] = kFirst * 0x11;
                packed[1] = kFirst | kLater << 4;
                packed[2] = kLater * 0x11;
                packed[3] = kLater | kFirst << 4;
            }
            packed[-1] = static_cast<uint8_t>(kLater | lastHigh);
        }
    } else {
        const int32_t classLimit = std::min(BodyEnd(block), classCount);
        const auto mark = [&block, classLimit](int32_t from, int32_t to, uint8_t byteClass) {
            to = std::min(to, classLimit);
            if (from < to) block.ByteStatus.SetRange(static_cast<size_t>(from), static_cast<size_t>(to), byteClass);
        };
        for (int32_t from = Position; from < end; from += 8) {
            mark(from, from + 4, kByteFirstWords);
            mark(from + 4, from + 8, kByteLaterWords);
        }
    }
    Kept = static_cast<uint8_t>(firstGroup);
    ByteIndex = 0;
    Position = end;
    return count;
}

uint8_t TScnCursor::ReadByte(bool& keptByte) {
    uint8_t value = 0;
    keptByte = Phase == 1;
    if (keptByte) {
        value = Kept;
    } else {
        value = UnpackGroup(&Block->Body[static_cast<size_t>(Position)])[static_cast<size_t>(ByteIndex)];
        Mark(ByteIndex, 2, kByteByteValue);
    }
    ++ByteIndex;
    Phase = 0;
    if (ByteIndex > 2) {
        Position += 4;
        ByteIndex = 0;
    }
    return value;
}

// --- TDCP_to_K7 ---

struct TDCP_to_K7::Reading {
    Reading(TDCPDataBloc& block, TDCPDataBloc* nextBlock, int32_t position)
        : start(&block), next(nextBlock), cursor(block, position) {}
    TDCPDataBloc* start;
    TDCPDataBloc* next;
    TScnCursor cursor;
    int32_t referenceYear = 0;
    bool incomplete = false;
    bool badEnd = false;
    bool improbable = false;
    std::string improbableDate;
};

TDCP_to_K7::TDCP_to_K7(const TSkylogSettings& settings, const IClock& clock) : settings_(settings), clock_(clock) {
    const std::span<const uint8_t> all;
    const std::span<const uint8_t> longTypes(kLongLayoutTypes);
    auto add = [this](uint8_t code, uint8_t type, int32_t length, std::span<const uint8_t> allowed,
                      std::vector<TDCP_ScnDesc> runs) {
        layouts_.push_back(std::make_unique<TDCP_Scn>(code, type, length, allowed, std::move(runs)));
    };
    // Measurement scenarios with a one-character sequence number at byte 3.
    auto withNumber = [](int32_t words) {
        return std::vector<TDCP_ScnDesc>{{1, kScnDate, 4}, {1, kScnSmallByte, 3}, {1, kScnTime, 7},
                                         {words, kScnWord, 10}, {1, kScnEndMarker, 0}};
    };
    auto plain = [](int32_t words, bool endMarker) {
        std::vector<TDCP_ScnDesc> runs{{1, kScnDate, 4}, {1, kScnTime, 7}, {words, kScnWord, 10}};
        if (endMarker) runs.push_back({1, kScnEndMarker, 0});
        return runs;
    };
    auto byteValues = [](int32_t count) {
        return std::vector<TDCP_ScnDesc>{{1, kScnDate, 4}, {1, kScnZeroTime, 7}, {count, kScnByteValue, 10}};
    };
    // Searched in this order: the long layouts of 60 and 40 come before the general ones.
    add(38, 0x86, 94, all, withNumber(41));
    add(37, 0x85, 166, all, withNumber(77));
    add(17, 0x80, 18, all,
        {{1, kScnDate, 4}, {1, kScnRawByte, 3}, {1, kScnTime, 7}, {4, kScnWord, 10}});
    add(60, 0xDC, 104, longTypes, plain(47, false));
    add(60, 0xDC, 86, all, plain(37, true));
    add(62, 0xDE, 62, all, plain(25, true));
    add(63, 0xDF, 30, all, plain(9, true));
    add(34, 0xE2, 30, all, plain(9, true));
    add(40, 0x88, 40, longTypes, byteValues(13));
    add(40, 0x88, 46, all, byteValues(16));
    add(43, 0x8B, 224, all, plain(106, true));
    add(46, 0x8E, 74, all, withNumber(31));
    add(45, 0x8D, 74, all, withNumber(31));
}

TDCP_Scn* TDCP_to_K7::FindLayout(uint8_t marker, uint8_t instrumentCode) const {
    for (const auto& layout : layouts_)
        if (layout->Code == marker && layout->Accepts(instrumentCode)) return layout.get();
    return nullptr;
}

void TDCP_to_K7::Convert(TDCPDataBloc& block, TDCPDataBloc* next, int32_t index) {
    if (index < 0 || index >= BodyEnd(block)) return;
    TDCP_Scn* layout = FindLayout(block.Body[static_cast<size_t>(index)], block.InstrumentCode);
    if (layout == nullptr) {
        SetClass(block, index, kByteUnknown);
        return;
    }
    SetClass(block, index, kByteValid);
    std::fill(layout->Buffer.begin(), layout->Buffer.end(), 0xFF);

    const size_t eventsBefore = block.Events.size(), errorsBefore = block.Errors.size();
    Reading reading(block, next, index + 1);
    ReadScenario(*layout, block, next, reading);
    if (reading.improbable) {
        block.AddError(kErrScnImprobableDate, reading.improbableDate);
    } else {
        Put(*layout, 0, layout->K7Type);
        Put(*layout, 1, static_cast<uint8_t>(layout->Length));
        Put(*layout, layout->Length - 2, kEventEndMarker);
        Put(*layout, layout->Length - 1, static_cast<uint8_t>(layout->Length));
        FileEvent(block, layout->Buffer, reading);
    }
    // What the scenario map needs besides the body and the layout. A scenario raises one
    // error record at most.
    uint8_t notes = 0;
    if (block.Events.size() > eventsBefore) notes |= TScenarioNotes::kGaveEvent;
    if (block.Errors.size() > errorsBefore) notes |= TScenarioNotes::kRaisedError;
    if (reading.cursor.Block != &block) notes |= TScenarioNotes::kContinues;
    if (reading.incomplete) notes |= TScenarioNotes::kIncomplete;
    block.Scenarios.Add(notes);
}

void TDCP_to_K7::ReadScenario(TDCP_Scn& layout, TDCPDataBloc& block, TDCPDataBloc* next,
                              Reading& reading) const {
    if (block.Date == 0) {
        reading.referenceYear = DecodeDate(clock_.Now()).year;
    } else {
        // A block's scenarios share its date: its year is worked out once.
        if (block.Date != yearCache_.date) yearCache_ = {block.Date, DecodeDate(block.Date).year};
        reading.referenceYear = yearCache_.year;
    }

    // A field that ran short is retried at the start of the next message when that
    // message carries the next cyclic number; otherwise the scenario is incomplete.
    // A short last field settles nothing: the scenario ends as it stands.
    const TDCP_ScnDesc* shortRun = nullptr;
    int32_t shortRepetition = 0;
    auto settle = [&] {
        while (shortRun != nullptr) {
            TScnCursor& cursor = reading.cursor;
            if (next != nullptr && cursor.Block == &block && FollowsCyclically(block, *next)) {
                cursor.Block = next;
                cursor.Position = body::kHeadLength;  // the first scenario character after the head
                if (ReadField(layout, *shortRun, shortRepetition, reading)) shortRun = nullptr;
            } else {
                reading.incomplete = true;
                shortRun = nullptr;
            }
        }
    };
    for (const TDCP_ScnDesc& run : layout.Runs) {
        int32_t repetition = 0;
        if (run.Kind == kScnWord && run.Count > 0) {
            // Most of a scenario: its words, read in one loop while they fit, then field
            // by field as below for the one that runs short.
            settle();
            repetition = ReadWords(layout, run, reading);
        }
        for (; repetition < run.Count; ++repetition) {
            settle();
            if (!ReadField(layout, run, repetition, reading)) {
                shortRun = &run;
                shortRepetition = repetition;
            }
        }
    }
}

int32_t TDCP_to_K7::ReadWords(TDCP_Scn& layout, const TDCP_ScnDesc& run, Reading& reading) const {
    TScnCursor& cursor = reading.cursor;
    // What GroupFits checks for each word; the block does not change within the loop.
    const int32_t limit = std::min(cursor.Block->DataEnd + 2, BodyEnd(*cursor.Block));
    constexpr int32_t kWidth = 2;  // ScnFieldWidth(kScnWord)
    int32_t repetition = 0;
    // Whole triples straight into the event while they fall inside it.
    if (run.Offset >= 0 && run.Offset < layout.Length) {
        const int32_t room = (layout.Length - run.Offset) / (3 * kWidth);
        const int32_t triples = std::min(run.Count / 3, room);
        repetition = 3 * cursor.ReadWordTriples(&layout.Buffer[static_cast<size_t>(run.Offset)], triples);
    }
    std::array<uint16_t, 3> words{};
    while (run.Count - repetition >= 3 && cursor.ReadThreeWords(words)) {
        const int32_t offset = run.Offset + repetition * kWidth;
        if (offset >= 0 && offset + 3 * kWidth <= layout.Length) {
            // The six bytes are in the event: no bounds check each.
            uint8_t* out = &layout.Buffer[static_cast<size_t>(offset)];
            for (const uint16_t word : words) {
                *out++ = static_cast<uint8_t>(word >> 8);
                *out++ = static_cast<uint8_t>(word & 0xFF);
            }
        } else {
            for (int32_t k = 0; k < 3; ++k) PutWord(layout, offset + k * kWidth, words[static_cast<size_t>(k)]);
        }
        repetition += 3;
    }
    for (; repetition < run.Count && cursor.Position + 4 <= limit; ++repetition)
        PutWord(layout, run.Offset + repetition * kWidth, cursor.ReadWord());
    return repetition;
}

bool TDCP_to_K7::ReadField(TDCP_Scn& layout, const TDCP_ScnDesc& run, int32_t repetition,
                           Reading& reading) const {
    TScnCursor& cursor = reading.cursor;
    TDCPDataBloc& block = *reading.start;
    const int32_t offset = run.Offset + repetition * ScnFieldWidth(run.Kind);
    switch (run.Kind) {
        case kScnDate: {
            if (!cursor.CharsFit(3)) return false;
            const int32_t yearCode = (((cursor.Char(0) - kSixBitBase) % 20) + 20) % 20;
            if (yearCode != yearChoice_.yearCode || reading.referenceYear != yearChoice_.referenceYear)
                yearChoice_ = {yearCode, reading.referenceYear, ChooseScenarioYear(yearCode, reading.referenceYear)};
            const int32_t year = yearChoice_.year;
            const int32_t month = cursor.Char(1) - kSixBitBase;
            const int32_t day = cursor.Char(2) - kSixBitBase;
            TDateTime date = 0;
            const bool valid = month >= 1 && month <= 12 && day >= 1 && day <= 31 &&
                               TryEncodeDate(year, month, day, date);
            cursor.Mark(0, 3, valid ? kByteTime : kByteMalformed);
            const TSkylogSettings& settings = settings_;
            if (valid && !settings.ImprobableDateDecod && block.Date != 0) {
                const auto days = static_cast<int64_t>(std::trunc(date - block.Date + 0.5));
                if (days > settings.LimitFutur || days < -static_cast<int64_t>(settings.LimitPasse)) {
                    reading.improbable = true;
                    reading.improbableDate = FormatDateDMY(date);
                }
            }
            Put(layout, offset, ByteToBCD(static_cast<uint8_t>(year % 100)));
            Put(layout, offset + 1, ByteToBCD(static_cast<uint8_t>(month)));
            Put(layout, offset + 2, ByteToBCD(static_cast<uint8_t>(day)));
            cursor.Position += 3;
            return true;
        }
        case kScnTime: {
            if (!cursor.CharsFit(4)) return false;
            const auto bytes = UnpackGroup(&cursor.Block->Body[static_cast<size_t>(cursor.Position)]);
            const int32_t hour = BCDToByte(bytes[0]), minute = BCDToByte(bytes[1]), second = BCDToByte(bytes[2]);
            const bool valid = hour < 24 && minute < 60 && second < 60;
            cursor.Mark(0, 4, valid ? kByteTime : kByteMalformed);
            Put(layout, offset, ByteToBCD(static_cast<uint8_t>(hour)));
            Put(layout, offset + 1, ByteToBCD(static_cast<uint8_t>(minute)));
            Put(layout, offset + 2, ByteToBCD(static_cast<uint8_t>(second)));
            cursor.Position += 4;
            return true;
        }
        case kScnSmallByte:
        case kScnRawByte: {
            if (!cursor.CharsFit(1)) return false;
            const uint8_t c = cursor.Char(0);
            cursor.Mark(0, 1, kByteValid);
            Put(layout, offset, run.Kind == kScnSmallByte ? static_cast<uint8_t>(c - kSixBitBase) : c);
            cursor.Position += 1;
            return true;
        }
        case kScnZeroTime:
            Put(layout, offset, 0);
            Put(layout, offset + 1, 0);
            Put(layout, offset + 2, 0);
            return true;
        case kScnWord:
            if (!cursor.GroupFits()) return false;
            PutWord(layout, offset, cursor.ReadWord());
            return true;
        case kScnByteValue: {
            if (!cursor.GroupFits()) return false;
            bool kept = false;
            const uint8_t value = cursor.ReadByte(kept);
            PutWord(layout, offset, value >= 128 ? kByteValueOutOfRange : value);
            return true;
        }
        case kScnEndMarker: {
            if (!cursor.GroupFits()) return false;
            const int32_t byteIndex = cursor.ByteIndex;
            const int32_t position = cursor.Position;
            bool kept = false;
            if (cursor.ReadByte(kept) != kEventEndMarker) {
                reading.badEnd = true;
                if (!kept)
                    for (int32_t i = 0; i < 2; ++i) SetClass(*cursor.Block, position + byteIndex + i, kByteMalformed);
            }
            return true;
        }
        default:
            return true;
    }
}

void TDCP_to_K7::FileEvent(TDCPDataBloc& block, std::span<const uint8_t> bytes, const Reading& reading) const {
    const TSkylogSettings& settings = settings_;
    auto fileOf = [&block](TDateTime date) -> TK7File* {
        return block.Beacon != nullptr ? block.Beacon->GetK7File(date, block.InstrumentNumber, block.InstrumentCode)
                                       : nullptr;
    };

    // Trial decoding in the file of the transmission day tells the event's own date.
    TK7File* trialFile = fileOf(block.Date);
    auto event = std::make_unique<TEvenement>(trialFile);
    event->SetFramedBytes(bytes.data(), bytes.size());
    TDateTime reference = block.Date;
    bool store = true;
    if (reading.incomplete && !settings.DecodBadJump) {
        store = false;
        block.AddError(kErrScnIncomplete, event->SymbolString(), event->AsciiString());
    } else if (event->Date == 0) {
        store = false;
        block.AddError(kErrScnBadDate, event->SymbolString(), event->AsciiString());
    } else if (event->ErrorCode == 0) {
        reference = event->Date;
    } else {
        // DecodBadTime was meant to keep such events, but an event whose checks fail
        // has no date and is already refused above; the setting changes nothing.
        store = false;
    }
    if (!store) return;

    TK7File* file = fileOf(reference);
    if (file == nullptr) return;
    if (file != trialFile) {
        // Another day's file may carry another instrument identification, which
        // chooses the event's descriptor: decode again under that owner.
        event = std::make_unique<TEvenement>(file);
        event->SetFramedBytes(bytes.data(), bytes.size());
    }
    if (event->Empty) return;

    if (reading.badEnd) {
        block.AddError(kErrScnBadEndMarker, event->DescString());
        if (!settings.DecodBadFE) return;
    }
    const TK7File::Placed placed = file->AppendEventUnlessLike(std::move(event));
    if (placed.appended && file->RemoveDuplicate()) return;
    // A block files two or three events: room for four at once spares the vector the
    // growth from one to two to four (an import fills hundreds of thousands of them).
    if (block.Events.capacity() == 0) block.Events.reserve(4);
    block.Events.push_back(placed.event);
}

}  // namespace skylog
