// Notices: short lines the user should read (a texture that was refused, a
// screenshot saved) shown in yellow over the picture for a while, without
// stopping the program. Lines stack down the picture from the line at
// (20, 100), oldest first (picture rows count up from the bottom).
#pragma once
#include <cstdint>

constexpr int32_t NoticeX = 20;
constexpr int32_t NoticeY = 100;
constexpr int32_t NoticeLineStep = 12;
// At most this many lines are shown at once; a new one pushes out the oldest.
constexpr int32_t NoticeLines = 8;

// Called by whatever has something to say: shows text (cut to a line) over
// every frame drawn during the next milliseconds.
void ShowNotice(const char* text, int32_t milliseconds);
// Called by the main loop after a frame is drawn and before it is presented:
// draws the lines still due over ScreenPixels and drops those that are over.
void DrawNotices();
// Called by tests: forgets every line.
void ClearNotices();
