// The viewers' rules without widgets: the body's rows and colours, the panes' widths,
// the byte under the caret and its details, and which explanation a scenario gets.

#include <gtest/gtest.h>

#include "dcp/ByteClasses.h"
#include "forms/ScnInfoModel.h"
#include "forms/ViewBodyModel.h"

namespace skylog::forms {
namespace {

std::vector<uint8_t> bytes(std::string_view text) { return {text.begin(), text.end()}; }

TEST(ViewBodyModel, RowsOfSixteenBytesAndWhereEachByteStands) {
    const std::vector<uint8_t> body = bytes("ABCDEFGHIJKLMNOP\x04]Jc");
    const std::vector<TBodyRow> rows = BodyRows(body);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].Hex.size(), 48u);
    EXPECT_EQ(rows[1].Text, "·]Jc");  // a control character keeps its column
    EXPECT_EQ(rows[1].Hex, "04 5D 4A 63 ");
    // Byte 17 is the second of the second row: after 16 characters (or 48) and a break.
    EXPECT_EQ(TextPaneOffset(17), 18u);
    EXPECT_EQ(HexPaneOffset(17), 52u);
}

TEST(ViewBodyModel, ColourRunsJoinBytesOfOneColour) {
    TByteClasses classes;
    classes.assign(20, kByteNotExamined);
    classes.SetRange(0, 1, kByteValid);
    classes.SetRange(1, 4, kByteTime);
    classes.SetRange(4, 6, kByteNoData);
    classes.SetRange(6, 8, kByteMalformed);  // red as well: the same run
    const std::vector<TColourRun> runs = ColourRuns(classes, 22);
    const struct {
        size_t first, count;
        TRgbColour colour;
    } expected[] = {{0, 1, {0, 128, 0}}, {1, 3, {0, 128, 128}}, {4, 4, {255, 0, 0}}, {8, 14, {128, 128, 128}}};
    ASSERT_EQ(runs.size(), std::size(expected));
    for (size_t i = 0; i < runs.size(); ++i)
        EXPECT_EQ(std::tuple(runs[i].First, runs[i].Count, runs[i].Colour),
                  std::tuple(expected[i].first, expected[i].count, expected[i].colour))
            << i;
}

TEST(ViewBodyModel, PaneWidthsAndSelectedByte) {
    for (const auto& [panel, text, hex] : {std::tuple{412, 100, 300}, std::tuple{600, 147, 441},
                                           std::tuple{13, 0, 1}, std::tuple{5, 0, 0}})
        EXPECT_EQ(std::pair(BodyPaneWidths(panel).Text, BodyPaneWidths(panel).Hex), std::pair(text, hex)) << panel;
    for (const auto& [row, column, selected] : {std::tuple{1, 3, 17}, std::tuple{0, 2, 0}, std::tuple{0, 48, 16},
                                                std::tuple{2, 47, 47}})
        EXPECT_EQ(SelectedByteAt(row, column), selected) << row << "," << column;
}

TEST(ViewBodyModel, ByteDetails) {
    const std::vector<uint8_t> body = bytes(std::string("ABCD\0\xFF", 6));
    const struct {
        int64_t selected;
        const char *simple, *dec64, *bytes34;
    } cases[] = {
        {0, "65 (0x41)", "1 (0x01)", "4 32 196  (0x04 0x20 0xC4 )"},
        {2, "67 (0x43)", "3 (0x03)", "12 64 191  (0x0C 0x40 0xBF )"},  // the last four bytes
        {4, "0 (0x00)", "-64 (0xFFFFFFC0)", "-"},
        {5, "255 (0xFF)", "191 (0xBF)", "-"},
        {6, "-", "-", "-"},
        {-1, "-", "-", "-"},
    };
    for (const auto& c : cases) {
        const TByteDetailTexts texts = ByteDetailTexts(body, c.selected);
        EXPECT_EQ(std::tuple(texts.Simple, texts.Dec64, texts.Bytes34), std::tuple(c.simple, c.dec64, c.bytes34))
            << c.selected;
    }
    // Fewer than four bytes from the selection: nothing to unpack.
    EXPECT_EQ(ByteDetailTexts(bytes("ABC"), 0).Bytes34, "-");
    // Characters below 0x40 wrap modulo 256 before the masks: 0x00 gives 0xC0.
    EXPECT_EQ(Bytes34Text(std::array<uint8_t, 4>{0x00, 0x40, 0x40, 0x00}), "0 0 192  (0x00 0x00 0xC0 )");
}

TEST(ViewBodyModel, WhichCharactersAreHighlighted) {
    const struct {
        TBodyChars chars;
        const char* text;
    } cases[] = {
        {{{{17, 1}}, false}, "Caractères 17"},
        {{{{17, 4}, {30, 0}, {40, 2}}, false}, "Caractères 17 à 20, 40 à 41"},
        {{{{1990, 10}}, true}, "Caractères 1990 à 1999 ; la suite est dans le message suivant."},
        {{{}, true}, "Aucun caractère dans ce message ; la suite est dans le message suivant."},
    };
    for (const auto& c : cases) EXPECT_EQ(BodyCharsText(c.chars), c.text);
}

TEST(ScnInfoModel, TheFirstExplanationThatApplies) {
    const struct {
        uint8_t errorCode;
        bool hasDescriptor, empty;
        const char* shown;  // null: the elements are listed
    } cases[] = {
        {2, false, false, kScnWrongSize}, {2, true, true, kScnWrongSize}, {0, false, false, kScnUnknown},
        {5, false, false, kScnUnknown},   {0, false, true, kScnUnknown},  {0, true, true, kScnEmpty},
        {0, true, false, nullptr},
    };
    for (const auto& c : cases) {
        const std::optional<std::string> text = ScnProblemText(c.errorCode, c.hasDescriptor, c.empty);
        EXPECT_EQ(text.value_or("(list)"), c.shown ? c.shown : "(list)") << int(c.errorCode) << c.hasDescriptor;
    }
}

}  // namespace
}  // namespace skylog::forms
