// The scripted platform backend: every call of the platform seam is answered
// from, or recorded in, the scripted globals. The real GL context, when a test
// asks for one, is reached only through scriptedContext.
#include "tests/support/ScriptedPlatform.h"

#include <string>

#include "app/Platform.h"
#include "platform/PlatformEvents.h"
#include "sys/Time.h"

bool scriptedKeys[256] = {};
bool scriptedFocus = true;
ScriptedContextCalls scriptedContext = {nullptr, nullptr, nullptr, nullptr};
int scriptedOpensBeforeFailure = -1;
int scriptedOpenCount = 0;
int scriptedCloseCount = 0;
int32_t scriptedWindowWidth = 0, scriptedWindowHeight = 0;
int32_t scriptedWindowX = 0, scriptedWindowY = 0;
int32_t scriptedCursorX = 0, scriptedCursorY = 0;
int32_t scriptedDisplayWidth = 1600, scriptedDisplayHeight = 1200;
int scriptedCursorShows = 0;
bool scriptedPointerCaptured = false;
bool scriptedCaptureRefused = false;
int scriptedPointerCaptures = 0;
int scriptedSwaps = 0;
bool scriptedMapControlsShown = false;
PadState scriptedPad = {};
double scriptedClock = 0.0;
int32_t scriptedRefreshRate = 60;
std::vector<int32_t> scriptedSleeps;
std::vector<std::string> scriptedRepeatedNotices;
std::function<void(int)> scriptedOnSwap;
std::function<void(int32_t)> scriptedOnSleep;

static bool windowOpen = false;

void ResetScriptedPlatform() {
    PlatformCloseWindow();
    ForgetEvents();
    answerEveryMilliseconds = 1 << 30;
    for (bool& key : scriptedKeys) key = false;
    scriptedFocus = true;
    scriptedContext = {nullptr, nullptr, nullptr, nullptr};
    scriptedOpensBeforeFailure = -1;
    scriptedOpenCount = scriptedCloseCount = 0;
    scriptedWindowWidth = scriptedWindowHeight = scriptedWindowX = scriptedWindowY = 0;
    scriptedCursorX = scriptedCursorY = 0;
    scriptedDisplayWidth = 1600;
    scriptedDisplayHeight = 1200;
    scriptedCursorShows = 0;
    scriptedPointerCaptured = scriptedCaptureRefused = false;
    scriptedPointerCaptures = 0;
    scriptedSwaps = 0;
    scriptedMapControlsShown = false;
    scriptedPad = {};
    scriptedClock = 0.0;
    scriptedRefreshRate = 60;
    scriptedSleeps.clear();
    scriptedRepeatedNotices.clear();
    scriptedOnSwap = nullptr;
    scriptedOnSleep = nullptr;
}

void QueueEvent(const WindowEvent& event) { QueueWindowEvent(event); }

void ForgetEvents() {
    WindowEvent event;
    while (PlatformTakeEvent(&event)) {
    }
}

// The tests queue their events straight into the shared queue, as the
// page's callbacks do: there is nothing more to take from a system.
void PumpPlatformEvents() {}

WindowEvent KeyEvent(int32_t key, bool down) { return {down ? WindowKeyDown : WindowKeyUp, key, 0, 0, false, false}; }
WindowEvent MouseMoveEvent(int32_t x, int32_t y) { return {WindowMouseMove, 0, x, y, false, false}; }
WindowEvent ActivateEvent(bool minimised, bool focused) { return {WindowActivate, 0, 0, 0, minimised, focused}; }
WindowEvent CloseEvent() { return {WindowClose, 0, 0, 0, false, false}; }
WindowEvent PointerMotionEvent(int32_t dx, int32_t dy) { return {WindowPointerMotion, 0, dx, dy, false, false}; }

bool PlatformOpenWindow(const char* title, int32_t width, int32_t height, int32_t) {
    if (scriptedOpensBeforeFailure == 0) return false;
    if (scriptedOpensBeforeFailure > 0) scriptedOpensBeforeFailure--;
    if (scriptedContext.open && !scriptedContext.open(title, width, height)) {
        PlatformCloseWindow();
        return false;
    }
    scriptedOpenCount++;
    windowOpen = true;
    scriptedWindowWidth = width;
    scriptedWindowHeight = height;
    scriptedWindowX = scriptedWindowY = 0;
    return true;
}

void PlatformCloseWindow() {
    scriptedPointerCaptured = false;
    if (scriptedContext.close) scriptedContext.close();
    if (windowOpen) scriptedCloseCount++;
    windowOpen = false;
}

bool PlatformKeyHeld(int32_t virtualKey) {
    return scriptedFocus && virtualKey >= 0 && virtualKey < 256 && scriptedKeys[virtualKey];
}

void PlatformReadPad(PadState* pad) { *pad = scriptedPad; }

void PlatformSwapBuffers() {
    if (scriptedContext.swap) scriptedContext.swap();
    scriptedSwaps++;
    if (scriptedOnSwap) scriptedOnSwap(scriptedSwaps);
}

int32_t PlatformRefreshRate() { return scriptedRefreshRate; }

void* PlatformGlFunction(const char* name) {
    return windowOpen && scriptedContext.function ? scriptedContext.function(name) : nullptr;
}

void SysSleep(int32_t milliseconds) {
    scriptedSleeps.push_back(milliseconds);
    scriptedClock += milliseconds;
    if (scriptedOnSleep) scriptedOnSleep(milliseconds);
}

void PlatformCursorPosition(int32_t* x, int32_t* y) {
    *x = scriptedCursorX;
    *y = scriptedCursorY;
}

void PlatformMoveWindow(int32_t x, int32_t y, int32_t width, int32_t height) {
    scriptedWindowX = x;
    scriptedWindowY = y;
    scriptedWindowWidth = width;
    scriptedWindowHeight = height;
}

bool PlatformCoverDisplay(int32_t* width, int32_t* height) {
    if (!windowOpen) return false;
    PlatformMoveWindow(0, 0, scriptedDisplayWidth, scriptedDisplayHeight);
    *width = scriptedDisplayWidth;
    *height = scriptedDisplayHeight;
    return true;
}

void PlatformShowCursor() { scriptedCursorShows++; }

void PlatformRepeatNotice(const char* text, int32_t, bool) { scriptedRepeatedNotices.push_back(text); }

bool PlatformMovesWindow() { return true; }

void PlatformShowMapControls(bool shown) { scriptedMapControlsShown = shown; }

bool PlatformCapturePointer(bool captured) {
    if (!windowOpen || (captured && scriptedCaptureRefused)) return false;
    if (captured && !scriptedPointerCaptured) scriptedPointerCaptures++;
    scriptedPointerCaptured = captured;
    return captured;
}

double SysMilliseconds() { return scriptedClock; }
