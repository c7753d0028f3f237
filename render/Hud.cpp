// The HUD: the title and the key help down the left of the picture, and the
// status lines (cell value, position, credit) at the bottom, all in white;
// without the key help where a finger has touched the page.
#include "render/Hud.h"

#include "render/Automap.h"
#include "render/Blocks.h"
#include "screen/Font.h"
#include "world/WorldState.h"

bool hudShown = true;
bool hudKeyLinesShown = true;

// One fixed line of the key help and where it is drawn.
struct HudLabel {
    int32_t x, y;
    const char* text;
};

static const HudLabel HudLabels[] = {
    {6, 239, "VIZARAD001 (ESC CLOSE) (MOVE WITH M)"},
    {6, 218, "F1 320x240"},
    {6, 206, "F2 640x480"},
    {6, 194, "F3 960x720"},
    {6, 182, "F4 1280x960"},
    {6, 158, "F5 CASTLE"},
    {6, 146, "F6 BRICKOLD2"},
    {6, 134, "F7 MIRKEL"},
    {6, 122, "F8 4_SW"},
    {6, 110, "F9 BRICKOLD3"},
};

// Draws TextLine in the HUD's white.
static void DrawHudLine(int32_t x, int32_t y) { DrawTextLine(x, y, 255, 255, 255); }

// Whether the player cell is one whose DungeonMap value the block line may
// show. The bottom level (z = worldLevels - 1) is still inside and shown.
static bool PlayerCellShown() {
    return SX > 0 && SX < worldSide - 1 && SY > 0 && SY < worldSide - 1 && SZ > 0 && SZ < worldLevels;
}

void DrawHud() {
    if (!hudShown) return;
    FormatTextLine("SX=%d,SY=%d,SZ=%d Light=%d", SX, SY, SZ, activeLightCount);
    DrawHudLine(9, 42);
    if (!automapShown) {
        FormatTextLine("OpenGL 320x240 viewport scaning.");
        DrawHudLine(9, 30);
        FormatTextLine("TALVOX (c) 2026 the TALVOX developers");
        DrawHudLine(9, 18);
    }
    if (PlayerCellShown()) {
        const int32_t block = DungeonMap[CellIndex(SX, SY, SZ)];
        // A map browsed away from the player's level names the level it shows.
        if ((automapShown || cornerMapShown) && ShownMapLevel() != SZ)
            FormatTextLine("block=%d view=%d map level %d", block, viewRadius, ShownMapLevel());
        else
            FormatTextLine(hudKeyLinesShown ? "block=%d view=%d 1-2, T, L,[] and click" : "block=%d view=%d", block,
                           viewRadius);
        DrawHudLine(9, 54);
    }
    if (!hudKeyLinesShown) {
        // The title alone, in its place.
        FormatTextLine("%.10s", HudLabels[0].text);
        DrawHudLine(HudLabels[0].x, HudLabels[0].y);
        return;
    }
    for (const HudLabel& label : HudLabels) {
        FormatTextLine("%s", label.text);
        DrawHudLine(label.x, label.y);
        // Over the map, the title alone of the key help.
        if (automapShown) break;
    }
}

void ToggleHud() { hudShown = !hudShown; }
