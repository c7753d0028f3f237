// The keys, buttons, mouse and pointer: the key tables and taps kept from
// the window's events, the physical state asked of the platform at the
// moment it is needed (the backend counts keys only while our window has the
// focus, so keys typed into other programs never act here), the pointer's
// capture, and the records each frame hands down.
#include "app/Input.h"

#include <algorithm>
#include <cmath>

#include "render/Hud.h"
#include "screen/Screen.h"
#include "sys/Time.h"

uint8_t KeyDown[256] = {};
uint8_t KeyTapped[256] = {};
uint8_t KeyTaken[256] = {};
int32_t mouseX = 0;
int32_t mouseY = 0;
bool pointerCaptured = false;
int32_t pointerMotionX = 0;
int32_t pointerMotionY = 0;
bool touchUsed = false;
bool lookWaitsForMove = false;
int32_t releasedMouseX = 0;
int32_t releasedMouseY = 0;
PadState padState = {};

// Which keys the keyboard's events hold down now, and which a gamepad button
// held stands for: a key is down while either holds it. The right stick's
// turn not yet taken, in picture units; when the pad was last read.
static bool keyboardHeldKeys[256] = {};
static bool padHeldKeys[256] = {};
// Whether this pass of the command keys has taken a press of the key.
static bool pressTakenThisPass[256] = {};
// Whether the key has acted as held before its key-down event was taken:
// the platform tells a key held as soon as it goes down, and its event may
// wait in the queue until after the pass that acted on it. That press has
// had its effect and is not counted again; its key-up forgets it.
static bool actedBeforeItsPress[256] = {};
// Pad buttons held when the pad was last let go unread (minimised): they
// stand for nothing until let go.
static bool padHeldWhileUnread[PadButtonCount] = {};
// Whether S was held for walking when Ctrl went down (no save then).
static bool sHeldForWalking = false;
// Saves, loads and map zooms the page's controls asked for, not yet done.
static int32_t savesAsked = 0, loadsAsked = 0, zoomsAsked = 0;
static float padTurnX = 0.0f, padTurnY = 0.0f;
static double padReadAt = -1.0;

// ---------------------------------------------------------------------------
// Keys held now and pressed since the last pass

bool IsKeyHeld(int32_t virtualKey) {
    const bool padHeld = virtualKey >= 0 && virtualKey < 256 && padHeldKeys[virtualKey];
    return padHeld || PlatformKeyHeld(virtualKey);
}

// One more press of the key waits.
static void CountPress(int32_t key) {
    if (KeyTapped[key] < 255) KeyTapped[key]++;
}

// Takes a waiting press of the key for this pass of the command keys, once;
// whether this pass has taken one.
static bool TakePressForThisPass(int32_t key) {
    if (!pressTakenThisPass[key] && KeyTapped[key] > 0) {
        KeyTapped[key]--;
        pressTakenThisPass[key] = true;
    }
    return pressTakenThisPass[key];
}

// For the frame's keys: takes one waiting press of the key, if any.
static bool TakeFramePress(int32_t key) {
    if (KeyTapped[key] == 0) return false;
    KeyTapped[key]--;
    return true;
}

static bool InKeyTable(int32_t key) { return key >= 0 && key < static_cast<int32_t>(sizeof KeyDown); }

// Whether key is held now; when it acts so with no press waiting, the press
// whose event is still to come has had its effect.
static bool HeldActing(int32_t key, bool pressed) {
    const bool held = IsKeyHeld(key);
    if (held && !pressed && InKeyTable(key)) actedBeforeItsPress[key] = true;
    return held;
}

// For the frame's keys: a press waiting (taken), or held now.
static bool ActsForFrame(int32_t key) {
    const bool pressed = TakeFramePress(key);
    return HeldActing(key, pressed) || pressed;
}

bool WasKeyPressed(int32_t virtualKey) {
    if (!InKeyTable(virtualKey)) return false;
    const bool pressed = TakePressForThisPass(virtualKey);
    return KeyDown[virtualKey] || pressed;
}

bool KeyActs(int32_t virtualKey) {
    const bool pressed = InKeyTable(virtualKey) && TakePressForThisPass(virtualKey);
    return HeldActing(virtualKey, pressed) || pressed;
}

