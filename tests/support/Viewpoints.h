// Viewpoints for comparing pictures and timing frames: places in the open
// cells of the current world, looking where sight reaches far or standing
// where most is open, and the player put there.
#pragma once
#include <cstdint>
#include <vector>

struct Viewpoint {
    int32_t x, y, z;  // the player cell
    float yaw, pitch;
    float offset = 0.5f;  // px, py and pz alike: 0.5 puts the eye at the cell's centre
    float reach = 0.0f;   // how far sight reaches (FindFarViews), how open it is (FindOpenViews)
};

// Puts the player at view: its cell, offsets and view angles.
void PlaceViewer(const Viewpoint& view);
// Up to count empty cells near the middle of the world with the most empty
// cells in the 5 x 5 x 5 around them, at least spacing cells apart, most open
// first; they look along three yaw and pitch pairs in turn.
std::vector<Viewpoint> FindOpenViews(int count, int32_t spacing);

// Up to count views from open cells near the middle of the world, at least
// spacing cells apart, whose rays across the picture travel furthest through
// open cells on average (each ray counted up to limit cells), best first.
// Only yaws and pitches the mouse can give are tried.
std::vector<Viewpoint> FindFarViews(int count, int32_t spacing, float limit);
// The mean distance rays across the picture travel through open cells from
// the centre of cell (x, y, z) looking along yaw and pitch, each up to limit.
float MeasureReach(int32_t x, int32_t y, int32_t z, float yaw, float pitch, float limit);
