// Per pixel, the eye depth (clip w) behind which a face already found hides
// everything; per tile of 8 x 8 pixels, the greatest of those, so that a
// wholly hidden tile is known at one look. A tile no face has reached yet is
// not filled in until one does. Everything here errs towards
// "may show": a face covers only pixel centres well inside it, and a depth
// counts as hidden only with room for the GL's rounding of depths.
#include "render/FaceDepths.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

namespace {

constexpr int TileSide = 8;
constexpr float NoFace = std::numeric_limits<float>::infinity();
// How far inside a face's edges (in pixels) a pixel centre must lie to count
// as covered, and how far outside a rectangle's edges one still counts as in
// it: far more than the GL's sub-pixel snapping.
constexpr float EdgeRoom = 0.05f;

// Whole numbers next to a value, without the library's rounding calls:
// exact but within a thousandth of a pixel, and held to +-4000 (far off the
// picture either way).
int Floor(float v) { return static_cast<int>(std::clamp(v, -4000.0f, 4000.0f) + 4096.0f) - 4096; }
int Ceiling(float v) { return -Floor(-v); }

// The pixel columns (or rows) whose centres lie within the normalised
// device range low..high on an axis of size pixels, grown by room.
void PixelRange(float low, float high, int size, float room, int* first, int* last) {
    const float half = 0.5f * static_cast<float>(size);
    *first = std::max(0, Ceiling((low + 1.0f) * half - 0.5f - room));
    *last = std::min(size - 1, Floor((high + 1.0f) * half - 0.5f + room));
}

// Fills in the pixels of the tiles tx0..tx1 x ty0..ty1 not reached yet.
void TouchTiles(FaceDepths& d, int tx0, int ty0, int tx1, int ty1) {
    for (int ty = ty0; ty <= ty1; ty++)
        for (int tx = tx0; tx <= tx1; tx++) {
            const int tile = ty * d.tileColumns + tx;
            if (!d.tileUntouched[tile]) continue;
            d.tileUntouched[tile] = 0;
            const int width = std::min(TileSide, d.pictureWidth - tx * TileSide);
            for (int y = ty * TileSide; y < std::min(d.pictureHeight, (ty + 1) * TileSide); y++)
                std::fill_n(&d.pixelDepths[static_cast<size_t>(y) * d.rowPitch + tx * TileSide], width, NoFace);
        }
}

float TileDepth(FaceDepths& d, int tx, int ty) {
    const int tile = ty * d.tileColumns + tx;
    if (d.tileStale[tile]) {
        float deepest = 0.0f;
        const float* rows = &d.pixelDepths[static_cast<size_t>(ty) * TileSide * d.rowPitch + tx * TileSide];
        for (int y = 0; y < TileSide; y++)
            for (int x = 0; x < TileSide; x++) deepest = std::max(deepest, rows[y * d.rowPitch + x]);
        d.tileDepths[tile] = deepest;
        d.tileStale[tile] = 0;
    }
    return d.tileDepths[tile];
}

}  // namespace

float FaceHidingDepth(float nearest) { return nearest * 0.999f - 0.01f; }

void ClearFaceDepths(FaceDepths& d, int width, int height) {
    d.pictureWidth = width;
    d.pictureHeight = height;
    d.tileColumns = (width + TileSide - 1) / TileSide;
    d.tileRows = (height + TileSide - 1) / TileSide;
    d.rowPitch = d.tileColumns * TileSide;
    // The pixels past the picture's edges stay 0.
    const size_t pixels = static_cast<size_t>(d.rowPitch) * d.tileRows * TileSide;
    if (d.pixelDepths.size() != pixels) d.pixelDepths.assign(pixels, 0.0f);
    d.tileDepths.assign(static_cast<size_t>(d.tileColumns) * d.tileRows, NoFace);
    d.tileStale.assign(d.tileDepths.size(), 0);
    d.tileUntouched.assign(d.tileDepths.size(), 1);
    d.pendingFaces.clear();
}

