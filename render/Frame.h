// One frame: mouse-look, lights, the 3D pass around the player, movement,
// read-back, composite and HUD, in that order.
#pragma once
#include <cstdint>

struct PlayerInput;

// Draws one frame into the back buffer and ScreenPixels, acting on what the
// player asks for in input on the way. Returns whether a teleport was tried,
// after which the caller pauses 500 ms before presenting.
bool RenderFrame(const PlayerInput& input);
// Multiplies the modelview by the camera: pitch, yaw, then the eye's offset
// inside the player cell.
void ApplyCamera();
// The 3D pass: the lantern and teleport once, then the cells of the
// (2 x viewRadius)^3 cube around the player with their objects. Returns
// whether a teleport was tried.
bool DrawVisibleCells(const PlayerInput& input);
