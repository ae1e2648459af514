// First-level decoding of message bodies: the fixed head, the association check,
// the end marker, and the hand-off of every scenario start to the converter. The body
// layout is in Common/MessageBodyFormat.h.

#include <algorithm>
#include <array>
#include <cmath>
#include <iterator>
#include <vector>

#include "Common/ByteScan.h"
#include "Common/MessageBodyFormat.h"
#include "Common/UUtils.h"
#include "dcp/UDCPList.h"
#include "dcp/UDCPReport.h"
#include "dcp/UDCP_to_K7.h"
#include "k7/UInstrument.h"

namespace skylog {

namespace {

using namespace body;

constexpr int32_t kMinStatusSize = 20;  // the viewer reads at least this many classes

bool IsSixBit(uint8_t byte) { return byte >= kSixBitFirst && byte <= kSixBitLast; }

// ASCII upper case: the marker is ASCII, and no byte outside a-z has an ASCII capital
// for its upper case in any locale the program may run under.
uint8_t AsciiUpper(uint8_t c) { return c >= 'a' && c <= 'z' ? static_cast<uint8_t>(c - 32) : c; }

bool StartsWithNoData(const uint8_t* body, int32_t length) {
    if (length < static_cast<int32_t>(kNoData.size()) + 1) return false;
    for (size_t i = 0; i < kNoData.size(); ++i)
        if (AsciiUpper(body[i]) != static_cast<unsigned char>(kNoData[i])) return false;
    return true;
}

// First scenario marker in from .. end - 1, or end. Markers are rare among the 6-bit
// characters of a body.
int32_t NextScenarioMarker(std::string_view data, int32_t from) {
    auto i = static_cast<size_t>(from);
    while ((i = FindByteBelow(data, i, kLastScenarioMarker + 1)) < data.size() &&
           static_cast<uint8_t>(data[i]) < kFirstScenarioMarker)
        ++i;
    return static_cast<int32_t>(i);
}

// Time of day from three 6-bit characters; false when they do not form a time.
bool HeadTime(uint8_t hours, uint8_t minutes, uint8_t seconds, TDateTime& out) {
    if (!IsSixBit(hours) || !IsSixBit(minutes) || !IsSixBit(seconds)) return false;
    return TryEncodeTime(hours - kSixBitFirst, minutes - kSixBitFirst, seconds - kSixBitFirst, 0, out);
}

int32_t LowNibble(uint8_t byte) { return byte & 0x0F; }

// A block outside a list knows no instrument type and converts nothing.
const TStoreContext* ContextOf(const TDCPDataBloc& block) {
    return block.Beacon != nullptr && block.Beacon->Owner != nullptr ? &block.Beacon->Owner->Context() : nullptr;
}

}  // namespace

void TDCPDataBloc::Decode(TDCPDataBloc* next) {
    if (Decoded) return;
    Decoded = true;
    // Never read past the buffer, whatever BodyLength says.
    const int32_t length = std::min<int32_t>(BodyLength, static_cast<int32_t>(Body.size()));
    ByteStatus.assign(static_cast<size_t>(std::max(length, kMinStatusSize)), kByteNotExamined);
    if (DecodeHead(length) && MatchesAssociation()) {
        FindEndMarker(length);
        OfferScenarios(next);
    }
    if (Beacon != nullptr && Beacon->Owner != nullptr) Beacon->Owner->CountDecoded(*this);
}

void TDCPDataBloc::SetClasses(int32_t from, int32_t to, uint8_t byteClass) {
    if (from <= to) ByteStatus.SetRange(static_cast<size_t>(from), static_cast<size_t>(to) + 1, byteClass);
}

bool TDCPDataBloc::DecodeHead(int32_t length) {
    const uint8_t* b = Body.data();
    if (StartsWithNoData(b, length)) {
        SetClasses(0, static_cast<int32_t>(kNoData.size()) - 1, kByteNoData);
        AddError(kErrNoData);
        return false;
    }
    if (length < kHeadLength) {
        AddError(kErrTooShort);
        return false;
    }

    const uint8_t cyclic = b[kCyclicNumberAt];
    CyclicNumber = IsSixBit(cyclic) ? cyclic - kSixBitFirst : -1;
    ByteStatus.Set(kCyclicNumberAt, IsSixBit(cyclic) ? kByteValid : kByteOutOfRange);
    if (!IsSixBit(cyclic)) AddError(kErrCyclicNumber);
    SetClasses(kCyclicNumberAt + 1, kHeadLength - 1, kByteParameter);
    bool outOfRange = false;
    for (int32_t i = kCyclicNumberAt + 1; i < kHeadLength; ++i) {
        if (IsSixBit(b[i])) continue;
        ByteStatus.Set(static_cast<size_t>(i), kByteOutOfRange);
        if (!outOfRange) AddError(kErrParameterBytes);
        outOfRange = true;
    }

    const int32_t type = kInstrumentTypeAt;
    InstrumentCode = static_cast<uint8_t>(LowNibble(b[type]) * 16 + LowNibble(b[type + 1]));
    const TStoreContext* context = ContextOf(*this);
    if (IsUnknownInstrumentCode(context != nullptr ? context->Host.InstrumentTypes : nullptr, InstrumentCode)) {
        SetClasses(type, type + 1, kByteUnknown);
        AddError(kErrUnknownInstrument);
    }
    InstrumentNumber = LowNibble(b[kInstrumentNumberAt]) * 16 + LowNibble(b[kInstrumentNumberAt + 1]);

    const int32_t instrument = kInstrumentTimeAt;
    const bool instrumentTime = HeadTime(b[instrument], b[instrument + 1], b[instrument + 2], InstrumentTime);
    SetClasses(instrument, instrument + 2, instrumentTime ? kByteTime : kByteMalformed);
    if (!instrumentTime) {
        AddError(kErrInstrumentTime);
        InstrumentTime = 0;
    }
    const int32_t beacon = kBeaconTimeAt;
    const bool beaconTime = HeadTime(b[beacon + 2], b[beacon + 1], b[beacon], DCPTime);
    SetClasses(beacon, beacon + 2, beaconTime ? kByteTime : kByteMalformed);
    if (!beaconTime) {
        AddError(kErrDCPTime);
        DCPTime = 0;
    }

    const uint8_t* p = b + kParametersAt;
    Latitude = LowNibble(p[0]) * 4096 + LowNibble(p[1]) * 256 + LowNibble(p[2]) * 16 + LowNibble(p[3]) - 32768;
    Longitude = p[4] * 256 + p[5] - 16448;
    Country = LowNibble(p[0]) * 16 + LowNibble(p[1]);
    District = LowNibble(p[2]) * 4096 + LowNibble(p[3]) * 256 + LowNibble(p[4]) * 16 + LowNibble(p[5]);
    IgnoredBytes = 0;
    TrailingBytes = 0;
    return true;
}

bool TDCPDataBloc::MatchesAssociation() {
    const TDCPAsso* asso = Beacon != nullptr ? Beacon->FindAsso(Date) : nullptr;
    if (asso == nullptr) {
        AddError(kErrNoAssociation);
        return false;
    }
    if (asso->InstrumentNumber != InstrumentNumber) {
        AddError(kErrWrongInstrument, std::to_string(asso->InstrumentNumber), std::to_string(InstrumentNumber));
        return false;
    }
    return true;
}

// From the last byte back over the last ten (never byte 0): the first byte 4 followed by
// the rest of the marker. Every byte 4 met, and the marker bytes after it, get a class.
void TDCPDataBloc::FindEndMarker(int32_t length) {
    const uint8_t* b = Body.data();
    const auto marker = reinterpret_cast<const uint8_t*>(kEndMarker.data());
    DataEnd = length;
    EndMarkerFound = false;
    const int32_t lowest = std::max(1, length - kEndMarkerSearch);
    for (int32_t i = length - 1; i >= lowest && !EndMarkerFound; --i) {
        if (b[i] != marker[0]) continue;
        ByteStatus.Set(static_cast<size_t>(i), kByteParameter);
        const auto markerSize = static_cast<int32_t>(kEndMarker.size());
        if (i + markerSize - 1 < length) {
            bool all = true;
            for (int32_t k = 1; k < markerSize; ++k) {
                const bool match = b[i + k] == marker[k];
                ByteStatus.Set(static_cast<size_t>(i + k), match ? kByteParameter : kByteMalformed);
                all = all && match;
            }
            if (all) {
                EndMarkerFound = true;
                TrailingBytes = length - (i + markerSize);
                SetClasses(i + markerSize, length - 1, kByteTrailing);
            }
        }
        DeclaredLength = 0;
        const int32_t count = i - kDeclaredLengthSize;
        if (EndMarkerFound && count >= kHeadLength) {
            DeclaredLength = (b[count] - kSixBitFirst) * 64 + (b[count + 1] - kSixBitFirst);
            SetClasses(count, i - 1, kByteParameter);
            DataEnd = count;
        }
    }
    if (!EndMarkerFound) AddError(kErrBadMessageEnd);
}

// Every byte from 17 to 63 of the scenario data is offered, including bytes inside a
// scenario already handled: the converter decides what each offer means.
void TDCPDataBloc::OfferScenarios(TDCPDataBloc* next) {
    const TStoreContext* context = ContextOf(*this);
    TDCP_to_K7* converter = context != nullptr ? context->Converter : nullptr;
    if (converter == nullptr) return;
    const std::string_view data(reinterpret_cast<const char*>(Body.data()), static_cast<size_t>(DataEnd));
    for (int32_t i = NextScenarioMarker(data, kHeadLength); i < DataEnd; i = NextScenarioMarker(data, i + 1))
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

namespace {

// Memory a decoded block takes with what hangs from it, its events included.
size_t Footprint(const TDCPDataBloc& block) {
    return sizeof(TDCPDataBloc) + block.Body.capacity() + block.Header.capacity() + block.ByteStatus.size() / 2 +
           block.Errors.size() * sizeof(TDCPDataError) + block.Events.size() * kEventFootprint;
}

using TBlockPtr = std::unique_ptr<TDCPDataBloc>;

bool EarlierDate(const TBlockPtr& a, const TBlockPtr& b) { return a->Date < b->Date; }

// Merges blocks[mid, end) into blocks[first, mid), both in date order, the first range's
// blocks before those of the same date (as a stable sort of first, then second). Each
// block of the second range finds its place by halving, from the last one down, and the
// blocks dated after it are moved up without being read.
void MergeInto(std::vector<TBlockPtr>& blocks, size_t first, size_t mid) {
    const auto at = [&blocks](size_t index) { return blocks.begin() + static_cast<std::ptrdiff_t>(index); };
    std::vector<TBlockPtr> moving(std::make_move_iterator(at(mid)), std::make_move_iterator(blocks.end()));
    size_t limit = mid;  // blocks[first, limit) are still where they were
    for (size_t j = moving.size(); j-- > 0;) {
        const auto place = std::upper_bound(at(first), at(limit), moving[j], EarlierDate);
        const size_t below = static_cast<size_t>(place - blocks.begin());
        std::move_backward(place, at(limit), at(limit + j + 1));
        blocks[below + j] = std::move(moving[j]);
        limit = below;
    }
}

// The first block of blocks[first, end) dated after the block, or null.
TDCPDataBloc* FirstAfter(const std::vector<TBlockPtr>& blocks, size_t first, size_t end, const TBlockPtr& block) {
    const auto last = blocks.begin() + static_cast<std::ptrdiff_t>(end);
    const auto found = std::upper_bound(blocks.begin() + static_cast<std::ptrdiff_t>(first), last, block, EarlierDate);
    return found == last ? nullptr : found->get();
}

// Recent blocks are merged in once they outnumber this: each merge moves about all the
// settled blocks, each file's blocks move about all the recent ones.
size_t RecentLimit(size_t settled) {
    return std::max<size_t>(64, 4 * static_cast<size_t>(std::sqrt(static_cast<double>(settled))));
}

}  // namespace

size_t TDCP::DecodeAll() {
    const size_t decoded = DecodeNew();
    Order();
    return decoded;
}

void TDCP::Order() {
    if (recentBlocks_ > 0 && settledBlocks_ + recentBlocks_ == blocks_.size()) {
        MergeInto(blocks_, 0, settledBlocks_);
        settledBlocks_ = blocks_.size();
    } else if (settledBlocks_ != blocks_.size()) {
        // Blocks not decoded yet: sorted, and the next decoding starts from scratch.
        std::stable_sort(blocks_.begin(), blocks_.end(), EarlierDate);
        settledBlocks_ = 0;
    }
    recentBlocks_ = 0;
}

size_t TDCP::DecodeNew() {
    // Blocks of the same date keep their reading order. The settled blocks, then the
    // recent ones, are as the last call left them: the new ones are sorted, and each is
    // decoded with the block after it in the order sorting everything would give (of
    // the same date: a settled block, then a recent one, then a new one), found by
    // halving. Only the new blocks, and the block after each, can need decoding or
    // counting.
    if (settledBlocks_ == 0) {
        // The recent blocks alone are in order, decoded and counted: settled.
        settledBlocks_ = recentBlocks_;
        recentBlocks_ = 0;
    }
    const bool settled = settledBlocks_ > 0;
    const size_t firstNew = settledBlocks_ + recentBlocks_;
    std::stable_sort(blocks_.begin() + static_cast<std::ptrdiff_t>(firstNew), blocks_.end(), EarlierDate);
    // The block after each new block, blocks_[firstNew + k] for after[k].
    std::vector<TDCPDataBloc*> after;
    after.reserve(blocks_.size() - firstNew);
    for (size_t i = firstNew; i < blocks_.size(); ++i) {
        TDCPDataBloc* next = i + 1 < blocks_.size() ? blocks_[i + 1].get() : nullptr;
        if (settled) {
            // Of the same date, the recent block comes before the new one, the settled
            // block before both.
            for (TDCPDataBloc* earlier : {FirstAfter(blocks_, settledBlocks_, firstNew, blocks_[i]),
                                          FirstAfter(blocks_, 0, settledBlocks_, blocks_[i])})
                if (earlier != nullptr && (next == nullptr || earlier->Date <= next->Date)) next = earlier;
        }
        after.push_back(next);
    }
    // Only decoding changes byte classes: that of the block decoded and, for a scenario
    // that runs over, of the block after it. Those are counted again; the others keep
    // their count, which is what counting them again would give. (Counting every block
    // after every file made loading many days quadratic.)
    std::vector<TDCPDataBloc*> toCount;
    toCount.reserve(settled ? 2 * after.size() : 0);
    size_t decoded = 0, footprint = 0;
    // The later block first: decoding a block reads the one after it.
    for (size_t i = blocks_.size(); i-- > firstNew;) {
        TDCPDataBloc& block = *blocks_[i];
        TDCPDataBloc* next = after[i - firstNew];
        if (settled) {
            toCount.push_back(&block);
            if (next != nullptr) toCount.push_back(next);
        }
        if (block.Decoded) continue;
        block.Decode(next);
        ++decoded;
        footprint += Footprint(block);
        block.IgnoredCounted = false;
        if (next != nullptr) next->IgnoredCounted = false;
    }
    // Each block once, however many of its neighbours were decoded.
    if (settled) {
        for (TDCPDataBloc* block : toCount)
            if (!block->IgnoredCounted) block->CountIgnoredBytes();
    } else {
        for (const auto& block : blocks_)
            if (!block->IgnoredCounted) block->CountIgnoredBytes();
    }
    if (Owner != nullptr) Owner->pendingBytes_ += footprint;

    if (!settled) {
        settledBlocks_ = blocks_.size();
        return decoded;
    }
    MergeInto(blocks_, settledBlocks_, firstNew);
    recentBlocks_ = blocks_.size() - settledBlocks_;
    if (recentBlocks_ > RecentLimit(settledBlocks_)) Order();
    return decoded;
}

}  // namespace skylog
