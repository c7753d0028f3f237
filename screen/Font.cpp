// Text: the shared line and its drawing through PutPixel.
#include "screen/Font.h"

#include <cstdarg>
#include <cstdio>

#include "screen/Screen.h"

char TextLine[TextLineBytes] = {};

void FormatTextLine(const char* format, ...) {
    va_list arguments;
    va_start(arguments, format);
    std::vsnprintf(TextLine, sizeof TextLine, format, arguments);
    va_end(arguments);
}

void DrawTextLine(int32_t, int32_t, int32_t, int32_t, int32_t) {}
