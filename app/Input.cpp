// Key polling: the physical state, asked at the moment it is needed. The
// backend counts keys only while our window has the focus, so keys typed into
// other programs never act here.
#include "app/Input.h"

#include <algorithm>

#include "app/KeyCodes.h"
#include "app/Platform.h"
#include "app/Window.h"
#include "screen/Screen.h"

bool IsKeyHeld(int32_t virtualKey) { return PlatformKeyHeld(virtualKey); }

PlayerInput ReadPlayerInput() {
    PlayerInput input = {};
    input.look =
        (IsKeyHeld(KeyLeftButton) || IsKeyHeld(KeyMiddleButton) || IsKeyHeld(KeyRightButton)) && screenScale != 0;
    if (input.look && picturePlacement.zoom > 0) {
        // Fullscreen: as in a window of the picture's zoom, the cursor over
        // a black margin counting as at the picture's nearest edge.
        const int32_t zoom = picturePlacement.zoom;
        input.lookX = std::clamp(mouseX - picturePlacement.left, 0, ScreenWidth * zoom - 1) / zoom;
        input.lookY = std::clamp(mouseY - picturePlacement.top, 0, ScreenHeight * zoom - 1) / zoom;
    } else if (input.look) {
        // Window pixels to 320 x 240 units, truncating.
        input.lookX = mouseX / screenScale;
        input.lookY = mouseY / screenScale;
    }
    for (int32_t k = 1; k <= 6; k++)
        if (IsKeyHeld('2' + k)) input.marker = k;
    input.teleport = IsKeyHeld('T');
    input.turn = (IsKeyHeld(KeyArrowRight) ? 1 : 0) - (IsKeyHeld(KeyArrowLeft) ? 1 : 0);
    return input;
}

WalkInput ReadWalkInput() {
    WalkInput walk = {};
    walk.forward = IsKeyHeld(KeyLeftButton) || IsKeyHeld('W') || IsKeyHeld(KeyArrowUp);
    // Ctrl+S saves the map: S walks only without Ctrl.
    walk.backward = IsKeyHeld('Z') || (IsKeyHeld('S') && !IsKeyHeld(KeyControl)) || IsKeyHeld(KeyArrowDown);
    walk.left = IsKeyHeld('A');
    walk.right = IsKeyHeld('D');
    return walk;
}
