// Start-up, the main loop and its command keys.
#pragma once
#include <cstdint>

// Everything the entry point does: start-up, the main loop, shutdown.
// Returns the process exit code.
int RunExplorer();
// Makes every table and the first world, opens the window and paints the
// backdrop; false when the window cannot be opened.
bool StartExplorer();
// Runs the main loop until Escape, the quit message or a failed rescale;
// returns the exit code. The window is closed on the way out unless a
// reopening failed.
int RunMainLoop();
// The command keys, each tested once, in their fixed order; false when a
// rescale could not reopen the window.
bool ActOnCommandKeys();
// Closes and reopens the window at scale n (1..4); false when the reopening fails.
bool RescaleWindow(int32_t n);

// The title every window opening passes.
constexpr const char* WindowTitle = "TALVOX";
// Milliseconds from the start of StartExplorer to the first presented frame;
// measured for the README's figure.
extern double firstFrameMilliseconds;
