// Far-reaching viewpoints: rays from the eye through a grid across the
// picture are marched through the cells until they meet one that is not open.
// The sweep's viewpoints: drawn from a seed of their own.
#include "tests/support/Viewpoints.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <random>

#include "render/Textures.h"
#include "sys/Random.h"
#include "world/Generation.h"
#include "world/Player.h"
#include "world/WorldState.h"

namespace {

constexpr float DegreesToRadians = 3.14159265f / 180.0f;

// The world direction of eye-space (ex, ey, -1) for the camera the frame
// sets: the inverse of a turn by pitch about x after 180 - yaw about z.
void ViewRay(float yaw, float pitch, float ex, float ey, float out[3]) {
    const float a = -pitch * DegreesToRadians;
    const float x = ex, y = ey * std::cos(a) + std::sin(a), z = ey * std::sin(a) - std::cos(a);
    const float b = (yaw - 180.0f) * DegreesToRadians;
    out[0] = x * std::cos(b) - y * std::sin(b);
    out[1] = x * std::sin(b) + y * std::cos(b);
    out[2] = z;
}

bool IsOpen(int32_t x, int32_t y, int32_t z) {
    return CellInVolume(x, y, z) && DungeonMap[CellIndex(x, y, z)] == CellEmpty;
}

// Up to count of the candidates, highest reach first, each at least spacing
// cells (along the axes) from those chosen before it.
std::vector<Viewpoint> ChooseApart(std::vector<Viewpoint> candidates, int count, int32_t spacing) {
    std::stable_sort(candidates.begin(), candidates.end(),
                     [](const Viewpoint& a, const Viewpoint& b) { return a.reach > b.reach; });
    std::vector<Viewpoint> chosen;
    for (const Viewpoint& v : candidates) {
        bool apart = true;
        for (const Viewpoint& c : chosen)
            apart = apart && std::abs(c.x - v.x) + std::abs(c.y - v.y) + std::abs(c.z - v.z) >= spacing;
        if (!apart) continue;
        chosen.push_back(v);
        if (static_cast<int>(chosen.size()) == count) break;
    }
    return chosen;
}

}  // namespace

void DecorateAround(const Viewpoint& view) {
    for (int32_t z = view.z - 6; z <= view.z + 6; z++)
        for (int32_t y = view.y - 6; y <= view.y + 6; y++)
            for (int32_t x = view.x - 6; x <= view.x + 6; x++) {
                const int32_t cell = CellIndex(x, y, z);
                if (DungeonMap[cell] != CellEmpty || (x + y + z) % 5 != 0) continue;
                FlagMap[cell] = (x + y) % 3 == 0 ? FlagCube : (x + y) % 3 == 1 ? FlagActor : FlagAltTexture;
            }
    MarkVolumesChanged();
}

void PlaceViewer(const Viewpoint& view) {
    SX = view.x;
    SY = view.y;
    SZ = view.z;
    px = py = pz = view.offset;
    yaw = view.yaw;
    pitch = view.pitch;
}

float MeasureReach(int32_t x, int32_t y, int32_t z, float yaw, float pitch, float limit) {
    // Across the 45-degree high, 4:3 picture.
    const float spanY = std::tan(22.5f * DegreesToRadians), spanX = spanY * 4.0f / 3.0f;
    float total = 0.0f;
    int rays = 0;
    for (float fx : {-0.8f, -0.4f, 0.0f, 0.4f, 0.8f})
        for (float fy : {-0.8f, 0.0f, 0.8f}) {
            float d[3];
            ViewRay(yaw, pitch, fx * spanX, fy * spanY, d);
            const float length = std::sqrt(d[0] * d[0] + d[1] * d[1] + d[2] * d[2]);
            float t = 0.0f;
            for (; t < limit; t += 0.25f) {
                const float p[3] = {x + 0.5f + d[0] / length * t, y + 0.5f + d[1] / length * t,
                                    z + 0.5f + d[2] / length * t};
                if (!IsOpen(static_cast<int32_t>(std::floor(p[0])), static_cast<int32_t>(std::floor(p[1])),
                            static_cast<int32_t>(std::floor(p[2]))))
                    break;
            }
            total += std::min(t, limit);
            rays++;
        }
    return total / rays;
}

std::vector<Viewpoint> FindFarViews(int count, int32_t spacing, float limit) {
    std::vector<Viewpoint> candidates;
    const int32_t low = worldSide / 4, high = worldSide - worldSide / 4;
    const int32_t lowZ = worldLevels / 4, highZ = worldLevels - worldLevels / 4;
    // Yaw 2q + 20 and pitch r - 30 for mouse positions q, r.
    const float yaws[] = {20.0f, 66.0f, 110.0f, 156.0f, 200.0f, 246.0f, 290.0f, 336.0f};
    const float pitches[] = {70.0f, 90.0f, 110.0f};
    for (int32_t z = lowZ; z < highZ; z += 5)
        for (int32_t y = low; y < high; y += 5)
            for (int32_t x = low; x < high; x += 5) {
                if (!IsOpen(x, y, z)) continue;
                Viewpoint best = {x, y, z, 0.0f, 90.0f, 0.5f, -1.0f};
                for (float yaw : yaws)
                    for (float pitch : pitches) {
                        float reach = MeasureReach(x, y, z, yaw, pitch, limit);
                        if (reach > best.reach) best = {x, y, z, yaw, pitch, 0.5f, reach};
                    }
                candidates.push_back(best);
            }
    return ChooseApart(candidates, count, spacing);
}

