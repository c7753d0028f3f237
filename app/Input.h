// Input has one owner: every key, button, mouse and pointer state the
// explorer reads lives here, and so does what the window's key and mouse
// events do to it. Keys are read in two ways: held now (the platform's
// physical state, asked at the moment it is needed) and pressed since the
// command keys last acted (kept from the window's key events, so that a tap
// is never lost). Each frame the held keys and the mouse become the records
// handed down to the player's rules: the look, marker and teleport when the
// frame begins, the walk at its movement step.
#pragma once
#include <cstdint>

#include "world/Movement.h"
#include "world/Player.h"

#include "app/KeyCodes.h"
#include "app/Platform.h"

extern uint8_t KeyDown[256];
// The presses of each key not yet acted on (a key-down that follows its
// key-up; repeats while held are not presses), so that a key tapped while
// the loop was busy (its key-up already handled before the next frame)
// still acts, once a press.
extern uint8_t KeyTapped[256];
// 1 once a press of the key has been taken by TakeKeyPress, until its key-up
// event: the key's repeats while it is held are not new presses.
extern uint8_t KeyTaken[256];
extern int32_t mouseX;
extern int32_t mouseY;
// Whether Tab has captured the pointer for mouse-look; false at start-up.
// Losing the focus, minimising or closing the window releases it.
extern bool pointerCaptured;
// The captured pointer's motion, and a finger's dragged over the picture, in
// window pixels since the frame last read it (right and down positive).
extern int32_t pointerMotionX;
extern int32_t pointerMotionY;
// Whether a finger has touched the page (WindowTouched): the help then
// names the touch controls; false at start-up.
extern bool touchUsed;
// Set when the pointer is released: mouse-look waits until the pointer
// moves with a button held, so that the view does not jump to it; from where
// it was when released, or last seen with no button held.
extern bool lookWaitsForMove;
extern int32_t releasedMouseX;
extern int32_t releasedMouseY;

// How far a gamepad's stick must lean before it acts; within, it is centred.
constexpr float PadDeadZone = 0.25f;
// How fast the right stick, leant all the way, turns the view: as fast as a
// held arrow key at 60 frames a second.
constexpr float PadTurnDegreesPerSecond = 120.0f;
// The longest time one read of the pad turns the view for (after a pause,
// the stick turns no further than in a tenth of a second).
constexpr double PadLongestTurnMilliseconds = 100.0;

// The key each gamepad button stands for: A teleports, X scatters the
// lights, Y takes the picture, the shoulders step the view radius, left and
// right on the pad make the two worlds, up and down browse the map's levels
// (while a map is shown), Start shows the help, Back the map, the right
// stick pressed in levels the view.
struct PadButtonKey {
    PadButton button;
    int32_t key;
};
constexpr PadButtonKey PadButtonKeys[] = {
    {PadA, 'T'},
    {PadX, 'L'},
    {PadY, KeyF12},
    {PadLeftShoulder, KeyOpenBracket},
    {PadRightShoulder, KeyCloseBracket},
    {PadLeft, '1'},
    {PadRight, '2'},
    {PadUp, KeyPageUp},
    {PadDown, KeyPageDown},
    {PadStart, 'H'},
    {PadBack, 'N'},
    {PadRightStick, 'V'},
};

// The gamepad as ReadPad last found it; not connected at start-up.
extern PadState padState;

// Held now: true while the key or mouse button (virtual-key code) is down,
// as the platform tells at the moment of the call, or while the gamepad
// button that stands for it is held.
bool IsKeyHeld(int32_t virtualKey);
// For the command keys, once a pass: the key's entry is down, or a press of
// it waits (then taken: one press acts in one pass).
bool WasKeyPressed(int32_t virtualKey);
// For the polled command keys, once a pass: held now, or a press of it
// waits (then taken), so that a tap acts once even when it came and went
// while the program was busy.
bool KeyActs(int32_t virtualKey);
// For keys that act once per press (F10 to F12, H, U, N, O, the map's keys,
// Tab): true when a press of the key waits, or it is down and this press
// has not been taken yet.
bool TakeKeyPress(int32_t virtualKey);
// After the command keys have acted: the next pass may take the next press
// of each key.
void EndCommandKeysPass();
// When the window loses the keyboard focus: every key the keyboard holds
// is let go as its key-up would, for those key-ups go to another window.
// A tap not yet acted on still acts.
void LetGoOfKeyboard();
// Forgets every key: none down, tapped or taken (the gamepad's apart), and
// the save, load and zoom the page asked for.
void ForgetKeys();
// Captures the pointer for mouse-look, or releases it (then mouse-look
// waits for the pointer to move with a button held); nothing when it is
// already so. Stays released where the platform cannot hold it.
void CapturePointer(bool captured);
// What a key, button, mouse or pointer event does to the state above: true
// when it is the program's, false for the system's keys (left to the
// platform) and for events that are not input.
bool RecordInputEvent(const WindowEvent& event);

// At the start of every frame (the loop's and a save's or load's): reads
// the gamepad. Its buttons going down act as their keys' presses
// (PadButtonKeys) and count as held keys while held; going up they let
// their keys go, unless the keyboard holds them too. A pad pulled out lets
// them all go. The right stick's lean turns the view for the time since the
// last read, at most PadLongestTurnMilliseconds (ReadPlayerInput takes it).
void ReadPad();
// In a pass that draws no frame (minimised, hidden): the pad is not read,
// so what it held is let go, as when it is pulled out; a button still held
// when it is read again acts only once it is let go and pressed anew.
void LetGoOfPad();
// Forgets the gamepad: none connected, no button held, no turn waiting.
void ForgetPad();

// What the held keys and buttons and the last mouse position ask for now:
// look while any button is held (the mouse in picture units at the window
// scale, or through the fullscreen zoom and margins), the marker for the
// highest of '3'..'8', teleport with 'T', the view levelled with 'V', and
// the turn of the left and right arrow keys; a press of T, '3'..'8' or V
// that came and went since the last frame counts once as held. While the pointer is captured, its motion since the last call
// (taken, in picture units) turns the view instead of the mouse position; so
// do a dragged finger and the gamepad's right stick (taken too).
PlayerInput ReadPlayerInput();
// Which way the held keys ask to walk now: forward with the left button, W or
// the up arrow, back with 'Z', S (not with Ctrl, which saves) or the down
// arrow, sideways with A and D; and the gamepad's left stick leant beyond
// the dead zone, each way as its keys.
WalkInput ReadWalkInput();

// For the command keys, once a pass, given whether Ctrl, S and L act now
// (KeyActs): whether to save the map. A save starts from S pressed with
// Ctrl held: not from an S already held for walking when Ctrl went down, and
// never when L asks for a load with it (the save would write over the map
// about to be loaded); or from the page's Save control, whatever is held.
bool MapSaveAsked(bool controlActs, bool sActs, bool lActs);
// For the command keys, once a pass: whether to load the map, from Ctrl and
// L, or from the page's Load control, whatever is held.
bool MapLoadAsked(bool controlActs, bool lActs);
// For the map's keys, once a pass: whether the page's Zoom control asked to
// step the map's zoom (one press each time).
bool MapZoomAsked();
