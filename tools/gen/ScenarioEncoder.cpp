#include "tools/gen/ScenarioEncoder.h"

#include <stdexcept>

#include "Common/UUtils.h"
#include "tools/gen/GenFormat.h"
#include "tools/gen/SixBit.h"

namespace skylog::gen {

namespace {

void Require(bool condition, const char* what) {
    if (!condition) throw std::invalid_argument(what);
}

void CheckCounts(const ScenarioLayout& layout, const ScenarioValues& values) {
    Require(static_cast<int>(values.words.size()) == layout.CountOf(FieldKind::Word),
            "word count does not match the layout");
    Require(static_cast<int>(values.byteValues.size()) == layout.CountOf(FieldKind::ByteValue),
            "byte value count does not match the layout");
    Require(values.hour >= 0 && values.hour <= 99 && values.minute >= 0 && values.minute <= 99 &&
                values.second >= 0 && values.second <= 99,
            "time field beyond two BCD digits");
}

uint8_t Bcd(int value) { return ByteToBCD(static_cast<uint8_t>(value)); }

}  // namespace

std::vector<uint8_t> EventBytesFromValues(const ScenarioLayout& layout, const ScenarioValues& values) {
    CheckCounts(layout, values);
    std::vector<uint8_t> event(static_cast<size_t>(layout.length), kUnwrittenEventByte);
    auto put = [&](int index, uint8_t value) {
        if (index >= 0 && index < layout.length) event[static_cast<size_t>(index)] = value;
    };
    size_t word = 0;
    size_t byteValue = 0;
    for (const FieldRun& run : layout.runs) {
        for (int i = 0; i < run.count; ++i) {
            switch (run.kind) {
                case FieldKind::Date:
                    put(run.offset + 3 * i, Bcd(values.year % 100));
                    put(run.offset + 3 * i + 1, Bcd(values.month));
                    put(run.offset + 3 * i + 2, Bcd(values.day));
                    break;
                case FieldKind::Time:
                    put(run.offset + 3 * i, Bcd(values.hour));
                    put(run.offset + 3 * i + 1, Bcd(values.minute));
                    put(run.offset + 3 * i + 2, Bcd(values.second));
                    break;
                case FieldKind::ZeroTime:
                    for (int k = 0; k < 3; ++k) put(run.offset + 3 * i + k, 0);
                    break;
                case FieldKind::SmallByte:
                case FieldKind::RawByte: put(run.offset + i, values.byte3); break;
                case FieldKind::Word: {
                    const uint16_t v = values.words[word++];
                    put(run.offset + 2 * i, static_cast<uint8_t>(v >> 8));
                    put(run.offset + 2 * i + 1, static_cast<uint8_t>(v & 0xFF));
                    break;
                }
                case FieldKind::ByteValue: {
                    const uint8_t b = values.byteValues[byteValue++];
                    const uint16_t v = b >= 0x80 ? kLargeByteValue : b;
                    put(run.offset + 2 * i, static_cast<uint8_t>(v >> 8));
                    put(run.offset + 2 * i + 1, static_cast<uint8_t>(v & 0xFF));
                    break;
                }
                case FieldKind::EndMarker: break;
            }
        }
    }
    event[0] = layout.k7Type;
    event[1] = static_cast<uint8_t>(layout.length);
    event[static_cast<size_t>(layout.length) - 2] = kEventEndMarker;
    event[static_cast<size_t>(layout.length) - 1] = static_cast<uint8_t>(layout.length);
    return event;
}

std::optional<ScenarioValues> ValuesFromEventBytes(const ScenarioLayout& layout,
                                                   std::span<const uint8_t> event) {
    if (static_cast<int>(event.size()) != layout.length || event[0] != layout.k7Type) return std::nullopt;
    ScenarioValues values;
    for (const FieldRun& run : layout.runs) {
        for (int i = 0; i < run.count; ++i) {
            const size_t at = static_cast<size_t>(run.offset + (run.kind == FieldKind::Word ||
                                                                        run.kind == FieldKind::ByteValue
                                                                    ? 2 * i
                                                                    : 3 * i));
            switch (run.kind) {
                case FieldKind::Date:
                    values.year = ExpandYear(BCDToByte(event[at]));
                    values.month = BCDToByte(event[at + 1]);
                    values.day = BCDToByte(event[at + 2]);
                    break;
                case FieldKind::Time:
                    values.hour = BCDToByte(event[at]);
                    values.minute = BCDToByte(event[at + 1]);
                    values.second = BCDToByte(event[at + 2]);
                    break;
                case FieldKind::SmallByte:
                case FieldKind::RawByte: values.byte3 = event[static_cast<size_t>(run.offset)]; break;
                case FieldKind::Word:
                    values.words.push_back(static_cast<uint16_t>(event[at] << 8 | event[at + 1]));
                    break;
                case FieldKind::ByteValue: {
                    const uint16_t v = static_cast<uint16_t>(event[at] << 8 | event[at + 1]);
                    if (v == kLargeByteValue) {
                        values.byteValues.push_back(0x80);
                    } else if (v < 0x80) {
                        values.byteValues.push_back(static_cast<uint8_t>(v));
                    } else {
                        return std::nullopt;
                    }
                    break;
                }
                case FieldKind::ZeroTime:
                case FieldKind::EndMarker: break;
            }
        }
    }
    return values;
}

namespace {

// Where each field of a scenario starts and what it needs to be read, as the
// converter sees it: a character field of n characters at p needs p + n characters;
// a stream field needs the whole group at its reading position.
struct FieldSpan {
    size_t start = 0;
    size_t need = 0;  // characters (from the marker) that must be present
};

// Replays the converter's byte stream (phase, byte index, group) to find the group each
// stream field reads from. A word in phase 1 takes the kept byte and the first byte of
// the next group, so it needs that next group.
class StreamReplay {
public:
    explicit StreamReplay(size_t start) : group_(start) {}
    FieldSpan Word() {
        const FieldSpan span{group_, group_ + 4};
        if (phase_ == 0) {
            phase_ = 1;
            index_ = 2;
            group_ += 4;
        } else if (phase_ == 1) {
            phase_ = 2;
            index_ = 1;
        } else {
            phase_ = 0;
            index_ = 0;
            group_ += 4;
        }
        return span;
    }
    FieldSpan Byte() {
        const FieldSpan span{group_, group_ + 4};
        ++index_;
        phase_ = 0;
        if (index_ > 2) {
            index_ = 0;
            group_ += 4;
        }
        return span;
    }

private:
    size_t group_;
    int phase_ = 0;
    int index_ = 0;
};

}  // namespace

EncodedScenario EncodeScenario(const ScenarioLayout& layout, const ScenarioValues& values) {
    CheckCounts(layout, values);
    EncodedScenario encoded;
    std::string& text = encoded.text;
    text.push_back(static_cast<char>(layout.code));

    std::vector<FieldSpan> spans;
    std::vector<uint8_t> stream;
    size_t word = 0;
    size_t byteValue = 0;
    bool streamStarted = false;
    for (const FieldRun& run : layout.runs) {
        for (int i = 0; i < run.count; ++i) {
            const size_t at = text.size();
            switch (run.kind) {
                case FieldKind::Date:
                    Require(values.month >= 0 && values.month <= 63 && values.day >= 0 && values.day <= 63,
                            "date beyond 6 bits");
                    Require(values.yearCodeTwenties >= 0 && values.yearCodeTwenties <= 2,
                            "year code offset beyond 6 bits");
                    text.push_back(SixBitChar(((values.year % 100) + 100) % 20 + 20 * values.yearCodeTwenties));
                    text.push_back(SixBitChar(values.month));
                    text.push_back(SixBitChar(values.day));
                    break;
                case FieldKind::Time: {
                    const auto group = PackGroup(Bcd(values.hour), Bcd(values.minute), Bcd(values.second));
                    text.append(group.data(), group.size());
                    break;
                }
                case FieldKind::SmallByte:
                    Require(values.byte3 <= 63, "small byte beyond 6 bits");
                    text.push_back(SixBitChar(values.byte3));
                    break;
                case FieldKind::RawByte:
                    Require(IsSixBitChar(values.byte3), "raw byte outside 64..127");
                    text.push_back(static_cast<char>(values.byte3));
                    break;
                case FieldKind::ZeroTime: break;
                case FieldKind::Word: {
                    const uint16_t v = values.words[word++];
                    stream.push_back(static_cast<uint8_t>(v >> 8));
                    stream.push_back(static_cast<uint8_t>(v & 0xFF));
                    break;
                }
                case FieldKind::ByteValue: stream.push_back(values.byteValues[byteValue++]); break;
                case FieldKind::EndMarker: stream.push_back(values.endMarker); break;
            }
            if (IsStreamKind(run.kind)) {
                streamStarted = true;
                spans.push_back({0, 0});  // filled in by the replay below
            } else {
                // The converter's stream is one pass; a character field after it would
                // be read at a position the stream does not account for.
                Require(!streamStarted, "character field after the byte stream");
                spans.push_back({at, at + static_cast<size_t>(CharacterCount(run.kind))});
            }
        }
    }

    const size_t streamStart = text.size();
    text += PackByteStream(stream);

    StreamReplay replay(streamStart);
    size_t field = 0;
    bool afterByte = false;
    for (const FieldRun& run : layout.runs) {
        for (int i = 0; i < run.count; ++i, ++field) {
            if (run.kind == FieldKind::Word) {
                // After a lone byte the converter reads a word from the start of the
                // group again, which no stream packing can match: no layout does this.
                Require(!afterByte, "word after a byte value");
                spans[field] = replay.Word();
            } else if (IsStreamKind(run.kind)) {
                afterByte = true;
                spans[field] = replay.Byte();
            }
        }
    }
    for (size_t i = 1; i < text.size(); ++i) {
        Require(IsSixBitChar(static_cast<uint8_t>(text[i])), "scenario character outside 64..127");
    }

    // Cut points: c is valid when the first field that does not fit in c characters
    // starts exactly at c, has at least one character, and is not the last field.
    for (size_t f = 0; f + 1 < spans.size(); ++f) {
        const size_t c = spans[f].start;
        if (c == 0 || spans[f].need == spans[f].start) continue;
        bool earlierFit = true;
        for (size_t e = 0; e < f; ++e) {
            if (spans[e].need > c) earlierFit = false;
        }
        const bool firstShort = spans[f].need > c;
        if (earlierFit && firstShort && c < text.size() &&
            (encoded.cutPoints.empty() || encoded.cutPoints.back() != c)) {
            encoded.cutPoints.push_back(c);
        }
    }
    return encoded;
}

std::string EventHex(std::span<const uint8_t> event) { return BytesToHex(event.data(), event.size()); }

std::string FramedEventText(std::span<const uint8_t> event) {
    std::string text;
    text.push_back('\x02');
    text.push_back('1');
    text += EventHex(event);
    text.push_back('\x17');
    uint8_t checksum = 0;
    for (char c : text) checksum ^= static_cast<uint8_t>(c);
    text += ByteToHexString(checksum);
    return text;
}

}  // namespace skylog::gen
