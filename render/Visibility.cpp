// What the 3D pass can see. The frustum comes from the GL's own matrices, so
// the tests hold for whatever camera is set.
//
// Leaving out what rock hides is sound when every line of sight from the eye
// stays in open cells until it meets a face drawn in front of it: the eye
// and everything near enough to be cut by the near plane are open cells, no
// cell in the cube has a code of 2 or more and no open cell lies on the shell
// (such cells show no face, so sight would pass into rock). Otherwise every
// chunk in the frustum is drawn, with faces of both turns.
//
// Two walks start at the eye, and neither turns back towards it along any
// axis, as a straight line never does:
// - chunk by chunk: a chunk is entered through a side and left through
//   another only where its open space joins the two, and the screen
//   rectangle of the openings between chunks (boundary faces with open cells
//   on both sides) narrows along the path;
// - cell by cell: open cells reached across their shared sides inside the
//   frustum; only these cells' faces and objects can show.
#include "render/Visibility.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdlib>

#include "render/Chunks.h"
#include "screen/OpenGL.h"
#include "world/WorldState.h"

// How far outside a plane a box may reach and still count as inside: far
// more than any rounding of the matrices.
static constexpr float PlaneMargin = 0.01f;
// Extra room around the part of the frustum the near plane cuts off.
static constexpr double NearMargin = 0.01;

// ---------------------------------------------------------------------------
// Matrices
// ---------------------------------------------------------------------------

// c = a * b, column-major 4 x 4.
static void MultiplyMatrices(const double a[16], const double b[16], double c[16]) {
    for (int column = 0; column < 4; column++)
        for (int row = 0; row < 4; row++) {
            double sum = 0.0;
            for (int k = 0; k < 4; k++) sum += a[k * 4 + row] * b[column * 4 + k];
            c[column * 4 + row] = sum;
        }
}

// Inverse of a column-major 4 x 4 matrix; false when it has none.
static bool InvertMatrix(const double m[16], double inverse[16]) {
    double a[4][8];
    for (int row = 0; row < 4; row++)
        for (int column = 0; column < 4; column++) {
            a[row][column] = m[column * 4 + row];
            a[row][column + 4] = row == column ? 1.0 : 0.0;
        }
    for (int column = 0; column < 4; column++) {
        int pivot = column;
        for (int row = column + 1; row < 4; row++)
            if (std::fabs(a[row][column]) > std::fabs(a[pivot][column])) pivot = row;
        if (std::fabs(a[pivot][column]) < 1e-12) return false;
        std::swap(a[pivot], a[column]);
        double scale = 1.0 / a[column][column];
        for (double& value : a[column]) value *= scale;
        for (int row = 0; row < 4; row++) {
            if (row == column) continue;
            double factor = a[row][column];
            for (int k = 0; k < 8; k++) a[row][k] -= factor * a[column][k];
        }
    }
    for (int row = 0; row < 4; row++)
        for (int column = 0; column < 4; column++) inverse[column * 4 + row] = a[row][column + 4];
    return true;
}

// The point of clip space (x, y, z, 1) in draw coordinates.
static void Unproject(const double inverseClip[16], double x, double y, double z, double out[3]) {
    double v[4];
    for (int row = 0; row < 4; row++)
        v[row] = inverseClip[row] * x + inverseClip[4 + row] * y + inverseClip[8 + row] * z + inverseClip[12 + row];
    for (int i = 0; i < 3; i++) out[i] = v[i] / v[3];
}

// ---------------------------------------------------------------------------
// The view volume
// ---------------------------------------------------------------------------

bool BoxMayBeInFrustum(const ViewVolume& view, const float low[3], const float high[3], uint8_t planes) {
    for (int p = 0; p < 6; p++) {
        if (!(planes & (1 << p))) continue;
        const float* plane = view.planes[p];
        float reach = plane[3];
        for (int axis = 0; axis < 3; axis++) reach += plane[axis] * (plane[axis] > 0 ? high[axis] : low[axis]);
        if (reach < -PlaneMargin) return false;
    }
    return true;
}

// Whether the box lies wholly inside all six planes.
static bool BoxInsideFrustum(const ViewVolume& view, const float low[3], const float high[3]) {
    for (const float* plane : view.planes) {
        float least = plane[3];
        for (int axis = 0; axis < 3; axis++) least += plane[axis] * (plane[axis] > 0 ? low[axis] : high[axis]);
        if (least < PlaneMargin) return false;
    }
    return true;
}

