// Cell and object drawing, and the lights that colour them.
#pragma once
#include <cstdint>

// Rebuilds activeLights from Lights: the lights nearest the player first.
void SelectActiveLights();
// Draws the faces of cell (x, y, z) where it meets solid cells, coloured by
// the active lights; leaves the modelview scaled by 0.5.
void DrawCell(int32_t x, int32_t y, int32_t z);
// Draws a small spinning cube with the texture of slot.
void DrawObject(int32_t slot);
