// The automap: a level of the world seen from above, drawn from what the view
// has looked at or through (SeenCells) and the trail walked (TrailCells): in
// place of the 3D picture while N has it on, or small in a corner of the 3D
// picture while O has that on. Around the shown level, a band of the levels
// above and below it shows where it has nothing seen.
#pragma once
#include <cstdint>

// Whether the map is drawn in place of the 3D picture; false at start-up.
extern bool automapShown;
// Whether the corner map is drawn over the 3D picture; false at start-up.
extern bool cornerMapShown;
// Picture pixels a cell, across and down: 1, 2 or 4; 2 at start-up.
extern int32_t automapZoom;
// Whether the maps show the player's level (true at start-up), else the
// level automapLevel that browsing chose.
extern bool automapFollowsPlayer;
extern int32_t automapLevel;

// Where the player cell's top-left pixel sits in the whole map: column and
// row from the top.
constexpr int32_t AutomapPlayerColumn = 160;
constexpr int32_t AutomapPlayerRow = 120;
// The corner map: its frame's left column, top row (from the top) and size,
// in the 3D picture's top-right corner, under the HUD's title and right of
// its key lines: an eighth of the picture at most. The player's cell is at
// its middle.
constexpr int32_t CornerMapLeft = 204;
constexpr int32_t CornerMapTop = 14;
constexpr int32_t CornerMapWidth = 112;
constexpr int32_t CornerMapHeight = 84;
static_assert(8 * CornerMapWidth * CornerMapHeight <= 320 * 240, "the corner map covers an eighth at most");
// Levels above and below the shown level that its band shows.
constexpr int32_t AutomapBandLevels = 8;

// The map's colours: open cells seen (and those with an open cell straight
// above, below or both: ways up and down), rock beside them, the cells just
// outside the world, the trail, the player with the direction of the view,
// and the corner map's frame. The band's cells take BandColours: above the
// shown level in one hue, below in another, dimmer a level further away
// (index 0 is a level away).
constexpr uint8_t AutomapOpenColour[3] = {70, 90, 140};
constexpr uint8_t AutomapWayUpColour[3] = {90, 170, 230};
constexpr uint8_t AutomapWayDownColour[3] = {150, 90, 200};
constexpr uint8_t AutomapWayBothColour[3] = {140, 200, 200};
constexpr uint8_t AutomapWallColour[3] = {210, 210, 200};
constexpr uint8_t AutomapEdgeColour[3] = {0, 160, 0};
constexpr uint8_t AutomapTrailColour[3] = {255, 110, 40};
constexpr uint8_t AutomapPlayerColour[3] = {255, 255, 0};
constexpr uint8_t CornerMapFrameColour[3] = {128, 128, 128};
// Scales a band hue by (level's brightness) / 16: a level away 14/16, eight
// away 3/16.
constexpr uint8_t BandAboveHue[3] = {230, 170, 60};
constexpr uint8_t BandBelowHue[3] = {60, 200, 110};
constexpr int32_t BandBrightness[AutomapBandLevels] = {14, 12, 10, 8, 7, 5, 4, 3};

// The level the maps show: the player's (SZ), or the one browsed to.
int32_t ShownMapLevel();
// PgUp and PgDn: shows the level step away from the shown one (-1 above, +1
// below), kept inside the world's levels; the maps then stay on it as the
// player moves.
void BrowseMapLevel(int32_t step);
// Home: the maps follow the player's level again.
void ShowPlayersMapLevel();
// '=' (step 1) and '-' (step -1): the next zoom in or out of 1, 2 and 4
// pixels a cell, staying at the ends.
void ZoomMap(int32_t step);
// The page's "Zoom": 1, 2, 4, then 1 again.
void CycleMapZoom();

// Draws the shown level over the whole of ScreenPixels, automapZoom pixels a
// cell, the player cell's top-left pixel at column AutomapPlayerColumn and
// row AutomapPlayerRow from the top, +x to the right and +y down. A cell of
// the trail in the trail's colour; an open cell seen in the open colour, or
// in a way's colour when the cell straight above (-z), below or both is open;
// rock beside a seen open cell (of the eight around it) as wall; the cells
// just outside the world as its edge; where the level has nothing of these, the
// nearest level within AutomapBandLevels above or below with an open cell
// seen in that column, in the band's colour (above first where two are as
// near); the rest black. Then each light of the level in its colour where
// its cell is not black (the lantern, at the player, aside), and the player
// cell with a line of three cells in the view's direction, where walking
// goes.
void DrawAutomap();
// Draws the same map over the corner map's frame of ScreenPixels, framed,
// the player cell in its middle.
void DrawCornerMap();
