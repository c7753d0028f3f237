// Window opening and closing around the platform, the fixed GL state, and the
// window procedure's message table.
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

bool MainWindowProc(uint32_t message, uintptr_t wParam, intptr_t lParam) {
    switch (message) {
    case MessageActivate:
        // Only minimising stops frames; losing the focus does not.
        windowActive = ((wParam >> 16) & 0xFFFF) == 0 ? 1 : 0;
        return true;
    case MessageSysCommand:
        return wParam == CommandScreenSave || wParam == CommandMonitorPower;
    case MessageClose:
        PlatformPostQuit(0);
        return true;
    case MessageKeyDown:
        if (wParam < sizeof KeyDown) KeyDown[wParam] = KeyTapped[wParam] = 1;
        return true;
    case MessageKeyUp:
        if (wParam < sizeof KeyDown) KeyDown[wParam] = KeyTaken[wParam] = 0;
        return true;
    case MessageSize:
        return true;
    case MessageMouseMove:
        mouseX = static_cast<int32_t>(static_cast<uintptr_t>(lParam) & 0xFFFF);
        mouseY = static_cast<int32_t>((static_cast<uintptr_t>(lParam) >> 16) & 0xFFFF);
        return true;
    case MessageLeftButtonDown:
    case MessageLeftButtonUp:
    case MessageRightButtonDown:
    case MessageRightButtonUp:
    case MessageMiddleButtonDown:
    case MessageMiddleButtonUp:
        return true;
    default:
        return false;
    }
}
