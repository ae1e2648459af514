#include "ReferenceReader.h"

#include <cstdlib>

namespace skylog::gen::test {

namespace {

struct Field {
    FieldKind kind;
    int offset;
};

int ExpandTwoDigits(int y) { return y <= 80 ? 2000 + y : 1900 + y; }

uint8_t ToBcd(int v) { return static_cast<uint8_t>((v / 10) * 16 + v % 10); }

class Reader {
public:
    Reader(const ScenarioLayout& layout, const ReferenceBlock& first, size_t markerIndex, const ReferenceBlock* next)
        : layout_(layout), block_(&first), next_(next), pos_(markerIndex + 1),
          event_(static_cast<size_t>(layout.length), 0xFF) {}

    ReferenceResult Run() {
        std::vector<Field> fields;
        for (const FieldRun& run : layout_.runs) {
            const int step = run.kind == FieldKind::Word || run.kind == FieldKind::ByteValue ? 2
                             : run.kind == FieldKind::SmallByte || run.kind == FieldKind::RawByte ? 1
                                                                                                  : 3;
            for (int i = 0; i < run.count; ++i) fields.push_back({run.kind, run.offset + step * i});
        }
        bool pending = false;
        size_t shortField = 0;
        for (size_t i = 0; i < fields.size(); ++i) {
            if (pending) {
                pending = false;
                if (next_ != nullptr && block_ != next_) {
                    block_ = next_;
                    pos_ = 17;
                    result_.usedNext = true;
                    i = shortField;
                } else {
                    result_.incomplete = true;
                }
            }
            if (!Fits(fields[i].kind)) {
                pending = true;
                shortField = i;
                continue;
            }
            Read(fields[i]);
        }
        event_[0] = layout_.k7Type;
        event_[1] = static_cast<uint8_t>(layout_.length);
        event_[event_.size() - 2] = 0xFE;
        event_[event_.size() - 1] = static_cast<uint8_t>(layout_.length);
        result_.event = event_;
        return result_;
    }

private:
    [[nodiscard]] int Char(size_t index) const {
        return index < block_->body.size() ? static_cast<uint8_t>(block_->body[index]) : 0x40;
    }
    [[nodiscard]] bool Fits(FieldKind kind) const {
        switch (kind) {
            case FieldKind::Date: return pos_ + 3 <= block_->dataEnd;
            case FieldKind::Time: return pos_ + 4 <= block_->dataEnd;
            case FieldKind::SmallByte:
            case FieldKind::RawByte: return pos_ + 1 <= block_->dataEnd;
            case FieldKind::ZeroTime: return true;
            default: return pos_ + 4 <= block_->dataEnd + 2;
        }
    }
    void Put(int index, uint8_t value) {
        if (index >= 0 && index < layout_.length) event_[static_cast<size_t>(index)] = value;
    }
    void Group(uint8_t out[3]) const {
        const int a = Char(pos_) - 0x40, b = Char(pos_ + 1) - 0x40, c = Char(pos_ + 2) - 0x40,
                  d = Char(pos_ + 3) - 0x40;
        out[0] = static_cast<uint8_t>(a * 4 + (b >> 4));
        out[1] = static_cast<uint8_t>((b & 0x0F) * 16 + (c >> 2));
        out[2] = static_cast<uint8_t>((c & 0x03) * 64 + d);
    }
    uint8_t StreamByte() {
        uint8_t g[3];
        Group(g);
        const uint8_t value = phase_ == 1 ? kept_ : g[index_];
        ++index_;
        phase_ = 0;
        if (index_ > 2) {
            index_ = 0;
            pos_ += 4;
        }
        return value;
    }
    void Read(const Field& f) {
        switch (f.kind) {
            case FieldKind::Date: {
                const int code = (Char(pos_) - 0x40) % 20;
                int best = 0;
                for (int k = 4; k >= 0; --k) {
                    const int year = ExpandTwoDigits(k * 20 + code);
                    if (k == 4 || std::abs(year - block_->blockYear) <= std::abs(best - block_->blockYear)) best = year;
                }
                Put(f.offset, ToBcd(best % 100));
                Put(f.offset + 1, ToBcd(Char(pos_ + 1) - 0x40));
                Put(f.offset + 2, ToBcd(Char(pos_ + 2) - 0x40));
                pos_ += 3;
                break;
            }
            case FieldKind::Time: {
                uint8_t g[3];
                Group(g);
                for (int k = 0; k < 3; ++k) Put(f.offset + k, g[k]);
                pos_ += 4;
                break;
            }
            case FieldKind::SmallByte: Put(f.offset, static_cast<uint8_t>(Char(pos_++) - 0x40)); break;
            case FieldKind::RawByte: Put(f.offset, static_cast<uint8_t>(Char(pos_++))); break;
            case FieldKind::ZeroTime:
                for (int k = 0; k < 3; ++k) Put(f.offset + k, 0);
                break;
            case FieldKind::Word: {
                // Phase 0 takes bytes 0 and 1 of a group and keeps byte 2, phase 1 pairs the
                // kept byte with byte 0 of the next group, phase 2 takes its bytes 1 and 2.
                uint8_t g[3];
                Group(g);
                const int value = phase_ == 0   ? g[0] * 256 + g[1]
                                  : phase_ == 1 ? kept_ * 256 + g[0]
                                                : g[1] * 256 + g[2];
                if (phase_ == 0) kept_ = g[2];
                if (phase_ != 1) pos_ += 4;
                index_ = 2 - phase_;
                phase_ = (phase_ + 1) % 3;
                Put(f.offset, static_cast<uint8_t>(value >> 8));
                Put(f.offset + 1, static_cast<uint8_t>(value & 0xFF));
                break;
            }
            case FieldKind::ByteValue: {
                const uint8_t b = StreamByte();
                Put(f.offset, b >= 128 ? 0xFF : 0);
                Put(f.offset + 1, b >= 128 ? 0xFC : b);
                break;
            }
            case FieldKind::EndMarker:
                if (StreamByte() != 0xFE) result_.badEnd = true;
                break;
        }
    }

    const ScenarioLayout& layout_;
    const ReferenceBlock* block_;
    const ReferenceBlock* next_;
    size_t pos_;
    int phase_ = 0;
    int index_ = 0;
    uint8_t kept_ = 0;
    std::vector<uint8_t> event_;
    ReferenceResult result_;
};

}  // namespace

ReferenceResult ReadScenario(const ScenarioLayout& layout, const ReferenceBlock& first, size_t markerIndex,
                             const ReferenceBlock* next) {
    return Reader(layout, first, markerIndex, next).Run();
}

}  // namespace skylog::gen::test
