// Helpers that put the program's global state back to its start-up values
// between tests, and read the picture the map line is drawn into.
#pragma once

// Every global of the world, shell, frame and screen back to its initial
// value; volumes, lights and screen buffers allocated (once) and the volumes
// filled solid with no flags; the scripted platform reset.
void ResetProgramState();
// Pure yellow pixels of ScreenPixels in the rows of the map line (88 to 99),
// columns firstColumn up to but not including endColumn.
int YellowPixelsOnMapLine(int firstColumn, int endColumn);
