// Block and object drawing with lighting.
#include "render/Blocks.h"

void SelectActiveLights() {}
void DrawCell(int32_t, int32_t, int32_t) {}
void DrawObject(int32_t) {}
