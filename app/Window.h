// The render window, its GL state, and the window handling that turns the
// backends' window events into key, mouse and activity state.
#pragma once
#include <cstdint>

struct WindowEvent;

extern uint8_t KeyDown[256];
// 1 from a key-down message until the command keys have acted once, so that a
// key tapped while the loop was busy (its key-up already handled before the
// next frame) still acts once.
extern uint8_t KeyTapped[256];
// 1 once a press of the key has been taken by TakeKeyPress, until its key-up
// message: the key's repeats while it is held are not new presses.
extern uint8_t KeyTaken[256];
// 0 while the window is minimised: no frame is drawn then. 1 at start-up.
extern uint8_t windowActive;
extern int32_t mouseX;
extern int32_t mouseY;
// Whether Tab has captured the pointer for mouse-look; false at start-up.
// Losing the focus, minimising or closing the window releases it.
extern bool pointerCaptured;
// The captured pointer's motion in window pixels since the frame last read
// it (right and down positive).
extern int32_t pointerMotionX;
extern int32_t pointerMotionY;
// Set when the pointer is released: mouse-look waits until the pointer
// moves with a button held, so that the view does not jump to it; from where
// it was when released, or last seen with no button held.
extern bool lookWaitsForMove;
extern int32_t releasedMouseX;
extern int32_t releasedMouseY;
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
// Whether the key's entry is set: down now, or tapped since the command keys
// last acted.
bool IsKeyPressed(int32_t virtualKey);
// For keys that act once per press (F11, F12): true when the key's entry is
// set and this press has not been taken yet.
bool TakeKeyPress(int32_t virtualKey);
// Called once the command keys have acted: every tap has then had its effect.
void ForgetKeyTaps();
// Captures the pointer for mouse-look, or releases it (then mouse-look
// waits for the pointer to move with a button held); nothing when it is
// already so.
void CapturePointer(bool captured);
// Turns one window event into key, mouse and activity state: true when it was
// handled here, false when it is left to the platform's default processing
// (system keys, and whatever the platform has beyond these events).
bool HandleWindowEvent(const WindowEvent& event);
