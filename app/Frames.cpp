// One frame of the shell, step by step: the keys and mouse read once, the
// picture begun, the player's rules (world) between the drawing steps
// (render), the picture finished, and the teleport's pause.
#include "app/Frames.h"

#include "app/Input.h"
#include "render/Blocks.h"
#include "render/Frame.h"
#include "render/ViewCube.h"
#include "sys/Time.h"
#include "world/Movement.h"
#include "world/Player.h"

void DrawFrame() {
    const PlayerInput input = ReadPlayerInput();
    BeginPicture();
    UpdateViewAngles(input);
    SelectActiveLights();
    ApplyCamera();
    // The lantern and the teleport act once per frame, before the first cell
    // is drawn; a teleport therefore moves the whole frame to the new place.
    // With no cell of the view cube drawn, neither acts.
    const bool teleported = ViewCubeHasDrawnCell() && UpdateLanternAndTeleport(input);
    DrawViewCube();
    UpdatePlayerPosition(input);
    FinishPicture();
    if (teleported) SysSleep(TeleportPauseMilliseconds);
}
