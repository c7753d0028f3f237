// Player movement and collision: the step along the view direction, the push
// that keeps the eye away from wall faces, and the carry of the in-cell
// offsets into the player cell.
//
// The offsets px, py, pz run against the axes: the eye sits at
// (SX + 1 - px, SY + 1 - py, SZ + 1 - pz) in cell units. The arithmetic keeps
// its single-precision steps (sines stored as float, float sums), because
// the path a held key takes through the world depends on their rounding.
#include "world/Movement.h"

#include <cmath>

#include "world/Player.h"
#include "world/WorldState.h"

// Degrees to radians, as 3.141592653 / 180.
static constexpr double DegreesToRadians = 0.017453292516666667;
static constexpr float StepLength = 0.1f;
static constexpr float SnapDistance = 0.3f;
static constexpr float PushDistance = 0.2f;

// One step's components: sz is the vertical part, sx and sy the horizontal
// parts already scaled by the pitch.
struct Step {
    float sx, sy, sz;
};

// Computes the step for the current view; the caller applies sz before the
// horizontal parts, which is why it comes back unscaled and separate.
static Step ComputeStep() {
    float yawSum = yaw + 180.0f;
    float pitchDifference = pitch - 90.0f;
    float sinYaw = static_cast<float>(std::sin(yawSum * DegreesToRadians));
    float cosYaw = static_cast<float>(std::cos(yawSum * DegreesToRadians));
    float sinTilt = static_cast<float>(std::sin(pitchDifference * DegreesToRadians));
    Step step;
    step.sx = -sinYaw * StepLength;
    step.sy = -cosYaw * StepLength;
    step.sz = -sinTilt * StepLength;
    return step;
}

// Scales the horizontal parts by -sin(pitch): a level view walks full length.
static void ScaleByPitch(Step& step) {
    float sinPitch = static_cast<float>(std::sin(pitch * DegreesToRadians));
    step.sx = -sinPitch * step.sx;
    step.sy = -sinPitch * step.sy;
}

// The step to the right of the view: level, a full step whatever the pitch.
static Step ComputeSideStep() {
    float sinYaw = static_cast<float>(std::sin(yaw * DegreesToRadians));
    float cosYaw = static_cast<float>(std::cos(yaw * DegreesToRadians));
    return Step{-cosYaw * StepLength, -sinYaw * StepLength, 0.0f};
}

uint8_t CellAt(float u, float v, float w) {
    // In 64 bits so that a player far outside the volume cannot overflow.
    int64_t x = static_cast<int64_t>(SX) + static_cast<int64_t>(std::floor(static_cast<double>(u)));
    int64_t y = static_cast<int64_t>(SY) + static_cast<int64_t>(std::floor(static_cast<double>(v)));
    int64_t z = static_cast<int64_t>(SZ) + static_cast<int64_t>(std::floor(static_cast<double>(w)));
    // Nothing outside the volume is read; it counts as rock, which holds a
    // player in an open cell at the edge of the world inside it.
    if (x < 0 || y < 0 || z < 0 || x >= worldSide || y >= worldSide || z >= worldLevels) return CellSolid;
    return DungeonMap[CellIndex(static_cast<int32_t>(x), static_cast<int32_t>(y), static_cast<int32_t>(z))];
}

static bool IsWall(uint8_t cell) { return cell == CellSolid; }
static bool IsEmpty(uint8_t cell) { return cell == CellEmpty; }

// The four rules of one axis. e is the eye coordinate along that axis,
// probe(d) looks up the cell at distance d from the eye along it, and offset
// is px, py or pz.
template <typename Probe>
static void PushAlongAxis(float e, float& offset, Probe probe) {
    if (IsWall(probe(e - SnapDistance)) && IsEmpty(probe(e))) offset = offset - (SnapDistance - e);
    if (IsWall(probe(e - PushDistance))) offset = offset - PushDistance;
    if (IsWall(probe(e + SnapDistance)) && IsEmpty(probe(e))) offset = (e + SnapDistance - 1.0f) + offset;
    if (IsWall(probe(e + PushDistance))) offset = offset + PushDistance;
}

int32_t PushOutOfWalls(float ex, float ey, float ez) {
    PushAlongAxis(ex, px, [&](float u) { return CellAt(u, ey, ez); });
    PushAlongAxis(ey, py, [&](float v) { return CellAt(ex, v, ez); });
    PushAlongAxis(ez, pz, [&](float w) { return CellAt(ex, ey, w); });

    // Diagonals in the x-y plane: only the first that finds a wall pushes.
    if (IsWall(CellAt(ex - PushDistance, ey - PushDistance, ez))) {
        px = px - PushDistance;
        py = py - PushDistance;
        return 1;
    }
    if (IsWall(CellAt(ex + PushDistance, ey + PushDistance, ez))) {
        px = px + PushDistance;
        py = py + PushDistance;
        return 1;
    }
    if (IsWall(CellAt(ex + PushDistance, ey - PushDistance, ez))) {
        py = py - PushDistance;
        px = px + PushDistance;
        return 1;
    }
    if (IsWall(CellAt(ex - PushDistance, ey + PushDistance, ez))) {
        py = py + PushDistance;
        px = px - PushDistance;
        return 1;
    }
    return 0;
}

// Brings each offset back into 0..1 by moving the player cell, in a fixed
// order: x and y down, x and y up, then z. The cell never leaves the volume:
// at its outermost layer the offset stops at the cell's face instead, so that
// the drift through rock ends there and the view always reaches the world.
static void CarryIntoCell() {
    if (px > 1.0f) {
        if (SX > 0) {
            SX = SX - 1;
            px = px - 1.0f;
        } else {
            px = 1.0f;
        }
    }
    if (py > 1.0f) {
        if (SY > 0) {
            SY = SY - 1;
            py = py - 1.0f;
        } else {
            py = 1.0f;
        }
    }
    if (px < 0.0f) {
        if (SX < worldSide - 1) {
            SX = SX + 1;
            px = px + 1.0f;
        } else {
            px = 0.0f;
        }
    }
    if (py < 0.0f) {
        if (SY < worldSide - 1) {
            SY = SY + 1;
            py = py + 1.0f;
        } else {
            py = 0.0f;
        }
    }
    if (pz > 1.0f) {
        if (SZ > 0) {
            SZ = SZ - 1;
            pz = pz - 1.0f;
        } else {
            pz = 1.0f;
        }
    }
    if (pz < 0.0f) {
        if (SZ < worldLevels - 1) {
            SZ = SZ + 1;
            pz = pz + 1.0f;
        } else {
            pz = 0.0f;
        }
    }
}

void UpdatePlayerPosition(const WalkInput& walk) {
    if (walk.forward) {
        Step step = ComputeStep();
        pz = pz + step.sz;
        ScaleByPitch(step);
        px = px - step.sx;
        py = py + step.sy;
    }
    if (walk.backward) {
        Step step = ComputeStep();
        pz = pz - step.sz;
        ScaleByPitch(step);
        px = px + step.sx;
        py = py - step.sy;
    }
    // The offsets run against the axes: a step of the eye is taken off them.
    if (walk.left) {
        Step step = ComputeSideStep();
        px = px + step.sx;
        py = py + step.sy;
    }
    if (walk.right) {
        Step step = ComputeSideStep();
        px = px - step.sx;
        py = py - step.sy;
    }
    PushOutOfWalls(1.0f - px, 1.0f - py, 1.0f - pz);
    CarryIntoCell();
}
