// Start-up, the main loop and its command keys.
#pragma once
#include <cstdint>

// Makes every table and the first world, opens the window and paints the
// backdrop; false when the window cannot be opened.
bool StartExplorer();
// Runs the main loop until Escape, a posted quit or a failed rescale;
// returns the exit code. The window is closed on the way out unless a
// reopening failed.
int RunMainLoop();
// The command keys, each tested once, in their fixed order; false when a
// rescale could not reopen the window. Escape during a save or load posts
// the quit and leaves the keys after it unread.
bool ActOnCommandKeys();
// Closes and reopens the window at scale n (1..4), as a window even from
// fullscreen; false when the reopening fails.
bool RescaleWindow(int32_t n);
// F11: from a window, covers the display with the same window and places the
// picture at the largest whole zoom that fits, centred; from fullscreen,
// reopens the window at screenScale. False when that reopening fails.
bool ToggleFullscreen();
// When a pass that takes no message, ending now, may let the next one start:
// one interval (a second over passesPerSecond) after the previous such pass
// ended, or now when that is past (a late pass does not make the next ones
// hurry). Times in milliseconds; a rate of 0 or less counts as 60.
double PacedPassEnd(double previousEnd, double now, int32_t passesPerSecond);

// How often a pass that takes no message runs while the window is minimised
// (it still presents, swaps and acts on the keys; nothing is seen).
constexpr int32_t MinimisedPassesPerSecond = 10;
// The title every window opening passes.
constexpr const char* WindowTitle = "TALVOX";
// Milliseconds from the start of StartExplorer to the first presented frame;
// measured for the README's figure.
extern double firstFrameMilliseconds;
// When the last pass that took no message ended, on SysMilliseconds's
// clock; far in the past before the first.
extern double pacedPassEnd;

// What the swaps have shown since the window opened: whether each waits for
// the display, which then paces the loop by itself.
enum SwapPace { SwapPaceUnknown, SwapWaitsForDisplay, SwapDoesNotWait };
extern SwapPace swapPace;
// Swaps measured to judge swapPace, and of those how many waited.
constexpr int32_t SwapsToJudge = 8;
constexpr int32_t WaitingSwapsNeeded = 6;
// Judges from one swap whether swaps wait for the display, given when the
// pass's work began (after the last pace), when the swap began and when it
// returned: a swap that took most of what was left of the display's
// interval waited for it. swapPace is decided by the first SwapsToJudge
// swaps so judged after the window opened (a pass that worked most of an
// interval tells nothing), and gives up waiting once SwapsToJudge in a row
// did not wait.
void JudgeSwap(double workBegan, double swapBegan, double swapEnded);
// Forgets what the swaps have shown: the window (and its context) is new.
void ForgetSwapPace();
