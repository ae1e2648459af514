#include "forms/ViewBodyModel.h"

#include <algorithm>
#include <cstdio>

#include "dcp/ByteClasses.h"

namespace skylog::forms {
namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";
constexpr uint8_t kFirstPrintable = 32;
constexpr uint8_t kLastPrintable = 126;
constexpr int kPanelMargins = 12;

void appendHexByte(std::string& out, uint8_t value) {
    out += kHexDigits[value >> 4];
    out += kHexDigits[value & 0x0F];
}

}  // namespace

std::vector<TBodyRow> BodyRows(std::span<const uint8_t> body) {
    std::vector<TBodyRow> rows;
    rows.reserve((body.size() + kBodyBytesPerRow - 1) / kBodyBytesPerRow);
    for (size_t first = 0; first < body.size(); first += kBodyBytesPerRow) {
        TBodyRow& row = rows.emplace_back();
        const std::span<const uint8_t> bytes = body.subspan(first, std::min(kBodyBytesPerRow, body.size() - first));
        row.Hex.reserve(bytes.size() * kHexCharsPerByte);
        for (const uint8_t byte : bytes) {
            if (byte >= kFirstPrintable && byte <= kLastPrintable)
                row.Text += static_cast<char>(byte);
            else
                row.Text += kUnprintableShown;
            appendHexByte(row.Hex, byte);
            row.Hex += ' ';
        }
    }
    return rows;
}

size_t TextPaneOffset(size_t index) {
    return index / kBodyBytesPerRow * (kBodyBytesPerRow + 1) + index % kBodyBytesPerRow;
}

size_t HexPaneOffset(size_t index) {
    return index / kBodyBytesPerRow * (kBodyBytesPerRow * kHexCharsPerByte + 1) +
           index % kBodyBytesPerRow * kHexCharsPerByte;
}

std::vector<TColourRun> ColourRuns(const TByteClasses& classes, size_t length) {
    std::vector<TColourRun> runs;
    for (size_t i = 0; i < length; ++i) {
        const TRgbColour colour = ByteClassColour(i < classes.size() ? classes[i] : static_cast<uint8_t>(kByteNotExamined));
        if (!runs.empty() && runs.back().Colour == colour)
            ++runs.back().Count;
        else
            runs.push_back({i, 1, colour});
    }
    return runs;
}

TPaneWidths BodyPaneWidths(int panelClientWidth) {
    const int width = std::max(panelClientWidth - kPanelMargins, 0);
    return {width / 4, width - width / 4};
}

int64_t SelectedByteAt(int64_t row, int64_t column) {
    return row * static_cast<int64_t>(kBodyBytesPerRow) + column / static_cast<int64_t>(kHexCharsPerByte);
}

std::string ByteValueText(int32_t value) {
    char text[32];
    std::snprintf(text, sizeof text, "%d (0x%02X)", value, static_cast<uint32_t>(value));
    return text;
}

std::string Bytes34Text(std::span<const uint8_t, 4> bytes) {
    constexpr uint8_t kBase = 0x40;
    const auto a = static_cast<uint8_t>(bytes[0] - kBase), b = static_cast<uint8_t>(bytes[1] - kBase),
               c = static_cast<uint8_t>(bytes[2] - kBase), d = static_cast<uint8_t>(bytes[3] - kBase);
    const uint8_t unpacked[3] = {
        static_cast<uint8_t>(a * 4 + (b & 0x30) / 16),
        static_cast<uint8_t>((b & 0x0F) * 16 + (c & 0x3C) / 4),
        static_cast<uint8_t>((c & 0x03) * 64 + d),  // d is not masked
    };
    std::string text;
    for (const uint8_t value : unpacked) text += std::to_string(value) + ' ';
    text += " (";
    for (const uint8_t value : unpacked) {
        text += "0x";
        appendHexByte(text, value);
        text += ' ';
    }
    return text + ')';
}

std::string BodyCharsText(const TBodyChars& chars) {
    std::string text;
    for (const TBodyRange& range : chars.Ranges) {
        if (range.Count == 0) continue;
        text += text.empty() ? "Caractères " : ", ";
        text += std::to_string(range.First);
        if (range.Count > 1) text += " à " + std::to_string(range.First + range.Count - 1);
    }
    if (text.empty()) text = "Aucun caractère dans ce message";
    if (chars.ContinuesInNextBlock) text += " ; la suite est dans le message suivant.";
    return text;
}

TByteDetailTexts ByteDetailTexts(std::span<const uint8_t> body, int64_t selected) {
    TByteDetailTexts texts;
    if (selected < 0 || static_cast<uint64_t>(selected) >= body.size()) return texts;
    const auto index = static_cast<size_t>(selected);
    const uint8_t value = body[index];
    texts.Simple = ByteValueText(value);
    texts.Dec64 = ByteValueText(value - 64);
    if (body.size() - index >= 4) texts.Bytes34 = Bytes34Text(body.subspan(index).first<4>());
    return texts;
}

}  // namespace skylog::forms
