// The key help: the one table of every key and what it does (the README's
// Keys table is checked against it), and the panel that shows it over the
// picture while H is on.
#pragma once
#include <cstdint>
#include <string_view>

#include "screen/Font.h"
#include "screen/Screen.h"

// The keys of the help and HUD row: F10 only where it reaches the program.
#ifdef _WIN32
constexpr std::string_view HelpKeyNames = "H, U";
#else
constexpr std::string_view HelpKeyNames = "H, F10, U";
#endif

// One row of the key help: the keys, the gamepad's stick or buttons doing
// the same and the page's touch controls doing it (each empty where there
// is none), what they do, and, where it reads otherwise by touch, what the
// touch controls do (empty: the same).
struct KeyDescription {
    std::string_view keys;
    std::string_view pad;
    std::string_view touch;
    std::string_view effect;
    std::string_view touchEffect;
};

// Every key the program answers, in the order the panel lists them. The pad
// column follows the pad's buttons (PadButtonKeys, app/Input.h) and sticks,
// the touch column the page's buttons (web/index.html) and a finger's drag.
// A row without keys is the page's alone.
constexpr KeyDescription KeyDescriptions[] = {
    {"Mouse Tab", "R stick", "Drag", "look, a button held / Tab", "drag the picture to look"},
    {"LMB W Up", "L stick up", "^", "walk forward", ""},
    {"Z S Down", "L stick dn", "v", "walk backward", ""},
    {"A D", "L stick <>", "< >", "step left / right", ""},
    {"Left Right", "R stick <>", "", "turn left / right", ""},
    {"V", "R stick in", "Look level", "look level", ""},
    {"[ ]", "LB RB", "[ ]", "view radius down / up", ""},
    {"1 2", "D-pad < >", "", "new world: rooms / corridors", ""},
    {"L", "X", "L", "scatter 128 coloured lights", ""},
    {"T 3-8", "A", "T", "teleport / red marker 1-6", "teleport to an open cell"},
    {"F1-F4 F11", "", "", "window scale 1-4, fullscreen", ""},
    {"F5 - F9", "", "", "wall texture", ""},
    {"F12", "Y", "F12", "picture to screenshots/", "download the picture"},
    {"M", "", "", "move the window to the mouse", ""},
    {"Ctrl+S/L", "", "Save Load", "save / load map/0.map", "hold: save / load the map"},
    {"", "", "Finish now", "finish a save / load at once", ""},
    {HelpKeyNames, "Start", "H HUD", "help / HUD text on / off", ""},
    {"N O", "Back", "Map", "map / corner map on / off", "map on / off"},
    {"PgUp PgDn", "D-pad ^ v", "Level ^ v", "map level up / down", ""},
    {"Home = -", "", "Zoom", "map: your level, zoom", "map zoom"},
    {"Esc", "", "", "quit", ""},
};
constexpr int32_t KeyDescriptionCount = sizeof KeyDescriptions / sizeof KeyDescriptions[0];

// Whom the panel speaks to: the keyboard, a gamepad connected (its names
// in the keys' column), or touch (only the rows with a touch control).
enum HelpReader { HelpForKeys, HelpForPad, HelpForTouch };

// Whether the panel lists row for reader: by touch the rows with a touch
// control, otherwise the rows with keys.
constexpr bool HelpRowShown(const KeyDescription& row, HelpReader reader) {
    return reader == HelpForTouch ? !row.touch.empty() : !row.keys.empty();
}

// The panel's layout: a row of text a line, the keys at HelpKeysX and what
// they do at HelpEffectX, the first row's glyphs just below HelpTopY
// (picture rows count up from the bottom).
constexpr int32_t HelpKeysX = 4;
constexpr int32_t HelpKeyColumns = 11;
constexpr int32_t HelpEffectX = HelpKeysX + HelpKeyColumns * GlyphColumns;
constexpr int32_t HelpTopY = ScreenHeight;
constexpr int32_t HelpLineStep = 12;

// Whether every row fits the picture: its keys, pad and touch names in
// their column, what they do before the right edge, and for each reader
// every row shown above the bottom.
constexpr bool KeyDescriptionsFit() {
    for (const KeyDescription& row : KeyDescriptions)
        if (row.keys.size() >= HelpKeyColumns || row.pad.size() >= HelpKeyColumns ||
            row.touch.size() >= HelpKeyColumns ||
            HelpEffectX + GlyphColumns * static_cast<int32_t>(row.effect.size()) > ScreenWidth ||
            HelpEffectX + GlyphColumns * static_cast<int32_t>(row.touchEffect.size()) > ScreenWidth)
            return false;
    for (HelpReader reader : {HelpForKeys, HelpForPad, HelpForTouch}) {
        int32_t rows = 0;
        for (const KeyDescription& row : KeyDescriptions) rows += HelpRowShown(row, reader) ? 1 : 0;
        if (HelpTopY - HelpLineStep * rows < 0) return false;
    }
    return true;
}
static_assert(KeyDescriptionsFit(), "the key help fits the 320 x 240 picture");

// Whether the panel is shown; false at start-up. H (and F10 where the system
// leaves it to the program: not on Windows, where it is the system's menu
// key) turns it on and off.
extern bool helpShown;

// Whom the panel speaks to now: a gamepad while one is connected, else touch
// once a finger has touched the page, else the keyboard.
HelpReader CurrentHelpReader();
// Draws the panel over ScreenPixels: the picture without the HUD's lines
// (the map, or the world composited again from the frame's read-back)
// dimmed to a quarter, and the rows of KeyDescriptions shown to the current
// reader, the names in yellow and what they do in white. While a gamepad is
// connected, the pad's names stand in the keys' column, and the rows it has
// none for keep their keys, in grey. Once a finger has touched the page,
// only the touch controls' rows, in their own words. Where the platform has
// no window to move, M is grey too, and says so.
void DrawHelpPanel();
