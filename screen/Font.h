// The built-in 8 x 12 bitmap font and text drawing into ScreenPixels.
#pragma once
#include <cstdint>

constexpr int TextLineBytes = 256;

// The shared line that callers format and DrawTextLine draws.
extern char TextLine[TextLineBytes];

// Formats into TextLine with printf rules, cut to fit its 256 bytes.
void FormatTextLine(const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 1, 2)))
#endif
    ;
// Draws TextLine with its first glyph's left edge at column x and the glyphs'
// top row just below row y, every set cell in colour (r, g, b).
void DrawTextLine(int32_t x, int32_t y, int32_t r, int32_t g, int32_t b);
