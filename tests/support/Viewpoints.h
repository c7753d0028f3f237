// Viewpoints for comparing pictures and timing frames: places in the open
// cells of the current world, looking where sight reaches far or standing
// where most is open, and the player put there; and the seeded sweep of
// random viewpoints.
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
// Objects of both kinds and alternative floors in the open cells within 6
// of view's cell, as a loaded map may have them.
void DecorateAround(const Viewpoint& view);
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

// ---------------------------------------------------------------------------
// The seeded sweep
// ---------------------------------------------------------------------------

// What a sweep viewpoint stands in: an open cell, rock, or a cell chosen so
// that a side of the view cube is a chunk's first or last layer of cells,
// looking towards that side.
enum SweepKind { SweepOpen, SweepRock, SweepChunkSide };

// One viewpoint of the sweep: the player cell and view angles, the eye's
// offsets in its cell, the view radius, the wall texture, and whether lights
// are scattered around it.
struct SweepView {
    Viewpoint view;
    float offsets[3];
    int32_t radius;
    int32_t texture;
    uint32_t lightSeed;
    SweepKind kind;
};

// The sweep's viewpoints in the current world, the same for the same seed and
// world: open ones at random open cells, rock ones at random rock cells, side
// ones at chunk boundaries; yaw 0..360, pitch -30..210 (all the mouse gives),
// offsets 0.02..0.98, radius 1..60.
std::vector<SweepView> MakeSweepViews(uint32_t seed, int open, int rock, int sides);
// Puts the player at a sweep viewpoint with its radius and wall texture, and
// scatters lights around it or clears them.
void PlaceSweepViewer(const SweepView& sweep);
// "open", "rock" or "chunk side".
const char* SweepKindName(SweepKind kind);
