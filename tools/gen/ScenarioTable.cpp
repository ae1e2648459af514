#include "tools/gen/ScenarioTable.h"

#include <algorithm>

namespace skylog::gen {

bool IsStreamKind(FieldKind kind) {
    return kind == FieldKind::Word || kind == FieldKind::ByteValue || kind == FieldKind::EndMarker;
}

int CharacterCount(FieldKind kind) {
    switch (kind) {
        case FieldKind::Date: return 3;
        case FieldKind::Time: return 4;
        case FieldKind::SmallByte:
        case FieldKind::RawByte: return 1;
        default: return 0;
    }
}

bool ScenarioLayout::Allows(uint8_t instrumentCode) const {
    return allowedTypes.empty() ||
           std::find(allowedTypes.begin(), allowedTypes.end(), instrumentCode) != allowedTypes.end();
}

int ScenarioLayout::CountOf(FieldKind kind) const {
    int total = 0;
    for (const FieldRun& run : runs) {
        if (run.kind == kind) total += run.count;
    }
    return total;
}

namespace {

const std::vector<uint8_t> kRestrictedTypes = {0xA0, 0xB9, 0xBB};

FieldRun Date() { return {1, FieldKind::Date, 4}; }
FieldRun Time() { return {1, FieldKind::Time, 7}; }
FieldRun Small() { return {1, FieldKind::SmallByte, 3}; }
FieldRun Raw() { return {1, FieldKind::RawByte, 3}; }
FieldRun ZeroTime() { return {1, FieldKind::ZeroTime, 7}; }
FieldRun Words(int count) { return {count, FieldKind::Word, 10}; }
FieldRun Bytes(int count) { return {count, FieldKind::ByteValue, 10}; }
FieldRun End() { return {1, FieldKind::EndMarker, -1}; }

std::vector<ScenarioLayout> BuildTable() {
    return {
        {38, 0x86, 94, {}, {Date(), Small(), Time(), Words(41), End()}},
        {37, 0x85, 166, {}, {Date(), Small(), Time(), Words(77), End()}},
        {17, 0x80, 18, {}, {Date(), Raw(), Time(), Words(4)}},
        {60, 0xDC, 104, kRestrictedTypes, {Date(), Time(), Words(47)}},
        {60, 0xDC, 86, {}, {Date(), Time(), Words(37), End()}},
        {62, 0xDE, 62, {}, {Date(), Time(), Words(25), End()}},
        {63, 0xDF, 30, {}, {Date(), Time(), Words(9), End()}},
        {34, 0xE2, 30, {}, {Date(), Time(), Words(9), End()}},
        {40, 0x88, 40, kRestrictedTypes, {Date(), ZeroTime(), Bytes(13)}},
        {40, 0x88, 46, {}, {Date(), ZeroTime(), Bytes(16)}},
        {43, 0x8B, 224, {}, {Date(), Time(), Words(106), End()}},
        {46, 0x8E, 74, {}, {Date(), Small(), Time(), Words(31), End()}},
        {45, 0x8D, 74, {}, {Date(), Small(), Time(), Words(31), End()}},
    };
}

}  // namespace

const std::vector<ScenarioLayout>& ScenarioTable() {
    static const std::vector<ScenarioLayout> table = BuildTable();
    return table;
}

const ScenarioLayout* FindLayout(uint8_t code, uint8_t instrumentCode) {
    for (const ScenarioLayout& layout : ScenarioTable()) {
        if (layout.code == code && layout.Allows(instrumentCode)) return &layout;
    }
    return nullptr;
}

std::vector<uint8_t> ScenarioMarkers() {
    std::vector<uint8_t> markers;
    for (const ScenarioLayout& layout : ScenarioTable()) {
        if (std::find(markers.begin(), markers.end(), layout.code) == markers.end()) {
            markers.push_back(layout.code);
        }
    }
    return markers;
}

}  // namespace skylog::gen
