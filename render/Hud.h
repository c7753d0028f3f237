// The heads-up display drawn over every frame.
#pragma once

// Whether the HUD's lines are drawn; true at start-up. Off, the picture shows
// only the world over the backdrop (U turns it off and on).
extern bool hudShown;

// Whether the HUD's lines naming desktop keys are drawn with the rest: the
// window sizes and textures, the title's "(ESC CLOSE) (MOVE WITH M)" and the
// block line's keys; true at start-up. A finger on the page turns them off.
extern bool hudKeyLinesShown;

// Draws the HUD lines into ScreenPixels, white, in their fixed places, while
// hudShown; otherwise leaves the picture as it is. Over the automap only the
// title, the position line and the block and view line. While a map shows
// a level other than the player's, the view line names it ("map level 97")
// in place of its keys.
void DrawHud();
// U: turns the HUD's lines off or on; the key lines stay as they are (off
// once a finger has touched the page: the touch HUD and no text in turn).
void ToggleHud();
