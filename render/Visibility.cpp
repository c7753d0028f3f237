// The view volume of the 3D pass and the chunks it draws. The frustum comes
// from the GL's own matrices, so the tests hold for whatever camera is set.
// When the view occludes, the chunk list keeps to the cells the sight walk
// (SightWalk.cpp) marked and their neighbours.
#include "render/Visibility.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "render/Chunks.h"
#include "render/SightWalk.h"
#include "screen/OpenGL.h"
#include "screen/Screen.h"
#include "world/WorldState.h"

// How far outside a plane a box may reach and still count as inside: far
// more than any rounding of the matrices.
static constexpr float PlaneMargin = 0.01f;

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

const int32_t& PlayerCell(int axis) { return axis == 0 ? SX : axis == 1 ? SY : SZ; }

void CellBox(const int32_t low[3], const int32_t high[3], float boxLow[3], float boxHigh[3]) {
    for (int axis = 0; axis < 3; axis++) {
        boxLow[axis] = static_cast<float>(low[axis] - PlayerCell(axis)) - 0.5f;
        boxHigh[axis] = static_cast<float>(high[axis] - PlayerCell(axis)) + 0.5f;
    }
}

void ChunkRange(const ViewVolume& view, int32_t low[3], int32_t high[3]) {
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

// The drawn cells the eye or the near plane's cut can lie in; false when
// the eye is outside the drawn cells (sight from there may enter them from
// any side). Lines of sight that leave the drawn cells never come back: they
// are a box, and the eye is in it.
static bool FindNearCells(ViewVolume& view, double reach) {
    for (int axis = 0; axis < 3; axis++) {
        double e = view.eye[axis];
        if (!(e >= view.low[axis] - PlayerCell(axis) - 0.5 && e <= view.high[axis] - PlayerCell(axis) + 0.5))
            return false;
        view.nearLow[axis] =
            std::max(view.low[axis], PlayerCell(axis) + static_cast<int32_t>(std::floor(e - reach + 0.5)));
        view.nearHigh[axis] =
            std::min(view.high[axis], PlayerCell(axis) + static_cast<int32_t>(std::floor(e + reach + 0.5)));
    }
    return true;
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
    GLint viewport[4] = {0, 0, ScreenWidth, ScreenHeight};
    glGetIntegerv(GL_VIEWPORT, viewport);
    view.pixels[0] = std::max(1, static_cast<int>(viewport[2]));
    view.pixels[1] = std::max(1, static_cast<int>(viewport[3]));
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
        for (int column = 0; column < 4; column++)
            view.planes[plane][column] = static_cast<float>(coefficients[column] / length);
    }

    // Occlusion needs a camera at a point: an affine modelview and a
    // perspective projection.
    view.occluding = false;
    const bool affine = m[3] == 0.0 && m[7] == 0.0 && m[11] == 0.0 && m[15] == 1.0;
    const bool perspective = p[3] == 0.0 && p[7] == 0.0 && p[11] == -1.0 && p[15] == 0.0;
    double inverseModelview[16], inverseClip[16];
    if (!affine || !perspective || !InvertMatrix(m, inverseModelview) || !InvertMatrix(clip, inverseClip)) return true;
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
    double right[3], up[3];
    Unproject(inverseClip, 0.0, 0.0, -1.0, view.nearCentre);
    Unproject(inverseClip, 1.0, 0.0, -1.0, right);
    Unproject(inverseClip, 0.0, 1.0, -1.0, up);
    for (int axis = 0; axis < 3; axis++) {
        view.nearRight[axis] = right[axis] - view.nearCentre[axis];
        view.nearUp[axis] = up[axis] - view.nearCentre[axis];
    }
    view.occluding = FindNearCells(view, reach + NearMargin);
    return true;
}

// ---------------------------------------------------------------------------
// Chunks
// ---------------------------------------------------------------------------

void FindVisibleChunks(const ViewVolume& view, std::vector<VisibleChunk>& visible) {
    visible.clear();
    int32_t low[3], high[3];
    ChunkRange(view, low, high);
    int32_t eyeChunk[3];
    for (int axis = 0; axis < 3; axis++)
        eyeChunk[axis] = std::clamp(PlayerCell(axis) / ChunkSide, low[axis], high[axis]);
    for (int32_t cz = low[2]; cz <= high[2]; cz++)
        for (int32_t cy = low[1]; cy <= high[1]; cy++)
            for (int32_t cx = low[0]; cx <= high[0]; cx++) {
                const int32_t c[3] = {cx, cy, cz};
                VisibleChunk chunk = {cx, cy, cz, {}, {}, false, false};
                bool whole;
                ClippedChunkCells(view, c, chunk.low, chunk.high, &whole);
                if (view.occluding) {
                    // Only the cells in sight and those beside them show faces.
                    int32_t markedLow[3], markedHigh[3];
                    if (!FindChunkBoxInSight(cx, cy, cz, markedLow, markedHigh)) continue;
                    for (int axis = 0; axis < 3; axis++) {
                        const int32_t first = c[axis] * ChunkSide;
                        const int32_t seenLow = std::max(chunk.low[axis], first + markedLow[axis] - 1);
                        const int32_t seenHigh = std::min(chunk.high[axis], first + markedHigh[axis] + 1);
                        if (seenLow != chunk.low[axis] || seenHigh != chunk.high[axis]) whole = false;
                        chunk.low[axis] = seenLow;
                        chunk.high[axis] = seenHigh;
                    }
                }
                float boxLow[3], boxHigh[3];
                CellBox(chunk.low, chunk.high, boxLow, boxHigh);
                if (!BoxMayBeInFrustum(view, boxLow, boxHigh, AllFrustumPlanes)) continue;
                chunk.insideCube = whole;
                chunk.insideFrustum = BoxInsideFrustum(view, boxLow, boxHigh);
                visible.push_back(chunk);
            }
    // Nearest first.
    auto distance = [&](const VisibleChunk& v) {
        return std::abs(v.cx - eyeChunk[0]) + std::abs(v.cy - eyeChunk[1]) + std::abs(v.cz - eyeChunk[2]);
    };
    std::stable_sort(visible.begin(), visible.end(),
                     [&](const VisibleChunk& a, const VisibleChunk& b) { return distance(a) < distance(b); });
}
