// One frame: mouse-look, lights, the 3D pass around the player, movement,
// read-back, composite and HUD.
#pragma once
#include <cstdint>

extern float yaw;
extern float pitch;

// Draws one frame into the back buffer and ScreenPixels; always returns 1.
int32_t RenderFrame();
// Mouse-look: while a mouse button is held, the view angles follow the mouse
// position in 320 x 240 units.
void UpdateViewAngles();
// Multiplies the modelview by the camera: pitch, yaw, then the eye's offset
// inside the player cell.
void ApplyCamera();
// The 3D pass: the lantern and keys once, then the cells of the
// (2 x viewRadius)^3 cube around the player with their objects.
void DrawVisibleCells();
