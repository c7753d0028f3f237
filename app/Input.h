// Reading the player's keys and mouse: polled key state, and once per frame
// the record of what the player asks for, handed down to the frame.
#pragma once
#include <cstdint>

#include "world/Player.h"

// True while the key or mouse button (virtual-key code) is down.
bool IsKeyHeld(int32_t virtualKey);
// What the held keys and buttons and the last mouse position ask for now:
// look while any button is held (the mouse in picture units at the window
// scale, or through the fullscreen zoom and margins), walk forward with the
// left button and back with 'Z', the marker for the highest of '3'..'8',
// teleport with 'T'.
PlayerInput ReadPlayerInput();
