// The chunk cache: per 16 x 16 x 16 block of cells, the faces the block's open
// cells show, its objects and how its open space joins its sides. The face
// rules are the cell rules: a face on every side where an open cell (code 0)
// inside the world's shell meets a cell of code exactly 1; objects in cells
// inside the shell flagged FlagCube or FlagActor.
#include "render/Chunks.h"

#include <algorithm>
#include <cstring>

#include "render/RenderCounts.h"
#include "render/Textures.h"
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
    for (Chunk& chunk : chunks) chunk.built = chunk.scanned = false;
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


// Joins the sides of the chunk's open space: a flood fill over the cells that
// are not rock, one region at a time, noting which sides each region touches.
static void LinkChunkSides(Chunk& chunk) {
    const int32_t w = chunk.x1 - chunk.x0 + 1, h = chunk.y1 - chunk.y0 + 1, d = chunk.z1 - chunk.z0 + 1;
    static uint8_t seen[ChunkSide * ChunkSide * ChunkSide];
    static uint16_t pending[ChunkSide * ChunkSide * ChunkSide];
    std::fill(seen, seen + ChunkSide * ChunkSide * ChunkSide, 0);
    std::fill(chunk.links, chunk.links + 6, 0);
    auto local = [](int32_t x, int32_t y, int32_t z) { return (z * ChunkSide + y) * ChunkSide + x; };
    for (int32_t z = 0; z < d; z++)
        for (int32_t y = 0; y < h; y++)
            for (int32_t x = 0; x < w; x++) {
                int32_t start = local(x, y, z);
                if (seen[start] || DungeonMap[CellIndex(chunk.x0 + x, chunk.y0 + y, chunk.z0 + z)] == CellSolid)
                    continue;
                uint8_t touched = 0;
                int32_t count = 0;
                seen[start] = 1;
                pending[count++] = static_cast<uint16_t>(start);
                while (count > 0) {
                    int32_t at = pending[--count];
                    int32_t cx = at % ChunkSide, cy = (at / ChunkSide) % ChunkSide, cz = at / (ChunkSide * ChunkSide);
                    if (cz == d - 1) touched |= 1;
                    if (cz == 0) touched |= 2;
                    if (cy == h - 1) touched |= 4;
                    if (cy == 0) touched |= 8;
                    if (cx == w - 1) touched |= 16;
                    if (cx == 0) touched |= 32;
                    for (const int32_t* step : SideSteps) {
                        int32_t nx = cx + step[0], ny = cy + step[1], nz = cz + step[2];
                        if (nx < 0 || ny < 0 || nz < 0 || nx >= w || ny >= h || nz >= d) continue;
                        int32_t next = local(nx, ny, nz);
                        if (seen[next]) continue;
                        seen[next] = 1;
                        if (DungeonMap[CellIndex(chunk.x0 + nx, chunk.y0 + ny, chunk.z0 + nz)] == CellSolid) continue;
                        pending[count++] = static_cast<uint16_t>(next);
                    }
                }
                for (int side = 0; side < 6; side++)
                    if (touched & (1 << side)) chunk.links[side] |= touched;
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

// The open cells of each of the chunk's six boundary layers.
static void MarkOpenings(Chunk& chunk) {
    const int32_t first[3] = {chunk.x0, chunk.y0, chunk.z0}, last[3] = {chunk.x1, chunk.y1, chunk.z1};
    for (int side = 0; side < 6; side++) {
        const int axis = SideAxes[side], uAxis = SliceAxes[axis][0], vAxis = SliceAxes[axis][1];
        int32_t at[3];
        at[axis] = side % 2 == 0 ? last[axis] : first[axis];
        for (int v = 0; v < ChunkSide; v++) {
            uint16_t row = 0;
            at[vAxis] = first[vAxis] + v;
            for (int u = 0; u < ChunkSide && at[vAxis] <= last[vAxis]; u++) {
                at[uAxis] = first[uAxis] + u;
                if (at[uAxis] > last[uAxis]) break;
                if (DungeonMap[CellIndex(at[0], at[1], at[2])] != CellSolid) row |= static_cast<uint16_t>(1u << u);
            }
            chunk.openings[side][v] = row;
        }
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

// Finds whether the chunk holds a code of 2 or more anywhere, or an open cell
// on the shell: rows are looked at a word at a time, the shell cell by cell.
static void ScanChunk(Chunk& chunk) {
    chunk.unusual = false;
    const bool onShell = chunk.x0 == 0 || chunk.y0 == 0 || chunk.z0 == 0 || chunk.x1 == worldSide - 1 ||
                         chunk.y1 == worldSide - 1 || chunk.z1 == worldLevels - 1;
    const int32_t width = chunk.x1 - chunk.x0 + 1;
    for (int32_t z = chunk.z0; z <= chunk.z1 && !chunk.unusual; z++)
        for (int32_t y = chunk.y0; y <= chunk.y1 && !chunk.unusual; y++) {
            const uint8_t* row = DungeonMap + CellIndex(chunk.x0, y, z);
            int32_t x = 0;
            for (; x + 8 <= width; x += 8) {
                uint64_t word;
                std::memcpy(&word, row + x, 8);
                // Some byte above 1: a bit other than the lowest is set.
                if (word & 0xFEFEFEFEFEFEFEFEull) chunk.unusual = true;
            }
            for (; x < width; x++)
                if (row[x] > CellSolid) chunk.unusual = true;
            if (!onShell) continue;
            const bool shellRow = y == 0 || y == worldSide - 1 || z == 0 || z == worldLevels - 1;
            for (x = 0; x < width; x++) {
                const int32_t at = chunk.x0 + x;
                if (row[x] == CellEmpty && (shellRow || at == 0 || at == worldSide - 1)) chunk.unusual = true;
            }
        }
    chunk.scanned = true;
}

bool IsChunkUnusual(int32_t cx, int32_t cy, int32_t cz) {
    CheckChunkTable();
    Chunk& chunk = chunks[(static_cast<size_t>(cz) * chunkGrid[1] + cy) * chunkGrid[0] + cx];
    if (!chunk.scanned) {
        PlaceChunk(chunk, cx, cy, cz);
        ScanChunk(chunk);
    }
    return chunk.unusual;
}

static void BuildChunk(Chunk& chunk, int32_t cx, int32_t cy, int32_t cz) {
    PlaceChunk(chunk, cx, cy, cz);
    ScanChunk(chunk);
    chunk.objects.clear();

    static std::vector<ChunkFace> lists[ChunkFaceLists];
    for (auto& list : lists) list.clear();
    int32_t steps[6];
    for (int side = 0; side < 6; side++) steps[side] = CellIndex(SideSteps[side][0], SideSteps[side][1], SideSteps[side][2]);

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
                    chunk.objects.push_back({face.x, face.y, face.z, static_cast<uint8_t>(flag == FlagCube ? CubeTextureSlot : GreenTextureSlot),
                                             code == CellSolid});
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
        if (side == 0)
            MergeSide(chunk, side, lists, 2);
        else
            MergeSide(chunk, side, lists + side + 1, 1);
    }
    chunk.firstRect[6] = static_cast<int32_t>(chunk.rects.size());
    LinkChunkSides(chunk);
    MarkOpenings(chunk);
    chunk.built = true;
    chunkBuilds += 1;
}

const Chunk& UseChunk(int32_t cx, int32_t cy, int32_t cz) {
    CheckChunkTable();
    Chunk& chunk = chunks[(static_cast<size_t>(cz) * chunkGrid[1] + cy) * chunkGrid[0] + cx];
    if (!chunk.built) BuildChunk(chunk, cx, cy, cz);
    return chunk;
}
