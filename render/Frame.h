// One frame: mouse-look, lights, the 3D pass around the player, movement,
// read-back, composite and HUD.
#pragma once
#include <cstdint>

extern float yaw;
extern float pitch;

// Draws one frame into the back buffer and ScreenPixels; always returns 1.
int32_t RenderFrame();
