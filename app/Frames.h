// One whole frame of the shell, as the main loop and the map progress run it.
#pragma once
#include <cstdint>

// The pause after a teleport.
constexpr int32_t TeleportPauseMilliseconds = 500;

// Runs one whole frame as the player asks for it now: reads the keys and the
// mouse, turns and moves the player (mouse-look, the lantern and teleport,
// then after a teleport a pause, and the walk by the keys held after it) and
// draws the picture into ScreenPixels between those steps (lights, camera,
// the view cube, read-back, composite and HUD). Presents nothing.
void RunFrame();
