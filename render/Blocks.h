// Lighting, and the shapes of cells and objects: the lights chosen near the
// player each frame and the colour they give a cell; the faces of a cell and
// the small spinning cube of an object.
#pragma once
#include <cstdint>

#include "world/WorldState.h"

// One face of the +-1 cube: its normal and four corners of texture
// coordinate (s, t) and vertex.
struct CellFace {
    float normal[3];
    float corners[4][5];
};

// The faces of a cell, one per cell side in the sides' order (+z floor, -z
// ceiling, +y, -y, +x, -x).
extern const CellFace CellFaces[CellSides];

// Room in activeLights, and how many the selection may take (24).
constexpr int ActiveLightSlots = 24;
extern int32_t maxActiveLights;
// The Lights slots chosen this frame, nearest passes first, and their count.
extern int32_t activeLights[ActiveLightSlots];
extern int32_t activeLightCount;

// Rebuilds activeLights from Lights: the lights nearest the player first.
void SelectActiveLights();
// The colour of cell (x, y, z): the average of the active lights that reach
// it, each faded linearly to black at its radius.
void ComputeCellColour(int32_t x, int32_t y, int32_t z, uint8_t colour[3]);
// Emits one face's normal, texture coordinates and vertices inside a
// glBegin(GL_QUADS).
void EmitFace(const CellFace& face);
// Draws a small spinning cube with the texture of slot.
void DrawObject(int32_t slot);
