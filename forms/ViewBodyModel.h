#pragma once
// The rules of the message body viewer that need no widget: the rows of the text and
// hexadecimal panes, where each byte stands in them, the runs of one colour, the
// widths of the panes, the byte under the hexadecimal caret and the three detail texts.
// Standard library and engine only.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "dcp/UDCPReport.h"

namespace skylog {
class TByteClasses;
}

namespace skylog::forms {

inline constexpr size_t kBodyBytesPerRow = 16;
inline constexpr size_t kHexCharsPerByte = 3;  // two digits and a space

// What a pane shows of a byte below 32 or above 126: every byte keeps one column, and
// a control character would not show, or would break the row (a tab).
inline constexpr const char* kUnprintableShown = "·";

struct TBodyRow {
    std::string Text;  // the row's bytes as characters (UTF-8)
    std::string Hex;   // "41 42 " ...
};
// The body in rows of 16 bytes, the last holding the rest.
[[nodiscard]] std::vector<TBodyRow> BodyRows(std::span<const uint8_t> body);

// Where byte `index` starts in each pane's document, a row break taking one position.
[[nodiscard]] size_t TextPaneOffset(size_t index);
[[nodiscard]] size_t HexPaneOffset(size_t index);

// Bytes first .. first + count - 1 share a colour.
struct TColourRun {
    size_t First = 0;
    size_t Count = 0;
    TRgbColour Colour;
};
// The body's bytes in runs of one class colour: one format change per run, not per
// byte. Bytes without a class (a body not decoded) are gray.
[[nodiscard]] std::vector<TColourRun> ColourRuns(const TByteClasses& classes, size_t length);

// With w the client width of BodyViewPanel less 12 (its borders and the gap between
// the panes), BodyMemo takes w div 4 and HexBodyMemo the rest; never negative.
struct TPaneWidths {
    int Text = 0;
    int Hex = 0;
};
[[nodiscard]] TPaneWidths BodyPaneWidths(int panelClientWidth);

// The byte under a caret of HexBodyMemo at (row, column): a caret at the end of a full
// row is on the first byte of the next. May lie past the body.
[[nodiscard]] int64_t SelectedByteAt(int64_t row, int64_t column);

// "65 (0x41)"; a negative value shows its 32-bit two's complement: "-64 (0xFFFFFFC0)".
[[nodiscard]] std::string ByteValueText(int32_t value);
// Four body bytes unpacked into three (each less 0x40 modulo 256, then 6 + 2, 4 + 4,
// 2 + 8 bits as the 6-bit characters carry them), "4 32 196  (0x04 0x20 0xC4 )".
[[nodiscard]] std::string Bytes34Text(std::span<const uint8_t, 4> bytes);

// Body characters First .. First + Count - 1.
struct TBodyRange {
    size_t First = 0;
    size_t Count = 0;
    friend bool operator==(const TBodyRange&, const TBodyRange&) = default;
};
// The characters of a scenario, or of one of its elements, in one block; a scenario may
// go on in the next block.
struct TBodyChars {
    std::vector<TBodyRange> Ranges;
    bool ContinuesInNextBlock = false;
};
// A scenario as the viewer lists it.
struct TBodyScenario {
    std::string Description;  // the event's DescString
    TBodyChars Chars;
};
// "Caractères 17 à 40, 52" (counted from 0, as the bytes of the body), then
// " ; la suite est dans le message suivant." when it goes on there.
[[nodiscard]] std::string BodyCharsText(const TBodyChars& chars);
inline constexpr const char* kNoScenarioChosen = "(aucun)";

struct TByteDetailTexts {
    std::string Simple = "-";  // SimpleByteLbl
    std::string Dec64 = "-";   // ByteDec64Lbl
    std::string Bytes34 = "-"; // Bytes34Lbl: "-" when fewer than four bytes remain
};
// The labels for byte `selected`: "-" outside the body.
[[nodiscard]] TByteDetailTexts ByteDetailTexts(std::span<const uint8_t> body, int64_t selected);

}  // namespace skylog::forms
