// The world cut into chunks of 16 x 16 x 16 cells, each holding what the 3D
// pass needs of its cells: the faces its open cells show against rock and
// its objects. Chunks are built on first use and all dropped whenever the
// volumes change (volumeRevision).
#pragma once
#include <cstdint>
#include <vector>

constexpr int32_t ChunkSide = 16;
// For a side's axis (0 x, 1 y, 2 z), the other two axes in x, y, z order:
// the u and v of a slice across that axis (rectangles).
constexpr int SliceAxes[3][2] = {{1, 2}, {0, 2}, {0, 1}};

// Face lists of a chunk, in drawing-texture order: floors with the floor
// texture, floors with the green one (FlagAltTexture), then ceilings and the four walls,
// which take the wall texture. A list's side is CellFaces' face index.
constexpr int ChunkFaceLists = 7;
constexpr int ChunkFloorList = 0;
constexpr int ChunkAltFloorList = 1;
// The CellFaces index (0 +z, 1 -z, 2 +y, 3 -y, 4 +x, 5 -x) of list l.
inline int ChunkListSide(int list) { return list < 2 ? 0 : list - 1; }

// One face: the cell's offset inside the chunk; the side comes from its list.
struct ChunkFace {
    uint8_t x, y, z;
};

// Faces of one side merged into a rectangle of a chunk slice: slice is the
// offset along the side's axis, u and v the offsets along the other two axes
// in x, y, z order (x and y for z faces, x and z for y faces, y and z for x
// faces), both ends inclusive. Faces no light reaches are black whatever
// their texture, so such rectangles draw the same pixels as their faces.
struct ChunkRect {
    uint8_t slice;
    uint8_t u0, v0, u1, v1;
};

// One object: the cell's offset inside the chunk and its texture slot
// (CubeTextureSlot for FlagCube, GreenTextureSlot for FlagActor).
struct ChunkObject {
    uint8_t x, y, z;
    uint8_t slot;
};

struct Chunk {
    bool built;
    int32_t x0, y0, z0;  // first cell
    int32_t x1, y1, z1;  // last cell (inclusive)
    // faces[first[l] .. first[l + 1]) is face list l.
    std::vector<ChunkFace> faces;
    int32_t first[ChunkFaceLists + 1];
    // rects[firstRect[s] .. firstRect[s + 1]) are the faces of side s
    // (floors of both textures together) merged greedily.
    std::vector<ChunkRect> rects;
    int32_t firstRect[7];
    std::vector<ChunkObject> objects;
};

// Chunks along x, y and z for the current world sizes.
void GetChunkGrid(int32_t grid[3]);
// The chunk (cx, cy, cz), built now if the volumes changed since it was built
// or it never was. The reference stays valid until the next call that builds.
const Chunk& UseChunk(int32_t cx, int32_t cy, int32_t cz);
// Drops every chunk: the next use of each builds it again.
void DropChunks();
