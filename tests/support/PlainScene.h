// The plain way of drawing the world, kept as the reference picture for the
// renderer: immediate mode, one matrix push, translate and pop per cell, the
// faces of each cell drawn as the cell rules say. It reads the current world,
// lights, view and textures and changes none of them.
#pragma once
#include <cstdint>
#include <vector>

// Clears, draws the cube of cells around the player as the frame would (with
// the lights as they stand, without moving the lantern or acting on keys), in
// the frame's own target where there is one, and reads the 320 x 240 image
// back into rgb (320 x 240 x 3 bytes, bottom row first).
void DrawPlainScene(uint8_t* rgb);
// The frame's read-back picture (ReadbackPixels) as DrawPlainScene gives its
// own: 320 x 240 x 3 bytes, bottom row first.
std::vector<uint8_t> ReadbackRgb();
// The lights the plain drawing chose (DrawPlainScene chooses them again each
// time; tests may set them for DrawPlainCell).
extern int32_t plainLights[24];
extern int32_t plainLightCount;
// Draws the faces of cell (x, y, z) where it meets solid cells, coloured by
// the lights of the last DrawPlainScene (or none), one glBegin per texture as
// the plain drawing does; leaves the modelview scaled by 0.5.
void DrawPlainCell(int32_t x, int32_t y, int32_t z);
// Draws the small spinning cube of an object with the texture of slot.
void DrawPlainObject(int32_t slot);
