// The automap picture: the player's level from what has been seen, drawn
// straight into ScreenPixels.
#include "render/Automap.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "screen/Screen.h"
#include "world/Player.h"
#include "world/WorldState.h"

bool automapShown = false;

namespace {

// The picture's cells with a border of one all round, so that every pixel's
// eight neighbours can be looked at: row r + 1, column c + 1 is the cell of
// picture row r (from the top), column c. openCells says which are open
// cells seen; besideOpen which have one of those in their row at most a
// column away (themselves included).
constexpr int32_t BorderedWidth = ScreenWidth + 2;
constexpr int32_t BorderedCells = (ScreenHeight + 2) * BorderedWidth;
uint8_t openCells[BorderedCells];
uint8_t besideOpen[BorderedCells];
// Whether a bordered row holds an open cell seen.
bool rowsOpen[ScreenHeight + 2];

// Paints picture pixel (column, row from the top) in colour.
void PaintMapPixel(int32_t column, int32_t row, const uint8_t colour[3]) {
    if (column < 0 || column >= ScreenWidth || row < 0 || row >= ScreenHeight) return;
    uint8_t* pixel = ScreenPixels + ((ScreenHeight - 1 - row) * ScreenWidth + column) * 4;
    pixel[0] = colour[0];
    pixel[1] = colour[1];
    pixel[2] = colour[2];
    pixel[3] = 255;
}

// The first and last bordered column (inclusive) whose cell x lies in
// low..high; first > last when none does.
void BorderedColumns(int32_t low, int32_t high, int32_t* first, int32_t* last) {
    const int32_t offset = SX - 1 - AutomapPlayerColumn;  // cell x of bordered column 0
    *first = std::max(0, low - offset);
    *last = std::min(BorderedWidth - 1, high - offset);
}

// Fills openCells, besideOpen and rowsOpen for level z. Only cells inside
// the world are looked up, and of those only the seen ones in DungeonMap.
void FindOpenCells(int32_t z) {
    std::memset(openCells, 0, sizeof openCells);
    std::memset(besideOpen, 0, sizeof besideOpen);
    std::memset(rowsOpen, 0, sizeof rowsOpen);
    if (z < 0 || z >= worldLevels) return;
    int32_t first, last;
    BorderedColumns(0, worldSide - 1, &first, &last);
    const int32_t offset = SX - 1 - AutomapPlayerColumn;
    for (int32_t r = 0; r < ScreenHeight + 2; r++) {
        const int32_t y = SY + r - 1 - AutomapPlayerRow;
        if (y < 0 || y >= worldSide) continue;
        uint8_t* open = openCells + r * BorderedWidth;
        uint8_t* beside = besideOpen + r * BorderedWidth;
        const int32_t rowIndex = CellIndex(0, y, z);
        for (int32_t c = first; c <= last; c++) {
            const int32_t index = rowIndex + offset + c;
            // Eight cells none of which was seen are passed in one step.
            if ((index & 7) == 0 && c + 7 <= last && SeenCells[index >> 3] == 0) {
                c += 7;
                continue;
            }
            if (!CellSeen(index) || DungeonMap[index] == CellSolid) continue;
            rowsOpen[r] = true;
            open[c] = 1;
            beside[c] = 1;
            if (c > 0) beside[c - 1] = 1;
            if (c + 1 < BorderedWidth) beside[c + 1] = 1;
        }
    }
}

// A colour as the four bytes of a picture pixel.
uint32_t PixelOf(const uint8_t colour[3]) {
    const uint8_t bytes[4] = {colour[0], colour[1], colour[2], 255};
    uint32_t pixel;
    std::memcpy(&pixel, bytes, 4);
    return pixel;
}

}  // namespace

void DrawAutomap() {
    const int32_t z = SZ;
    FindOpenCells(z);
    static const uint8_t black[3] = {0, 0, 0};
    const uint32_t blackPixel = PixelOf(black), openPixel = PixelOf(AutomapOpenColour),
                   wallPixel = PixelOf(AutomapWallColour), edgePixel = PixelOf(AutomapEdgeColour);
    // The columns of the edge (x = -1 and x = worldSide) and of the cells
    // between them, as picture columns.
    int32_t edgeFirst, edgeLast;
    BorderedColumns(-1, worldSide, &edgeFirst, &edgeLast);
    const int32_t offset = SX - AutomapPlayerColumn;  // cell x of picture column 0
    uint32_t line[ScreenWidth];
    for (int32_t row = 0; row < ScreenHeight; row++) {
        const int32_t y = SY + row - AutomapPlayerRow;
        for (uint32_t& pixel : line) pixel = blackPixel;
        if (y == -1 || y == worldSide) {
            for (int32_t c = std::max(edgeFirst, 1); c <= std::min(edgeLast, ScreenWidth); c++) line[c - 1] = edgePixel;
        } else if (y >= 0 && y < worldSide) {
            if (-1 - offset >= 0 && -1 - offset < ScreenWidth) line[-1 - offset] = edgePixel;
            if (worldSide - offset >= 0 && worldSide - offset < ScreenWidth) line[worldSide - offset] = edgePixel;
        }
        if (y >= 0 && y < worldSide && (rowsOpen[row] || rowsOpen[row + 1] || rowsOpen[row + 2])) {
            const uint8_t* open = openCells + (row + 1) * BorderedWidth + 1;
            const uint8_t* above = besideOpen + row * BorderedWidth + 1;
            const uint8_t* here = above + BorderedWidth;
            const uint8_t* below = here + BorderedWidth;
            const int32_t rowIndex = CellIndex(0, y, z);
            for (int32_t column = 0; column < ScreenWidth; column++) {
                if (open[column]) line[column] = openPixel;
                else if ((above[column] | here[column] | below[column]) &&
                         static_cast<uint32_t>(offset + column) < static_cast<uint32_t>(worldSide) &&
                         DungeonMap[rowIndex + offset + column] == CellSolid)
                    line[column] = wallPixel;
            }
        }
        std::memcpy(ScreenPixels + (ScreenHeight - 1 - row) * ScreenWidth * 4, line, sizeof line);
    }
    // The lights of the level where their cells show, the lantern aside.
    for (int32_t i = 1; i < lightCapacity; i++) {
        const Light& light = Lights[i];
        if (light.z != z || light.radius <= 0) continue;
        const int64_t column = static_cast<int64_t>(light.x) - SX + AutomapPlayerColumn;
        const int64_t row = static_cast<int64_t>(light.y) - SY + AutomapPlayerRow;
        if (column < 0 || column >= ScreenWidth || row < 0 || row >= ScreenHeight) continue;
        const uint8_t* pixel = ScreenPixels + ((ScreenHeight - 1 - row) * ScreenWidth + column) * 4;
        if (pixel[0] == 0 && pixel[1] == 0 && pixel[2] == 0) continue;
        const uint8_t colour[3] = {light.red, light.green, light.blue};
        PaintMapPixel(static_cast<int32_t>(column), static_cast<int32_t>(row), colour);
    }
    // Walking forward moves the eye by (-sin yaw, cos yaw) in x and y.
    const double radians = yaw * 3.14159265358979 / 180.0;
    const double dx = -std::sin(radians), dy = std::cos(radians);
    PaintMapPixel(AutomapPlayerColumn, AutomapPlayerRow, AutomapPlayerColour);
    for (int32_t step = 1; step <= 3; step++)
        PaintMapPixel(AutomapPlayerColumn + static_cast<int32_t>(std::lround(step * dx)),
                      AutomapPlayerRow + static_cast<int32_t>(std::lround(step * dy)), AutomapPlayerColour);
}
