// The sight walk: when the camera is a point, the cells of the view that a
// line of sight from the eye can reach before it meets a face, each with the
// part of the screen through which it can be seen. A marking holds until
// the next walk. Conservative: no cell from which a face could show a pixel
// is left unmarked.
#pragma once
#include <cstdint>

#include "render/Visibility.h"

// When the view occludes: marks every cell that a line of sight from the eye
// can pass through on its way to a face, with the screen it is seen through.
void MarkCellsInSight(const ViewVolume& view);
// The screen rectangle (normalised device x0, y0, x1, y1) through which cell
// (x, y, z), one of the drawn cells, can be seen, as the last
// MarkCellsInSight found it; null when no line of sight reaches it. Only a
// marked cell shows its objects, and only a face seen from inside a marked
// cell, within its rectangle, can show.
const float* CellSightScreen(int32_t x, int32_t y, int32_t z);
// For a row of count cells from first along axis, all of them drawn cells:
// grows screen (x0, y0, x1, y1) to hold the rectangles of those the last
// MarkCellsInSight marked, and narrows firstSeen..lastSeen (offsets along
// the row) to hold them. The same as CellSightScreen cell by cell, in one
// call.
void GrowByRowInSight(const int32_t first[3], int axis, int32_t count, float screen[4], int32_t* firstSeen,
                      int32_t* lastSeen);
// Records in SeenCells every open cell the last MarkCellsInSight marked:
// what the view looked at or through. Called on the drawing thread once the
// walk's halves are joined.
void MarkOpenCellsInSightSeen();
// How many cells the last MarkCellsInSight marked.
int32_t CountCellsInSight();
// For chunk (cx, cy, cz) of the drawn cells' chunk range: the box, as offsets
// inside the chunk, of its cells the last MarkCellsInSight marked and of
// those beside marked rock in the next chunk; false when there are none.
bool FindChunkBoxInSight(int32_t cx, int32_t cy, int32_t cz, int32_t low[3], int32_t high[3]);
