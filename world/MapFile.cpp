// Map files: the two volumes as raw bytes.
#include "world/MapFile.h"

void SaveMap(int32_t) {}
void LoadMap(int32_t) {}
