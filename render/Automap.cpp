// The automap picture: a level from what has been seen and walked, with the
// band of levels around it, drawn straight into ScreenPixels over the whole
// picture or in its corner.
//
// SeenCells keeps a column's levels in the bits of a word, so the levels
// around the shown one come as a window of 17 bits per column, one or two
// words read: bit 8 the shown level, bits 7 down to 0 the levels above it
// (nearest first), bits 9 up the levels below.
#include "render/Automap.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>

#include "screen/Screen.h"
#include "world/Player.h"
#include "world/WorldState.h"

bool automapShown = false;
bool cornerMapShown = false;
int32_t automapZoom = 2;
bool automapFollowsPlayer = true;
int32_t automapLevel = 0;

int32_t ShownMapLevel() { return automapFollowsPlayer ? SZ : automapLevel; }

void BrowseMapLevel(int32_t step) {
    const int64_t level = static_cast<int64_t>(ShownMapLevel()) + step;
    automapLevel = static_cast<int32_t>(std::clamp<int64_t>(level, 0, worldLevels - 1));
    automapFollowsPlayer = false;
}

void ShowPlayersMapLevel() { automapFollowsPlayer = true; }

void ZoomMap(int32_t step) { automapZoom = step > 0 ? std::min(4, automapZoom * 2) : std::max(1, automapZoom / 2); }

void CycleMapZoom() { automapZoom = automapZoom >= 4 ? 1 : automapZoom * 2; }

