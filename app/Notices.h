// Notices: short lines the user should read (a texture that was refused, a
// screenshot saved) shown in yellow over the picture for a while, without
// stopping the program. Lines stack down the picture from the line at
// (20, 100), oldest first (picture rows count up from the bottom).
#pragma once
#include <cstdint>

#include "screen/Font.h"
#include "screen/Screen.h"

constexpr int32_t NoticeX = 20;
constexpr int32_t NoticeY = 100;
constexpr int32_t NoticeLineStep = 12;
// At most this many lines are shown at once (a fourth, at y = 64, would put
// its descenders on the HUD's block line); a new one pushes out the oldest.
constexpr int32_t NoticeLines = 3;

// Characters of a notice line that fit across the picture.
constexpr int32_t NoticeColumns = (ScreenWidth - NoticeX) / GlyphColumns;

// The lines text takes as a notice: one, or two when it is too long for one
// and has a ": " to break after.
int32_t NoticeLinesOf(const char* text);
// Shows text over every frame drawn during the next milliseconds; text too
// long for a line is broken after its ": ", the rest on an indented second
// line.
void ShowNotice(const char* text, int32_t milliseconds);
// Shows text as one more notice line over the picture only: a detail under
// the notice just shown (a folder), which the page's status line leaves out.
void ShowNoticeDetail(const char* text, int32_t milliseconds);
// Draws the lines still due over ScreenPixels and drops those that are over.
void DrawNotices();
// Forgets every line.
void ClearNotices();
