// World generation from seed 24 and the scattering of lights around the player.
#pragma once
#include <cstdint>

// Refills both volumes (all solid, no flags), forgets what was seen, reseeds
// the generator with 24 and generates 100000 carvings in the given mode.
void RegenerateWorld(int32_t mode);
// Carves boxes (mode 0) or boxes, corridors and shafts (mode 1) out of a
// solid DungeonMap, then marks actors in solid cells.
void GenerateWorld(int32_t count, int32_t mode);
// Places Lights slots 0..127 in empty cells around the player, each with a
// random colour and radius 5.
void ScatterLights();
