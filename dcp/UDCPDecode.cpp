// First-level decoding of message bodies: the fixed head, the association check,
// the end marker, and the hand-off of every scenario start to the converter.

#include <algorithm>
#include <array>
#include <cstring>
#include <span>
#include <vector>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "Common/UUtils.h"
#include "dcp/UDCPList.h"
#include "dcp/UDCPReport.h"
#include "dcp/UDCP_to_K7.h"
#include "k7/UInstrument.h"

namespace skylog {

namespace {

constexpr int32_t kHeadLength = 17;     // bytes 0..16: the fixed head
constexpr int32_t kMinStatusSize = 20;  // the viewer reads at least this many classes
constexpr int32_t kEndMarkerSearch = 10;
constexpr std::string_view kNoData = "NO DATA";
constexpr std::array<uint8_t, 3> kEndMarkerTail{']', 'J', 'c'};
constexpr uint8_t kEndMarkerFirst = 4;
constexpr uint8_t kFirstScenarioMarker = 17;
constexpr uint8_t kLastScenarioMarker = 63;

bool IsSixBit(uint8_t byte) { return byte >= 64 && byte <= 127; }

// ASCII upper case: the marker is ASCII, and no byte outside a-z has an ASCII capital
// for its upper case in any locale the program may run under.
uint8_t AsciiUpper(uint8_t c) { return c >= 'a' && c <= 'z' ? static_cast<uint8_t>(c - 32) : c; }

bool StartsWithNoData(const uint8_t* body, int32_t length) {
    if (length < static_cast<int32_t>(kNoData.size()) + 1) return false;
    for (size_t i = 0; i < kNoData.size(); ++i)
        if (AsciiUpper(body[i]) != static_cast<unsigned char>(kNoData[i])) return false;
    return true;
}

bool IsScenarioMarker(uint8_t byte) { return byte >= kFirstScenarioMarker && byte <= kLastScenarioMarker; }

// First scenario marker in from .. end - 1, or end. Markers (17 to 63) are rare among
// the 6-bit characters (64 to 127) of a body: eight bytes at a time are passed over
// while each of them has bit 6 set, which no marker has.
int32_t NextScenarioMarker(const uint8_t* body, int32_t from, int32_t end) {
    constexpr uint64_t kBit6 = 0x4040404040404040ull;
    int32_t i = from;
#if defined(__SSE2__)
    // Sixteen at a time: shifted left by one, bit 6 of each byte is the bit that
    // movemask reads.
    for (; end - i >= 16; i += 16) {
        const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(body + i));
        const unsigned clear = ~static_cast<unsigned>(_mm_movemask_epi8(_mm_slli_epi16(chunk, 1))) & 0xFFFFu;
        if (clear == 0) continue;
        for (int32_t k = __builtin_ctz(clear); k < 16; ++k)
            if (IsScenarioMarker(body[i + k])) return i + k;
    }
#endif
    while (i < end) {
        if (end - i >= 8) {
            uint64_t word = 0;
            std::memcpy(&word, body + i, sizeof word);
            if ((~word & kBit6) == 0) {
                i += 8;
                continue;
            }
        }
        for (const int32_t stop = std::min(i + 8, end); i < stop; ++i)
            if (IsScenarioMarker(body[i])) return i;
    }
    return end;
}

// Time of day from three 6-bit characters; false when they do not form a time.
bool HeadTime(uint8_t hours, uint8_t minutes, uint8_t seconds, TDateTime& out) {
    if (!IsSixBit(hours) || !IsSixBit(minutes) || !IsSixBit(seconds)) return false;
    return TryEncodeTime(hours - 64, minutes - 64, seconds - 64, 0, out);
}

int32_t LowNibble(uint8_t byte) { return byte & 0x0F; }

}  // namespace

