// Cell and object drawing, and the lights that colour them.
#pragma once
#include <cstdint>

// One face of the +-1 cube: the neighbour it faces, its normal, and four
// corners of texture coordinate (s, t) and vertex.
struct CellFace {
    int32_t dx, dy, dz;
    float normal[3];
    float corners[4][5];
};

// The faces of a cell in drawing order: +z (floor), -z (ceiling), +y, -y,
// +x, -x.
extern const CellFace CellFaces[6];

// Rebuilds activeLights from Lights: the lights nearest the player first.
void SelectActiveLights();
// Once per frame, before the first cell is drawn: moves the lantern to the
// player, places the marker light while '3'..'8' is held and teleports while
// 'T' is held.
void UpdateLanternAndKeys();
// Teleports the player to a random empty cell (up to 1000 tries), then pauses
// 500 ms whether or not one was found.
void TeleportPlayer();
// The colour of cell (x, y, z): the average of the active lights that reach
// it, each faded linearly to black at its radius.
void ComputeCellColour(int32_t x, int32_t y, int32_t z, uint8_t colour[3]);
// Draws the faces of cell (x, y, z) where it meets solid cells, coloured by
// the active lights; leaves the modelview scaled by 0.5.
void DrawCell(int32_t x, int32_t y, int32_t z);
// Draws a small spinning cube with the texture of slot.
void DrawObject(int32_t slot);
