// The 3D pass over the view cube: the faces and objects of the cells around
// the player that can show, drawn from the chunk cache in a few vertex-array
// batches instead of cell by cell.
#pragma once
#include <cstdint>

// What the last pass drew (for tests and the bench): chunks, single faces
// of lit chunks, black rectangles of merged faces, objects, and whether
// hidden faces were left out.
struct ViewCubeCounts {
    int32_t chunks;
    int32_t faces;
    int32_t rects;
    int32_t objects;
    bool occluding;
};
extern ViewCubeCounts viewCubeCounts;

// Draws the cells SX - viewRadius .. SX + viewRadius - 1 (and likewise in y
// and z) inside the world's shell as the cell rules say, with the current
// modelview as the camera; the picture is the one the cells drawn one by one
// in that order would give.
void DrawViewCube();
