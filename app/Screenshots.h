// F12: the picture as shown, saved as a PNG file in the screenshots folder.
#pragma once
#include <cstdint>

// How long the line saying where the screenshot went (or why it did not) is shown.
constexpr int32_t ScreenshotNoticeMilliseconds = 2000;

// Set by F12; the main loop saves the next frame it draws, before the
// notices are drawn over it, and clears it.
extern bool screenshotDue;

// The folder screenshots go into, "" or ending in '/'; made on first use.
const char* ScreenshotFolder();
// Writes ScreenPixels' 320 x 240 picture to a new PNG named by the local time,
// and shows a notice naming it or saying why not; true when it was written.
bool SaveScreenshot();
