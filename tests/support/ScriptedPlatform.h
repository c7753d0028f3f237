// The scripted backend of the platform seam: window events, held keys, the
// cursor and the clock are played back from what a test sets up, so that the
// shell runs deterministically. It needs no display and no SDL: tests, the
// benchmarks and the fuzz programs all link it. A program that draws asks for
// a real (hidden) GL context with UseRealContext, which lives apart in
// ScriptedContext.cpp with SDL2 and needs a display (Xvfb in CI).
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "app/Platform.h"

// The real GL context behind the scripted window: made when the window opens
// (false when it cannot be), shown on every swap, released when it closes,
// and asked for its GL functions by name. All null, as after a reset: the
// window has no context.
struct ScriptedContextCalls {
    bool (*open)(const char* title, int32_t width, int32_t height);
    void (*swap)();
    void (*close)();
    void* (*function)(const char* name);
};

extern bool scriptedKeys[256];
extern bool scriptedFocus;
extern ScriptedContextCalls scriptedContext;
extern int scriptedOpensBeforeFailure;  // -1: never fail
extern int scriptedOpenCount;
extern int scriptedCloseCount;
extern int32_t scriptedWindowWidth, scriptedWindowHeight;
extern int32_t scriptedWindowX, scriptedWindowY;
extern int32_t scriptedCursorX, scriptedCursorY;
// The display that holds the window, as PlatformCoverDisplay finds it;
// 1600 x 1200 after a reset.
extern int32_t scriptedDisplayWidth, scriptedDisplayHeight;
extern int scriptedCursorShows;
// Whether the pointer is captured (PlatformCapturePointer), and how often it
// was captured.
extern bool scriptedPointerCaptured;
// Whether the system refuses to capture the pointer; false after a reset.
extern bool scriptedCaptureRefused;
extern int scriptedPointerCaptures;
extern int scriptedSwaps;
// Whether the map controls were last shown (PlatformShowMapControls).
extern bool scriptedMapControlsShown;
// What PlatformReadPad answers; no pad after a reset.
extern PadState scriptedPad;
extern double scriptedClock;
// What PlatformRefreshRate answers; 60 after a reset.
extern int32_t scriptedRefreshRate;
extern std::vector<int32_t> scriptedSleeps;
// Each line handed to PlatformRepeatNotice (the page's status line), in order.
extern std::vector<std::string> scriptedRepeatedNotices;
// Called after every buffer swap with the number of swaps so far; tests use it
// to change keys and messages as the loop runs.
extern std::function<void(int)> scriptedOnSwap;
// Called after every pause (SysSleep, and so PlatformWaitAnswering) with its
// milliseconds; tests use it to change keys while the program waits.
extern std::function<void(int32_t)> scriptedOnSleep;

// Puts the scripted platform back to its start: window closed, no events,
// no keys, focus, no real GL, nothing recorded.
void ResetScriptedPlatform();
// Queues a window event for the loop to take, in the queue the real
// backends share (platform/PlatformEvents.cpp), after those waiting.
void QueueEvent(const WindowEvent& event);
// Takes every waiting event and drops it.
void ForgetEvents();
// The events tests queue most, as records.
WindowEvent KeyEvent(int32_t key, bool down);
WindowEvent MouseMoveEvent(int32_t x, int32_t y);
WindowEvent ActivateEvent(bool minimised, bool focused);
WindowEvent CloseEvent();
WindowEvent PointerMotionEvent(int32_t dx, int32_t dy);
// From the next opening on until the next reset, gives the scripted window a
// real, hidden GL context from SDL2 (defined in ScriptedContext.cpp).
void UseRealContext();
