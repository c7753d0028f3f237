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
    const bool button = IsKeyHeld(KeyLeftButton) || IsKeyHeld(KeyMiddleButton) || IsKeyHeld(KeyRightButton);
    // Since the pointer was released, the view keeps its angles until the
    // pointer moves with a button held.
    if (lookWaitsForMove && !button) {
        releasedMouseX = mouseX;
        releasedMouseY = mouseY;
    } else if (lookWaitsForMove && (mouseX != releasedMouseX || mouseY != releasedMouseY)) {
        lookWaitsForMove = false;
    }
    input.look = button && screenScale != 0 && !pointerCaptured && !lookWaitsForMove;
    if (pointerCaptured) {
        // Window pixels to picture units, as the mouse position maps them.
        const float scale = static_cast<float>(picturePlacement.zoom > 0 ? picturePlacement.zoom : screenScale);
        if (scale > 0.0f) {
            input.turnX = static_cast<float>(pointerMotionX) / scale;
            input.turnY = static_cast<float>(pointerMotionY) / scale;
        }
        pointerMotionX = pointerMotionY = 0;
    }
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
