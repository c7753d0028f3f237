// The built-in 8 x 12 bitmap font and text drawing into ScreenPixels.
#pragma once
#include <cstdint>

constexpr int TextLineBytes = 256;
constexpr int FirstGlyphCode = 32;
constexpr int LastGlyphCode = 126;
constexpr int GlyphCount = LastGlyphCode - FirstGlyphCode + 1;
constexpr int GlyphRows = 12;
constexpr int GlyphColumns = 8;

// The shared line that callers format and DrawTextLine draws.
extern char TextLine[TextLineBytes];

// The built-in font: entry code - FirstGlyphCode is the glyph of code, as its
// rows top first, one byte per row with bit 7 (0x80) the leftmost cell.
extern const uint8_t FontGlyphs[GlyphCount][GlyphRows];

// Whether cell (row, column) of the glyph of code is set, row 0 the top and
// column 0 the leftmost; false for codes without a glyph and cells outside it.
bool GlyphCellSet(int code, int row, int column);

// Formats into TextLine with printf rules, cut to fit its 256 bytes.
void FormatTextLine(const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 1, 2)))
#endif
    ;
// Draws TextLine with its first glyph's left edge at column x and the glyphs'
// top row just below row y, every set cell in colour (r, g, b).
void DrawTextLine(int32_t x, int32_t y, int32_t r, int32_t g, int32_t b);
