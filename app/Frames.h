// One frame of the shell, as the main loop and the map progress draw it.
#pragma once
#include <cstdint>

// The pause after a teleport.
constexpr int32_t TeleportPauseMilliseconds = 500;

// One frame as the player asks for it now, into ScreenPixels: mouse-look,
// lights, camera, the lantern and teleport (then a pause, after a teleport),
// the view cube, movement by the walking keys held after that pause,
// read-back, composite and HUD. Presents nothing.
void DrawFrame();