void TDCPDataBloc::Decode(TDCPDataBloc* next) {
    if (Decoded) return;
    Decoded = true;
    // Never read past the buffer, whatever BodyLength says.
    const int32_t length = std::min<int32_t>(BodyLength, static_cast<int32_t>(Body.size()));
    ByteStatus.assign(static_cast<size_t>(std::max(length, kMinStatusSize)), kByteNotExamined);
    const uint8_t* b = Body.data();
    auto setClass = [this](int32_t from, int32_t to, uint8_t byteClass) {
        if (from <= to) ByteStatus.SetRange(static_cast<size_t>(from), static_cast<size_t>(to) + 1, byteClass);
    };

    if (StartsWithNoData(b, length)) {
        setClass(0, static_cast<int32_t>(kNoData.size()) - 1, kByteNoData);
        AddError(kErrNoData);
        return;
    }
    if (length < kHeadLength) {
        AddError(kErrTooShort);
        return;
    }

    if (IsSixBit(b[0])) {
        ByteStatus.Set(0, kByteValid);
        CyclicNumber = b[0] - 64;
    } else {
        ByteStatus.Set(0, kByteOutOfRange);
        AddError(kErrCyclicNumber);
        CyclicNumber = -1;
    }
    bool outOfRangeReported = false;
    // Usually every parameter byte is a 6-bit character: their classes are set at once.
    bool allSixBit = true;
    for (int32_t i = 1; i < kHeadLength; ++i) allSixBit = allSixBit && IsSixBit(b[i]);
    if (allSixBit) ByteStatus.SetRange(1, kHeadLength, kByteParameter);
    for (int32_t i = 1; i < kHeadLength && !allSixBit; ++i) {
        if (IsSixBit(b[i])) {
            ByteStatus.Set(static_cast<size_t>(i), kByteParameter);
        } else {
            ByteStatus.Set(static_cast<size_t>(i), kByteOutOfRange);
            if (!outOfRangeReported) AddError(kErrParameterBytes);
            outOfRangeReported = true;
        }
    }

    // A block outside a list knows no instrument type and converts nothing.
    const TStoreContext* context = Beacon != nullptr && Beacon->Owner != nullptr ? &Beacon->Owner->Context() : nullptr;
    InstrumentCode = static_cast<uint8_t>(LowNibble(b[4]) * 16 + LowNibble(b[5]));
    if (IsUnknownInstrumentCode(context != nullptr ? context->Host.InstrumentTypes : nullptr, InstrumentCode)) {
        setClass(4, 5, kByteUnknown);
        AddError(kErrUnknownInstrument);
    }
    InstrumentNumber = LowNibble(b[12]) * 16 + LowNibble(b[13]);

    setClass(1, 3, kByteTime);
    if (!HeadTime(b[1], b[2], b[3], InstrumentTime)) {
        setClass(1, 3, kByteMalformed);
        AddError(kErrInstrumentTime);
        InstrumentTime = 0;
    }
    setClass(14, 16, kByteTime);
    if (!HeadTime(b[16], b[15], b[14], DCPTime)) {
        setClass(14, 16, kByteMalformed);
        AddError(kErrDCPTime);
        DCPTime = 0;
    }

    Latitude = LowNibble(b[6]) * 4096 + LowNibble(b[7]) * 256 + LowNibble(b[8]) * 16 + LowNibble(b[9]) - 32768;
    Longitude = b[10] * 256 + b[11] - 16448;
    Country = LowNibble(b[6]) * 16 + LowNibble(b[7]);
    District = LowNibble(b[8]) * 4096 + LowNibble(b[9]) * 256 + LowNibble(b[10]) * 16 + LowNibble(b[11]);
    IgnoredBytes = 0;
    TrailingBytes = 0;

    const TDCPAsso* asso = Beacon != nullptr ? Beacon->FindAsso(Date) : nullptr;
    if (asso == nullptr) {
        AddError(kErrNoAssociation);
        return;
    }
    if (asso->InstrumentNumber != InstrumentNumber) {
        AddError(kErrWrongInstrument, std::to_string(asso->InstrumentNumber), std::to_string(InstrumentNumber));
        return;
    }

    DataEnd = length;
    EndMarkerFound = false;
    const int32_t lowest = std::max(1, length - kEndMarkerSearch);
    for (int32_t i = length - 1; i >= lowest && !EndMarkerFound; --i) {
        if (b[i] != kEndMarkerFirst) continue;
        ByteStatus.Set(static_cast<size_t>(i), kByteParameter);
        if (i + 3 < length) {
            bool all = true;
            for (int32_t k = 0; k < 3; ++k) {
                const bool match = b[i + 1 + k] == kEndMarkerTail[static_cast<size_t>(k)];
                ByteStatus.Set(static_cast<size_t>(i + 1 + k), match ? kByteParameter : kByteMalformed);
                all = all && match;
            }
            if (all) {
                EndMarkerFound = true;
                TrailingBytes = length - (i + 4);
                setClass(i + 4, length - 1, kByteTrailing);
            }
        }
        DeclaredLength = 0;
        if (EndMarkerFound && i - 2 >= kHeadLength) {
            DeclaredLength = (b[i - 2] - 64) * 64 + (b[i - 1] - 64);
            setClass(i - 2, i - 1, kByteParameter);
            DataEnd = i - 2;
        }
    }
    if (!EndMarkerFound) AddError(kErrBadMessageEnd);

    TDCP_to_K7* converter = context != nullptr ? context->Converter : nullptr;
    if (converter == nullptr) return;
    for (int32_t i = NextScenarioMarker(b, kHeadLength, DataEnd); i < DataEnd; i = NextScenarioMarker(b, i + 1, DataEnd))
        converter->Convert(*this, next, i);
}

