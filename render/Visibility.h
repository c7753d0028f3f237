// The view of the 3D pass and what it draws of the view cube: the view
// volume from the GL's matrices, the frustum's box tests, and the chunks
// the frustum touches, cut down, when the camera is a point, to the cells
// the sight walk (SightWalk.h) marked and their neighbours.
// Conservative: no face that could show a pixel is left out.
#pragma once
#include <cstdint>
#include <vector>

// The view of one frame, in the coordinates the pass draws in: cell (x, y, z)
// is the unit cube around (x - SX, y - SY, z - SZ).
struct ViewVolume {
    // The six frustum planes (left, right, bottom, top, near, far) with unit
    // normals; a point p is inside when dot(plane, p) + plane[3] >= 0.
    float planes[6][4];
    // The cells drawn: the cube around the player within the world's shell,
    // inclusive bounds in cell coordinates (empty when low > high somewhere).
    int32_t low[3], high[3];
    // Whether cells no line of sight reaches, and faces seen only from where
    // no line of sight reaches, may be left out: the eye is a point
    // (perspective) inside the drawn cells' box.
    bool occluding;
    // The eye in draw coordinates, and the drawn cells it and everything the
    // near plane cuts off can lie in, inclusive (meaningful when occluding).
    float eye[3];
    int32_t nearLow[3], nearHigh[3];
    // The near plane's rectangle: its centre, and the steps to its right
    // and top edges (normalised device x and y of 1), in draw coordinates.
    double nearCentre[3], nearRight[3], nearUp[3];
    // Draw coordinates to clip coordinates: projection x modelview.
    double clip[16];
    // The picture's size in pixels (the GL's viewport).
    int32_t pixels[2];
};

// One chunk to draw, by chunk coordinates; the box of its cells that can
// show faces or objects (inclusive cell coordinates); whether that box is
// the whole chunk, inside the drawn cells, and whether it lies wholly inside
// the frustum (no per-face tests needed).
struct VisibleChunk {
    int32_t cx, cy, cz;
    int32_t low[3], high[3];
    bool insideCube;
    bool insideFrustum;
};

// Sets up view from the current modelview and projection matrices, the
// player cell and viewRadius; false when the cube holds no drawn cell.
bool PrepareViewVolume(ViewVolume& view);
// Lists the chunks to draw, nearest first: when the view occludes, those
// holding or bordering cells of the last MarkCellsInSight, each cut down to
// the box of those cells and their neighbours.
void FindVisibleChunks(const ViewVolume& view, std::vector<VisibleChunk>& visible);
// Plane sets for BoxMayBeInFrustum, one bit per plane of ViewVolume::planes:
// all six, or all but the near plane (lines of sight start at the eye, in
// front of it).
constexpr uint8_t AllFrustumPlanes = 0x3F;
constexpr uint8_t SightFrustumPlanes = 0x2F;
// Whether the box of draw coordinates low..high may show inside the planes
// of the set: the one box test of the frustum, with room for rounding.
bool BoxMayBeInFrustum(const ViewVolume& view, const float low[3], const float high[3], uint8_t planes);
// The player's cell along axis 0, 1 or 2 (SX, SY or SZ): cell c lies at draw
// coordinate c - PlayerCell(axis).
const int32_t& PlayerCell(int axis);
// The draw-coordinate box of the cells low..high, inclusive on each axis.
void CellBox(const int32_t low[3], const int32_t high[3], float boxLow[3], float boxHigh[3]);
// The range of chunks, inclusive chunk coordinates, that holds view's drawn
// cells.
void ChunkRange(const ViewVolume& view, int32_t low[3], int32_t high[3]);
// Extra room, in draw units, around the part of the frustum the near plane
// cuts off: the cells sight starts from are taken that much larger.
constexpr double NearMargin = 0.01;
