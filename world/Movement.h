// Player movement along the view direction and the push back out of walls.
#pragma once
#include <cstdint>

// Which way the player asks to walk in one frame, read from the keys right
// before the movement step: after the frame's teleport pause, if any.
struct WalkInput {
    bool forward;   // the left mouse button, W or up: walk along the view
    bool backward;  // 'Z', S or down: walk back
    bool left;      // A: step to the left of the view, level
    bool right;     // D: step to the right of the view, level
};

// The frame's movement step: forward and backward as walk asks (a step of
// a tenth of a cell along the view), then left and right (the same length,
// across the view in the horizontal plane, whatever the pitch), then the wall
// push and the carry into the player cell.
void UpdatePlayerPosition(const WalkInput& walk);
// Pushes the player away from walls near the eye at (ex, ey, ez), measured
// from the low corner of the player cell; returns 1 when a diagonal rule fired.
int32_t PushOutOfWalls(float ex, float ey, float ez);
// The DungeonMap value of the cell (SX + floor(u), SY + floor(v), SZ + floor(w));
// a cell outside the volume reads as CellSolid.
uint8_t CellAt(float u, float v, float w);
