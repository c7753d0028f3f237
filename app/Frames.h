// One frame of the shell, as the main loop and the map progress draw it.
#pragma once
#include <cstdint>

// The pause after a teleport.
constexpr int32_t TeleportPauseMilliseconds = 500;

// One frame as the player asks for it now: reads the input once, then in
// order mouse-look, lights, camera, the lantern and teleport, the view cube,
// movement, read-back, composite and HUD into ScreenPixels; pauses after a
// teleport. Presents nothing.
void DrawFrame();