namespace {

void DrawFaceDepth(FaceDepths& d, const float x[4], const float y[4], float farthest, const float within[4]) {
    // Corners in pixels, where pixel (i, j) has its centre at (i, j).
    float px[4], py[4];
    float x0 = NoFace, y0 = NoFace, x1 = -NoFace, y1 = -NoFace;
    for (int k = 0; k < 4; k++) {
        px[k] = (x[k] + 1.0f) * 0.5f * static_cast<float>(d.pictureWidth) - 0.5f;
        py[k] = (y[k] + 1.0f) * 0.5f * static_cast<float>(d.pictureHeight) - 0.5f;
        x0 = std::min(x0, px[k]);
        x1 = std::max(x1, px[k]);
        y0 = std::min(y0, py[k]);
        y1 = std::max(y1, py[k]);
    }
    // Edges as a x + b y + c >= room inside, whichever way round the corners go.
    float area = 0.0f;
    for (int k = 0; k < 4; k++) area += px[k] * py[(k + 1) % 4] - px[(k + 1) % 4] * py[k];
    if (!(std::fabs(area) > 1e-6f)) return;
    const float turn = area > 0.0f ? 1.0f : -1.0f;
    float a[4], b[4], c[4], inverseA[4];
    for (int k = 0; k < 4; k++) {
        const int n = (k + 1) % 4;
        a[k] = turn * (py[k] - py[n]);
        b[k] = turn * (px[n] - px[k]);
        const float length = std::sqrt(a[k] * a[k] + b[k] * b[k]);
        if (length > 0.0f) {
            a[k] /= length;
            b[k] /= length;
        }
        c[k] = -(a[k] * px[k] + b[k] * py[k]) - EdgeRoom;
        inverseA[k] = a[k] != 0.0f ? 1.0f / a[k] : 0.0f;
    }
    int first, last, top, bottom;
    PixelRange(within[0], within[2], d.pictureWidth, 0.0f, &first, &last);
    PixelRange(within[1], within[3], d.pictureHeight, 0.0f, &top, &bottom);
    first = std::max(first, Ceiling(x0));
    last = std::min(last, Floor(x1));
    top = std::max(top, Ceiling(y0));
    bottom = std::min(bottom, Floor(y1));
    if (first > last || top > bottom) return;
    TouchTiles(d, first / TileSide, top / TileSide, last / TileSide, bottom / TileSide);
    int leftmost = last + 1, rightmost = first - 1;
    for (int j = top; j <= bottom; j++) {
        // The columns inside every edge on this row.
        float from = static_cast<float>(first), to = static_cast<float>(last);
        const float fy = static_cast<float>(j);
        for (int k = 0; k < 4; k++) {
            const float rest = b[k] * fy + c[k];
            if (a[k] > 1e-6f) from = std::max(from, -rest * inverseA[k]);
            else if (a[k] < -1e-6f) to = std::min(to, -rest * inverseA[k]);
            else if (rest < 0.0f) to = -1.0f;
        }
        if (from > to) continue;
        const int i0 = std::max(first, Ceiling(from)), i1 = std::min(last, Floor(to));
        float* row = &d.pixelDepths[static_cast<size_t>(j) * d.rowPitch];
        for (int i = i0; i <= i1; i++) row[i] = std::min(row[i], farthest);
        leftmost = std::min(leftmost, i0);
        rightmost = std::max(rightmost, i1);
    }
    for (int ty = top / TileSide; leftmost <= rightmost && ty <= bottom / TileSide; ty++)
        std::fill(&d.tileStale[ty * d.tileColumns + leftmost / TileSide],
                  &d.tileStale[ty * d.tileColumns + rightmost / TileSide] + 1, 1);
}

}  // namespace

void AddFaceDepth(FaceDepths& d, const float x[4], const float y[4], float farthest, const float within[4]) {
    FaceDepths::PendingFace& face = d.pendingFaces.emplace_back();
    std::copy(x, x + 4, face.x);
    std::copy(y, y + 4, face.y);
    face.farthest = farthest;
    std::copy(within, within + 4, face.within);
}

bool IsHiddenBehindFaces(FaceDepths& d, const float screen[4], float nearest) {
    for (const FaceDepths::PendingFace& face : d.pendingFaces)
        DrawFaceDepth(d, face.x, face.y, face.farthest, face.within);
    d.pendingFaces.clear();
    int i0, i1, j0, j1;
    PixelRange(screen[0], screen[2], d.pictureWidth, EdgeRoom, &i0, &i1);
    PixelRange(screen[1], screen[3], d.pictureHeight, EdgeRoom, &j0, &j1);
    // No pixel centre at all: nothing seen through it is drawn.
    if (i0 > i1 || j0 > j1) return true;
    const float hiding = FaceHidingDepth(nearest);
    for (int ty = j0 / TileSide; ty <= j1 / TileSide; ty++)
        for (int tx = i0 / TileSide; tx <= i1 / TileSide; tx++) {
            if (d.tileUntouched[ty * d.tileColumns + tx]) return false;
            if (TileDepth(d, tx, ty) < hiding) continue;
            const int left = std::max(i0, tx * TileSide), right = std::min(i1, tx * TileSide + TileSide - 1);
            for (int j = std::max(j0, ty * TileSide); j <= std::min(j1, ty * TileSide + TileSide - 1); j++) {
                const float* row = &d.pixelDepths[static_cast<size_t>(j) * d.rowPitch];
                for (int i = left; i <= right; i++)
                    if (!(row[i] < hiding)) return false;
            }
        }
    return true;
}
