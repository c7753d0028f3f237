// The built-in font and text drawing: the glyph table against its hex rows,
// pen placement, clipping and colours.
#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "screen/Font.h"
#include "screen/Screen.h"
#include "tests/support/TestState.h"

// The glyphs as rows 1 to 12 of two hex digits each, bit 7 the leftmost cell.
struct HexGlyph {
    int code;
    const char* rows;
};
static const HexGlyph HexGlyphs[] = {
    {32, "00 00 00 00 00 00 00 00 00 00 00 00"},
    {33, "00 30 78 78 78 30 30 00 30 30 00 00"},
    {34, "00 CC CC CC 48 00 00 00 00 00 00 00"},
    {35, "00 6C 6C FE 6C 6C 6C FE 6C 6C 00 00"},
    {36, "30 30 7C C0 C0 78 0C 0C F8 30 30 00"},
    {37, "00 00 00 C4 CC 18 30 60 CC 8C 00 00"},
    {38, "00 70 D8 D8 70 FA DE CC DC 76 00 00"},
    {39, "00 60 60 60 C0 00 00 00 00 00 00 00"},
    {40, "00 18 30 60 C0 C0 C0 60 30 18 00 00"},
    {41, "00 C0 60 30 18 18 18 30 60 C0 00 00"},
    {42, "00 00 00 66 3C FF 3C 66 00 00 00 00"},
    {43, "00 00 00 30 30 FC 30 30 00 00 00 00"},
    {44, "00 00 00 00 00 00 00 00 70 70 C0 00"},
    {45, "00 00 00 00 00 FE 00 00 00 00 00 00"},
    {46, "00 00 00 00 00 00 00 00 38 38 00 00"},
    {47, "00 01 03 06 0C 18 30 60 C0 80 00 00"},
    {48, "00 7C C6 CE DE D6 F6 E6 C6 7C 00 00"},
    {49, "00 10 30 F0 30 30 30 30 30 FC 00 00"},
    {50, "00 78 CC CC 0C 18 30 60 CC FC 00 00"},
    {51, "00 78 CC 0C 0C 38 0C 0C CC 78 00 00"},
    {52, "00 0C 1C 3C 6C CC FE 0C 0C 1E 00 00"},
    {53, "00 FC C0 C0 C0 F8 0C 0C CC 78 00 00"},
    {54, "00 38 60 C0 C0 F8 CC CC CC 78 00 00"},
    {55, "00 FE C6 C6 06 0C 18 30 30 30 00 00"},
    {56, "00 78 CC CC CC 78 DC CC CC 78 00 00"},
    {57, "00 78 CC CC CC 7C 18 18 30 70 00 00"},
    {58, "00 00 00 E0 E0 00 00 E0 E0 00 00 00"},
    {59, "00 00 00 E0 E0 00 00 E0 E0 60 C0 00"},
    {60, "00 0C 18 30 60 C0 60 30 18 0C 00 00"},
    {61, "00 00 00 00 FC 00 FC 00 00 00 00 00"},
    {62, "00 C0 60 30 18 0C 18 30 60 C0 00 00"},
    {63, "00 78 CC 0C 18 30 30 00 30 30 00 00"},
    {64, "00 00 7C C6 C6 DE DE C0 C0 7C 00 00"},
    {65, "00 30 78 CC CC CC FC CC CC CC 00 00"},
    {66, "00 FC 66 66 66 7C 66 66 66 FC 00 00"},
    {67, "00 3C 66 C6 C0 C0 C0 C6 66 3C 00 00"},
    {68, "00 F8 6C 66 66 66 66 66 6C F8 00 00"},
    {69, "00 FE 62 60 64 7C 64 60 62 FE 00 00"},
    {70, "00 FE 66 62 64 7C 64 60 60 F0 00 00"},
    {71, "00 3C 66 C6 C0 C0 CE C6 66 3E 00 00"},
    {72, "00 CC CC CC CC FC CC CC CC CC 00 00"},
    {73, "00 78 30 30 30 30 30 30 30 78 00 00"},
    {74, "00 1E 0C 0C 0C 0C CC CC 4C 78 00 00"},
    {75, "00 E6 66 6C 6C 78 6C 6C 66 E6 00 00"},
    {76, "00 F0 60 60 60 60 62 66 66 FE 00 00"},
    {77, "00 C6 EE FE FE D6 C6 C6 C6 C6 00 00"},
    {78, "00 C6 C6 E6 F6 FE DE CE C6 C6 00 00"},
    {79, "00 38 6C C6 C6 C6 C6 C6 6C 38 00 00"},
    {80, "00 FC 66 66 66 7C 60 60 60 F0 00 00"},
    {81, "00 38 6C C6 C6 C6 CE DE 7C 0C 1E 00"},
    {82, "00 F8 66 66 66 7C 6C 66 66 E6 00 00"},
    {83, "00 78 CC CC C0 70 18 CC CC 78 00 00"},
    {84, "00 FC B4 30 30 30 30 30 30 78 00 00"},
    {85, "00 CC CC CC CC CC CC CC CC 78 00 00"},
    {86, "00 CC CC CC CC CC CC CC 78 30 00 00"},
    {87, "00 C6 C6 C6 C6 D6 D6 6C 6C 6C 00 00"},
    {88, "00 CC CC CC 78 30 78 CC CC CC 00 00"},
    {89, "00 CC CC CC 4C 78 30 30 30 78 00 00"},
    {90, "00 FE CE 98 18 30 60 62 C6 FE 00 00"},
    {91, "3C 30 30 30 30 30 30 30 30 3C 00 00"},
    {92, "00 80 C0 60 30 18 0C 06 03 01 00 00"},
    {93, "78 18 18 18 18 18 18 18 18 78 00 00"},
    {94, "10 38 6C C6 00 00 00 00 00 00 00 00"},
    {95, "00 00 00 00 00 00 00 00 00 00 FF 00"},
    {96, "00 C0 C0 60 00 00 00 00 00 00 00 00"},
    {97, "00 00 00 00 78 0C 7C CC CC 76 00 00"},
    {98, "E0 60 60 60 7C 66 66 66 66 DC 00 00"},
    {99, "00 00 00 00 78 CC C0 C0 CC 78 00 00"},
    {100, "1C 0C 0C 0C 7C CC CC CC CC 76 00 00"},
    {101, "00 00 00 00 78 CC FC C0 CC 78 00 00"},
    {102, "00 38 6C 60 60 F8 60 60 60 F0 00 00"},
    {103, "00 00 00 00 76 CC CC CC 7C 0C CC 78"},
    {104, "00 E0 60 60 6C 76 66 66 66 E6 00 00"},
    {105, "00 30 30 00 F0 30 30 30 30 FC 00 00"},
    {106, "00 0C 0C 00 3C 0C 0C 0C 0C CC CC 78"},
    {107, "00 E0 60 60 66 6C 78 6C 66 E6 00 00"},
    {108, "00 F0 30 30 30 30 30 30 30 FC 00 00"},
    {109, "00 00 00 00 FC D6 D6 D6 D6 C6 00 00"},
    {110, "00 00 00 00 F8 CC CC CC CC CC 00 00"},
    {111, "00 00 00 00 38 C6 C6 C6 C6 38 00 00"},
    {112, "00 00 00 00 DC 66 66 66 66 7C 60 F0"},
    {113, "00 00 00 00 76 CC CC CC CC 7C 0C 1E"},
    {114, "00 00 00 00 EC 6E 76 60 60 F0 00 00"},
    {115, "00 00 00 00 78 CC 60 18 CC 78 00 00"},
    {116, "00 20 60 FC 60 60 60 60 6C 38 00 00"},
    {117, "00 00 00 00 CC CC CC CC CC 76 00 00"},
    {118, "00 00 00 00 CC CC CC CC 78 30 00 00"},
    {119, "00 00 00 00 C6 C6 D6 D6 6C 6C 00 00"},
    {120, "00 00 00 00 C6 6C 38 38 6C C6 00 00"},
    {121, "00 00 00 00 66 66 66 66 3C 0C 18 F0"},
    {122, "00 00 00 00 FC 8C 18 60 C4 FC 00 00"},
    {123, "00 1C 30 30 60 C0 60 30 30 1C 00 00"},
    {124, "00 C0 C0 C0 C0 00 C0 C0 C0 C0 00 00"},
    {125, "00 E0 30 30 18 0C 18 30 30 E0 00 00"},
    {126, "73 DA CE 00 00 00 00 00 00 00 00 00"},
};

