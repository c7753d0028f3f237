// The 3D pass over the view cube: the faces and objects of the cells around
// the player that can show, drawn from the chunk cache in a few vertex-array
// batches instead of cell by cell.
#pragma once
#include <cstdint>

// Draws the cells SX - viewRadius .. SX + viewRadius - 1 (and likewise in y
// and z) inside the world's shell as the cell rules say, with the current
// modelview as the camera; the picture is the one the cells drawn one by one
// in that order would give.
void DrawViewCube();
