// Saving and loading the world from the keys: the map file moved chunk by
// chunk with a frame, a progress line and a pause per chunk, and a line
// saying how it ended held on the screen for the user to read.
#pragma once
#include <cstdint>

// The pause after each chunk and after the final frame.
constexpr int32_t MapChunkPauseMilliseconds = 1000;
// How long the line saying how a save or load ended stays on the screen.
constexpr int32_t MapOutcomePauseMilliseconds = 2000;
// How long the notice saying that the seen file failed stays.
constexpr int32_t SeenNoticeMilliseconds = 5000;

// Where the bar of chunks moved sits: its top row (picture rows count up from
// the bottom), left column and size, under the progress line.
constexpr int32_t MapBarX = 20;
constexpr int32_t MapBarY = 84;
constexpr int32_t MapBarWidth = 276;
constexpr int32_t MapBarHeight = 8;

// Whether Escape was pressed during the last save or load, which then ended
// without showing its outcome: the program should quit. False at start-up.
extern bool mapEscapePressed;

// Ctrl+S: writes the world to map/<n>.map, showing progress, then "Map saved"
// or why it failed ("Saving failed: no map folder", also on stderr); once the
// map is saved, what was seen and the trail to map/<n>.seen, with a notice
// if that fails. Escape
// during it writes the rest of the map at once, as safely, and shows nothing
// after (mapEscapePressed); the page's "Finish now" (WindowFinishAsked)
// writes the rest at once and shows the outcome, and the program goes on.
// The page's status line follows the share moved ("Saving dungeon maps
// 40 %").
void SaveMap(int32_t n);
// Ctrl+L: reads map/<n>.map back, showing progress, then "Map loaded" or why
// it failed ("Loading failed: no map saved", also on stderr); once the map is
// loaded, what was seen and the trail from map/<n>.seen, the world left
// unseen with a notice saying why where that file is missing, short, damaged
// or of another map. Escape during
// it stops the load, leaving the world as it was, and shows nothing after
// (mapEscapePressed); "Finish now" reads the rest at once, and the program
// goes on.
void LoadMap(int32_t n);
// Draws the progress bar into ScreenPixels: outlined in yellow, its inside
// filled from the left by moved out of total parts.
void DrawMapBar(int32_t moved, int32_t total);
