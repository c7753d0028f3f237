// Player movement along the view direction and the push back out of walls.
#pragma once
#include <cstdint>

// The frame's movement step: forward while the left button is held, backward
// while 'Z' is held, then the wall push and the carry into the player cell.
void UpdatePlayerPosition();
