// The chunk cache: per 16 x 16 x 16 block of cells, the faces the block's open
// cells show and its objects. The face
// rules are the cell rules: a face on every side where an open cell (code 0)
// inside the world's shell meets a cell of code exactly 1; objects in cells
// inside the shell flagged FlagCube or FlagActor.
#include "render/Chunks.h"

#include <algorithm>
#include <cstring>

#include "render/Bitmaps.h"
#include "render/RenderCounts.h"
#include "world/WorldState.h"

int64_t chunkBuilds = 0;

static std::vector<Chunk> chunks;
static int32_t chunkGrid[3] = {0, 0, 0};
static int32_t gridSide = -1, gridLevels = -1;
static uint32_t builtRevision = 0;

void GetChunkGrid(int32_t grid[3]) {
    grid[0] = (worldSide + ChunkSide - 1) / ChunkSide;
    grid[1] = grid[0];
    grid[2] = (worldLevels + ChunkSide - 1) / ChunkSide;
}

void DropChunks() {
    for (Chunk& chunk : chunks) chunk.built = false;
}

// Makes the table fit the world's sizes and forgets chunks built from older
// cells.
static void CheckChunkTable() {
    if (gridSide != worldSide || gridLevels != worldLevels) {
        GetChunkGrid(chunkGrid);
        chunks.assign(static_cast<size_t>(chunkGrid[0]) * chunkGrid[1] * chunkGrid[2], Chunk{});
        gridSide = worldSide;
        gridLevels = worldLevels;
        builtRevision = volumeRevision;
        return;
    }
    if (builtRevision != volumeRevision) {
        DropChunks();
        builtRevision = volumeRevision;
    }
}

// Covers the faces of one side with rectangles, slice by slice: each takes
// the first uncovered face in v, u order, grows along u, then along v while
// every face of the next row is there.
static void MergeSide(Chunk& chunk, int side, const std::vector<ChunkFace>* lists, int listCount) {
    const int axis = SideAxes[side], uAxis = SliceAxes[axis][0], vAxis = SliceAxes[axis][1];
    static uint8_t present[ChunkSide][ChunkSide][ChunkSide];  // [slice][v][u]
    std::memset(present, 0, sizeof present);
    for (int l = 0; l < listCount; l++)
        for (const ChunkFace& face : lists[l]) {
            const uint8_t at[3] = {face.x, face.y, face.z};
            present[at[axis]][at[vAxis]][at[uAxis]] = 1;
        }
    for (int slice = 0; slice < ChunkSide; slice++)
        for (int v = 0; v < ChunkSide; v++)
            for (int u = 0; u < ChunkSide; u++) {
                if (!present[slice][v][u]) continue;
                int u1 = u;
                while (u1 + 1 < ChunkSide && present[slice][v][u1 + 1]) u1++;
                int v1 = v;
                for (bool whole = true; whole && v1 + 1 < ChunkSide;) {
                    for (int k = u; k <= u1 && whole; k++) whole = present[slice][v1 + 1][k];
                    if (whole) v1++;
                }
                for (int r = v; r <= v1; r++)
                    for (int k = u; k <= u1; k++) present[slice][r][k] = 0;
                chunk.rects.push_back({static_cast<uint8_t>(slice), static_cast<uint8_t>(u), static_cast<uint8_t>(v),
                                       static_cast<uint8_t>(u1), static_cast<uint8_t>(v1)});
            }
}

// The first and last cells of chunk (cx, cy, cz).
static void PlaceChunk(Chunk& chunk, int32_t cx, int32_t cy, int32_t cz) {
    chunk.x0 = cx * ChunkSide;
    chunk.y0 = cy * ChunkSide;
    chunk.z0 = cz * ChunkSide;
    chunk.x1 = std::min(chunk.x0 + ChunkSide, worldSide) - 1;
    chunk.y1 = std::min(chunk.y0 + ChunkSide, worldSide) - 1;
    chunk.z1 = std::min(chunk.z0 + ChunkSide, worldLevels) - 1;
}

static void BuildChunk(Chunk& chunk, int32_t cx, int32_t cy, int32_t cz) {
    PlaceChunk(chunk, cx, cy, cz);
    chunk.objects.clear();

    static std::vector<ChunkFace> lists[ChunkFaceLists];
    for (auto& list : lists) list.clear();
    int32_t steps[6];
    for (int side = 0; side < 6; side++)
        steps[side] = CellIndex(SideSteps[side][0], SideSteps[side][1], SideSteps[side][2]);

    for (int32_t z = chunk.z0; z <= chunk.z1; z++) {
        const bool innerZ = z > 0 && z < worldLevels - 1;
        for (int32_t y = chunk.y0; y <= chunk.y1; y++) {
            const bool innerZY = innerZ && y > 0 && y < worldSide - 1;
            for (int32_t x = chunk.x0; x <= chunk.x1; x++) {
                const int32_t index = CellIndex(x, y, z);
                const uint8_t code = DungeonMap[index];
                const bool inner = innerZY && x > 0 && x < worldSide - 1;
                if (!inner) continue;
                const ChunkFace face = {static_cast<uint8_t>(x - chunk.x0), static_cast<uint8_t>(y - chunk.y0),
                                        static_cast<uint8_t>(z - chunk.z0)};
                const uint8_t flag = FlagMap[index];
                if (flag == FlagCube || flag == FlagActor)
                    chunk.objects.push_back(
                        {face.x, face.y, face.z,
                         static_cast<uint8_t>(flag == FlagCube ? CubeTextureSlot : GreenTextureSlot)});
                if (code != CellEmpty) continue;
                if (DungeonMap[index + steps[0]] == CellSolid)
                    lists[flag == FlagAltTexture ? ChunkAltFloorList : ChunkFloorList].push_back(face);
                for (int side = 1; side < 6; side++)
                    if (DungeonMap[index + steps[side]] == CellSolid) lists[side + 1].push_back(face);
            }
        }
    }
    chunk.faces.clear();
    for (int l = 0; l < ChunkFaceLists; l++) {
        chunk.first[l] = static_cast<int32_t>(chunk.faces.size());
        chunk.faces.insert(chunk.faces.end(), lists[l].begin(), lists[l].end());
    }
    chunk.first[ChunkFaceLists] = static_cast<int32_t>(chunk.faces.size());
    chunk.rects.clear();
    for (int side = 0; side < 6; side++) {
        chunk.firstRect[side] = static_cast<int32_t>(chunk.rects.size());
        if (side == 0) MergeSide(chunk, side, lists, 2);
        else MergeSide(chunk, side, lists + side + 1, 1);
    }
    chunk.firstRect[6] = static_cast<int32_t>(chunk.rects.size());
    chunk.built = true;
    chunkBuilds += 1;
}

const Chunk& UseChunk(int32_t cx, int32_t cy, int32_t cz) {
    CheckChunkTable();
    Chunk& chunk = chunks[(static_cast<size_t>(cz) * chunkGrid[1] + cy) * chunkGrid[0] + cx];
    if (!chunk.built) BuildChunk(chunk, cx, cy, cz);
    return chunk;
}
