// The 3D pass over the view cube: the faces and objects of the cells around
// the player that can show, drawn from the chunk cache in a few vertex-array
// batches instead of cell by cell; the open cells it looks through are
// marked as seen.
#pragma once
#include <cstdint>

// Draws the cells SX - viewRadius .. SX + viewRadius - 1 (and likewise in y
// and z) inside the world's shell as the cell rules say, with the current
// modelview as the camera; the picture is the one the cells drawn one by one
// in that order would give.
void DrawViewCube();
// Whether DrawViewCube records in SeenCells the open cells the view looks
// at or through: those the sight walk reaches, or where the view does not
// occlude, those whose faces it draws; true. (The frame bench turns it off
// to measure what the marking costs.)
extern bool seenMarking;
