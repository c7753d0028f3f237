// Text: the shared line, its formatting and its drawing through PutPixel with
// the built-in 8 x 12 font (the glyphs are in screen/FontGlyphs.cpp).
#include "screen/Font.h"

#include <cstdarg>
#include <cstdio>

#include "screen/Screen.h"

char TextLine[TextLineBytes] = {};

static constexpr int32_t GlyphAdvance = 8;

bool GlyphCellSet(int code, int row, int column) {
    if (code < FirstGlyphCode || code > LastGlyphCode) return false;
    if (row < 0 || row >= GlyphRows || column < 0 || column >= GlyphColumns) return false;
    return (FontGlyphs[code - FirstGlyphCode][row] & (0x80 >> column)) != 0;
}

void FormatTextLine(const char* format, ...) {
    va_list arguments;
    va_start(arguments, format);
    std::vsnprintf(TextLine, sizeof TextLine, format, arguments);
    va_end(arguments);
}

void DrawTextLine(int32_t x, int32_t y, int32_t r, int32_t g, int32_t b) {
    int32_t pen = x;
    // The line ends at its terminator, and never past the buffer.
    for (int32_t k = 0; k < TextLineBytes && TextLine[k] != 0; k++) {
        // char may be signed: codes 128 to 255 must read as themselves.
        int code = static_cast<unsigned char>(TextLine[k]);
        // A character without a glyph sets no cell and leaves a blank, like a space.
        for (int32_t row = 0; row < GlyphRows; row++) {
            for (int32_t column = 0; column < GlyphColumns; column++) {
                if (GlyphCellSet(code, row, column)) PutPixel(pen + column, y - 1 - row, r, g, b);
            }
        }
        pen += GlyphAdvance;
    }
}