namespace {

// A part of the picture the map is drawn over: its left column, top row
// (from the top) and size, and where the player cell's top-left pixel sits.
struct MapArea {
    int32_t left, top, width, height;
    int32_t playerColumn, playerRow;
};

// The window's bit of the shown level, and the bits of the levels around it.
constexpr uint32_t ShownBit = 1u << AutomapBandLevels;
constexpr uint32_t WindowMask = (1u << (2 * AutomapBandLevels + 1)) - 1;

// The cells under the area with a border of one all round, so that every
// cell's eight neighbours can be looked at: row r + 1, column c + 1 is the
// area's cell r, c. Each holds its column's window; rowsAny and rowsOpen say
// which rows hold any window and any open cell of the shown level seen.
constexpr int32_t GridWidth = ScreenWidth + 2;
constexpr int32_t GridHeight = ScreenHeight + 2;
uint32_t windows[GridWidth * GridHeight];
bool rowsAny[GridHeight];
bool rowsOpen[GridHeight];

int32_t FloorDivide(int32_t a, int32_t b) { return a >= 0 ? a / b : -((-a + b - 1) / b); }

// A colour as the four bytes of a picture pixel.
uint32_t PixelOf(const uint8_t colour[3]) {
    const uint8_t bytes[4] = {colour[0], colour[1], colour[2], 255};
    uint32_t pixel;
    std::memcpy(&pixel, bytes, 4);
    return pixel;
}

// Picture pixel (column, row from the top) as four bytes.
uint8_t* PixelAt(int32_t column, int32_t row) {
    return ScreenPixels + ((ScreenHeight - 1 - row) * ScreenWidth + column) * 4;
}

// The pixels of every map colour, the band's by side (0 above, 1 below) and
// distance less one.
struct MapPixels {
    uint32_t black, open, wayUp, wayDown, wayBoth, wall, edge, trail;
    uint32_t band[2][AutomapBandLevels];
};

MapPixels MakeMapPixels() {
    static const uint8_t black[3] = {0, 0, 0};
    MapPixels p = {PixelOf(black),
                   PixelOf(AutomapOpenColour),
                   PixelOf(AutomapWayUpColour),
                   PixelOf(AutomapWayDownColour),
                   PixelOf(AutomapWayBothColour),
                   PixelOf(AutomapWallColour),
                   PixelOf(AutomapEdgeColour),
                   PixelOf(AutomapTrailColour),
                   {}};
    for (int side = 0; side < 2; side++)
        for (int d = 0; d < AutomapBandLevels; d++) {
            const uint8_t* hue = side == 0 ? BandAboveHue : BandBelowHue;
            const uint8_t colour[3] = {static_cast<uint8_t>(hue[0] * BandBrightness[d] / 16),
                                       static_cast<uint8_t>(hue[1] * BandBrightness[d] / 16),
                                       static_cast<uint8_t>(hue[2] * BandBrightness[d] / 16)};
            p.band[side][d] = PixelOf(colour);
        }
    return p;
}

// Fills windows, rowsAny and rowsOpen for the grid whose top-left cell is
// (x0, y0), columns x rows cells, around level. Only columns inside the
// world are read, one or two words each.
void FindWindows(int32_t level, int32_t x0, int32_t y0, int32_t columns, int32_t rows) {
    const int32_t low = level - AutomapBandLevels;  // the level of the window's bit 0
    const int32_t firstPlane = FloorDivide(low, 64), lastPlane = FloorDivide(low + 2 * AutomapBandLevels, 64);
    const int32_t planes = SeenPlanes();
    // Each plane's words go down the window by its first level's distance
    // from low (up where that is negative).
    const int32_t firstShift = low - firstPlane * 64, lastShift = lastPlane * 64 - low;
    const bool first = firstPlane >= 0 && firstPlane < planes;
    const bool last = lastPlane != firstPlane && lastPlane >= 0 && lastPlane < planes;
    const int32_t xFirst = std::max(0, -x0), xLast = std::min(columns - 1, worldSide - 1 - x0);
    for (int32_t r = 0; r < rows; r++) {
        uint32_t* row = windows + r * GridWidth;
        std::fill(row, row + columns, 0u);
        rowsAny[r] = rowsOpen[r] = false;
        const int32_t y = y0 + r;
        if (y < 0 || y >= worldSide || xFirst > xLast || (!first && !last)) continue;
        // The words of the row's first cell in each plane (cell x0 + c is c on).
        const int64_t firstRow = static_cast<int64_t>(firstPlane) * layerSize + y * worldSide + x0;
        const int64_t lastRow = static_cast<int64_t>(lastPlane) * layerSize + y * worldSide + x0;
        uint32_t any = 0, open = 0;
        for (int32_t c = xFirst; c <= xLast; c++) {
            uint64_t window = 0;
            if (first) window = SeenCells[firstRow + c] >> firstShift;
            if (last) window |= SeenCells[lastRow + c] << lastShift;
            const uint32_t bits = static_cast<uint32_t>(window) & WindowMask;
            row[c] = bits;
            any |= bits;
        }
        open = any & ShownBit;
        rowsAny[r] = any != 0;
        rowsOpen[r] = open != 0;
    }
}

// The band's pixel for a window with nothing seen on the shown level: the
// nearest level with something seen, above where two are as near.
uint32_t BandPixel(const MapPixels& p, uint32_t window) {
    const uint32_t above = window & 0xFF, below = window >> (AutomapBandLevels + 1);
    const int32_t up = above ? AutomapBandLevels - (31 - std::countl_zero(above)) : AutomapBandLevels + 1;
    const int32_t down = below ? std::countr_zero(below) + 1 : AutomapBandLevels + 1;
    return up <= down ? p.band[0][up - 1] : p.band[1][down - 1];
}

// The pixel of an open cell seen at (x, y, level): a way where the cell
// straight above or below is open too.
uint32_t OpenPixel(const MapPixels& p, int32_t x, int32_t y, int32_t level) {
    const bool up = level > 0 && DungeonMap[CellIndex(x, y, level - 1)] != CellSolid;
    const bool down = level + 1 < worldLevels && DungeonMap[CellIndex(x, y, level + 1)] != CellSolid;
    return up && down ? p.wayBoth : up ? p.wayUp : down ? p.wayDown : p.open;
}

// Paints picture pixel (column, row from the top) inside area.
void PaintAreaPixel(const MapArea& area, int32_t column, int32_t row, uint32_t pixel) {
    if (column < area.left || column >= area.left + area.width || row < area.top || row >= area.top + area.height)
        return;
    std::memcpy(PixelAt(column, row), &pixel, 4);
}

// The pixels (columns first..last, rows top..bottom) of the cell dx, dy cells
// from the player's that fall inside area; false when none does.
bool FindAreaCell(const MapArea& area, int64_t dx, int64_t dy, int32_t* first, int32_t* last, int32_t* top,
                  int32_t* bottom) {
    const int64_t column = area.playerColumn + dx * automapZoom, row = area.playerRow + dy * automapZoom;
    *first = static_cast<int32_t>(std::max<int64_t>(column, area.left));
    *last = static_cast<int32_t>(std::min<int64_t>(column + automapZoom, area.left + area.width) - 1);
    *top = static_cast<int32_t>(std::max<int64_t>(row, area.top));
    *bottom = static_cast<int32_t>(std::min<int64_t>(row + automapZoom, area.top + area.height) - 1);
    return *first <= *last && *top <= *bottom;
}

// Paints the pixels of the cell dx, dy cells from the player's inside area.
void PaintAreaCell(const MapArea& area, int64_t dx, int64_t dy, uint32_t pixel) {
    int32_t first, last, top, bottom;
    if (!FindAreaCell(area, dx, dy, &first, &last, &top, &bottom)) return;
    for (int32_t row = top; row <= bottom; row++)
        for (int32_t column = first; column <= last; column++) std::memcpy(PixelAt(column, row), &pixel, 4);
}

// Whether the cell dx, dy cells from the player's shows in area, not black.
bool AreaCellShows(const MapArea& area, int64_t dx, int64_t dy) {
    int32_t first, last, top, bottom;
    if (!FindAreaCell(area, dx, dy, &first, &last, &top, &bottom)) return false;
    const uint8_t* pixel = PixelAt(first, top);
    return pixel[0] != 0 || pixel[1] != 0 || pixel[2] != 0;
}

// Whether the trail holds a cell of row y of level from x first to last:
// eight cells a byte.
bool TrailInRow(int32_t y, int32_t level, int32_t first, int32_t last) {
    if (y < 0 || y >= worldSide || level < 0 || level >= worldLevels) return false;
    first = std::max(first, 0);
    last = std::min(last, worldSide - 1);
    const int32_t row = CellIndex(0, y, level);
    for (int32_t index = row + first; index <= row + last; index = (index | 7) + 1)
        if (TrailCells[index >> 3] >> (index & 7)) return true;
    return false;
}

void DrawMapArea(const MapArea& area) {
    const int32_t zoom = automapZoom, level = ShownMapLevel();
    const bool levelInside = level >= 0 && level < worldLevels;
    const MapPixels p = MakeMapPixels();
    // The area's cells, as offsets from the player's.
    const int32_t leftCell = FloorDivide(area.left - area.playerColumn, zoom);
    const int32_t rightCell = FloorDivide(area.left + area.width - 1 - area.playerColumn, zoom);
    const int32_t topCell = FloorDivide(area.top - area.playerRow, zoom);
    const int32_t bottomCell = FloorDivide(area.top + area.height - 1 - area.playerRow, zoom);
    const int32_t columns = rightCell - leftCell + 1, rows = bottomCell - topCell + 1;
    // Cell x of grid column 0 and y of grid row 0.
    const int32_t x0 = SX + leftCell - 1, y0 = SY + topCell - 1;
    FindWindows(level, x0, y0, columns + 2, rows + 2);

    uint32_t cells[ScreenWidth + 1];
    uint32_t line[ScreenWidth + 2 * 4];
    // Per grid column of a row: the windows of the rows above, at and below
    // it together, so that a cell's eight neighbours are three words.
    uint32_t nearby[GridWidth];
    // The grid columns of the cells inside the world, and of its edge.
    const int32_t inFirst = std::max(1, -x0), inLast = std::min(columns, worldSide - 1 - x0);
    const int32_t edgeFirst = std::max(1, -1 - x0), edgeLast = std::min(columns, worldSide - x0);
    for (int32_t r = 1; r <= rows; r++) {
        const int32_t y = y0 + r;
        std::fill(cells, cells + columns, p.black);
        if (y == -1 || y == worldSide) {
            for (int32_t c = edgeFirst; c <= edgeLast; c++) cells[c - 1] = p.edge;
        } else if (y >= 0 && y < worldSide) {
            if (edgeFirst == -1 - x0) cells[edgeFirst - 1] = p.edge;
            if (edgeLast == worldSide - x0) cells[edgeLast - 1] = p.edge;
            const uint32_t* here = windows + r * GridWidth;
            const uint32_t* above = here - GridWidth;
            const uint32_t* below = here + GridWidth;
            const bool openNear = levelInside && (rowsOpen[r - 1] || rowsOpen[r] || rowsOpen[r + 1]);
            const bool trail = TrailInRow(y, level, x0 + 1, x0 + columns);
            // A row with nothing seen or walked on or near it stays black.
            if (rowsAny[r] || openNear || trail) {
                const int32_t rowIndex = CellIndex(0, y, level);
                for (int32_t c = inFirst - 1; c <= inLast + 1; c++) nearby[c] = above[c] | here[c] | below[c];
                for (int32_t c = inFirst; c <= inLast; c++) {
                    const uint32_t window = here[c];
                    const bool wall = openNear && ((nearby[c - 1] | nearby[c] | nearby[c + 1]) & ShownBit);
                    if (!window && !wall && !trail) continue;
                    const int32_t x = x0 + c;
                    uint32_t& cell = cells[c - 1];
                    if (trail && CellWalked(rowIndex + x)) cell = p.trail;
                    else if (window & ShownBit) cell = OpenPixel(p, x, y, level);
                    else if (wall && DungeonMap[rowIndex + x] == CellSolid) cell = p.wall;
                    else if (window) cell = BandPixel(p, window);
                }
            }
        }
        // The row's cells as pixels across the area, then down as many rows
        // of it as the cells cover.
        // (The first cell's pixels may begin left of the area.)
        const uint32_t* pixels = cells;
        if (zoom > 1) {
            for (int32_t c = 0; c < columns; c++) std::fill(line + c * zoom, line + (c + 1) * zoom, cells[c]);
            pixels = line;
        }
        pixels += area.left - area.playerColumn - leftCell * zoom;
        const int32_t cellTop = area.playerRow + (topCell + r - 1) * zoom;
        const int32_t rowFirst = std::max(cellTop, area.top);
        const int32_t rowLast = std::min(cellTop + zoom, area.top + area.height) - 1;
        for (int32_t row = rowFirst; row <= rowLast; row++)
            std::memcpy(PixelAt(area.left, row), pixels, static_cast<size_t>(area.width) * 4);
    }

    // The lights of the level where their cells show, the lantern aside.
    for (int32_t i = 1; i < lightCapacity; i++) {
        const Light& light = Lights[i];
        if (light.z != level || light.radius <= 0) continue;
        const int64_t dx = static_cast<int64_t>(light.x) - SX, dy = static_cast<int64_t>(light.y) - SY;
        if (dx < leftCell || dx > rightCell || dy < topCell || dy > bottomCell || !AreaCellShows(area, dx, dy))
            continue;
        const uint8_t colour[3] = {light.red, light.green, light.blue};
        PaintAreaCell(area, dx, dy, PixelOf(colour));
    }
    // The player cell, and a line from its middle three cells long where
    // walking goes: forward moves the eye by (-sin yaw, cos yaw) in x and y.
    const uint32_t player = PixelOf(AutomapPlayerColour);
    PaintAreaCell(area, 0, 0, player);
    const double radians = yaw * 3.14159265358979 / 180.0;
    const double dx = -std::sin(radians), dy = std::cos(radians), middle = (zoom - 1) * 0.5;
    for (int32_t step = 1; step <= 3 * zoom; step++)
        PaintAreaPixel(area, area.playerColumn + static_cast<int32_t>(std::lround(middle + step * dx)),
                       area.playerRow + static_cast<int32_t>(std::lround(middle + step * dy)), player);
}

}  // namespace

void DrawAutomap() { DrawMapArea({0, 0, ScreenWidth, ScreenHeight, AutomapPlayerColumn, AutomapPlayerRow}); }

void DrawCornerMap() {
    const uint32_t frame = PixelOf(CornerMapFrameColour);
    const int32_t right = CornerMapLeft + CornerMapWidth - 1, bottom = CornerMapTop + CornerMapHeight - 1;
    for (int32_t column = CornerMapLeft; column <= right; column++) {
        std::memcpy(PixelAt(column, CornerMapTop), &frame, 4);
        std::memcpy(PixelAt(column, bottom), &frame, 4);
    }
    for (int32_t row = CornerMapTop; row <= bottom; row++) {
        std::memcpy(PixelAt(CornerMapLeft, row), &frame, 4);
        std::memcpy(PixelAt(right, row), &frame, 4);
    }
    DrawMapArea({CornerMapLeft + 1, CornerMapTop + 1, CornerMapWidth - 2, CornerMapHeight - 2,
                 CornerMapLeft + CornerMapWidth / 2, CornerMapTop + CornerMapHeight / 2});
}
