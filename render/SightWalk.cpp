// The sight walk: which cells of the 3D pass's view a line of sight from
// the eye reaches, each with the part of the screen it is seen through.
//
// A line of sight from the eye ends at the first face it meets, and a face
// lies between an open cell (code 0) and rock (code 1) and nowhere else:
// sight passes between open cells, through rock, and into and out of cells
// of any other code, which show no face and have none against them. So
// from the eye in rock the backs of the nearest hollows show, and through a
// cell of an odd code the rock behind it. Whatever lies nearer the eye than
// the near plane is cut away, so sight starts from every cell that cut can
// reach, each line where it crosses the near plane.
//
// The sight walk goes cell by cell from there, across shared sides that are
// not faces, never back towards the eye along any axis (as a straight line
// never does), in order of distance from the eye's cell. Each cell keeps the
// screen rectangle its lines of sight cross it in: what the cell it came
// from had, narrowed to the projection of the side between them. A face can
// only show from a marked cell beside it, within that cell's rectangle.
// Sight does not leave the drawn cells: they are a box around the eye, and
// nothing outside it is drawn.
//
// Every face the walk meets is drawn, so it hides what lies wholly behind
// it: the walk keeps, per pixel, the depth behind which faces met so far
// hide everything (FaceDepths), and does not step into a cell through a
// side whose every pixel lies behind them. Through rock, where sight is
// stopped only by the scattered backs of hollows, this is what keeps the
// walk short.
#include "render/SightWalk.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

#include "render/Chunks.h"
#include "render/FaceDepths.h"
#include "render/RenderCounts.h"
#include "sys/Worker.h"
#include "world/WorldState.h"

int64_t wholeSightWalks = 0;
int64_t helperSightWalks = 0;