static const int32_t& PlayerCell(int axis) { return axis == 0 ? SX : axis == 1 ? SY : SZ; }

// Draw-coordinate box of the cells low..high (inclusive) on each axis.
static void CellBox(const int32_t low[3], const int32_t high[3], float boxLow[3], float boxHigh[3]) {
    for (int axis = 0; axis < 3; axis++) {
        boxLow[axis] = static_cast<float>(low[axis] - PlayerCell(axis)) - 0.5f;
        boxHigh[axis] = static_cast<float>(high[axis] - PlayerCell(axis)) + 0.5f;
    }
}

// The chunk range that covers the drawn cells.
static void ChunkRange(const ViewVolume& view, int32_t low[3], int32_t high[3]) {
    for (int axis = 0; axis < 3; axis++) {
        low[axis] = view.low[axis] / ChunkSide;
        high[axis] = view.high[axis] / ChunkSide;
    }
}

// The drawn part of chunk (cx, cy, cz): its cells clipped to the cube.
static void ClippedChunkCells(const ViewVolume& view, const int32_t chunk[3], int32_t low[3], int32_t high[3],
                              bool* whole) {
    *whole = true;
    for (int axis = 0; axis < 3; axis++) {
        int32_t first = chunk[axis] * ChunkSide, last = first + ChunkSide - 1;
        low[axis] = std::max(first, view.low[axis]);
        high[axis] = std::min(last, view.high[axis]);
        if (low[axis] != first || high[axis] != last) *whole = false;
    }
}

// Whether every cell the eye or the near plane's cut can lie in is an open
// cell inside the shell and inside the drawn cells.
static bool EyeStandsInOpenSpace(const ViewVolume& view, double reach) {
    int32_t low[3], high[3];
    for (int axis = 0; axis < 3; axis++) {
        double e = view.eye[axis];
        if (!(std::fabs(e) < 4.0)) return false;  // the eye is far from the player cell
        low[axis] = PlayerCell(axis) + static_cast<int32_t>(std::floor(e - reach + 0.5));
        high[axis] = PlayerCell(axis) + static_cast<int32_t>(std::floor(e + reach + 0.5));
        if (low[axis] < view.low[axis] || high[axis] > view.high[axis]) return false;
    }
    for (int32_t z = low[2]; z <= high[2]; z++)
        for (int32_t y = low[1]; y <= high[1]; y++)
            for (int32_t x = low[0]; x <= high[0]; x++)
                if (DungeonMap[CellIndex(x, y, z)] != CellEmpty) return false;
    return true;
}

// Whether any chunk over the drawn cells holds cells through which sight
// passes into rock.
static bool CubeHoldsUnusualCells(const ViewVolume& view) {
    int32_t low[3], high[3];
    ChunkRange(view, low, high);
    bool unusual = false;
    for (int32_t cz = low[2]; cz <= high[2]; cz++)
        for (int32_t cy = low[1]; cy <= high[1]; cy++)
            for (int32_t cx = low[0]; cx <= high[0] && !unusual; cx++) unusual = IsChunkUnusual(cx, cy, cz);
    return unusual;
}

