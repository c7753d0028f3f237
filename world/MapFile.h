// Saving the world's volumes to map files and loading them back.
#pragma once
#include <cstdint>

// Bytes moved per step; every step runs a frame and pauses.
constexpr int32_t MapChunkSize = 1000000;
// The pause after each step and after the final frame.
constexpr int32_t MapChunkPauseMilliseconds = 1000;
// How long a failure message stays on the screen.
constexpr int32_t MapFailurePauseMilliseconds = 2000;

// Writes both volumes to map/<n>.map, with progress frames and pauses. The
// file is written under a temporary name and put in place only when whole;
// a failure (a full disk, a read-only map folder) leaves the old map as it
// was and says so. Without a map folder it does nothing.
void SaveMap(int32_t n);
// Reads map/<n>.map back into both volumes, with progress frames and pauses.
// A missing, unreadable or short file changes nothing; a read that fails
// part-way puts the volumes back as they were and says so.
void LoadMap(int32_t n);
