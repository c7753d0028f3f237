// The heads-up display drawn over every frame.
#pragma once

// Draws the HUD lines into ScreenPixels, white, in their fixed places.
void DrawHud();
