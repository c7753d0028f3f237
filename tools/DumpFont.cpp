// Writes the built-in font to standard output as plain text, one glyph a line:
// the character code in decimal, then its 12 rows from the top down as two hex
// digits each, bit 7 the leftmost cell, e.g. "33 00 30 78 78 78 30 30 00 30 30 00 00".
// The end-to-end tests read the HUD back from screenshots with it.
// Usage: talvox_dump_font
#include <cstdio>

#include "screen/Font.h"

int main() {
    for (int code = FirstGlyphCode; code <= LastGlyphCode; code++) {
        std::printf("%d", code);
        for (int row = 0; row < GlyphRows; row++) std::printf(" %02X", FontGlyphs[code - FirstGlyphCode][row]);
        std::printf("\n");
    }
    return std::fflush(stdout) == 0 ? 0 : 1;
}
