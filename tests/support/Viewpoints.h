// Viewpoints for comparing pictures and timing frames: places in the open
// cells of the current world, looking where sight reaches far.
#pragma once
#include <cstdint>
#include <vector>

struct Viewpoint {
    int32_t x, y, z;  // the player cell; the eye at its centre
    float yaw, pitch;
    float reach;  // mean distance (cells) rays across the picture travel in open cells
};

// Up to count views from open cells near the middle of the world, at least
// spacing cells apart, whose rays across the picture travel furthest through
// open cells on average (each ray counted up to limit cells), best first.
// Only yaws and pitches the mouse can give are tried.
std::vector<Viewpoint> FindFarViews(int count, int32_t spacing, float limit);
// The mean distance rays across the picture travel through open cells from
// the centre of cell (x, y, z) looking along yaw and pitch, each up to limit.
float MeasureReach(int32_t x, int32_t y, int32_t z, float yaw, float pitch, float limit);
