// The scripted backend of the platform seam: window messages, held keys, the
// cursor and the clock are played back from what a test sets up, so that the
// shell runs deterministically. With scriptedRealGL set, the window gets a
// real (hidden) GL context from SDL2, which needs a display (Xvfb in CI).
#pragma once
#include <cstdint>
#include <deque>
#include <functional>
#include <vector>

struct ScriptedMessage {
    uint32_t message;
    uintptr_t wParam;
    intptr_t lParam;
};

extern std::deque<ScriptedMessage> scriptedMessages;
extern bool scriptedKeys[256];
extern bool scriptedFocus;
extern bool scriptedRealGL;
extern int scriptedOpensBeforeFailure;  // -1: never fail
extern int scriptedOpenCount;
extern int scriptedCloseCount;
extern int32_t scriptedWindowWidth, scriptedWindowHeight;
extern int32_t scriptedWindowX, scriptedWindowY;
extern int32_t scriptedCursorX, scriptedCursorY;
extern int scriptedCursorShows;
extern int scriptedSwaps;
extern double scriptedClock;
extern std::vector<int32_t> scriptedSleeps;
// Called after every buffer swap with the number of swaps so far; tests use it
// to change keys and messages as the loop runs.
extern std::function<void(int)> scriptedOnSwap;

// Puts the scripted platform back to its start: no messages, no keys, focus,
// no real GL, nothing recorded.
void ResetScriptedPlatform();
// Queues a window message for the loop to take.
void QueueMessage(uint32_t message, uintptr_t wParam = 0, intptr_t lParam = 0);
