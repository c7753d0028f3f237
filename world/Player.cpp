// The player's once-a-frame rules: mouse-look, the lantern and marker lights
// that follow the player, and the teleport to a random open cell.
#include "world/Player.h"

#include <algorithm>
#include <cmath>

#include "sys/Random.h"
#include "world/WorldState.h"

float yaw = 0.0f;
float pitch = 0.0f;

// Mouse-look and the turning keys.
static void TurnView(const PlayerInput& input) {
    if (!input.look) {
        if (input.turn == 0 && input.turnX == 0.0f && input.turnY == 0.0f) return;
        yaw = yaw + static_cast<float>(input.turn) * TurnDegreesPerFrame + input.turnX * YawDegreesPerColumn;
        // Towards a bound the pitch stops there; a pitch already beyond one
        // (the mouse position reaches past them) is not pulled back at once.
        const float tilted = pitch + input.turnY * PitchDegreesPerRow;
        if (input.turnY > 0.0f) pitch = std::min(tilted, std::max(pitch, 180.0f));
        if (input.turnY < 0.0f) pitch = std::max(tilted, std::min(pitch, 0.0f));
        // A held key turns on and on; the angle stays small enough to keep
        // its precision.
        yaw = std::fmod(yaw, 360.0f);
        if (yaw < 0.0f) yaw = yaw + 360.0f;
        return;
    }
    yaw = static_cast<float>(input.lookX) * YawDegreesPerColumn + 180.0f - 160.0f;
    pitch = static_cast<float>(input.lookY) * PitchDegreesPerRow + 90.0f - 120.0f;
}

void UpdateViewAngles(const PlayerInput& input) {
    TurnView(input);
    if (input.level) pitch = 90.0f;
}

void PlaceLanternAndMarker(const PlayerInput& input) {
    Lights[0] = Light{SX, SY, SZ, 255, 255, 100, 6};
    if (input.marker >= 1 && input.marker <= 6) Lights[1] = Light{SX, SY + input.marker, SZ, 255, 0, 0, 3};
}

void TeleportPlayer() {
    for (int32_t attempt = 0; attempt < 1000; attempt++) {
        int32_t x = DrawRandom() % 200;
        int32_t y = DrawRandom() % 200;
        int32_t z = DrawRandom() % 200;
        if (CellInVolume(x, y, z) && DungeonMap[CellIndex(x, y, z)] == CellEmpty) {
            SX = x;
            SY = y;
            SZ = z;
            return;
        }
    }
}

bool UpdateLanternAndTeleport(const PlayerInput& input) {
    PlaceLanternAndMarker(input);
    if (!input.teleport) return false;
    int32_t fromX = SX, fromY = SY, fromZ = SZ;
    TeleportPlayer();
    // The rest of the frame's cells see the lights at the new place.
    if (SX != fromX || SY != fromY || SZ != fromZ) PlaceLanternAndMarker(input);
    return true;
}
