// What the 3D pass draws of the view cube: the chunks the view frustum
// touches and, when the eye stands in open space, only the chunks and cells
// that a line of sight from the eye can reach through open cells.
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
    // Whether faces turned away from the eye and chunks no line of sight
    // reaches may be left out: the eye is a point (perspective) in open
    // space and nothing in the cube lets sight pass through rock.
    bool occluding;
    // The eye in draw coordinates (meaningful when occluding).
    float eye[3];
    // Draw coordinates to clip coordinates: projection x modelview.
    double clip[16];
};

// One chunk to draw, by chunk coordinates; whether it lies wholly inside
// the drawn cells and the frustum (no per-face tests needed); and the part of
// the screen (normalised device x0, y0, x1, y1) through which it can be seen.
struct VisibleChunk {
    int32_t cx, cy, cz;
    bool insideCube;
    bool insideFrustum;
    float screen[4];
};

// Sets up view from the current modelview and projection matrices, the
// player cell and viewRadius; false when the cube holds no drawn cell.
bool PrepareViewVolume(ViewVolume& view);
// Lists the chunks to draw, nearest first.
void FindVisibleChunks(const ViewVolume& view, std::vector<VisibleChunk>& visible);
// When the view occludes: marks every open cell that a line of sight from the
// eye can pass through on its way to a face, for IsCellInSight.
void MarkCellsInSight(const ViewVolume& view);
// Whether cell (x, y, z), one of the drawn cells, was marked by the last
// MarkCellsInSight: only such cells can show faces or objects.
bool IsCellInSight(int32_t x, int32_t y, int32_t z);
// Plane sets for BoxMayBeInFrustum, one bit per plane of ViewVolume::planes:
// all six, or all but the near plane (lines of sight start at the eye, in
// front of it).
constexpr uint8_t AllFrustumPlanes = 0x3F;
constexpr uint8_t SightFrustumPlanes = 0x2F;
// Whether the box of draw coordinates low..high may show inside the planes
// of the set: the one box test of the frustum, with room for rounding.
bool BoxMayBeInFrustum(const ViewVolume& view, const float low[3], const float high[3], uint8_t planes);
