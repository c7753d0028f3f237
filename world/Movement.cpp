// Player movement and collision.
#include "world/Movement.h"

void UpdatePlayerPosition() {}
