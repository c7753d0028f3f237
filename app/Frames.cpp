// One frame of the shell, step by step: the pad, keys and mouse read, the picture
// begun, the player's rules (world) between the drawing steps (render), the
// teleport's pause, and the picture finished.
#include "app/Frames.h"

#include "app/Input.h"
#include "render/Blocks.h"
#include "render/Frame.h"
#include "render/ViewCube.h"
#include "sys/Time.h"
#include "world/Movement.h"
#include "world/Player.h"
#include "world/WorldState.h"

void RunFrame() {
    // The pad as it is now, in the loop's frames and a save's or load's alike.
    ReadPad();
    const PlayerInput input = ReadPlayerInput();
    BeginPicture();
    UpdateViewAngles(input);
    SelectActiveLights();
    ApplyCamera();
    // The lantern and the teleport act once per frame, before the first cell
    // is drawn; a teleport therefore moves the whole frame to the new place.
    // With no cell of the view cube drawn, neither acts.
    if (ViewCubeHasDrawnCell() && UpdateLanternAndTeleport(input)) SysSleep(TeleportPauseMilliseconds);
    DrawViewCube();
    // The walking keys are read now, after any pause: a button let go during
    // it does not walk.
    UpdatePlayerPosition(ReadWalkInput());
    MarkPlayerCellWalked();
    FinishPicture();
}