bool TakeKeyPress(int32_t virtualKey) {
    if (!InKeyTable(virtualKey)) return false;
    // Taken in this pass already: one press a pass.
    if (pressTakenThisPass[virtualKey]) return false;
    const bool pressed = TakePressForThisPass(virtualKey);
    if (!pressed && (!KeyDown[virtualKey] || KeyTaken[virtualKey])) return false;
    // A tap already released leaves nothing to wait for.
    KeyTaken[virtualKey] = KeyDown[virtualKey];
    return true;
}

void EndCommandKeysPass() {
    for (bool& taken : pressTakenThisPass) taken = false;
}

void LetGoOfKeyboard() {
    for (int32_t key = 0; key < 256; key++)
        if (keyboardHeldKeys[key]) RecordInputEvent({WindowKeyUp, key, 0, 0, false, false});
}

void ForgetKeys() {
    for (int32_t key = 0; key < 256; key++) {
        KeyDown[key] = KeyTapped[key] = KeyTaken[key] = 0;
        keyboardHeldKeys[key] = pressTakenThisPass[key] = actedBeforeItsPress[key] = false;
    }
    sHeldForWalking = false;
    savesAsked = loadsAsked = zoomsAsked = 0;
}

// ---------------------------------------------------------------------------
// The pointer and the input events

void CapturePointer(bool captured) {
    if (captured == pointerCaptured) return;
    pointerCaptured = PlatformCapturePointer(captured) && captured;
    pointerMotionX = pointerMotionY = 0;
    // Captured now, or the platform could not hold it: nothing to wait for.
    if (captured) return;
    lookWaitsForMove = true;
    releasedMouseX = mouseX;
    releasedMouseY = mouseY;
}

bool RecordInputEvent(const WindowEvent& event) {
    const bool inTable = InKeyTable(event.key);
    switch (event.kind) {
    case WindowKeyDown:
        // A repeat while held, by the keyboard or the pad, is no new press;
        // nor is one that has acted already, as held.
        if (inTable && !keyboardHeldKeys[event.key] && !padHeldKeys[event.key]) {
            if (!actedBeforeItsPress[event.key]) CountPress(event.key);
            actedBeforeItsPress[event.key] = false;
        }
        if (inTable) KeyDown[event.key] = 1;
        if (inTable) keyboardHeldKeys[event.key] = true;
        return true;
    case WindowKeyUp:
        // Still held by the gamepad: the key stays down, its press taken.
        if (inTable && !padHeldKeys[event.key]) KeyDown[event.key] = KeyTaken[event.key] = 0;
        if (inTable) keyboardHeldKeys[event.key] = actedBeforeItsPress[event.key] = false;
        return true;
    case WindowMouseMove:
        mouseX = event.x;
        mouseY = event.y;
        return true;
    case WindowPointerMotion:
        if (pointerCaptured) {
            pointerMotionX += event.x;
            pointerMotionY += event.y;
        }
        return true;
    case WindowTouchLook:
        pointerMotionX += event.x;
        pointerMotionY += event.y;
        return true;
    case WindowTouched:
        // The first touch leaves the HUD's desktop key lines out.
        if (!touchUsed) hudKeyLinesShown = false;
        touchUsed = true;
        return true;
    // The buttons are polled, as held keys.
    case WindowButtonDown:
    case WindowButtonUp: return true;
    // Deliberate acts of the page's controls: taken by the next command keys.
    case WindowSaveAsked: savesAsked++; return true;
    case WindowLoadAsked: loadsAsked++; return true;
    case WindowZoomAsked: zoomsAsked++; return true;
    // Seen by a save or load under way (PlatformFinishAsked); after one,
    // nothing is left to finish.
    case WindowFinishAsked: return true;
    // Not recorded: the system's default processing has them (Alt+F4 closes
    // the window that way).
    case WindowSystemKey:
    default: return false;
    }
}

// ---------------------------------------------------------------------------
// The gamepad

// A stick's lean beyond the dead zone, from 0 there to 1 all the way.
static float BeyondDeadZone(float lean) {
    const float beyond = (std::fabs(lean) - PadDeadZone) / (1.0f - PadDeadZone);
    return beyond <= 0.0f ? 0.0f : std::copysign(std::min(beyond, 1.0f), lean);
}

