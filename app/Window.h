// The render window: opening and closing it around the platform, its fixed
// GL state, whether it is minimised, the quit it was asked for, and the
// window handling, which says what each of the platform's window events does
// (its key and mouse events are input's: app/Input.h).
#pragma once
#include <cstdint>

struct WindowEvent;

// 0 while the window is minimised: no frame is drawn then. 1 at start-up.
extern uint8_t windowActive;
// Whether F11 has the window covering the display; false at start-up and
// after every opening.
extern bool displayCovered;
// Set by PostQuit until the main loop ends at its next pass, returning
// quitCode; false at start-up.
extern bool quitPosted;
extern int32_t quitCode;
// The display's refresh rate in hertz as the last opening found it; 60 when
// the platform cannot tell. The main loop paces itself to it.
extern int32_t displayRefreshRate;

// Opens the window with a current GL context and the fixed state set, and
// learns the clear colour's read-back key; false after releasing what it made.
bool OpenRenderWindow(const char* title, int32_t width, int32_t height, int32_t colourBits);
// Releases context and window; safe when nothing exists.
void CloseRenderWindow();
// Viewport and 45-degree perspective for a client size; height 0 counts as 1.
void SetupProjection(int32_t width, int32_t height);
// Uploads the textures and sets the fixed GL state every frame starts from.
void InitRenderState();
// Asks the main loop to end at its next pass, returning exitCode (a close
// request, the system's quit, Escape during a save or load).
void PostQuit(int32_t exitCode);
// Turns one window event into window, key, mouse and activity state: true
// when it was the program's, false when it is left to the platform's default
// processing (system keys, and whatever the platform has beyond these
// events).
bool HandleWindowEvent(const WindowEvent& event);
