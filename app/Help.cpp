// The key help panel, drawn over the finished picture from KeyDescriptions.
#include "app/Help.h"

#include "app/Input.h"
#include "app/Platform.h"
#include "render/Automap.h"

bool helpShown = false;

// Where the platform has no window to move (a page), M is listed in grey,
// saying so.
constexpr std::string_view KeysMovingTheWindow = "M";
constexpr std::string_view NoWindowToMove = "does nothing in a page";

HelpReader CurrentHelpReader() { return padState.connected ? HelpForPad : touchUsed ? HelpForTouch : HelpForKeys; }

// Darkens every colour of the picture to a quarter, so that the rows (and
// not the HUD beneath them) stand out.
static void DimPicture() {
    for (int32_t y = 0; y < ScreenHeight; y++) {
        for (int32_t x = 0; x < ScreenWidth; x++) {
            const uint8_t* pixel = ScreenPixels + (y * ScreenWidth + x) * 4;
            PutPixel(x, y, pixel[0] / 4, pixel[1] / 4, pixel[2] / 4);
        }
    }
}

void DrawHelpPanel() {
    // The HUD's lines are not drawn under the panel: the picture again
    // without them, the map or the world (they come back with the next
    // frame that has no panel).
    if (automapShown) {
        DrawAutomap();
    } else {
        RestoreBackdrop();
        CompositeScene();
        if (cornerMapShown) DrawCornerMap();
    }
    DimPicture();
    const HelpReader reader = CurrentHelpReader();
    const bool windowMoves = PlatformMovesWindow();
    int32_t y = HelpTopY;
    for (const KeyDescription& row : KeyDescriptions) {
        if (!HelpRowShown(row, reader)) continue;
        const bool idle = !windowMoves && row.keys == KeysMovingTheWindow;
        const std::string_view names = reader == HelpForPad ? row.pad : reader == HelpForTouch ? row.touch : row.keys;
        const std::string_view keys = names.empty() ? row.keys : names;
        const std::string_view effect = idle                                                 ? NoWindowToMove
                                        : reader == HelpForTouch && !row.touchEffect.empty() ? row.touchEffect
                                                                                             : row.effect;
        FormatTextLine("%.*s", static_cast<int>(keys.size()), keys.data());
        if (names.empty() || idle) DrawTextLine(HelpKeysX, y, 128, 128, 128);
        else DrawTextLine(HelpKeysX, y, 255, 255, 0);
        FormatTextLine("%.*s", static_cast<int>(effect.size()), effect.data());
        DrawTextLine(HelpEffectX, y, 255, 255, 255);
        y -= HelpLineStep;
    }
}
