// The automap picture: the player's level from what has been seen, drawn
// straight into ScreenPixels.
#include "render/Automap.h"

#include <cmath>

#include "screen/Screen.h"
#include "world/Player.h"
#include "world/WorldState.h"

bool automapShown = false;

namespace {

// What a cell of the map is, in the order a pixel's colour is chosen.
enum MapCell : uint8_t { MapBlack, MapOpen, MapRock, MapEdge };

// The picture's cells with a border of one all round, so that every pixel's
// eight neighbours can be looked at: row r + 1, column c + 1 is the cell of
// picture row r (from the top), column c.
constexpr int32_t BorderedWidth = ScreenWidth + 2;
uint8_t mapCells[(ScreenHeight + 2) * BorderedWidth];

// Paints picture pixel (column, row from the top) in colour.
void PaintMapPixel(int32_t column, int32_t row, const uint8_t colour[3]) {
    if (column < 0 || column >= ScreenWidth || row < 0 || row >= ScreenHeight) return;
    uint8_t* pixel = ScreenPixels + ((ScreenHeight - 1 - row) * ScreenWidth + column) * 4;
    pixel[0] = colour[0];
    pixel[1] = colour[1];
    pixel[2] = colour[2];
    pixel[3] = 255;
}

// Fills mapCells with the open cells seen at level z, its rock and the
// world's edge; every other cell black.
void FindOpenCells(int32_t z) {
    const bool levelInside = z >= 0 && z < worldLevels;
    for (int32_t r = 0; r < ScreenHeight + 2; r++) {
        const int32_t y = SY + r - 1 - AutomapPlayerRow;
        uint8_t* cells = mapCells + r * BorderedWidth;
        const bool rowInside = y >= 0 && y < worldSide, rowOnEdge = y == -1 || y == worldSide;
        for (int32_t c = 0; c < BorderedWidth; c++) {
            const int32_t x = SX + c - 1 - AutomapPlayerColumn;
            const bool columnInside = x >= 0 && x < worldSide;
            uint8_t cell = MapBlack;
            if (rowInside && columnInside) {
                if (levelInside) {
                    const int32_t index = CellIndex(x, y, z);
                    if (DungeonMap[index] == CellSolid) cell = MapRock;
                    else if (CellSeen(index)) cell = MapOpen;
                }
            } else if ((rowOnEdge && x >= -1 && x <= worldSide) || ((x == -1 || x == worldSide) && y >= -1 && y <= worldSide)) {
                cell = MapEdge;
            }
            cells[c] = cell;
        }
    }
}

// Whether one of the eight cells around bordered cell (r, c) is open.
bool BesideOpenCell(int32_t r, int32_t c) {
    for (int32_t dr = -1; dr <= 1; dr++) {
        const uint8_t* cells = mapCells + (r + dr) * BorderedWidth + c;
        if (cells[-1] == MapOpen || cells[0] == MapOpen || cells[1] == MapOpen) return true;
    }
    return false;
}

}  // namespace

void DrawAutomap() {
    const int32_t z = SZ;
    FindOpenCells(z);
    static const uint8_t black[3] = {0, 0, 0};
    for (int32_t row = 0; row < ScreenHeight; row++) {
        for (int32_t column = 0; column < ScreenWidth; column++) {
            const uint8_t cell = mapCells[(row + 1) * BorderedWidth + column + 1];
            const uint8_t* colour = black;
            if (cell == MapOpen) colour = AutomapOpenColour;
            else if (cell == MapEdge) colour = AutomapEdgeColour;
            else if (cell == MapRock && BesideOpenCell(row + 1, column + 1)) colour = AutomapWallColour;
            PaintMapPixel(column, row, colour);
        }
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
