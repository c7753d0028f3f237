// The 3D pass from the chunk cache, drawing the picture the cells drawn one
// by one would give, pixel for pixel (Mesa's llvmpipe is what it was matched
// against; other GLs round a little differently either way).
//
// Drawn cell by cell, the GL transforms each corner of a cell's +-1 cube by
// projection x (camera translated to the cell, scaled by a half). Here the
// same products are formed on the CPU with the same single-precision steps
// (glTranslatef's sums, the matrix product, then the corner) and handed to
// the GL as clip coordinates under identity matrices, which pass them through
// unchanged. The GL splits a quad into triangles one way when no corner in
// its draw needs clipping, (0,1,2)(0,2,3), and the other way when one does,
// (0,1,3)(1,2,3), and it computes the two cases apart; each face is sent as
// the two triangles its cell's draw would have given, in a batch of the same
// case (see DrawNeedsClipping).
//
// Only faces seen from cells in sight, inside the screen those cells are
// seen through, are drawn (see SightWalk). Faces that no light reaches are
// black whatever their texture: in chunks no light reaches, the faces of a
// side are merged into rectangles (kept with the chunk) and drawn
// untextured, and only the edges of such rectangles can cover a pixel
// differently. Faces of lit chunks go in three textured batches (floors,
// FlagAltTexture floors, ceilings with walls) and one untextured batch for
// those that come out black, in the order the cells are drawn one by one.
// Objects are drawn with the cell's own matrix steps.
#include "render/ViewCube.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "render/Bitmaps.h"
#include "render/Blocks.h"
#include "render/Chunks.h"
#include "render/RenderCounts.h"
#include "render/SightWalk.h"
#include "render/Textures.h"
#include "render/Visibility.h"
#include "screen/OpenGL.h"
#include "world/WorldState.h"

// The GL's rounding is only reproduced if no multiply-add is fused.
#if defined(__clang__)
#pragma clang fp contract(off)
#elif defined(__GNUC__)
#pragma GCC optimize("fp-contract=off")
#elif defined(_MSC_VER)
#pragma fp_contract(off)
#endif

ViewCubeCounts viewCubeCounts = {0, 0, 0, 0, false, 0};
bool seenMarking = true;

