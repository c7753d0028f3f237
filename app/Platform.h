// The platform seam: the window, the GL context and input, everything the
// explorer needs from the operating system but files and time. One backend
// in platform/ implements it per build: PlatformSdl.cpp (Linux, and anywhere
// SDL2 runs), PlatformWin32.cpp (Windows) and PlatformWeb.cpp (a browser
// page); the tests have a scripted one (tests/support/ScriptedPlatform.cpp).
// Calls go one way: the explorer calls the platform, and takes the window's
// events back from it when it asks. The one call the other way is the entry
// point's RunExplorer. Nothing outside the backends includes a platform
// header. The half that needs no window (files, clock, sleep) is the system
// layer's: sys/Files.h and sys/Time.h.
#pragma once
#include <cstdint>

// What happened to the window, in the program's own words: every backend
// turns its platform's events into these records, which the main loop takes
// (PlatformTakeEvent) and hands to its window handling (app/Window.h).
enum WindowEventKind {
    WindowKeyDown,        // key went down, or repeats while held
    WindowKeyUp,          // key went up
    WindowSystemKey,      // key went down or up as one of the system's own (Alt held; F10 on Windows)
    WindowMouseMove,      // the pointer is at x, y in client pixels
    WindowButtonDown,     // the mouse button key (KeyLeftButton, ...) went down
    WindowButtonUp,       // the mouse button key went up
    WindowActivate,       // the window was minimised, restored, focused or left: minimised, focused
    WindowResize,         // the client area is x wide and y high now
    WindowScreenSaver,    // the system is about to start the screen saver or power the display down
    WindowClose,          // the user asks the window to close
    WindowPointerMotion,  // the captured pointer moved by x, y window pixels (right, down)
    WindowTouchLook,      // a finger dragged over the picture by x, y window pixels: it turns the view as
                          // the captured pointer does, captured or not
    WindowTouched,        // a finger touched the page's picture or its controls: touch is in use
    WindowAreaGiven,      // the platform sized the client area itself, x wide and y high (a page fitting its
                          // canvas to the screen's pixels and the view): the picture is placed in it
    WindowQuit,           // the system asks the program to end with exit code x (a quit message sent from
                          // outside on Windows)
    WindowSaveAsked,      // the page's Save control, held half a second: save the map, whatever else is held
    WindowLoadAsked,      // the page's Load control, held half a second: load the map, whatever else is held
    WindowFinishAsked,    // the page's "Finish now": finish the save or load under way at once, then go on
                          // (no key a keyboard or other software sends does this)
    WindowZoomAsked,      // the page's map "Zoom": the map's zoom one step round 1, 2 and 4
};

struct WindowEvent {
    WindowEventKind kind;
    int32_t key;     // our key code (app/KeyCodes.h) of key and button events
    int32_t x, y;    // mouse moves and resizes; the exit code of a quit
    bool minimised;  // activation: the window is minimised now
    bool focused;    // activation: the window has the keyboard focus now
};

// A gamepad's buttons in the standard layout (as SDL's game controllers,
// XInput and the browser's standard mapping have them).
enum PadButton {
    PadA,
    PadB,
    PadX,
    PadY,
    PadBack,
    PadStart,
    PadLeftShoulder,
    PadRightShoulder,
    PadUp,
    PadDown,
    PadLeft,
    PadRight,
    PadRightStick,  // the right stick pressed in
    PadButtonCount
};

// A gamepad as the platform reads it now: its sticks from -1 to 1 (right and
// down positive) and which buttons are held.
struct PadState {
    bool connected;
    float leftX, leftY, rightX, rightY;
    bool buttons[PadButtonCount];
};

// The explorer's side, called by each entry point (main, WinMain, the page's
// main): start-up, the main loop and shutdown. Returns the process's exit
// code.
int RunExplorer();

// When the window opens: creates the borderless window titled title at the
// screen's top-left with a client area of width x height, and a
// double-buffered GL context (colourBits colour, 16 depth bits asked for),
// current on this thread, with swaps synchronised to the display where the
// driver allows it; shows it and gives it the keyboard focus. A platform that
// sizes the client area itself (a page) may give another size, which it
// tells with WindowAreaGiven, then and whenever it changes.
// Returns false after releasing whatever it made.
bool PlatformOpenWindow(const char* title, int32_t width, int32_t height, int32_t colourBits);
// When the window closes: releases context and window; safe when some or all
// of them are missing.
void PlatformCloseWindow();

// At each pass of the main loop, and nowhere else: takes the oldest event
// waiting for the window into *event. Returns false when none waits.
bool PlatformTakeEvent(WindowEvent* event);
// Whether the key or mouse button (our key code) is physically down now;
// false while another window has the keyboard focus.
bool PlatformKeyHeld(int32_t virtualKey);
// At the start of every frame, by input: the state of the first gamepad
// connected (one plugged in meanwhile is taken up); all zero, not
// connected, when there is none or the window does not have the focus.
void PlatformReadPad(PadState* pad);
// After each presentation: shows the back buffer.
void PlatformSwapBuffers();
// The address of the current context's GL function name (an extension's),
// null when the context has none.
void* PlatformGlFunction(const char* name);
// The display's refresh rate in hertz, 0 when the platform cannot tell.
int32_t PlatformRefreshRate();
// For the pauses of map saving and loading: waits about milliseconds while
// the platform keeps answering the desktop (so the window is never shown as
// not responding); the events that come meanwhile wait for the main loop.
// With a stopKey (our key code; 0 for none) it returns early, true, as soon
// as that key is held or its press waits among those events, or as soon as
// the page's "Finish now" waits there (PlatformFinishAsked); false when the
// time ran out.
bool PlatformWaitAnswering(int32_t milliseconds, int32_t stopKey);
// During a save or load: whether the page's "Finish now" was pressed (its
// WindowFinishAsked waits among the events the main loop has not taken).
bool PlatformFinishAsked();
// When the program shows a notice or a save's or load's line: the page
// repeats text in its status line, where screen readers announce it, for
// about milliseconds (0: until the next line), and while mapUnderWay offers
// its control that finishes the save or load; the desktop backends do
// nothing.
void PlatformRepeatNotice(const char* text, int32_t milliseconds, bool mapUnderWay);
// Whether M can move the window: false where the platform has no window of
// its own to move (a page).
bool PlatformMovesWindow();
// When a map (the whole map or the corner map) is shown or hidden, and once
// at start-up (hidden): the page shows its map controls ("Level up", "Level
// down", "Zoom") while one is, in places kept for them, so that no other
// control moves; the desktop backends do nothing.
void PlatformShowMapControls(bool shown);
// The pointer's position on the screen.
void PlatformCursorPosition(int32_t* x, int32_t* y);
// Moves the window's top-left corner to (x, y) with a client area of width
// x height, and repaints.
void PlatformMoveWindow(int32_t x, int32_t y, int32_t width, int32_t height);
// Moves and sizes the open window, borderless, to cover the display that
// holds it, in front of other windows; *width and *height receive its client
// size then. False, with nothing changed, when it cannot.
bool PlatformCoverDisplay(int32_t* width, int32_t* height);
// Shows the mouse pointer over the window.
void PlatformShowCursor();
// With captured true, hides the pointer and holds it inside the window, which
// then reports its moves as WindowPointerMotion instead of WindowMouseMove;
// with false, gives the pointer back, shown and free. Returns whether the
// pointer is captured now: false without a window or where the platform
// cannot hold it. Closing the window releases it.
bool PlatformCapturePointer(bool captured);
