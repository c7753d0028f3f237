// The automap: the level the player stands on seen from above, a picture
// pixel a cell, drawn from what the 3D pass has shown (SeenCells) in place
// of the 3D picture while N has it on.
#pragma once
#include <cstdint>

// Whether the map is drawn in place of the 3D picture; false at start-up.
extern bool automapShown;

// Where the player cell sits in the picture: column and row from the top.
constexpr int32_t AutomapPlayerColumn = 160;
constexpr int32_t AutomapPlayerRow = 120;

// The map's colours: open cells seen, rock beside them, the cells just
// outside the world, and the player with the direction of the view.
constexpr uint8_t AutomapOpenColour[3] = {70, 90, 140};
constexpr uint8_t AutomapWallColour[3] = {210, 210, 200};
constexpr uint8_t AutomapEdgeColour[3] = {0, 160, 0};
constexpr uint8_t AutomapPlayerColour[3] = {255, 255, 0};

// Draws the level of the player cell (z = SZ) over the whole of ScreenPixels:
// cell (x, y) at column 160 + x - SX and row 120 + y - SY from the top; open
// cells seen in the open colour, rock beside one of them (of the eight
// around it) as wall, the cells just outside the world as its edge, the
// rest black; each light of the level in its colour where its cell shows
// (the lantern, at the player, aside); then the player cell and three
// pixels in the view's direction, where walking goes.
void DrawAutomap();
