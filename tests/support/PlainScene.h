// The plain way of drawing the world, kept as the reference picture for the
// renderer: immediate mode, one matrix push, translate and pop per cell, the
// faces of each cell drawn as the cell rules say. It reads the current world,
// lights, view and textures and changes none of them.
#pragma once
#include <cstdint>

// Clears, draws the cube of cells around the player as the frame would (with
// the lights as they stand, without moving the lantern or acting on keys) and
// reads the 320 x 240 image back into rgb (320 x 240 x 3 bytes, bottom row
// first).
void DrawPlainScene(uint8_t* rgb);
