// Reading the player's keys and mouse: polled key state, and each frame the
// records of what the player asks for, handed down to the frame: the look,
// marker and teleport when the frame begins, the walk at its movement step.
#pragma once
#include <cstdint>

#include "world/Movement.h"
#include "world/Player.h"

// True while the key or mouse button (virtual-key code) is down.
bool IsKeyHeld(int32_t virtualKey);
// What the held keys and buttons and the last mouse position ask for now:
// look while any button is held (the mouse in picture units at the window
// scale, or through the fullscreen zoom and margins), the marker for the
// highest of '3'..'8', teleport with 'T', and the turn of the left and right
// arrow keys. While the pointer is captured, its motion since the last call
// (taken, in picture units) turns the view instead of the mouse position.
PlayerInput ReadPlayerInput();
// Which way the held keys ask to walk now: forward with the left button, W or
// the up arrow, back with 'Z', S (not with Ctrl, which saves) or the down
// arrow, sideways with A and D.
WalkInput ReadWalkInput();