// Whether cell j of glyph row i (1..12) of code is set, from the hex rows.
static bool HexCellSet(int code, int i, int j) {
    for (const HexGlyph& glyph : HexGlyphs) {
        if (glyph.code != code) continue;
        unsigned value = std::stoul(std::string(glyph.rows + (i - 1) * 3, 2), nullptr, 16);
        return (value & (0x80u >> j)) != 0;
    }
    return false;
}

using PixelSet = std::set<std::pair<int, int>>;

// The picture pixels a line should set at pen (x, y), worked out from the hex
// rows and clipped to the picture.
static PixelSet ExpectedPixels(const std::string& text, int x, int y) {
    PixelSet pixels;
    for (size_t k = 0; k < text.size(); k++) {
        int code = static_cast<unsigned char>(text[k]);
        for (int i = 1; i <= 12; i++) {
            for (int j = 0; j < 8; j++) {
                int column = x + 8 * static_cast<int>(k) + j, row = y - i;
                if (HexCellSet(code, i, j) && column >= 0 && column < 320 && row >= 0 && row < 240)
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

TEST(Font, GlyphTableMatchesTheHexRows) {
    ASSERT_EQ(sizeof HexGlyphs / sizeof HexGlyphs[0], 95u);
    for (int code = 0; code < 256; code++) {
        const char* glyph = LargeFont[code];
        if (code < 32 || code > 126) {
            EXPECT_EQ(glyph, nullptr) << "code " << code;
            continue;
        }
        ASSERT_NE(glyph, nullptr) << "code " << code;
        ASSERT_EQ(std::strlen(glyph), 130u) << "code " << code;
        for (int i = 0; i < 13; i++) {
            for (int j = 0; j < 10; j++) {
                char cell = glyph[i * 10 + j];
                bool set = i >= 1 && j < 8 && HexCellSet(code, i, j);
                ASSERT_EQ(cell, set ? '1' : '0') << "code " << code << " row " << i << " cell " << j;
            }
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
    // '|' sets cells in rows 2 to 5 and 7 to 10; '_' only in row 11; '~' in 1 to 3.
    Extent top = DrawAndMeasure("|_~", 50, 245);
    EXPECT_EQ(top.maxRow, 245 - 7);  // rows 1 to 5 would be 244 to 240
    EXPECT_EQ(top.minRow, 245 - 11);
    ExpectLineDrawn("Hello, Qjy|~", 50, 245, 1, 2, 3);

    Extent bottom = DrawAndMeasure("|_~", 50, 5);
    EXPECT_EQ(bottom.maxRow, 5 - 1);  // the tilde's row 1
    EXPECT_EQ(bottom.minRow, 0);      // the bar's row 5; rows 6 to 12 are below row 0
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
    std::string row1, row11, row12;
    for (int code = 32; code <= 126; code++) {
        auto usesRow = [&](int i) {
            const char* row = LargeFont[code] + i * 10;
            return std::string(row, 10).find('1') != std::string::npos;
        };
        if (usesRow(1)) row1 += static_cast<char>(code);
        if (usesRow(11)) row11 += static_cast<char>(code);
        if (usesRow(12)) row12 += static_cast<char>(code);
    }
    EXPECT_EQ(row1, "$[]^bd~");
    EXPECT_EQ(row11, "$,;Q_gjpqy");
    EXPECT_EQ(row12, "gjpqy");
}

TEST(Font, TheSecondColourCoversTheFirst) {
    ResetProgramState();
    FillPattern();
    std::vector<uint8_t> before(ScreenPixels, ScreenPixels + ScreenBufferBytes);
    std::snprintf(TextLine, sizeof TextLine, "%s", "Two colours 2+2=4");
    DrawTextLine(20, 120, 255, 0, 0);
    DrawTextLine(20, 120, 0, 255, 0x1FF);  // only the low 8 bits count
    PixelSet expected = ExpectedPixels("Two colours 2+2=4", 20, 120);
    for (int p = 0; p < ScreenPixelCount; p++) {
        const uint8_t* got = ScreenPixels + p * 4;
        if (expected.count({p % 320, p / 320})) {
            ASSERT_EQ(got[0], 0);
            ASSERT_EQ(got[1], 255);
            ASSERT_EQ(got[2], 255);
            ASSERT_EQ(got[3], 255);
        } else {
            ASSERT_EQ(0, std::memcmp(got, before.data() + p * 4, 4)) << "pixel " << p;
        }
    }
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