namespace {

// ---------------------------------------------------------------------------
// The cell transform
// ---------------------------------------------------------------------------

float modelview[16];
float projection[16];
// projection x (modelview column j scaled by a half), j = 0..2: the same for
// every cell.
float sharedColumns[3][4];

void PrepareCellTransform() {
    static const float identity[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    std::copy(identity, identity + 16, modelview);
    std::copy(identity, identity + 16, projection);
    glGetFloatv(GL_MODELVIEW_MATRIX, modelview);
    glGetFloatv(GL_PROJECTION_MATRIX, projection);
    const float* p = projection;
    for (int j = 0; j < 3; j++) {
        float b[4];
        for (int r = 0; r < 4; r++) b[r] = modelview[j * 4 + r] * 0.5f;
        for (int i = 0; i < 4; i++)
            sharedColumns[j][i] = p[i] * b[0] + p[4 + i] * b[1] + p[8 + i] * b[2] + p[12 + i] * b[3];
    }
}

// The last column of projection x (modelview translated by the cell's
// offset): glTranslatef's sums, then the product, as the GL rounds them.
void CellBase(int32_t cx, int32_t cy, int32_t cz, float base[4]) {
    const float x = static_cast<float>(cx - SX), y = static_cast<float>(cy - SY), z = static_cast<float>(cz - SZ);
    const float* m = modelview;
    float t[4];
    for (int i = 0; i < 4; i++) t[i] = m[i] * x + m[4 + i] * y + m[8 + i] * z + m[12 + i];
    const float* p = projection;
    for (int i = 0; i < 4; i++) base[i] = p[i] * t[0] + p[4 + i] * t[1] + p[8 + i] * t[2] + p[12 + i] * t[3];
}

// Clip coordinates of a corner (x, y, z of the +-1 cube) of the cell whose
// base is given.
void CornerClip(const float base[4], const float* corner, float out[4]) {
    for (int i = 0; i < 4; i++)
        out[i] = sharedColumns[0][i] * corner[0] + sharedColumns[1][i] * corner[1] + sharedColumns[2][i] * corner[2] +
                 base[i];
}

// Whether the GL must clip at this vertex (there is no guard band).
bool NeedsClipping(const float v[4]) {
    return v[0] > v[3] || v[0] < -v[3] || v[1] > v[3] || v[1] < -v[3] || v[2] > v[3] || v[2] < -v[3];
}

// ---------------------------------------------------------------------------
// Batches
// ---------------------------------------------------------------------------

struct TexturedVertex {
    float s, t;
    uint8_t r, g, b, a;
    float clip[4];
};

struct BlackVertex {
    float clip[4];
};

// Faces of lit chunks: floors (FloorTextureSlot), alternative floors (GreenTextureSlot),
// ceilings and walls, and faces left black (drawn untextured: black
// whatever the texel); each twice, for draws the GL clips and draws it does
// not (it computes the two apart).
constexpr int FaceBatches = 4;
constexpr int TexturedBatches = 3;
constexpr int BlackFaceBatch = 3;
std::vector<TexturedVertex> faceBatches[FaceBatches][2];
std::vector<BlackVertex> blackBatches[2];

// A face of a lit chunk waiting for its place in the drawing order: the
// order the cells are drawn one by one (CellIndex, then the side), which
// decides between faces whose depths tie where their corners meet.
struct LitFace {
    int64_t order;
    uint8_t batch;
    bool clipped;
    TexturedVertex corners[6];
};
std::vector<LitFace> litFaces;
std::vector<int32_t> litOrder;
std::vector<VisibleChunk> visibleChunks;

struct PendingObject {
    int32_t x, y, z;
    int32_t slot;
};
std::vector<PendingObject> pendingObjects;

// The distinct lights of the active list that reach anything.
std::vector<int32_t> reachingLights;

// How far behind a face's plane the eye may be and the face still count as
// turned towards it.
constexpr float TurnMargin = 1e-3f;
// The direction of each cell side along its axis.
const float SideSign[CellSides] = {1.0f, -1.0f, 1.0f, -1.0f, 1.0f, -1.0f};

// Triangle corners of a quad, without and with clipping in its group.
const int UnclippedSplit[6] = {0, 1, 2, 0, 2, 3};
const int ClippedSplit[6] = {0, 1, 3, 1, 2, 3};

void CollectReachingLights() {
    reachingLights.clear();
    for (int32_t e = 0; e < activeLightCount; e++) {
        int32_t index = activeLights[e];
        if (Lights[index].radius <= 0) continue;
        if (std::find(reachingLights.begin(), reachingLights.end(), index) == reachingLights.end())
            reachingLights.push_back(index);
    }
}

// Whether some active light may reach a cell of the box low..high: a light
// reaches less than its radius along every axis.
bool BoxIsLit(const int32_t low[3], const int32_t high[3]) {
    for (int32_t index : reachingLights) {
        const Light& light = Lights[index];
        const int64_t at[3] = {light.x, light.y, light.z};
        bool reaches = true;
        for (int axis = 0; axis < 3; axis++)
            reaches = reaches && low[axis] < at[axis] + light.radius && high[axis] > at[axis] - light.radius;
        if (reaches) return true;
    }
    return false;
}

// Whether any corner of the draw that holds a face of cell (x, y, z) needs
// clipping. Drawn cell by cell, the GL gathers consecutive glBegin groups
// into one draw until something changes its state: the floor is drawn on
// its own (binding the wall texture after it ends the draw), the ceiling and
// the walls together; when the floor's texture is the wall texture, the
// binding changes nothing and all six faces share one draw.
bool DrawNeedsClipping(int32_t x, int32_t y, int32_t z, int side, const float base[4]) {
    const int32_t index = CellIndex(x, y, z);
    const uint32_t floorTexture = TextureNames[FlagMap[index] == FlagAltTexture ? GreenTextureSlot : FloorTextureSlot];
    const bool shared = floorTexture == TextureNames[wallTexture];
    const int first = side == 0 || shared ? 0 : 1, last = side == 0 && !shared ? 0 : 5;
    for (int s = first; s <= last; s++) {
        const CellFace& face = CellFaces[s];
        if (s != side && DungeonMap[index + CellIndex(SideSteps[s][0], SideSteps[s][1], SideSteps[s][2])] != CellSolid)
            continue;
        for (const float* corner : face.corners) {
            float clip[4];
            CornerClip(base, corner + 2, clip);
            if (NeedsClipping(clip)) return true;
        }
    }
    return false;
}

// Whether a quad with these clip-space corners lies wholly outside the
// screen rectangle (normalised device x0, y0, x1, y1) it can be seen
// through. Corners at or behind the eye's plane are not judged.
bool QuadMissesScreen(const float* const corners[4], const float screen[4]) {
    float x0 = 2.0f, y0 = 2.0f, x1 = -2.0f, y1 = -2.0f;
    for (int k = 0; k < 4; k++) {
        const float* c = corners[k];
        if (!(c[3] > 1e-3f)) return false;
        const float x = c[0] / c[3], y = c[1] / c[3];
        x0 = std::min(x0, x);
        y0 = std::min(y0, y);
        x1 = std::max(x1, x);
        y1 = std::max(y1, y);
    }
    constexpr float margin = 1e-4f;
    return x1 < screen[0] - margin || x0 > screen[2] + margin || y1 < screen[1] - margin || y0 > screen[3] + margin;
}

// Whether the eye may see a face of side at the plane (draw coordinate) from
// its own cell's side, and from the side of the cell across it.
void FaceSeenFrom(const ViewVolume& view, int side, float plane, bool* own, bool* across) {
    const float e = view.eye[SideAxes[side]];
    *own = SideSign[side] > 0 ? e < plane + TurnMargin : e > plane - TurnMargin;
    *across = SideSign[side] > 0 ? e > plane - TurnMargin : e < plane + TurnMargin;
}

// Whether no face of a side in the cells low..high can be seen from either
// of its sides.
bool SideUnseen(const ViewVolume& view, int side, const int32_t low[3], const int32_t high[3]) {
    if (!view.occluding) return false;
    const int axis = SideAxes[side];
    const int32_t player[3] = {SX, SY, SZ};
    bool own, across, ownNear, acrossNear;
    // The nearest and farthest planes of the side bound what either sees.
    FaceSeenFrom(view, side, static_cast<float>(low[axis] - player[axis]) + 0.5f * SideSign[side], &own, &across);
    FaceSeenFrom(view, side, static_cast<float>(high[axis] - player[axis]) + 0.5f * SideSign[side], &ownNear,
                 &acrossNear);
    return !own && !ownNear && !across && !acrossNear;
}

// Grows screen (x0, y0, x1, y1) to hold seen.
void GrowScreen(float screen[4], const float seen[4]) {
    screen[0] = std::min(screen[0], seen[0]);
    screen[1] = std::min(screen[1], seen[1]);
    screen[2] = std::max(screen[2], seen[2]);
    screen[3] = std::max(screen[3], seen[3]);
}

// Adds to screen the part of the screen through which the faces of side in
// the rectangle of cells first..last (one cell thick along the side's axis,
// at the plane) can be seen: through their cells when the eye is on their
// side, through the cells across when on the other; a row of cells at a
// time. Then cuts first..last down to the faces seen; false when none is.
// Without occlusion, the whole screen, every face seen.
bool GrowByRectInSight(const ViewVolume& view, int side, float plane, int32_t first[3], int32_t last[3],
                       float screen[4]) {
    const int axis = SideAxes[side], uAxis = SliceAxes[axis][0], vAxis = SliceAxes[axis][1];
    if (!view.occluding) {
        static const float whole[4] = {-1.0f, -1.0f, 1.0f, 1.0f};
        GrowScreen(screen, whole);
        return true;
    }
    bool own, across;
    FaceSeenFrom(view, side, plane, &own, &across);
    const int32_t beyond = first[axis] + SideSteps[side][axis];
    across = across && beyond >= view.low[axis] && beyond <= view.high[axis];
    const int32_t count = last[uAxis] - first[uAxis] + 1;
    int32_t seenFirst[2] = {count, last[vAxis]}, seenLast[2] = {-1, first[vAxis]};
    int32_t row[3] = {first[0], first[1], first[2]};
    for (row[vAxis] = first[vAxis]; row[vAxis] <= last[vAxis]; row[vAxis]++) {
        int32_t rowFirst = count, rowLast = -1;
        if (own) GrowByRowInSight(row, uAxis, count, screen, &rowFirst, &rowLast);
        if (across) {
            int32_t next[3] = {row[0], row[1], row[2]};
            next[axis] = beyond;
            GrowByRowInSight(next, uAxis, count, screen, &rowFirst, &rowLast);
        }
        if (rowFirst > rowLast) continue;
        seenFirst[0] = std::min(seenFirst[0], rowFirst);
        seenLast[0] = std::max(seenLast[0], rowLast);
        seenFirst[1] = std::min(seenFirst[1], row[vAxis]);
        seenLast[1] = std::max(seenLast[1], row[vAxis]);
    }
    if (seenFirst[0] > seenLast[0]) return false;
    const int32_t u0 = first[uAxis];
    first[uAxis] = u0 + seenFirst[0];
    last[uAxis] = u0 + seenLast[0];
    first[vAxis] = seenFirst[1];
    last[vAxis] = seenLast[1];
    return true;
}

// Every face of a lit chunk, in the colour of its cell, exactly as drawn
// cell by cell.
void GatherLitFaces(const ViewVolume& view, const VisibleChunk& visible, const Chunk& chunk, const int32_t low[3],
                    const int32_t high[3]) {
    const int32_t origin[3] = {chunk.x0, chunk.y0, chunk.z0};
    const int32_t player[3] = {SX, SY, SZ};
    for (int list = 0; list < ChunkFaceLists; list++) {
        const int side = ChunkListSide(list), axis = SideAxes[side];
        if (SideUnseen(view, side, low, high)) continue;
        const CellFace& face = CellFaces[side];
        for (int32_t f = chunk.first[list]; f < chunk.first[list + 1]; f++) {
            const ChunkFace& cell = chunk.faces[f];
            const int32_t at[3] = {origin[0] + cell.x, origin[1] + cell.y, origin[2] + cell.z};
            if (!visible.insideCube && (at[0] < low[0] || at[0] > high[0] || at[1] < low[1] || at[1] > high[1] ||
                                        at[2] < low[2] || at[2] > high[2]))
                continue;
            const float plane = static_cast<float>(at[axis] - player[axis]) + 0.5f * SideSign[side];
            float screen[4] = {1.0f, 1.0f, -1.0f, -1.0f};
            int32_t first[3] = {at[0], at[1], at[2]}, last[3] = {at[0], at[1], at[2]};
            if (!GrowByRectInSight(view, side, plane, first, last, screen)) continue;
            if (!visible.insideFrustum) {
                float boxLow[3], boxHigh[3];
                for (int a = 0; a < 3; a++) {
                    boxLow[a] = static_cast<float>(at[a] - player[a]) - 0.5f;
                    boxHigh[a] = boxLow[a] + 1.0f;
                }
                boxLow[axis] = boxHigh[axis] = plane;
                if (!BoxMayBeInFrustum(view, boxLow, boxHigh, AllFrustumPlanes)) continue;
            }
            float base[4];
            CellBase(at[0], at[1], at[2], base);
            TexturedVertex corners[4];
            for (int k = 0; k < 4; k++) {
                const float* corner = face.corners[k];
                corners[k] = TexturedVertex{corner[0], corner[1], 0, 0, 0, 255, {}};
                CornerClip(base, corner + 2, corners[k].clip);
            }
            const float* const clips[4] = {corners[0].clip, corners[1].clip, corners[2].clip, corners[3].clip};
            if (QuadMissesScreen(clips, screen)) continue;
            const bool clipped = !visible.insideFrustum && DrawNeedsClipping(at[0], at[1], at[2], side, base);
            uint8_t colour[3];
            ComputeCellColour(at[0], at[1], at[2], colour);
            for (TexturedVertex& corner : corners) {
                corner.r = colour[0];
                corner.g = colour[1];
                corner.b = colour[2];
            }
            const int32_t index = CellIndex(at[0], at[1], at[2]);
            if (seenMarking && !view.occluding) MarkCellSeen(at[0], at[1], at[2]);
            LitFace& lit = litFaces.emplace_back();
            lit.order = static_cast<int64_t>(index) * 8 + side;
            const bool black = colour[0] == 0 && colour[1] == 0 && colour[2] == 0;
            lit.batch = static_cast<uint8_t>(black ? BlackFaceBatch : list < 2 ? list : 2);
            lit.clipped = clipped;
            const int* split = clipped ? ClippedSplit : UnclippedSplit;
            for (int k = 0; k < 6; k++) lit.corners[k] = corners[split[k]];
        }
    }
}

// Marks the cells first..last (inclusive, a slice one cell thick) as seen:
// those whose faces a black rectangle draws.
void MarkRectSeen(const int32_t first[3], const int32_t last[3]) {
    for (int32_t z = first[2]; z <= last[2]; z++)
        for (int32_t y = first[1]; y <= last[1]; y++)
            for (int32_t x = first[0]; x <= last[0]; x++) MarkCellSeen(x, y, z);
}

// The merged faces of a chunk no light reaches, black.
void GatherBlackRects(const ViewVolume& view, const VisibleChunk& visible, const Chunk& chunk, const int32_t low[3],
                      const int32_t high[3]) {
    const int32_t origin[3] = {chunk.x0, chunk.y0, chunk.z0};
    const int32_t player[3] = {SX, SY, SZ};
    for (int side = 0; side < 6; side++) {
        if (SideUnseen(view, side, low, high)) continue;
        const int axis = SideAxes[side], uAxis = SliceAxes[axis][0], vAxis = SliceAxes[axis][1];
        const CellFace& face = CellFaces[side];
        for (int32_t r = chunk.firstRect[side]; r < chunk.firstRect[side + 1]; r++) {
            const ChunkRect& rect = chunk.rects[r];
            int32_t first[3], last[3];
            first[axis] = last[axis] = origin[axis] + rect.slice;
            first[uAxis] = origin[uAxis] + rect.u0;
            last[uAxis] = origin[uAxis] + rect.u1;
            first[vAxis] = origin[vAxis] + rect.v0;
            last[vAxis] = origin[vAxis] + rect.v1;
            if (!visible.insideCube) {
                bool empty = false;
                for (int a = 0; a < 3; a++) {
                    first[a] = std::max(first[a], low[a]);
                    last[a] = std::min(last[a], high[a]);
                    empty = empty || first[a] > last[a];
                }
                if (empty) continue;
            }
            const float plane = static_cast<float>(first[axis] - player[axis]) + 0.5f * SideSign[side];
            // Seen through the screens of its faces together. Only the part
            // of the rectangle that holds faces seen is drawn: still whole
            // faces, so the same pixels.
            float screen[4] = {1.0f, 1.0f, -1.0f, -1.0f};
            if (!GrowByRectInSight(view, side, plane, first, last, screen)) continue;
            if (!visible.insideFrustum) {
                float boxLow[3], boxHigh[3];
                for (int a = 0; a < 3; a++) {
                    boxLow[a] = static_cast<float>(first[a] - player[a]) - 0.5f;
                    boxHigh[a] = static_cast<float>(last[a] - player[a]) + 0.5f;
                }
                boxLow[axis] = boxHigh[axis] = plane;
                if (!BoxMayBeInFrustum(view, boxLow, boxHigh, AllFrustumPlanes)) continue;
            }
            // Each corner of the rectangle is the corner of its end cell.
            BlackVertex corners[4];
            bool outside = false;
            for (int k = 0; k < 4; k++) {
                const float* corner = face.corners[k] + 2;
                int32_t cell[3];
                cell[axis] = first[axis];
                cell[uAxis] = corner[uAxis] < 0 ? first[uAxis] : last[uAxis];
                cell[vAxis] = corner[vAxis] < 0 ? first[vAxis] : last[vAxis];
                float base[4];
                CellBase(cell[0], cell[1], cell[2], base);
                CornerClip(base, corner, corners[k].clip);
                outside = outside || NeedsClipping(corners[k].clip);
            }
            const float* const clips[4] = {corners[0].clip, corners[1].clip, corners[2].clip, corners[3].clip};
            if (QuadMissesScreen(clips, screen)) continue;
            for (int k : UnclippedSplit) blackBatches[outside].push_back(corners[k]);
            if (seenMarking && !view.occluding) MarkRectSeen(first, last);
        }
    }
}

void GatherObjects(const ViewVolume& view, const VisibleChunk& visible, const Chunk& chunk, const int32_t low[3],
                   const int32_t high[3]) {
    const int32_t origin[3] = {chunk.x0, chunk.y0, chunk.z0};
    for (const ChunkObject& object : chunk.objects) {
        const int32_t at[3] = {origin[0] + object.x, origin[1] + object.y, origin[2] + object.z};
        if (at[0] < low[0] || at[0] > high[0] || at[1] < low[1] || at[1] > high[1] || at[2] < low[2] || at[2] > high[2])
            continue;
        if (view.occluding && !CellSightScreen(at[0], at[1], at[2])) continue;
        const float boxLow[3] = {static_cast<float>(at[0] - SX) - 0.2f, static_cast<float>(at[1] - SY) - 0.2f,
                                 static_cast<float>(at[2] - SZ) - 0.2f};
        const float boxHigh[3] = {boxLow[0] + 0.4f, boxLow[1] + 0.4f, boxLow[2] + 0.4f};
        if (!visible.insideFrustum && !BoxMayBeInFrustum(view, boxLow, boxHigh, AllFrustumPlanes)) continue;
        pendingObjects.push_back({at[0], at[1], at[2], object.slot});
    }
}

void GatherChunk(const ViewVolume& view, const VisibleChunk& visible) {
    const Chunk& chunk = UseChunk(visible.cx, visible.cy, visible.cz);
    const int32_t* low = visible.low;
    const int32_t* high = visible.high;
    if (BoxIsLit(low, high)) GatherLitFaces(view, visible, chunk, low, high);
    else GatherBlackRects(view, visible, chunk, low, high);
    GatherObjects(view, visible, chunk, low, high);
}

// A triangle wholly beyond the far plane: it draws nothing, but a draw that
// holds it is clipped.
void AddClippedAway(std::vector<TexturedVertex>& batch) {
    const TexturedVertex away = {0.0f, 0.0f, 0, 0, 0, 255, {0.0f, 0.0f, 2.0f, 1.0f}};
    batch.insert(batch.end(), 3, away);
}

// The GL decides between its two ways of drawing for every run of about a
// thousand vertices of a draw, so a clipped batch carries a clipped-away
// triangle after every few faces and at its end.
constexpr int FacesPerClippedRun = 16;

// Puts the faces of lit chunks into their batches in the cells' order. The
// faces whose cell's draw needed clipping go where the GL clips too, so that
// they come out of the same arithmetic.
void SortLitFaces() {
    litOrder.resize(litFaces.size());
    for (size_t i = 0; i < litFaces.size(); i++) litOrder[i] = static_cast<int32_t>(i);
    std::sort(litOrder.begin(), litOrder.end(),
              [](int32_t a, int32_t b) { return litFaces[a].order < litFaces[b].order; });
    int32_t run[FaceBatches] = {0, 0, 0, 0};
    for (int32_t i : litOrder) {
        const LitFace& face = litFaces[i];
        std::vector<TexturedVertex>& batch = faceBatches[face.batch][face.clipped];
        batch.insert(batch.end(), face.corners, face.corners + 6);
        if (face.clipped && ++run[face.batch] % FacesPerClippedRun == 0) AddClippedAway(batch);
    }
    for (auto& pair : faceBatches)
        if (!pair[1].empty()) AddClippedAway(pair[1]);
}

// The batches under identity matrices: their vertices are clip coordinates.
void DrawBatches() {
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();

    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_COLOR_ARRAY);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    const uint32_t textures[TexturedBatches] = {TextureNames[FloorTextureSlot], TextureNames[GreenTextureSlot],
                                                TextureNames[wallTexture]};
    const GLboolean textured = glIsEnabled(GL_TEXTURE_2D);
    for (int b = 0; b < FaceBatches; b++) {
        if (b == BlackFaceBatch) glDisable(GL_TEXTURE_2D);
        for (const std::vector<TexturedVertex>& batch : faceBatches[b]) {
            if (batch.empty()) continue;
            if (b < TexturedBatches) glBindTexture(GL_TEXTURE_2D, textures[b]);
            glTexCoordPointer(2, GL_FLOAT, sizeof(TexturedVertex), &batch[0].s);
            glColorPointer(4, GL_UNSIGNED_BYTE, sizeof(TexturedVertex), &batch[0].r);
            glVertexPointer(4, GL_FLOAT, sizeof(TexturedVertex), batch[0].clip);
            glDrawArrays(GL_TRIANGLES, 0, static_cast<GLsizei>(batch.size()));
        }
    }
    glDisableClientState(GL_COLOR_ARRAY);
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    glColor4ub(0, 0, 0, 255);
    for (const std::vector<BlackVertex>& batch : blackBatches) {
        if (batch.empty()) continue;
        glVertexPointer(4, GL_FLOAT, sizeof(BlackVertex), batch[0].clip);
        glDrawArrays(GL_TRIANGLES, 0, static_cast<GLsizei>(batch.size()));
    }
    if (textured) glEnable(GL_TEXTURE_2D);
    glDisableClientState(GL_VERTEX_ARRAY);

    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
}

// Each object in its cell's matrix, scaled by a half as the cell leaves it,
// in the colour of its cell.
void DrawPendingObjects() {
    for (const PendingObject& object : pendingObjects) {
        uint8_t colour[3];
        ComputeCellColour(object.x, object.y, object.z, colour);
        glPushMatrix();
        glTranslatef(static_cast<float>(object.x - SX), static_cast<float>(object.y - SY),
                     static_cast<float>(object.z - SZ));
        glColor3ub(colour[0], colour[1], colour[2]);
        glScalef(0.5f, 0.5f, 0.5f);
        DrawObject(object.slot);
        glPopMatrix();
    }
}

}  // namespace

