// The built-in font and text drawing: known glyph shapes, which glyphs reach
// the outer rows, pen placement, clipping, colours and the line buffer's ends.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "screen/Font.h"
#include "screen/Screen.h"
#include "tests/support/TestState.h"

using PixelSet = std::set<std::pair<int, int>>;

// The picture pixels a line should set at pen (x, y), worked out from the
// glyph table and clipped to the picture: glyph row i lands on row y - 1 - i.
static PixelSet ExpectedPixels(const std::string& text, int x, int y) {
    PixelSet pixels;
    for (size_t k = 0; k < text.size(); k++) {
        int code = static_cast<unsigned char>(text[k]);
        for (int i = 0; i < 12; i++) {
            for (int j = 0; j < 8; j++) {
                int column = x + 8 * static_cast<int>(k) + j, row = y - 1 - i;
                if (GlyphCellSet(code, i, j) && column >= 0 && column < 320 && row >= 0 && row < 240)
                    pixels.insert({column, row});
            }
        }
    }
    return pixels;
}

// Fills the whole screen buffer with a pattern no glyph colour matches.
static void FillPattern() {
    for (int i = 0; i < ScreenBufferBytes; i++) ScreenPixels[i] = static_cast<uint8_t>(i * 7 + 3);
}

// Draws text at (x, y) over the pattern and checks every byte of the buffer:
// the expected pixels in colour (r, g, b), the rest untouched.
static void ExpectLineDrawn(const std::string& text, int x, int y, int r, int g, int b) {
    FillPattern();
    std::vector<uint8_t> expected(ScreenPixels, ScreenPixels + ScreenBufferBytes);
    for (const auto& [column, row] : ExpectedPixels(text, x, y)) {
        uint8_t* p = expected.data() + (row * 320 + column) * 4;
        p[0] = static_cast<uint8_t>(r);
        p[1] = static_cast<uint8_t>(g);
        p[2] = static_cast<uint8_t>(b);
        p[3] = 255;
    }
    std::snprintf(TextLine, sizeof TextLine, "%s", text.c_str());
    DrawTextLine(x, y, r, g, b);
    if (std::memcmp(ScreenPixels, expected.data(), ScreenBufferBytes) == 0) return;
    for (int i = 0; i < ScreenBufferBytes; i++) {
        int pixel = i / 4;
        ASSERT_EQ(ScreenPixels[i], expected[i]) << "\"" << text << "\" at (" << x << ", " << y << "): pixel ("
                                                << pixel % 320 << ", " << pixel / 320 << ") byte " << i % 4;
    }
}

// The rows and columns that a line drawn with DrawTextLine touched.
struct Extent {
    int minColumn = 1000, maxColumn = -1, minRow = 1000, maxRow = -1, count = 0;
};
static Extent ChangedExtent(const std::vector<uint8_t>& before) {
    Extent e;
    for (int p = 0; p < ScreenPixelCount; p++) {
        if (std::memcmp(ScreenPixels + p * 4, before.data() + p * 4, 4) == 0) continue;
        int x = p % 320, y = p / 320;
        e.minColumn = std::min(e.minColumn, x);
        e.maxColumn = std::max(e.maxColumn, x);
        e.minRow = std::min(e.minRow, y);
        e.maxRow = std::max(e.maxRow, y);
        e.count++;
    }
    return e;
}

static Extent DrawAndMeasure(const char* text, int x, int y) {
    FillPattern();
    std::vector<uint8_t> before(ScreenPixels, ScreenPixels + ScreenBufferBytes);
    std::snprintf(TextLine, sizeof TextLine, "%s", text);
    DrawTextLine(x, y, 255, 255, 255);
    EXPECT_EQ(0, std::memcmp(ScreenPixels + ScreenPixelCount * 4, before.data() + ScreenPixelCount * 4,
                             ScreenBufferBytes - ScreenPixelCount * 4))
        << "bytes past the picture changed";
    return ChangedExtent(before);
}

TEST(Font, AFewGlyphsDrawTheirKnownShapes) {
    ResetProgramState();
    // Glyph rows top first, at pen (100, 100): the top row is picture row 99.
    const char* const shapes[12] = {
        ".........................###..##", "..##...........#........##.##.#.", ".####.........##........##..###.",
        "##..##.......##.................", "##..##......##...###.##.........", "##..##.....##...##..##..........",
        "######....##....##..##..........", "##..##...##.....##..##..........", "##..##..##.......#####..........",
        "##..##..#...........##..........", "................##..##..........", ".................####...........",
    };
    int set = 0;
    for (const char* row : shapes) set += static_cast<int>(std::count(row, row + 32, '#'));
    EXPECT_EQ(DrawAndMeasure("A/g~", 100, 100).count, set);
    for (int i = 0; i < 12; i++) {
        for (int j = 0; j < 32; j++) {
            const uint8_t* p = ScreenPixels + ((99 - i) * 320 + 100 + j) * 4;
            bool white = p[0] == 255 && p[1] == 255 && p[2] == 255 && p[3] == 255;
            EXPECT_EQ(white, shapes[i][j] == '#') << "row " << i << " cell " << j;
        }
    }
}

TEST(Font, EveryGlyphLandsBelowThePenRowAndRightOfThePen) {
    ResetProgramState();
    for (int code = 32; code <= 126; code++) {
        ExpectLineDrawn(std::string(1, static_cast<char>(code)), 100, 100, 255, 255, 255);
    }
    ExpectLineDrawn("SX=100,SY=100,SZ=100 Light=0", 9, 42, 255, 255, 255);
}

