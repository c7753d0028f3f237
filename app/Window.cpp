// Window opening and closing around the platform, the fixed GL state, and the
// table of what each window event does.
#include "app/Window.h"

#include "app/Input.h"
#include "app/Platform.h"
#include "render/Textures.h"
#include "screen/OpenGL.h"
#include "screen/PictureTarget.h"
#include "screen/Screen.h"

uint8_t windowActive = 1;
bool displayCovered = false;
bool quitPosted = false;
int32_t quitCode = 0;
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

void PostQuit(int32_t exitCode) {
    quitPosted = true;
    quitCode = exitCode;
}

bool HandleWindowEvent(const WindowEvent& event) {
    switch (event.kind) {
    case WindowActivate:
        // Only minimising stops frames; losing the focus does not.
        windowActive = event.minimised ? 0 : 1;
        // The pointer is given back to whatever has the focus now, and the
        // keys held meanwhile go up there, unseen here.
        if (event.minimised || !event.focused) CapturePointer(false);
        if (event.minimised || !event.focused) LetGoOfKeyboard();
        return true;
    case WindowScreenSaver:
        // Refused: neither the screen saver nor the display's power-down
        // starts through this window.
        return true;
    case WindowClose: PostQuit(0); return true;
    case WindowQuit: PostQuit(event.x); return true;
    case WindowResize: return true;
    case WindowAreaGiven:
        // Placed as on a display it covers, unless the area is the window
        // as asked.
        if (displayCovered || event.x != ScreenWidth * screenScale || event.y != ScreenHeight * screenScale)
            picturePlacement = CentredPicturePlacement(event.x, event.y);
        else picturePlacement = {};
        return true;
    default: return RecordInputEvent(event);
    }
}