// Takes pad as the gamepad's state now: its buttons going down act as their
// keys' presses, going up let their keys go unless the keyboard holds them;
// the right stick turns the view for the time since the last read.
static void TakePadState(PadState pad) {
    if (!pad.connected) pad = {};
    for (const PadButtonKey& mapping : PadButtonKeys) {
        const bool held = pad.buttons[mapping.button];
        if (held == padState.buttons[mapping.button]) continue;
        padHeldKeys[mapping.key] = held;
        actedBeforeItsPress[mapping.key] = false;
        if (keyboardHeldKeys[mapping.key]) continue;
        if (held) CountPress(mapping.key);
        if (held) KeyDown[mapping.key] = 1;
        else KeyDown[mapping.key] = KeyTaken[mapping.key] = 0;
    }
    const double now = SysMilliseconds();
    const double elapsed =
        padReadAt < 0.0 || !padState.connected ? 0.0 : std::min(now - padReadAt, PadLongestTurnMilliseconds);
    padReadAt = now;
    // Up on the stick looks up, as on any gamepad.
    const float degrees = PadTurnDegreesPerSecond * static_cast<float>(elapsed / 1000.0);
    padTurnX += BeyondDeadZone(pad.rightX) * degrees / YawDegreesPerColumn;
    padTurnY -= BeyondDeadZone(pad.rightY) * degrees / PitchDegreesPerRow;
    padState = pad;
}

void ReadPad() {
    PadState pad = {};
    PlatformReadPad(&pad);
    // A button held through a pass unread counts as not held until let go.
    for (int32_t button = 0; button < PadButtonCount; button++) {
        if (!pad.buttons[button]) padHeldWhileUnread[button] = false;
        if (padHeldWhileUnread[button]) pad.buttons[button] = false;
    }
    TakePadState(pad);
}

void LetGoOfPad() {
    const PadState held = padState;
    TakePadState({});
    for (int32_t button = 0; button < PadButtonCount; button++)
        if (held.buttons[button]) padHeldWhileUnread[button] = true;
}

void ForgetPad() {
    padState = {};
    for (bool& held : padHeldKeys) held = false;
    for (bool& held : padHeldWhileUnread) held = false;
    padTurnX = padTurnY = 0.0f;
    padReadAt = -1.0;
}

// ---------------------------------------------------------------------------
// The records each frame hands down

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
    // The captured pointer's and a dragged finger's motion: window pixels to
    // picture units, as the mouse position maps them.
    const float scale = static_cast<float>(picturePlacement.zoom > 0 ? picturePlacement.zoom : screenScale);
    if (scale > 0.0f) {
        input.turnX = static_cast<float>(pointerMotionX) / scale;
        input.turnY = static_cast<float>(pointerMotionY) / scale;
    }
    pointerMotionX = pointerMotionY = 0;
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
    input.turnX += padTurnX;
    input.turnY += padTurnY;
    padTurnX = padTurnY = 0.0f;
    // A tap since the last frame counts once, as held.
    for (int32_t k = 1; k <= 6; k++)
        if (ActsForFrame('2' + k)) input.marker = k;
    input.teleport = ActsForFrame('T');
    input.level = ActsForFrame('V');
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
    walk.forward = walk.forward || padState.leftY < -PadDeadZone;
    walk.backward = walk.backward || padState.leftY > PadDeadZone;
    walk.left = walk.left || padState.leftX < -PadDeadZone;
    walk.right = walk.right || padState.leftX > PadDeadZone;
    return walk;
}

// ---------------------------------------------------------------------------
// Saving and loading the map

bool MapSaveAsked(bool controlActs, bool sActs, bool lActs) {
    if (!sActs) sHeldForWalking = false;
    else if (!controlActs) sHeldForWalking = true;
    if (savesAsked > 0) {
        savesAsked--;
        return true;
    }
    return controlActs && sActs && !sHeldForWalking && !lActs;
}

bool MapZoomAsked() {
    if (zoomsAsked == 0) return false;
    zoomsAsked--;
    return true;
}

bool MapLoadAsked(bool controlActs, bool lActs) {
    if (loadsAsked > 0) {
        loadsAsked--;
        return true;
    }
    return controlActs && lActs;
}