void DrawViewCube() {
    viewCubeCounts = {0, 0, 0, 0, false, 0};
    ViewVolume view;
    if (!PrepareViewVolume(view)) return;
    glDisable(GL_LIGHT1);
    glDisable(GL_LIGHT2);
    glEnable(GL_COLOR_MATERIAL);

    PrepareCellTransform();
    MarkCellsInSight(view);
    // The walk's halves are joined: every open cell a line of sight reaches
    // is seen, on this thread alone.
    if (seenMarking && view.occluding) MarkOpenCellsInSightSeen();
    FindVisibleChunks(view, visibleChunks);
    CollectReachingLights();
    for (auto& pair : faceBatches)
        for (auto& batch : pair) batch.clear();
    for (auto& batch : blackBatches) batch.clear();
    litFaces.clear();
    pendingObjects.clear();
    for (const VisibleChunk& visible : visibleChunks) GatherChunk(view, visible);
    SortLitFaces();

    viewCubeCounts = {static_cast<int32_t>(visibleChunks.size()),
                      static_cast<int32_t>(litFaces.size()),
                      static_cast<int32_t>((blackBatches[0].size() + blackBatches[1].size()) / 6),
                      static_cast<int32_t>(pendingObjects.size()),
                      view.occluding,
                      CountCellsInSight()};
    DrawBatches();
    DrawPendingObjects();
}