namespace {

// A screen rectangle in normalised device coordinates: x0, y0, x1, y1.
struct ScreenRect {
    float x0, y0, x1, y1;
};
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

// The clip matrix in single precision, by column, for the sight walk.
float clipColumns[4][4];
// For each axis: half its clip column (from a cell's centre to its side),
// and for each clip row, the steps from a side's centre to its four
// corners, in order around the side.
float halfColumns[3][4];
alignas(16) float cornerSteps[3][4][4];

// How a side of a cell projects: beyond the far plane, onto the screen
// rectangle given, or too near the eye's plane to be projected.
enum SideProjection { SideBeyondFar, SideOnScreen, SideAtTheEye };

// Sets up the tables above from view's clip matrix.
void PrepareSideProjection(const ViewVolume& view) {
    for (int column = 0; column < 4; column++)
        for (int row = 0; row < 4; row++) clipColumns[column][row] = static_cast<float>(view.clip[column * 4 + row]);
    for (int axis = 0; axis < 3; axis++) {
        const int u = SliceAxes[axis][0], v = SliceAxes[axis][1];
        for (int row = 0; row < 4; row++) {
            halfColumns[axis][row] = 0.5f * clipColumns[axis][row];
            // Corners (-u, -v), (+u, -v), (+u, +v), (-u, +v).
            for (int corner = 0; corner < 4; corner++) {
                const float su = corner == 1 || corner == 2 ? 0.5f : -0.5f, sv = corner >= 2 ? 0.5f : -0.5f;
                cornerSteps[axis][row][corner] = su * clipColumns[u][row] + sv * clipColumns[v][row];
            }
        }
    }
}

// Clip coordinates of the centre of the cell at draw coordinates centre.
void ProjectCentre(const float centre[3], float clip[4]) {
    for (int row = 0; row < 4; row++)
        clip[row] = clipColumns[0][row] * centre[0] + clipColumns[1][row] * centre[1] +
                    clipColumns[2][row] * centre[2] + clipColumns[3][row];
}

// A side of a cell as projected: its corners in normalised device
// coordinates, their least and greatest eye depth (clip w), and whether it
// lies wholly between the near and far planes.
struct SideCorners {
    float x[4], y[4];
    float nearest, farthest;
    bool whole;
};

float Least(const float v[4]) { return std::min(std::min(v[0], v[1]), std::min(v[2], v[3])); }
float Greatest(const float v[4]) { return std::max(std::max(v[0], v[1]), std::max(v[2], v[3])); }

// Projects the side of a cell (clip coordinates of its centre) across axis
// in direction step (+1 or -1). Each clip row is formed for the four
// corners together, and each test is made of all four at once.
SideProjection ProjectSide(const float centre[4], int axis, int step, ScreenRect& out, SideCorners& corners) {
    alignas(16) float c[4][4];
    for (int row = 0; row < 4; row++) {
        const float base = step > 0 ? centre[row] + halfColumns[axis][row] : centre[row] - halfColumns[axis][row];
        for (int k = 0; k < 4; k++) c[row][k] = base + cornerSteps[axis][row][k];
    }
    const float* w = c[3];
    corners.nearest = Least(w);
    if (!(corners.nearest > static_cast<float>(NearestDepth))) return SideAtTheEye;
    bool beyond = true, inside = true;
    for (int k = 0; k < 4; k++) {
        beyond &= c[2][k] > w[k] * 1.001f;
        inside &= std::fabs(c[2][k]) <= w[k];
    }
    // Depth only grows along a line of sight: past a side wholly beyond the
    // far plane nothing is drawn.
    if (beyond) return SideBeyondFar;
    corners.whole = inside;
    corners.farthest = Greatest(w);
    for (int k = 0; k < 4; k++) {
        const float inverse = 1.0f / w[k];
        corners.x[k] = c[0][k] * inverse;
        corners.y[k] = c[1][k] * inverse;
    }
    out = {Least(corners.x) - ScreenMargin, Least(corners.y) - ScreenMargin, Greatest(corners.x) + ScreenMargin,
           Greatest(corners.y) + ScreenMargin};
    return SideOnScreen;
}

// The screen rectangle of the part of the near plane's rectangle inside
// cell c (draw coordinates of its centre), the cell grown a little: lines of
// sight start there. The screen square is cut by the cell's six planes as
// they cross the near plane. Empty when the near plane misses the cell.
ScreenRect ProjectNearSection(const ViewVolume& view, const double centre[3]) {
    constexpr double half = 0.5 + NearMargin;
    constexpr int MaxCorners = 12;
    double corners[MaxCorners][2] = {{-1.0, -1.0}, {1.0, -1.0}, {1.0, 1.0}, {-1.0, 1.0}};
    int count = 4;
    for (int side = 0; side < CellSides && count > 0; side++) {
        // Inside the plane of side: a + b x + c y >= 0 for screen (x, y).
        const int axis = SideAxes[side];
        const double sign = -SideSteps[side][axis];
        const double a = sign * (view.nearCentre[axis] - centre[axis]) + half;
        const double b = sign * view.nearRight[axis], c = sign * view.nearUp[axis];
        double kept[MaxCorners][2];
        int keptCount = 0;
        for (int k = 0; k < count && keptCount < MaxCorners - 1; k++) {
            const double* p = corners[k];
            const double* q = corners[(k + 1) % count];
            const double dp = a + b * p[0] + c * p[1], dq = a + b * q[0] + c * q[1];
            if (dp >= 0.0) {
                kept[keptCount][0] = p[0];
                kept[keptCount++][1] = p[1];
            }
            if ((dp >= 0.0) != (dq >= 0.0)) {
                const double t = dp / (dp - dq);
                kept[keptCount][0] = p[0] + t * (q[0] - p[0]);
                kept[keptCount++][1] = p[1] + t * (q[1] - p[1]);
            }
        }
        count = keptCount;
        std::copy(&kept[0][0], &kept[0][0] + 2 * count, &corners[0][0]);
    }
    if (count == 0) return {1.0f, 1.0f, -1.0f, -1.0f};
    ScreenRect r = {2.0f, 2.0f, -2.0f, -2.0f};
    for (int k = 0; k < count; k++) {
        r.x0 = std::min(r.x0, static_cast<float>(corners[k][0]));
        r.y0 = std::min(r.y0, static_cast<float>(corners[k][1]));
        r.x1 = std::max(r.x1, static_cast<float>(corners[k][0]));
        r.y1 = std::max(r.y1, static_cast<float>(corners[k][1]));
    }
    return Intersect({r.x0 - ScreenMargin, r.y0 - ScreenMargin, r.x1 + ScreenMargin, r.y1 + ScreenMargin}, WholeScreen);
}

// The cells of the cube by sight index: x fastest.
int32_t sightLow[3] = {0, 0, 0};
int32_t sightSpan[3] = {0, 0, 0};
// A cell waiting to be walked from: its coordinates, its index in the
// world and in the sight bits, and its place in the walk's screens.
struct SightStep {
    int32_t x, y, z;
    int32_t cell;
    int64_t bit;
    int32_t slot;
};
// Per chunk of the cube's chunk range: the box of its cells in sight or
// bordering cells in sight in the next chunk, by offset inside the chunk
// (empty while low > high).
struct SightBox {
    int8_t low[3], high[3];
};
constexpr SightBox NoSightBox = {{ChunkSide, ChunkSide, ChunkSide}, {-1, -1, -1}};
int32_t chunkLow[3] = {0, 0, 0};
int32_t chunkSpan[3] = {0, 0, 0};

// One walk's marking, over the part of the screen it was given. Large views
// are walked as two parts side by side, one on the helper thread (where the
// system gives one; else the view is walked whole), and the
// second marking is then folded into the first. Every line of sight passes
// through one part or the other, so together they mark every cell a line of
// sight reaches, each with a screen that holds the line's pixel (a little
// less screen than one walk over the whole screen gives, whose rectangles
// also span the corners between what the two parts see). Each record keeps
// to its own cache lines: the two walks write theirs at once.
struct alignas(64) SightWalk {
    ScreenRect part;
    // One bit per drawn cell, by sight index; for a marked cell, its place
    // in screens (the slots of unmarked cells are never read, so they are
    // never cleared), and for each place the cell's sight index.
    std::vector<uint64_t> bits;
    std::vector<int32_t> slots;
    std::vector<ScreenRect> screens;
    std::vector<int64_t> marked;
    // Cells waiting, by their distance from the eye's cell along the axes.
    std::vector<std::vector<SightStep>> rings;
    std::vector<SightBox> chunkBoxes;
    FaceDepths depths;
    const ViewVolume* view;
};
SightWalk sightWalks[2];
// What the last marking found: the first walk, with the second folded in.
SightWalk& sight = sightWalks[0];

// Where the screen is parted between the two walks (normalised device x),
// chosen from the last large view so that each gets about half its cells.
float partingX = 0.0f;
// Views whose last marking held fewer cells are walked whole: the second
// thread would cost more than it saves.
constexpr size_t CellsBeforeParting = 2000;
size_t lastCellsInSight = 0;

// Cell coordinates within a chunk are taken with a mask.
static_assert((ChunkSide & (ChunkSide - 1)) == 0, "chunk side a power of two");

int64_t SightIndex(int32_t x, int32_t y, int32_t z) {
    return (static_cast<int64_t>(z - sightLow[2]) * sightSpan[1] + (y - sightLow[1])) * sightSpan[0] +
           (x - sightLow[0]);
}

bool IsMarked(const SightWalk& walk, int64_t bit) {
    return (walk.bits[static_cast<size_t>(bit >> 6)] >> (bit & 63)) & 1;
}

size_t ChunkSightIndex(int32_t cx, int32_t cy, int32_t cz) {
    return (static_cast<size_t>(cz - chunkLow[2]) * chunkSpan[1] + (cy - chunkLow[1])) * chunkSpan[0] +
           (cx - chunkLow[0]);
}

// Puts cell into its chunk's box.
void MarkChunk(SightWalk& walk, const int32_t cell[3]) {
    SightBox& box = walk.chunkBoxes[ChunkSightIndex(cell[0] / ChunkSide, cell[1] / ChunkSide, cell[2] / ChunkSide)];
    for (int axis = 0; axis < 3; axis++) {
        const int8_t within = static_cast<int8_t>(cell[axis] & (ChunkSide - 1));
        box.low[axis] = std::min(box.low[axis], within);
        box.high[axis] = std::max(box.high[axis], within);
    }
}

// Looking for cells hidden behind faces costs more than it saves until the
// walk has reached this many cells.
constexpr size_t CellsBeforeHiding = 1024;

// Whether sight crosses between cells of these codes: everywhere but between
// an open cell (0) and rock (1), the only codes whose sum is 1.
bool SightCrosses(uint8_t a, uint8_t b) { return a + b != CellEmpty + CellSolid; }

// Forgets the walk's marking, for the cells and chunks of the cube.
void ClearSightWalk(SightWalk& walk) {
    const int64_t cells = static_cast<int64_t>(sightSpan[0]) * sightSpan[1] * sightSpan[2];
    walk.bits.assign(static_cast<size_t>((cells + 63) / 64), 0);
    if (walk.slots.size() < static_cast<size_t>(cells)) walk.slots.resize(static_cast<size_t>(cells));
    walk.screens.clear();
    walk.marked.clear();
    walk.chunkBoxes.assign(static_cast<size_t>(chunkSpan[0]) * chunkSpan[1] * chunkSpan[2], NoSightBox);
}

// Marks the cell of sight index bit, seen through screen; its slot, or -1
// when it already was marked (its rectangle then grows to hold screen).
int32_t MarkBit(SightWalk& walk, int64_t bit, const ScreenRect& screen) {
    uint64_t& word = walk.bits[static_cast<size_t>(bit >> 6)];
    const uint64_t mask = uint64_t{1} << (bit & 63);
    if (word & mask) {
        ScreenRect& r = walk.screens[static_cast<size_t>(walk.slots[static_cast<size_t>(bit)])];
        r = {std::min(r.x0, screen.x0), std::min(r.y0, screen.y0), std::max(r.x1, screen.x1),
             std::max(r.y1, screen.y1)};
        return -1;
    }
    word |= mask;
    const int32_t slot = static_cast<int32_t>(walk.screens.size());
    walk.slots[static_cast<size_t>(bit)] = slot;
    walk.screens.push_back(screen);
    walk.marked.push_back(bit);
    return slot;
}

// MarkBit for cell c (its world index given), which also puts it into the
// box of its chunk and, for rock on a chunk's side, of the chunk beyond.
int32_t MarkCell(SightWalk& walk, const int32_t c[3], int32_t cell, int64_t bit, const ScreenRect& screen) {
    const int32_t slot = MarkBit(walk, bit, screen);
    if (slot < 0) return slot;
    MarkChunk(walk, c);
    // A face on the chunk's side may belong to the open cell beyond it.
    if (DungeonMap[cell] == CellSolid)
        for (int axis = 0; axis < 3; axis++) {
            const int32_t within = c[axis] & (ChunkSide - 1);
            if (within != 0 && within != ChunkSide - 1) continue;
            int32_t n[3] = {c[0], c[1], c[2]};
            n[axis] += within == 0 ? -1 : 1;
            if (n[axis] >= walk.view->low[axis] && n[axis] <= walk.view->high[axis]) MarkChunk(walk, n);
        }
    return slot;
}

// Walks the lines of sight through the walk's part of the screen, from a
// clear marking.
void WalkSight(SightWalk& walk) {
    const ViewVolume& view = *walk.view;
    ClearSightWalk(walk);
    ClearFaceDepths(walk.depths, view.pixels[0], view.pixels[1]);
    int32_t eye[3];
    for (int axis = 0; axis < 3; axis++)
        eye[axis] = PlayerCell(axis) + static_cast<int32_t>(std::floor(view.eye[axis] + 0.5f));
    const size_t rings = static_cast<size_t>(sightSpan[0] + sightSpan[1] + sightSpan[2]) + 1;
    std::vector<std::vector<SightStep>>& sightRings = walk.rings;
    if (sightRings.size() < rings) sightRings.resize(rings);
    for (auto& ring : sightRings) ring.clear();
    auto distance = [&](const int32_t c[3]) {
        return std::abs(c[0] - eye[0]) + std::abs(c[1] - eye[1]) + std::abs(c[2] - eye[2]);
    };
    // Steps to the next cell along each axis, in the world and in the sight
    // bits.
    const int32_t cellSteps[3] = {CellIndex(1, 0, 0), CellIndex(0, 1, 0), CellIndex(0, 0, 1)};
    const int64_t bitSteps[3] = {1, sightSpan[0], static_cast<int64_t>(sightSpan[0]) * sightSpan[1]};

    // Sight starts where the near plane cuts the cells around the eye.
    for (int32_t z = view.nearLow[2]; z <= view.nearHigh[2]; z++)
        for (int32_t y = view.nearLow[1]; y <= view.nearHigh[1]; y++)
            for (int32_t x = view.nearLow[0]; x <= view.nearHigh[0]; x++) {
                const int32_t c[3] = {x, y, z};
                const double centre[3] = {static_cast<double>(x - SX), static_cast<double>(y - SY),
                                          static_cast<double>(z - SZ)};
                const ScreenRect start = Intersect(ProjectNearSection(view, centre), walk.part);
                if (IsEmpty(start)) continue;
                const int32_t cell = CellIndex(x, y, z);
                const int64_t bit = SightIndex(x, y, z);
                const int32_t slot = MarkCell(walk, c, cell, bit, start);
                if (slot >= 0) sightRings[static_cast<size_t>(distance(c))].push_back({x, y, z, cell, bit, slot});
            }
    for (size_t d = 0; d + 1 < rings; d++) {
        // Every step goes one further from the eye's cell: a ring is whole
        // before it is walked.
        for (size_t next = 0; next < sightRings[d].size(); next++) {
            const SightStep from = sightRings[d][next];
            const int32_t c[3] = {from.x, from.y, from.z};
            const uint8_t code = DungeonMap[from.cell];
            const ScreenRect screen = walk.screens[static_cast<size_t>(from.slot)];
            const float centre[3] = {static_cast<float>(c[0] - SX), static_cast<float>(c[1] - SY),
                                     static_cast<float>(c[2] - SZ)};
            float centreClip[4] = {0.0f, 0.0f, 0.0f, 0.0f};
            bool projected = false;
            for (int axis = 0; axis < 3; axis++)
                // Never back towards the eye.
                for (int step = c[axis] > eye[axis] ? 1 : -1; step <= (c[axis] < eye[axis] ? -1 : 1); step += 2) {
                    int32_t n[3] = {c[0], c[1], c[2]};
                    n[axis] += step;
                    if (n[axis] < view.low[axis] || n[axis] > view.high[axis]) continue;
                    const int32_t neighbour = step > 0 ? from.cell + cellSteps[axis] : from.cell - cellSteps[axis];
                    const bool crosses = SightCrosses(code, DungeonMap[neighbour]);
                    if (!projected) {
                        ProjectCentre(centre, centreClip);
                        projected = true;
                    }
                    ScreenRect side;
                    SideCorners corners;
                    const SideProjection projection = ProjectSide(centreClip, axis, step, side, corners);
                    if (projection == SideBeyondFar) continue;
                    if (!crosses) {
                        // A face, drawn whole: it hides what lies behind it.
                        if (projection != SideOnScreen || !corners.whole) continue;
                        const ScreenRect seen = Intersect(screen, side);
                        if (!IsEmpty(seen)) AddFaceDepth(walk.depths, corners.x, corners.y, corners.farthest, &seen.x0);
                        continue;
                    }
                    if (projection == SideAtTheEye) {
                        // Beside the eye: the cell must meet the frustum's
                        // sides and far plane.
                        float boxLow[3], boxHigh[3];
                        CellBox(n, n, boxLow, boxHigh);
                        if (!BoxMayBeInFrustum(view, boxLow, boxHigh, SightFrustumPlanes)) continue;
                        side = WholeScreen;
                    }
                    const ScreenRect through = Intersect(screen, side);
                    if (IsEmpty(through)) continue;
                    const int64_t bit = step > 0 ? from.bit + bitSteps[axis] : from.bit - bitSteps[axis];
                    // Faces found so far may hide all of it; once a cell is
                    // in sight, more of its screen costs no more than a test.
                    if (projection == SideOnScreen && walk.screens.size() >= CellsBeforeHiding &&
                        !IsMarked(walk, bit) && IsHiddenBehindFaces(walk.depths, &through.x0, corners.nearest))
                        continue;
                    const int32_t slot = MarkCell(walk, n, neighbour, bit, through);
                    if (slot >= 0) sightRings[d + 1].push_back({n[0], n[1], n[2], neighbour, bit, slot});
                }
        }
    }
}

void WalkSightJob(void* walk) {
    WalkSight(*static_cast<SightWalk*>(walk));
    helperSightWalks += 1;
}

// Folds the marking of from into into: the union of the cells, each with
// the union of its screens, and of the chunks' boxes.
void FoldSightWalk(SightWalk& into, const SightWalk& from) {
    for (size_t slot = 0; slot < from.marked.size(); slot++) MarkBit(into, from.marked[slot], from.screens[slot]);
    for (size_t c = 0; c < into.chunkBoxes.size(); c++) {
        SightBox& box = into.chunkBoxes[c];
        const SightBox& more = from.chunkBoxes[c];
        for (int axis = 0; axis < 3; axis++) {
            box.low[axis] = std::min(box.low[axis], more.low[axis]);
            box.high[axis] = std::max(box.high[axis], more.high[axis]);
        }
    }
}

// The screen x that parts the cells of the last marking in two halves, by
// the centres of their screens.
float FindPartingX(const SightWalk& walk) {
    constexpr int Bins = 64;
    size_t counts[Bins] = {};
    for (const ScreenRect& r : walk.screens) {
        const float x = 0.5f * (r.x0 + r.x1);
        counts[std::clamp(static_cast<int>((x + 1.0f) * 0.5f * Bins), 0, Bins - 1)]++;
    }
    size_t sum = 0;
    for (int bin = 0; bin < Bins; bin++) {
        sum += counts[bin];
        if (2 * sum >= walk.screens.size())
            return std::clamp(2.0f * static_cast<float>(bin + 1) / Bins - 1.0f, -0.75f, 0.75f);
    }
    return 0.0f;
}

}  // namespace