std::vector<Viewpoint> FindOpenViews(int count, int32_t spacing) {
    std::vector<Viewpoint> candidates;
    for (int32_t z = 100; z < 156; z += 3)
        for (int32_t y = 100; y < 156; y += 3)
            for (int32_t x = 100; x < 156; x += 3) {
                if (DungeonMap[CellIndex(x, y, z)] != CellEmpty) continue;
                int32_t open = 0;
                for (int32_t dz = -2; dz <= 2; dz++)
                    for (int32_t dy = -2; dy <= 2; dy++)
                        for (int32_t dx = -2; dx <= 2; dx++)
                            open += DungeonMap[CellIndex(x + dx, y + dy, z + dz)] == CellEmpty;
                candidates.push_back({x, y, z, 0.0f, 0.0f, 0.5f, static_cast<float>(open)});
            }
    std::vector<Viewpoint> chosen = ChooseApart(candidates, count, spacing);
    const float yaws[] = {340.0f, 100.0f, 220.0f};
    const float pitches[] = {90.0f, 60.0f, 125.0f};
    for (size_t i = 0; i < chosen.size(); i++) {
        chosen[i].yaw = yaws[i % 3];
        chosen[i].pitch = pitches[i % 3];
    }
    return chosen;
}

// ---------------------------------------------------------------------------
// The seeded sweep
// ---------------------------------------------------------------------------

namespace {

// Draws of the sweep: std::mt19937's sequence is fixed by the standard, and
// the arithmetic on it here is ours, so every platform gets the same views.
struct SweepRandom {
    std::mt19937 engine;
    int32_t Below(int32_t n) { return static_cast<int32_t>(engine() % static_cast<uint32_t>(n)); }
    float Between(float low, float high) {
        return low + (high - low) * static_cast<float>(engine() >> 8) / 16777216.0f;
    }
};

// A random inner cell whose code is (or is not) CellEmpty; after many tries,
// the last one drawn.
void RandomCell(SweepRandom& random, bool open, int32_t cell[3]) {
    const int32_t sides[3] = {worldSide, worldSide, worldLevels};
    for (int tries = 0; tries < 100000; tries++) {
        for (int axis = 0; axis < 3; axis++) cell[axis] = 1 + random.Below(sides[axis] - 2);
        if ((DungeonMap[CellIndex(cell[0], cell[1], cell[2])] == CellEmpty) == open) return;
    }
}

// Yaw and pitch looking along +-axis (side 0 +z ... 5 -x, as the cell sides).
void LookAlong(int side, float* yaw, float* pitch) {
    static const float yaws[CellSides] = {0.0f, 0.0f, 0.0f, 180.0f, 270.0f, 90.0f};
    static const float pitches[CellSides] = {180.0f, 0.0f, 90.0f, 90.0f, 90.0f, 90.0f};
    *yaw = yaws[side];
    *pitch = pitches[side];
}

}  // namespace

std::vector<SweepView> MakeSweepViews(uint32_t seed, int open, int rock, int sides) {
    SweepRandom random{std::mt19937(seed)};
    std::vector<SweepView> views;
    auto common = [&](SweepView& s) {
        for (float& offset : s.offsets) offset = random.Between(0.02f, 0.98f);
        s.texture = random.Below(5);
        s.lightSeed = random.Below(2) == 1 ? 1 + random.engine() % 30000 : 0;
    };
    for (int i = 0; i < open + rock; i++) {
        SweepView s{};
        int32_t cell[3];
        RandomCell(random, i < open, cell);
        s.view = {cell[0], cell[1], cell[2], random.Between(0.0f, 360.0f), random.Between(-30.0f, 210.0f)};
        s.radius = 1 + random.Below(60);
        common(s);
        s.kind = i < open ? SweepOpen : SweepRock;
        views.push_back(s);
    }
    // A side of the cube (low = S - R, high = S + R - 1 along an axis) on the
    // first or last cell of a chunk, seen from a cell open where one is found.
    const int32_t extent[3] = {worldSide, worldSide, worldLevels};
    for (int i = 0; i < sides; i++) {
        SweepView s{};
        const int side = random.Below(CellSides), axis = SideAxes[side];
        const bool last = random.Below(2) == 1;
        s.radius = 1 + random.Below(60);
        int32_t cell[3];
        for (int tries = 0; tries < 200; tries++) {
            RandomCell(random, true, cell);
            // The chunk layer nearest the cell on that side.
            const int32_t reach = side % 2 == 0 ? cell[axis] + s.radius - 1 : cell[axis] - s.radius;
            const int32_t layer = (reach / 16) * 16 + (last ? 15 : 0);
            cell[axis] = side % 2 == 0 ? layer - s.radius + 1 : layer + s.radius;
            if (cell[axis] < 1 || cell[axis] > extent[axis] - 2) continue;
            if (DungeonMap[CellIndex(cell[0], cell[1], cell[2])] == CellEmpty) break;
        }
        cell[axis] = std::clamp(cell[axis], 1, extent[axis] - 2);
        float yaw, pitch;
        LookAlong(side, &yaw, &pitch);
        s.view = {cell[0], cell[1], cell[2], yaw + random.Between(-30.0f, 30.0f),
                  pitch + random.Between(-30.0f, 30.0f)};
        common(s);
        s.kind = SweepChunkSide;
        views.push_back(s);
    }
    return views;
}

void PlaceSweepViewer(const SweepView& sweep) {
    PlaceViewer(sweep.view);
    px = sweep.offsets[0];
    py = sweep.offsets[1];
    pz = sweep.offsets[2];
    viewRadius = sweep.radius;
    wallTexture = sweep.texture;
    ClearLights();
    if (sweep.lightSeed == 0) return;
    SeedRandom(sweep.lightSeed);
    ScatterLights();
}

const char* SweepKindName(SweepKind kind) {
    return kind == SweepOpen ? "open" : kind == SweepRock ? "rock" : "chunk side";
}
