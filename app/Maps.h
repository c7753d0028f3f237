// Saving and loading the world from the keys: the map file moved chunk by
// chunk with a frame, a progress line and a pause per chunk, and a line
// saying how it ended held on the screen for the user to read.
#pragma once
#include <cstdint>

// The pause after each chunk and after the final frame.
constexpr int32_t MapChunkPauseMilliseconds = 1000;
// How long the line saying how a save or load ended stays on the screen.
constexpr int32_t MapOutcomePauseMilliseconds = 2000;

// Ctrl+S: writes the world to map/<n>.map, showing progress, then "Map saved"
// or why it failed ("Saving failed: no map folder").
void SaveMap(int32_t n);
// Ctrl+L: reads map/<n>.map back, showing progress, then "Map loaded" or why
// it failed ("Loading failed: no map saved").
void LoadMap(int32_t n);
