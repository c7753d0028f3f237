// Saving the world's volumes to map files and loading them back.
#pragma once
#include <cstdint>

// Writes both volumes to map/<n>.map, with progress frames and pauses.
void SaveMap(int32_t n);
// Reads map/<n>.map back into both volumes, with progress frames and pauses.
void LoadMap(int32_t n);