// Runs for every block decoded and the block after it: one table lookup per class.
int32_t TDCPDataBloc::CountIgnoredBytes() {
    const size_t length = static_cast<size_t>(std::max(BodyLength, 0));
    const size_t examined = std::min(length, ByteStatus.size());
    // Ignored classes as a mask of bits, and the number of ignored classes in each
    // packed byte (two classes).
    constexpr uint16_t kIgnored = (1u << kByteNotExamined) | (1u << kByteOutOfRange) | (1u << kByteUnknown) |
                                  (1u << kByteMalformed);
    static constexpr std::array<uint8_t, 256> kIgnoredInPair = [] {
        std::array<uint8_t, 256> table{};
        for (size_t pair = 0; pair < table.size(); ++pair)
            table[pair] = static_cast<uint8_t>(((kIgnored >> (pair & 0x0F)) & 1u) + ((kIgnored >> (pair >> 4)) & 1u));
        return table;
    }();
    const uint8_t* packed = ByteStatus.Packed();
    const size_t pairs = examined / 2;
    // Four sums at once: the additions do not wait for each other.
    std::array<int32_t, 4> sums{};
    size_t i = 0;
    for (; i + 4 <= pairs; i += 4) {
        sums[0] += kIgnoredInPair[packed[i]];
        sums[1] += kIgnoredInPair[packed[i + 1]];
        sums[2] += kIgnoredInPair[packed[i + 2]];
        sums[3] += kIgnoredInPair[packed[i + 3]];
    }
    int32_t count = sums[0] + sums[1] + sums[2] + sums[3];
    for (; i < pairs; ++i) count += kIgnoredInPair[packed[i]];
    if (examined % 2 != 0) count += static_cast<int32_t>((kIgnored >> ByteStatus[examined - 1]) & 1u);
    // A byte beyond the status buffer was never examined.
    count += static_cast<int32_t>(length - examined);
    IgnoredBytes = count;
    IgnoredCounted = true;
    return count;
}

void TDCP::DecodeAll() {
    const auto byDate = [](const std::unique_ptr<TDCPDataBloc>& a, const std::unique_ptr<TDCPDataBloc>& b) {
        return a->Date < b->Date;
    };
    // Blocks of the same date keep their reading order. The blocks settled by the last
    // call are still in order: the new ones are sorted and merged in (both stable, so
    // the result is that of sorting everything), and only from the first place a new
    // block lands can anything need decoding or counting.
    size_t from = 0;
    const bool settled = settledBlocks_ > 0 && settledBlocks_ <= Blocks.size() &&
                         Blocks[settledBlocks_ - 1].get() == settledLast_ && settledLast_->Decoded;
    if (settled) {
        const auto mid = Blocks.begin() + static_cast<std::ptrdiff_t>(settledBlocks_);
        std::stable_sort(mid, Blocks.end(), byDate);
        auto first = mid;
        if (mid != Blocks.end() && byDate(*mid, *(mid - 1))) {
            first = std::upper_bound(Blocks.begin(), mid, *mid, byDate);
            std::inplace_merge(first, mid, Blocks.end(), byDate);
        }
        from = static_cast<size_t>(first - Blocks.begin());
    } else {
        std::stable_sort(Blocks.begin(), Blocks.end(), byDate);
    }
    // Only decoding changes byte classes: that of the block decoded and, for a scenario
    // that runs over, of the block after it. Those are counted again; the others keep
    // their count, which is what counting them again would give. (Counting every block
    // after every file made loading many days quadratic.)
    for (size_t i = Blocks.size(); i-- > from;) {
        // The blocks of a file are out of the caches by the time they are decoded, and
        // in date order no longer in memory order: the next ones are asked for ahead
        // (see VisitFetchingAhead).
        if (i >= from + 8) __builtin_prefetch(Blocks[i - 8].get());
        if (i >= from + 4) PrefetchRange(Blocks[i - 4]->Body.data(), Blocks[i - 4]->Body.size());
        TDCPDataBloc* next = i + 1 < Blocks.size() ? Blocks[i + 1].get() : nullptr;
        if (Blocks[i]->Decoded) continue;
        Blocks[i]->Decode(next);
        Blocks[i]->IgnoredCounted = false;
        if (next != nullptr) next->IgnoredCounted = false;
    }
    // Each block once, however many of its neighbours were decoded.
    VisitFetchingAhead(
        std::span(Blocks).subspan(from), [](const TDCPDataBloc& block) { __builtin_prefetch(block.ByteStatus.Packed()); },
        [](const std::unique_ptr<TDCPDataBloc>& block) {
            if (!block->IgnoredCounted) block->CountIgnoredBytes();
        });
    settledBlocks_ = Blocks.size();
    settledLast_ = Blocks.empty() ? nullptr : Blocks.back().get();
}

}  // namespace skylog