TEST(Font, AFortyCharacterLineEndsAtTheLastColumnAndTheFortyFirstIsClipped) {
    ResetProgramState();
    std::string forty = std::string(39, 'H') + "_";
    Extent e = DrawAndMeasure(forty.c_str(), 0, 100);
    EXPECT_EQ(e.minColumn, 0);
    EXPECT_EQ(e.maxColumn, 319);
    std::vector<uint8_t> fortyPicture(ScreenPixels, ScreenPixels + ScreenBufferBytes);

    std::string fortyOne = forty + "M";
    DrawAndMeasure(fortyOne.c_str(), 0, 100);
    EXPECT_EQ(0, std::memcmp(ScreenPixels, fortyPicture.data(), ScreenBufferBytes));
    ExpectLineDrawn(fortyOne + "WWWW", 0, 100, 10, 20, 30);
}

TEST(Font, RowsAboveAndBelowThePictureAreDropped) {
    ResetProgramState();
    // Glyph row i lands on row y - 1 - i. '|' sets cells in glyph rows 1 to 4
    // and 6 to 9; '_' only in row 10; '~' in 0 to 2.
    Extent top = DrawAndMeasure("|_~", 50, 245);
    EXPECT_EQ(top.maxRow, 245 - 7);  // glyph rows 0 to 4 would be 244 to 240
    EXPECT_EQ(top.minRow, 245 - 11);
    ExpectLineDrawn("Hello, Qjy|~", 50, 245, 1, 2, 3);

    Extent bottom = DrawAndMeasure("|_~", 50, 5);
    EXPECT_EQ(bottom.maxRow, 5 - 1);  // the tilde's glyph row 0
    EXPECT_EQ(bottom.minRow, 0);      // the bar's glyph row 4; rows 5 to 11 are below row 0
    ExpectLineDrawn("Hello, Qjy|~", 50, 5, 1, 2, 3);

    ExpectLineDrawn("$[]^bd~ Qgjpqy_", -20, 239, 200, 100, 0);
    ExpectLineDrawn("edge", 300, 12, 7, 7, 7);
}

TEST(Font, ASpaceAndAnEmptyLineWriteNothing) {
    ResetProgramState();
    EXPECT_EQ(DrawAndMeasure(" ", 10, 100).count, 0);
    EXPECT_EQ(DrawAndMeasure("", 10, 100).count, 0);
    EXPECT_EQ(DrawAndMeasure("     ", 10, 100).count, 0);
    // A space advances the pen by one cell.
    Extent spaced = DrawAndMeasure(" I", 10, 100);
    Extent plain = DrawAndMeasure("I", 18, 100);
    EXPECT_EQ(spaced.minColumn, plain.minColumn);
    EXPECT_EQ(spaced.count, plain.count);
}

TEST(Font, OnlyTheListedGlyphsReachTheOuterRows) {
    std::string top, secondLast, last;
    for (int code = FirstGlyphCode; code <= LastGlyphCode; code++) {
        const uint8_t* rows = FontGlyphs[code - FirstGlyphCode];
        if (rows[0] != 0) top += static_cast<char>(code);
        if (rows[10] != 0) secondLast += static_cast<char>(code);
        if (rows[11] != 0) last += static_cast<char>(code);
    }
    EXPECT_EQ(top, "$[]^bd~");
    EXPECT_EQ(secondLast, "$,;Q_gjpqy");
    EXPECT_EQ(last, "gjpqy");
}

TEST(Font, ACharacterWithoutAGlyphLeavesABlankCell) {
    ResetProgramState();
    const char* blanks[] = {"\x01", "\x1f", "\x7f", "\x80", "\xc8", "\xff"};
    for (const char* blank : blanks) {
        std::string line = std::string("A") + blank + "B";
        ExpectLineDrawn(line, 30, 80, 255, 255, 255);  // nothing for the blank
        Extent withBlank = DrawAndMeasure(line.c_str(), 30, 80);
        Extent withSpace = DrawAndMeasure("A B", 30, 80);
        EXPECT_EQ(withBlank.maxColumn, withSpace.maxColumn) << "code " << int(static_cast<unsigned char>(*blank));
        EXPECT_EQ(withBlank.count, withSpace.count) << "code " << int(static_cast<unsigned char>(*blank));
    }
}

TEST(Font, AnUnterminatedLineStopsAtTheEndOfTheBuffer) {
    ResetProgramState();
    std::memset(TextLine, 'I', sizeof TextLine);
    FillPattern();
    DrawTextLine(0, 100, 255, 255, 255);  // must not read past TextLine
    PixelSet expected = ExpectedPixels(std::string(40, 'I'), 0, 100);
    for (const auto& [x, y] : expected) ASSERT_EQ(ScreenPixels[(y * 320 + x) * 4], 255);
    std::memset(TextLine, 0, sizeof TextLine);
}

TEST(Font, FormattingIsCutToTheLineBuffer) {
    ResetProgramState();
    std::string longText(400, 'x');
    FormatTextLine("%s%d", longText.c_str(), 12345);
    EXPECT_EQ(std::strlen(TextLine), static_cast<size_t>(TextLineBytes - 1));
    EXPECT_EQ(std::string(TextLine, 3), "xxx");
    FormatTextLine("SX=%d,SY=%d", -2147483647 - 1, 7);
    EXPECT_STREQ(TextLine, "SX=-2147483648,SY=7");
}
