// What the renderer did, counted for the tests and the benchmark; nothing in
// the program reads these. Kept apart from the renderer's own headers so that
// the drawing code's interface says only what the program needs.
#pragma once
#include <cstdint>

// What the last 3D pass drew: chunks, single faces of lit chunks, black
// rectangles of merged faces, objects, whether hidden faces were left out,
// and how many cells lines of sight were followed through.
struct ViewCubeCounts {
    int32_t chunks;
    int32_t faces;
    int32_t rects;
    int32_t objects;
    bool occluding;
    int32_t sightCells;
};
extern ViewCubeCounts viewCubeCounts;
// Chunk builds since the program started.
extern int64_t chunkBuilds;
// Sight walks since the program started: views walked whole on the drawing
// thread, and halves of views walked on the helper thread.
extern int64_t wholeSightWalks;
extern int64_t helperSightWalks;
