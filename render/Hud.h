// The heads-up display drawn over every frame.
#pragma once

// Whether the HUD's lines are drawn; true at start-up. Off, the picture shows
// only the world over the backdrop (U turns it off and on).
extern bool hudShown;

// Draws the HUD lines into ScreenPixels, white, in their fixed places, while
// hudShown; otherwise leaves the picture as it is. Over the automap only the
// title, the position line and the block and view line.
void DrawHud();