bool PrepareViewVolume(ViewVolume& view) {
    const int32_t sides[3] = {worldSide, worldSide, worldLevels};
    for (int axis = 0; axis < 3; axis++) {
        int64_t centre = PlayerCell(axis);
        int64_t low = std::max<int64_t>(centre - viewRadius, 1);
        int64_t high = std::min<int64_t>(centre + viewRadius - 1, sides[axis] - 2);
        if (viewRadius <= 0 || low > high) return false;
        view.low[axis] = static_cast<int32_t>(low);
        view.high[axis] = static_cast<int32_t>(high);
    }

    // Identity unless a context answers.
    float modelview[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    float projection[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    glGetFloatv(GL_MODELVIEW_MATRIX, modelview);
    glGetFloatv(GL_PROJECTION_MATRIX, projection);
    double m[16], p[16], clip[16];
    for (int i = 0; i < 16; i++) {
        m[i] = modelview[i];
        p[i] = projection[i];
    }
    MultiplyMatrices(p, m, clip);
    std::copy(clip, clip + 16, view.clip);

    // Planes from the rows of the clip matrix: w + x, w - x, w + y, ...
    for (int plane = 0; plane < 6; plane++) {
        int row = plane / 2;
        double sign = plane % 2 == 0 ? 1.0 : -1.0;
        double coefficients[4];
        for (int column = 0; column < 4; column++)
            coefficients[column] = clip[column * 4 + 3] + sign * clip[column * 4 + row];
        double length = std::sqrt(coefficients[0] * coefficients[0] + coefficients[1] * coefficients[1] +
                                  coefficients[2] * coefficients[2]);
        if (length < 1e-12) length = 1.0;
        for (int column = 0; column < 4; column++) view.planes[plane][column] = static_cast<float>(coefficients[column] / length);
    }

    // Occlusion needs a camera at a point: an affine modelview and a
    // perspective projection.
    view.occluding = false;
    const bool affine = m[3] == 0.0 && m[7] == 0.0 && m[11] == 0.0 && m[15] == 1.0;
    const bool perspective = p[3] == 0.0 && p[7] == 0.0 && p[11] == -1.0 && p[15] == 0.0;
    double inverseModelview[16], inverseClip[16];
    if (!affine || !perspective || !InvertMatrix(m, inverseModelview) || !InvertMatrix(clip, inverseClip))
        return true;
    for (int axis = 0; axis < 3; axis++) view.eye[axis] = static_cast<float>(inverseModelview[12 + axis]);
    // The farthest point of the near plane's rectangle from the eye.
    double reach = 0.0;
    for (double x : {-1.0, 1.0})
        for (double y : {-1.0, 1.0}) {
            double corner[3];
            Unproject(inverseClip, x, y, -1.0, corner);
            double d = 0.0;
            for (int axis = 0; axis < 3; axis++) d += (corner[axis] - view.eye[axis]) * (corner[axis] - view.eye[axis]);
            reach = std::max(reach, std::sqrt(d));
        }
    if (!(reach < 0.45)) return true;
    view.occluding = EyeStandsInOpenSpace(view, reach + NearMargin) && !CubeHoldsUnusualCells(view);
    return true;
}

// ---------------------------------------------------------------------------
// Chunks
// ---------------------------------------------------------------------------

namespace {

// A screen rectangle in normalised device coordinates: x0, y0, x1, y1.
struct ScreenRect {
    float x0, y0, x1, y1;
};
constexpr ScreenRect NoScreen = {1.0f, 1.0f, -1.0f, -1.0f};
constexpr ScreenRect WholeScreen = {-1.0f, -1.0f, 1.0f, 1.0f};
// Rounding room for projected corners.
constexpr float ScreenMargin = 1e-4f;
// Corners this close to the eye's plane (or behind it) are not projected:
// the rectangle is then the whole screen.
constexpr double NearestDepth = 1e-3;

bool IsEmpty(const ScreenRect& r) { return r.x0 > r.x1 || r.y0 > r.y1; }

ScreenRect Intersect(const ScreenRect& a, const ScreenRect& b) {
    return {std::max(a.x0, b.x0), std::max(a.y0, b.y0), std::min(a.x1, b.x1), std::min(a.y1, b.y1)};
}

ScreenRect Unite(const ScreenRect& a, const ScreenRect& b) {
    if (IsEmpty(a)) return b;
    if (IsEmpty(b)) return a;
    return {std::min(a.x0, b.x0), std::min(a.y0, b.y0), std::max(a.x1, b.x1), std::max(a.y1, b.y1)};
}

bool Contains(const ScreenRect& outer, const ScreenRect& inner) {
    return IsEmpty(inner) ||
           (inner.x0 >= outer.x0 && inner.y0 >= outer.y0 && inner.x1 <= outer.x1 && inner.y1 <= outer.y1);
}

// The screen rectangle covering the corners of a box of draw coordinates.
ScreenRect ProjectBox(const ViewVolume& view, const double low[3], const double high[3]) {
    ScreenRect r = NoScreen;
    for (int corner = 0; corner < 8; corner++) {
        const double p[3] = {corner & 1 ? high[0] : low[0], corner & 2 ? high[1] : low[1], corner & 4 ? high[2] : low[2]};
        double c[4];
        for (int row = 0; row < 4; row++)
            c[row] = view.clip[row] * p[0] + view.clip[4 + row] * p[1] + view.clip[8 + row] * p[2] + view.clip[12 + row];
        if (!(c[3] > NearestDepth)) return WholeScreen;
        const float x = static_cast<float>(c[0] / c[3]), y = static_cast<float>(c[1] / c[3]);
        r = Unite(r, {x - ScreenMargin, y - ScreenMargin, x + ScreenMargin, y + ScreenMargin});
    }
    return r;
}

// One step of the walk: a chunk, the side it was entered by (-1: the eye's
// chunk, any side may be left) and the screen it is seen through that way.
struct WalkStep {
    int32_t cx, cy, cz;
    int8_t entered;
    ScreenRect screen;
};

// Per chunk of the cube's chunk range: the screen seen through each side
// entered by (and how often that grew), all of it together, and whether the
// chunk is listed.
struct WalkMark {
    ScreenRect entries[6];
    uint8_t growths[6];
    ScreenRect seen;
    bool listed;
};
std::vector<WalkMark> walkMarks;
std::vector<WalkStep> walkQueue;

// After this many growths of one entry the walk takes the whole screen there,
// which ends it quickly.
constexpr uint8_t MaxGrowths = 6;


// The screen rectangle of the opening from chunk c (first..last cells) into
// its neighbour n across side: the boundary faces with open cells on both
// sides, within the drawn cells. NoScreen when there is none.
ScreenRect ProjectOpening(const ViewVolume& view, const Chunk& c, const Chunk& n, int side) {
    const int axis = SideAxes[side], uAxis = SliceAxes[axis][0], vAxis = SliceAxes[axis][1];
    const int32_t first[3] = {c.x0, c.y0, c.z0}, last[3] = {c.x1, c.y1, c.z1};
    int32_t u0 = ChunkSide, u1 = -1, v0 = ChunkSide, v1 = -1;
    for (int v = 0; v < ChunkSide; v++) {
        uint32_t row = static_cast<uint32_t>(c.openings[side][v] & n.openings[side ^ 1][v]);
        // Only cells inside the drawn cells can be passed on the way to a face.
        const int32_t cellV = first[vAxis] + v;
        if (!row || cellV < view.low[vAxis] || cellV > view.high[vAxis]) continue;
        int32_t lowU = std::max(0, view.low[uAxis] - first[uAxis]);
        int32_t highU = std::min(ChunkSide - 1, view.high[uAxis] - first[uAxis]);
        if (lowU > highU) continue;
        row &= ((2u << highU) - 1u) & ~((1u << lowU) - 1u);
        if (!row) continue;
        u0 = std::min(u0, static_cast<int32_t>(std::countr_zero(row)));
        u1 = std::max(u1, static_cast<int32_t>(std::bit_width(row)) - 1);
        v0 = std::min(v0, v);
        v1 = v;
    }
    if (u1 < 0) return NoScreen;
    const int32_t player[3] = {SX, SY, SZ};
    double low[3], high[3];
    const double plane = side % 2 == 0 ? last[axis] - player[axis] + 0.5 : first[axis] - player[axis] - 0.5;
    low[axis] = high[axis] = plane;
    low[uAxis] = first[uAxis] + u0 - player[uAxis] - 0.5;
    high[uAxis] = first[uAxis] + u1 - player[uAxis] + 0.5;
    low[vAxis] = first[vAxis] + v0 - player[vAxis] - 0.5;
    high[vAxis] = first[vAxis] + v1 - player[vAxis] + 0.5;
    return ProjectBox(view, low, high);
}

}  // namespace

void FindVisibleChunks(const ViewVolume& view, std::vector<VisibleChunk>& visible) {
    visible.clear();
    int32_t low[3], high[3];
    ChunkRange(view, low, high);
    const int32_t span[3] = {high[0] - low[0] + 1, high[1] - low[1] + 1, high[2] - low[2] + 1};
    WalkMark blank;
    std::fill(blank.entries, blank.entries + 6, NoScreen);
    std::fill(blank.growths, blank.growths + 6, 0);
    blank.seen = NoScreen;
    blank.listed = false;
    walkMarks.assign(static_cast<size_t>(span[0]) * span[1] * span[2], blank);
    auto mark = [&](const int32_t c[3]) -> WalkMark& {
        return walkMarks[(static_cast<size_t>(c[2] - low[2]) * span[1] + (c[1] - low[1])) * span[0] + (c[0] - low[0])];
    };

    // Describes chunk c for drawing; false when no part of it is in the
    // frustum.
    auto describe = [&](const int32_t c[3], VisibleChunk& out) {
        int32_t cellLow[3], cellHigh[3];
        bool whole;
        ClippedChunkCells(view, c, cellLow, cellHigh, &whole);
        float boxLow[3], boxHigh[3];
        CellBox(cellLow, cellHigh, boxLow, boxHigh);
        if (!BoxMayBeInFrustum(view, boxLow, boxHigh, AllFrustumPlanes)) return false;
        out = VisibleChunk{c[0], c[1], c[2], whole, BoxInsideFrustum(view, boxLow, boxHigh),
                           {WholeScreen.x0, WholeScreen.y0, WholeScreen.x1, WholeScreen.y1}};
        return true;
    };

    if (!view.occluding) {
        // Every chunk in the frustum, nearest first.
        int32_t eyeChunk[3];
        for (int axis = 0; axis < 3; axis++) eyeChunk[axis] = std::clamp(PlayerCell(axis) / ChunkSide, low[axis], high[axis]);
        for (int32_t cz = low[2]; cz <= high[2]; cz++)
            for (int32_t cy = low[1]; cy <= high[1]; cy++)
                for (int32_t cx = low[0]; cx <= high[0]; cx++) {
                    const int32_t c[3] = {cx, cy, cz};
                    VisibleChunk chunk;
                    if (describe(c, chunk)) visible.push_back(chunk);
                }
        auto distance = [&](const VisibleChunk& v) {
            return std::abs(v.cx - eyeChunk[0]) + std::abs(v.cy - eyeChunk[1]) + std::abs(v.cz - eyeChunk[2]);
        };
        std::stable_sort(visible.begin(), visible.end(),
                         [&](const VisibleChunk& a, const VisibleChunk& b) { return distance(a) < distance(b); });
        return;
    }

    // The walk from the eye's chunk. Sight to a drawn face ends before the
    // far plane, so the far plane bounds the walk, the near plane does not.
    int32_t eyeChunk[3];
    for (int axis = 0; axis < 3; axis++)
        eyeChunk[axis] = (PlayerCell(axis) + static_cast<int32_t>(std::floor(view.eye[axis] + 0.5f))) / ChunkSide;
    walkQueue.clear();
    walkQueue.push_back({eyeChunk[0], eyeChunk[1], eyeChunk[2], -1, WholeScreen});
    mark(eyeChunk).seen = WholeScreen;
    for (size_t next = 0; next < walkQueue.size(); next++) {
        const WalkStep step = walkQueue[next];
        const int32_t c[3] = {step.cx, step.cy, step.cz};
        WalkMark& here = mark(c);
        if (!here.listed) {
            here.listed = true;
            VisibleChunk described;
            if (describe(c, described)) visible.push_back(described);
        }
        const Chunk& chunk = UseChunk(step.cx, step.cy, step.cz);
        const uint8_t exits = step.entered < 0 ? 0x3F : chunk.links[step.entered];
        for (int side = 0; side < 6; side++) {
            if (!(exits & (1 << side)) || side == step.entered) continue;
            const int axis = SideAxes[side];
            // Never back towards the eye's chunk.
            if (SideSteps[side][axis] > 0 ? c[axis] < eyeChunk[axis] : c[axis] > eyeChunk[axis]) continue;
            int32_t n[3] = {c[0] + SideSteps[side][0], c[1] + SideSteps[side][1], c[2] + SideSteps[side][2]};
            if (n[axis] < low[axis] || n[axis] > high[axis]) continue;
            // The neighbour must meet the frustum's sides and far plane.
            int32_t cellLow[3], cellHigh[3];
            bool whole;
            ClippedChunkCells(view, n, cellLow, cellHigh, &whole);
            float boxLow[3], boxHigh[3];
            CellBox(cellLow, cellHigh, boxLow, boxHigh);
            if (!BoxMayBeInFrustum(view, boxLow, boxHigh, SightFrustumPlanes)) continue;
            const Chunk& neighbour = UseChunk(n[0], n[1], n[2]);
            // UseChunk may have built the neighbour; chunk stays valid (the
            // table only changes size with the world).
            ScreenRect through = Intersect(step.screen, ProjectOpening(view, chunk, neighbour, side));
            if (IsEmpty(through)) continue;
            const int entered = side ^ 1;
            WalkMark& there = mark(n);
            if (Contains(there.entries[entered], through)) continue;
            there.growths[entered] += 1;
            there.entries[entered] = there.growths[entered] > MaxGrowths ? WholeScreen : Unite(there.entries[entered], through);
            there.seen = Unite(there.seen, there.entries[entered]);
            walkQueue.push_back({n[0], n[1], n[2], static_cast<int8_t>(entered), there.entries[entered]});
        }
    }
    // Each chunk is seen through all the ways that reach it.
    for (VisibleChunk& chunk : visible) {
        const int32_t c[3] = {chunk.cx, chunk.cy, chunk.cz};
        const ScreenRect& seen = mark(c).seen;
        chunk.screen[0] = seen.x0;
        chunk.screen[1] = seen.y0;
        chunk.screen[2] = seen.x1;
        chunk.screen[3] = seen.y1;
    }
}

// ---------------------------------------------------------------------------
// Cells in sight
// ---------------------------------------------------------------------------

namespace {

// One bit per drawn cell of the last marking, x fastest.
std::vector<uint64_t> sightBits;
int32_t sightLow[3] = {0, 0, 0};
int32_t sightSpan[3] = {0, 0, 0};
std::vector<int32_t> sightQueue;

int64_t SightIndex(int32_t x, int32_t y, int32_t z) {
    return (static_cast<int64_t>(z - sightLow[2]) * sightSpan[1] + (y - sightLow[1])) * sightSpan[0] + (x - sightLow[0]);
}

}  // namespace

void MarkCellsInSight(const ViewVolume& view) {
    for (int axis = 0; axis < 3; axis++) {
        sightLow[axis] = view.low[axis];
        sightSpan[axis] = view.high[axis] - view.low[axis] + 1;
    }
    const int64_t cells = static_cast<int64_t>(sightSpan[0]) * sightSpan[1] * sightSpan[2];
    sightBits.assign(static_cast<size_t>((cells + 63) / 64), 0);
    sightQueue.clear();
    if (!view.occluding) return;

    int32_t eye[3];
    for (int axis = 0; axis < 3; axis++) eye[axis] = PlayerCell(axis) + static_cast<int32_t>(std::floor(view.eye[axis] + 0.5f));
    auto mark = [](int64_t index) {
        uint64_t& word = sightBits[static_cast<size_t>(index >> 6)];
        const uint64_t bit = uint64_t{1} << (index & 63);
        if (word & bit) return false;
        word |= bit;
        return true;
    };
    // A cell may lie on a line of sight when its box meets the frustum's
    // sides and far plane.
    auto meetsFrustum = [&](const int32_t c[3]) {
        float boxLow[3], boxHigh[3];
        CellBox(c, c, boxLow, boxHigh);
        return BoxMayBeInFrustum(view, boxLow, boxHigh, SightFrustumPlanes);
    };

    mark(SightIndex(eye[0], eye[1], eye[2]));
    sightQueue.push_back(CellIndex(eye[0], eye[1], eye[2]));
    for (size_t next = 0; next < sightQueue.size(); next++) {
        const int32_t index = sightQueue[next];
        const int32_t c[3] = {index % worldSide, (index / worldSide) % worldSide, index / layerSize};
        for (int s = 0; s < CellSides; s++) {
            const int axis = SideAxes[s], step = SideSteps[s][axis];
            // Never back towards the eye.
            if (step > 0 ? c[axis] < eye[axis] : c[axis] > eye[axis]) continue;
            int32_t n[3] = {c[0], c[1], c[2]};
            n[axis] += step;
            if (n[axis] < view.low[axis] || n[axis] > view.high[axis]) continue;
            const int32_t neighbour = CellIndex(n[0], n[1], n[2]);
            if (DungeonMap[neighbour] != CellEmpty || !meetsFrustum(n)) continue;
            if (mark(SightIndex(n[0], n[1], n[2]))) sightQueue.push_back(neighbour);
        }
    }
}

bool IsCellInSight(int32_t x, int32_t y, int32_t z) {
    const int64_t index = SightIndex(x, y, z);
    return (sightBits[static_cast<size_t>(index >> 6)] >> (index & 63)) & 1;
}