void MarkCellsInSight(const ViewVolume& view) {
    for (int axis = 0; axis < 3; axis++) {
        sightLow[axis] = view.low[axis];
        sightSpan[axis] = view.high[axis] - view.low[axis] + 1;
    }
    int32_t chunkHigh[3];
    ChunkRange(view, chunkLow, chunkHigh);
    for (int axis = 0; axis < 3; axis++) chunkSpan[axis] = chunkHigh[axis] - chunkLow[axis] + 1;
    bool parted = view.occluding && lastCellsInSight >= CellsBeforeParting;
    SightWalk &first = sightWalks[0], &second = sightWalks[1];
    if (!view.occluding) {
        ClearSightWalk(first);
        lastCellsInSight = 0;
        return;
    }
    PrepareSideProjection(view);
    first.view = second.view = &view;
    if (parted) {
        second.part = {partingX, -1.0f, 1.0f, 1.0f};
        // Without a helper thread the view is walked whole here.
        parted = StartWorkerJob(WalkSightJob, &second);
    }
    if (parted) {
        first.part = {-1.0f, -1.0f, partingX, 1.0f};
        WalkSight(first);
        WaitForWorkerJob();
        FoldSightWalk(first, second);
    } else {
        first.part = WholeScreen;
        WalkSight(first);
        wholeSightWalks += 1;
    }
    lastCellsInSight = sight.screens.size();
    if (lastCellsInSight >= CellsBeforeParting) partingX = FindPartingX(sight);
}

