// Far-reaching viewpoints: rays from the eye through a grid across the
// picture are marched through the cells until they meet one that is not open.
#include "tests/support/Viewpoints.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "render/Frame.h"
#include "world/WorldState.h"
#include "world/Player.h"

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
                const float p[3] = {x + 0.5f + d[0] / length * t, y + 0.5f + d[1] / length * t, z + 0.5f + d[2] / length * t};
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
                        for (int32_t dx = -2; dx <= 2; dx++) open += DungeonMap[CellIndex(x + dx, y + dy, z + dz)] == CellEmpty;
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
