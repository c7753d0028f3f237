// The player: the view angles, what the player asks for in one frame, and the
// rules that act on it once per frame (mouse-look, the lantern and marker
// lights, the teleport). The player cell and in-cell offsets are with the
// rest of the world state; walking is in Movement.h.
#pragma once
#include <cstdint>

// What the player asks for this frame, read from the keys and mouse by the
// shell once per frame and handed down. Walking is asked for apart, at the
// movement step (Movement.h).
struct PlayerInput {
    bool look;             // a mouse button is held: the view follows lookX, lookY
    int32_t lookX, lookY;  // the mouse in 320 x 240 picture units, from the top-left
    int32_t marker;        // the highest of '3'..'8' held as 1..6; 0 for none
    bool teleport;         // 'T'
    bool level;            // 'V': look level (pitch 90), the yaw kept
    int32_t turn;          // the arrow keys: -1 turns left, 1 right, 0 neither (or both)
    float turnX, turnY;    // the captured pointer's motion since the last frame, in picture units
};

// How far mouse-look turns the view per picture unit: the yaw per column, the
// pitch per row, for the mouse position and the captured pointer's motion
// alike.
constexpr float YawDegreesPerColumn = 2.0f;
constexpr float PitchDegreesPerRow = 1.0f;
// How far one frame of a held turning key turns the view: as far as the mouse
// looks for one picture column, a whole turn in three seconds at 60 frames a
// second.
constexpr float TurnDegreesPerFrame = YawDegreesPerColumn;

// Degrees about the vertical and horizontal axes; 0, 0 at start-up.
extern float yaw;
extern float pitch;

// Mouse-look: while input.look, the view angles follow the mouse position;
// otherwise input.turn turns the yaw by TurnDegreesPerFrame, and the captured
// pointer's motion turns the view as far as the mouse position would
// (YawDegreesPerColumn, PitchDegreesPerRow), the pitch going no further than
// straight down (0) or up (180). A yaw once turned is kept in 0..360. Then,
// while input.level, the view looks level: pitch 90, the yaw as it is.
void UpdateViewAngles(const PlayerInput& input);
// Moves the lantern (light slot 0) to the player cell and, when input.marker
// is k, the red marker light (slot 1) k cells along +y.
void PlaceLanternAndMarker(const PlayerInput& input);
// Once per frame before the first cell is drawn: the lantern and marker, then
// the teleport while input.teleport. Returns whether a teleport was tried,
// after which the shell pauses 500 ms.
bool UpdateLanternAndTeleport(const PlayerInput& input);
// Moves the player to a random empty cell; up to 1000 tries, none of which
// may find one.
void TeleportPlayer();
