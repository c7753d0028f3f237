// Window opening and closing around the platform, the fixed GL state, and the
// table of what each window event does.
#include "app/Window.h"

#include "app/Platform.h"
#include "render/Textures.h"
#include "screen/OpenGL.h"
#include "screen/PictureTarget.h"
#include "screen/Screen.h"

uint8_t KeyDown[256] = {};
uint8_t KeyTapped[256] = {};
uint8_t KeyTaken[256] = {};
uint8_t windowActive = 1;
int32_t mouseX = 0;
int32_t mouseY = 0;
bool pointerCaptured = false;
int32_t pointerMotionX = 0;
int32_t pointerMotionY = 0;
bool lookWaitsForMove = false;
int32_t releasedMouseX = 0;
int32_t releasedMouseY = 0;
int32_t displayRefreshRate = 60;

// The rate assumed when the platform cannot tell.
constexpr int32_t UsualRefreshRate = 60;

bool OpenRenderWindow(const char* title, int32_t width, int32_t height, int32_t colourBits) {
    if (!PlatformOpenWindow(title, width, height, colourBits)) return false;
    const int32_t rate = PlatformRefreshRate();
    displayRefreshRate = rate > 0 ? rate : UsualRefreshRate;
    SetupProjection(width, height);
    InitRenderState();
    OpenPictureTarget(PlatformGlFunction);
    // The clear colour reads back differently on different drivers and
    // framebuffer depths; key out what this context actually gives.
    MeasureClearColourKey();
    return true;
}

void CloseRenderWindow() {
    CapturePointer(false);
    ClosePictureTarget();
    PlatformCloseWindow();
}

void SetupProjection(int32_t width, int32_t height) {
    if (height == 0) height = 1;
    glViewport(0, 0, width, height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    float aspect = static_cast<float>(width) / static_cast<float>(height);
    gluPerspective(45.0, aspect, 0.1f, 100.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

void InitRenderState() {
    UploadTextures();
    glEnable(GL_TEXTURE_2D);
    glShadeModel(GL_SMOOTH);
    glClearColor(1.0f, 0.0f, 0.9f, 0.0f);
    glClearDepth(1.0);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
    glColor4f(1.0f, 1.0f, 1.0f, 0.5f);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
}

bool IsKeyPressed(int32_t virtualKey) {
    if (virtualKey < 0 || virtualKey >= static_cast<int32_t>(sizeof KeyDown)) return false;
    return KeyDown[virtualKey] || KeyTapped[virtualKey];
}

bool TakeKeyPress(int32_t virtualKey) {
    if (!IsKeyPressed(virtualKey) || KeyTaken[virtualKey]) return false;
    // A tap already released counts once and leaves nothing to wait for.
    KeyTaken[virtualKey] = KeyDown[virtualKey];
    return true;
}

void ForgetKeyTaps() {
    for (uint8_t& tap : KeyTapped) tap = 0;
}

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

bool HandleWindowEvent(const WindowEvent& event) {
    const bool inTable = event.key >= 0 && event.key < static_cast<int32_t>(sizeof KeyDown);
    switch (event.kind) {
    case WindowActivate:
        // Only minimising stops frames; losing the focus does not.
        windowActive = event.minimised ? 0 : 1;
        // The pointer is given back to whatever has the focus now.
        if (event.minimised || !event.focused) CapturePointer(false);
        return true;
    case WindowScreenSaver:
        // Refused: neither the screen saver nor the display's power-down
        // starts through this window.
        return true;
    case WindowClose: PlatformPostQuit(0); return true;
    case WindowKeyDown:
        if (inTable) KeyDown[event.key] = KeyTapped[event.key] = 1;
        return true;
    case WindowKeyUp:
        if (inTable) KeyDown[event.key] = KeyTaken[event.key] = 0;
        return true;
    case WindowSystemKey:
        // Not recorded: the system's default processing has them (Alt+F4
        // closes the window that way).
        return false;
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
    case WindowResize:
    case WindowButtonDown:
    case WindowButtonUp: return true;
    }
    return false;
}