const float* CellSightScreen(int32_t x, int32_t y, int32_t z) {
    const int64_t index = SightIndex(x, y, z);
    if (!IsMarked(sight, index)) return nullptr;
    return &sight.screens[static_cast<size_t>(sight.slots[static_cast<size_t>(index)])].x0;
}

void GrowByRowInSight(const int32_t first[3], int axis, int32_t count, float screen[4], int32_t* firstSeen,
                      int32_t* lastSeen) {
    const int64_t step = axis == 0 ? 1 : axis == 1 ? sightSpan[0] : static_cast<int64_t>(sightSpan[0]) * sightSpan[1];
    int64_t bit = SightIndex(first[0], first[1], first[2]);
    for (int32_t k = 0; k < count; k++, bit += step) {
        if (!IsMarked(sight, bit)) continue;
        const ScreenRect& r = sight.screens[static_cast<size_t>(sight.slots[static_cast<size_t>(bit)])];
        screen[0] = std::min(screen[0], r.x0);
        screen[1] = std::min(screen[1], r.y0);
        screen[2] = std::max(screen[2], r.x1);
        screen[3] = std::max(screen[3], r.y1);
        *firstSeen = std::min(*firstSeen, k);
        *lastSeen = std::max(*lastSeen, k);
    }
}

void MarkOpenCellsInSightSeen() {
    const int64_t span01 = static_cast<int64_t>(sightSpan[0]) * sightSpan[1];
    for (const int64_t bit : sight.marked) {
        const int32_t z = sightLow[2] + static_cast<int32_t>(bit / span01);
        const int32_t rest = static_cast<int32_t>(bit % span01);
        MarkCellSeen(sightLow[0] + rest % sightSpan[0], sightLow[1] + rest / sightSpan[0], z);
    }
}

int32_t CountCellsInSight() { return static_cast<int32_t>(sight.screens.size()); }

bool FindChunkBoxInSight(int32_t cx, int32_t cy, int32_t cz, int32_t low[3], int32_t high[3]) {
    const SightBox& box = sight.chunkBoxes[ChunkSightIndex(cx, cy, cz)];
    if (box.low[0] > box.high[0]) return false;
    for (int axis = 0; axis < 3; axis++) {
        low[axis] = box.low[axis];
        high[axis] = box.high[axis];
    }
    return true;
}
