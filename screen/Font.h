// The built-in 8 x 12 bitmap font and text drawing into ScreenPixels.
#pragma once
#include <cstdint>

constexpr int TextLineBytes = 256;

// The shared line that callers format and DrawTextLine draws.
extern char TextLine[TextLineBytes];

// The built-in font, indexed by character code: for codes 32 to 126 a glyph of
// 13 rows of 10 '0'/'1' cells (row 0 and cells 8, 9 unused), null otherwise.
extern const char* const LargeFont[256];

// Formats into TextLine with printf rules, cut to fit its 256 bytes.
void FormatTextLine(const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 1, 2)))
#endif
    ;
// Draws TextLine with its first glyph's left edge at column x and the glyphs'
// top row just below row y, every set cell in colour (r, g, b).
void DrawTextLine(int32_t x, int32_t y, int32_t r, int32_t g, int32_t b);
