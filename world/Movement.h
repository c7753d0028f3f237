// Player movement along the view direction and the push back out of walls.
#pragma once
#include <cstdint>

struct PlayerInput;

// The frame's movement step: forward and backward as the input asks, then
// the wall push and the carry into the player cell.
void UpdatePlayerPosition(const PlayerInput& input);
// Pushes the player away from walls near the eye at (ex, ey, ez), measured
// from the low corner of the player cell; returns 1 when a diagonal rule fired.
int32_t PushOutOfWalls(float ex, float ey, float ez);
// The DungeonMap value of the cell (SX + floor(u), SY + floor(v), SZ + floor(w));
// a cell outside the volume reads as CellSolid.
uint8_t CellAt(float u, float v, float w);
