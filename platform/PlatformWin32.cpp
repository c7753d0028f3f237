// The Win32 backend of the platform seam: the one borderless popup window of
// class "OpenGL" with its device context and WGL context, its window
// procedure, which turns the system's messages into the program's window
// events, and the polled key state. Everything the program does beyond this
// is shared with the other platforms.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <cstring>

#include "app/KeyCodes.h"
#include "app/Platform.h"
#include "platform/PlatformEvents.h"
#include "platform/XInputPad.h"
#include "sys/Time.h"

// The class name used to register, create and unregister the window.
static const char WindowClassName[] = "OpenGL";
static const DWORD WindowExStyle = WS_EX_APPWINDOW | WS_EX_WINDOWEDGE;
static const DWORD WindowStyle = WS_POPUP;

static HWND windowHandle = nullptr;
static HDC deviceContext = nullptr;
static HGLRC renderContext = nullptr;
static HINSTANCE instanceHandle = nullptr;
// Whether the pointer is captured: hidden, held inside the client area and
// put back in its centre after every move.
static bool pointerHeld = false;

// The client area's centre in client and in screen pixels, and the client
// area on the screen.
static void ClientCentre(POINT* client, POINT* screen, RECT* area) {
    RECT rect = {0, 0, 0, 0};
    GetClientRect(windowHandle, &rect);
    *client = {(rect.right - rect.left) / 2, (rect.bottom - rect.top) / 2};
    *screen = *client;
    ClientToScreen(windowHandle, screen);
    POINT topLeft = {rect.left, rect.top}, bottomRight = {rect.right, rect.bottom};
    ClientToScreen(windowHandle, &topLeft);
    ClientToScreen(windowHandle, &bottomRight);
    *area = {topLeft.x, topLeft.y, bottomRight.x, bottomRight.y};
}

// ---------------------------------------------------------------------------
// Window procedure

// Turns one window message into a window event; false for the messages the
// program leaves to the system's default processing (double-clicks, other
// system commands, everything not listed).
static bool EventOfMessage(UINT message, WPARAM wParam, LPARAM lParam, WindowEvent* event) {
    *event = {WindowClose, 0, 0, 0, false, false};
    switch (message) {
    case WM_ACTIVATE:
        // The low word says active or inactive, the high word minimised.
        event->kind = WindowActivate;
        event->minimised = HIWORD(wParam) != 0;
        event->focused = LOWORD(wParam) != WA_INACTIVE;
        return true;
    case WM_SYSCOMMAND: event->kind = WindowScreenSaver; return wParam == SC_SCREENSAVE || wParam == SC_MONITORPOWER;
    case WM_CLOSE: return true;
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_SYSKEYDOWN:
    case WM_SYSKEYUP:
        event->kind = message == WM_KEYDOWN ? WindowKeyDown : message == WM_KEYUP ? WindowKeyUp : WindowSystemKey;
        // Codes beyond any key table stay beyond it.
        event->key = wParam > 0xFFFF ? -1 : static_cast<int32_t>(wParam);
        return true;
    case WM_SIZE:
        event->kind = WindowResize;
        event->x = LOWORD(lParam);
        event->y = HIWORD(lParam);
        return true;
    case WM_MOUSEMOVE:
        if (pointerHeld && windowHandle) {
            // The move away from the centre, and the pointer put back there
            // (its own move to the centre then reports nothing).
            POINT client, screen;
            RECT area;
            ClientCentre(&client, &screen, &area);
            event->kind = WindowPointerMotion;
            event->x = static_cast<short>(LOWORD(lParam)) - client.x;
            event->y = static_cast<short>(HIWORD(lParam)) - client.y;
            if (event->x == 0 && event->y == 0) return false;
            ClipCursor(&area);
            SetCursorPos(screen.x, screen.y);
            return true;
        }
        // Both words unsigned, as the message has them.
        event->kind = WindowMouseMove;
        event->x = LOWORD(lParam);
        event->y = HIWORD(lParam);
        return true;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP:
        event->kind = message == WM_LBUTTONDOWN || message == WM_RBUTTONDOWN || message == WM_MBUTTONDOWN
                          ? WindowButtonDown
                          : WindowButtonUp;
        event->key = message == WM_LBUTTONDOWN || message == WM_LBUTTONUP   ? KeyLeftButton
                     : message == WM_RBUTTONDOWN || message == WM_RBUTTONUP ? KeyRightButton
                                                                            : KeyMiddleButton;
        return true;
    default: return false;
    }
}

// The class's window procedure: a message that means a window event is
// queued for the main loop and answered with 0; system keys and everything
// else go to the system's default processing (Alt+F4 closes that way).
static LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    WindowEvent event;
    if (EventOfMessage(message, wParam, lParam, &event) && event.kind != WindowSystemKey) {
        QueueWindowEvent(event);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

// ---------------------------------------------------------------------------
// Window and context

// The pixel format asked for at every opening: RGBA, double-buffered, drawn to
// a window by OpenGL, colourBits colour and 16 depth bits, nothing else.
static PIXELFORMATDESCRIPTOR MakePixelFormatDescriptor(int32_t colourBits) {
    PIXELFORMATDESCRIPTOR descriptor;
    ZeroMemory(&descriptor, sizeof descriptor);
    descriptor.nSize = sizeof(PIXELFORMATDESCRIPTOR);
    descriptor.nVersion = 1;
    descriptor.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
    descriptor.iPixelType = PFD_TYPE_RGBA;
    descriptor.cColorBits = static_cast<BYTE>(colourBits);
    descriptor.cDepthBits = 16;
    descriptor.iLayerType = PFD_MAIN_PLANE;
    return descriptor;
}

void* PlatformGlFunction(const char* name) {
    if (!renderContext) return nullptr;
    PROC found = wglGetProcAddress(name);
    // Some drivers answer a small number or -1 instead of null for a name
    // they do not have.
    const intptr_t value = reinterpret_cast<intptr_t>(found);
    if (value >= -1 && value <= 3) return nullptr;
    void* address;
    static_assert(sizeof address == sizeof found, "function pointers differ in size");
    CopyMemory(&address, &found, sizeof found);
    return address;
}

// Asks the driver to let each swap wait for the display (swap interval 1),
// where the WGL extension for it exists; the main loop paces itself otherwise.
static void AskForSwapSync() {
    typedef BOOL(WINAPI * SwapIntervalCall)(int);
    void* found = PlatformGlFunction("wglSwapIntervalEXT");
    if (!found) return;
    SwapIntervalCall setSwapInterval;
    static_assert(sizeof setSwapInterval == sizeof found, "function pointers differ in size");
    CopyMemory(&setSwapInterval, &found, sizeof found);
    setSwapInterval(1);
}

bool PlatformOpenWindow(const char* title, int32_t width, int32_t height, int32_t colourBits) {
    RECT windowRect;
    windowRect.left = 0;
    windowRect.top = 0;
    windowRect.right = width;
    windowRect.bottom = height;

    instanceHandle = GetModuleHandleA(nullptr);

    WNDCLASSA windowClass;
    ZeroMemory(&windowClass, sizeof windowClass);
    windowClass.style = CS_HREDRAW | CS_VREDRAW | CS_OWNDC;
    windowClass.lpfnWndProc = MainWindowProc;
    windowClass.cbClsExtra = 0;
    windowClass.cbWndExtra = 0;
    windowClass.hInstance = instanceHandle;
    windowClass.hIcon = LoadIconA(nullptr, MAKEINTRESOURCEA(32517));      // IDI_WINLOGO
    windowClass.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32515));  // IDC_CROSS
    windowClass.hbrBackground = nullptr;
    windowClass.lpszMenuName = nullptr;
    windowClass.lpszClassName = WindowClassName;
    // Nothing exists yet, so a failed registration has nothing to release.
    if (!RegisterClassA(&windowClass)) return false;

    AdjustWindowRectEx(&windowRect, WindowStyle, FALSE, WindowExStyle);

    windowHandle =
        CreateWindowExA(WindowExStyle, WindowClassName, title, WS_CLIPSIBLINGS | WS_CLIPCHILDREN | WindowStyle, 0, 0,
                        windowRect.right - windowRect.left, windowRect.bottom - windowRect.top, nullptr, nullptr,
                        instanceHandle, nullptr);
    if (!windowHandle) {
        PlatformCloseWindow();
        return false;
    }
    deviceContext = GetDC(windowHandle);
    if (!deviceContext) {
        PlatformCloseWindow();
        return false;
    }
    PIXELFORMATDESCRIPTOR descriptor = MakePixelFormatDescriptor(colourBits);
    int pixelFormat = ChoosePixelFormat(deviceContext, &descriptor);
    if (pixelFormat == 0) {
        PlatformCloseWindow();
        return false;
    }
    if (!SetPixelFormat(deviceContext, pixelFormat, &descriptor)) {
        PlatformCloseWindow();
        return false;
    }
    renderContext = wglCreateContext(deviceContext);
    if (!renderContext) {
        PlatformCloseWindow();
        return false;
    }
    if (!wglMakeCurrent(deviceContext, renderContext)) {
        PlatformCloseWindow();
        return false;
    }
    AskForSwapSync();
    ShowWindow(windowHandle, SW_SHOW);
    SetForegroundWindow(windowHandle);
    SetFocus(windowHandle);
    return true;
}

void PlatformCloseWindow() {
    PlatformCapturePointer(false);
    if (renderContext) {
        wglMakeCurrent(nullptr, nullptr);
        wglDeleteContext(renderContext);
        renderContext = nullptr;
    }
    if (deviceContext) {
        if (windowHandle) ReleaseDC(windowHandle, deviceContext);
        deviceContext = nullptr;
    }
    if (windowHandle) {
        DestroyWindow(windowHandle);
        windowHandle = nullptr;
    }
    // Always attempted; it fails harmlessly when the class is not registered.
    UnregisterClassA(WindowClassName, instanceHandle);
}

// ---------------------------------------------------------------------------
// Messages

void PumpPlatformEvents() {
    // Each message the window procedure has an event for is queued there. A
    // quit posted by anything else is the system asking the program to end,
    // with the exit code it carries (the window's own close is code 0).
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            QueueWindowEvent({WindowQuit, 0, static_cast<int32_t>(msg.wParam), 0, false, false});
            continue;
        }
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

// ---------------------------------------------------------------------------
// Polled state, clock, cursor

bool PlatformKeyHeld(int32_t virtualKey) {
    // The key state is system-wide; keys typed into other programs must not act here.
    if (!windowHandle || GetForegroundWindow() != windowHandle) return false;
    return (static_cast<unsigned short>(GetAsyncKeyState(virtualKey)) & 0x8000) != 0;
}

// A library of the system folder, never one of the same name in the current
// folder or on the PATH; null when the system has none.
static HMODULE LoadSystemLibrary(const char* name) {
    HMODULE library = LoadLibraryExA(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    // Windows 7 without its loader update refuses the flag: the library's
    // full path in the system folder then.
    if (library || GetLastError() != ERROR_INVALID_PARAMETER) return library;
    char path[MAX_PATH];
    const UINT length = GetSystemDirectoryA(path, MAX_PATH);
    if (length == 0 || length + 1 + strlen(name) >= MAX_PATH) return nullptr;
    path[length] = '\\';
    strcpy(path + length + 1, name);
    return LoadLibraryA(path);
}

// XInput's state of a pad, as its XINPUT_STATE lays it out.
struct XInputState {
    DWORD packet;
    WORD buttons;
    BYTE leftTrigger, rightTrigger;
    SHORT leftX, leftY, rightX, rightY;
};
using XInputGetStateCall = DWORD(WINAPI*)(DWORD, XInputState*);
// XInput, loaded on first use from whichever of its libraries this Windows
// has in its system folder (none: no pads); the slot of the pad last read,
// -1 for none; when the empty slots were last looked at.
static XInputGetStateCall xinputGetState = nullptr;
static bool xinputLooked = false;
static int padSlot = -1;
static double padSlotsLookedAt = -1.0e9;

// Gamepads through XInput: the pad last read while it stays connected; the
// four slots looked at again once a second while there is none (asking an
// empty slot is slow), so that one plugged in is taken up.
void PlatformReadPad(PadState* pad) {
    *pad = {};
    if (!xinputLooked) {
        xinputLooked = true;
        static const char* const Libraries[] = {"xinput1_4.dll", "xinput1_3.dll", "xinput9_1_0.dll"};
        for (const char* name : Libraries) {
            if (HMODULE library = LoadSystemLibrary(name)) {
                xinputGetState = reinterpret_cast<XInputGetStateCall>(
                    reinterpret_cast<void*>(GetProcAddress(library, "XInputGetState")));
                if (xinputGetState) break;
            }
        }
    }
    if (!xinputGetState || !windowHandle || GetForegroundWindow() != windowHandle) return;
    XInputState state = {};
    if (padSlot >= 0 && xinputGetState(static_cast<DWORD>(padSlot), &state) != ERROR_SUCCESS) padSlot = -1;
    if (padSlot < 0) {
        const double now = SysMilliseconds();
        if (now - padSlotsLookedAt < 1000.0) return;
        padSlotsLookedAt = now;
        for (int slot = 0; slot < 4 && padSlot < 0; slot++)
            if (xinputGetState(static_cast<DWORD>(slot), &state) == ERROR_SUCCESS) padSlot = slot;
        if (padSlot < 0) return;
    }
    *pad = PadFromXInput(state.buttons, state.leftX, state.leftY, state.rightX, state.rightY);
}

void PlatformSwapBuffers() {
    if (deviceContext) SwapBuffers(deviceContext);
}

int32_t PlatformRefreshRate() {
    if (!deviceContext) return 0;
    // 0 and 1 stand for the hardware's default rate, which Windows does not name.
    int rate = GetDeviceCaps(deviceContext, VREFRESH);
    return rate > 1 ? rate : 0;
}

void PlatformCursorPosition(int32_t* x, int32_t* y) {
    POINT point = {0, 0};
    GetCursorPos(&point);
    *x = point.x;
    *y = point.y;
}

void PlatformMoveWindow(int32_t x, int32_t y, int32_t width, int32_t height) {
    if (windowHandle) MoveWindow(windowHandle, x, y, width, height, TRUE);
}

bool PlatformCoverDisplay(int32_t* width, int32_t* height) {
    // A popup the size of the monitor is what Windows treats as fullscreen;
    // the window keeps its GL context and everything in it.
    if (!windowHandle) return false;
    MONITORINFO monitor;
    ZeroMemory(&monitor, sizeof monitor);
    monitor.cbSize = sizeof monitor;
    if (!GetMonitorInfoA(MonitorFromWindow(windowHandle, MONITOR_DEFAULTTONEAREST), &monitor)) return false;
    const RECT& area = monitor.rcMonitor;
    if (!SetWindowPos(windowHandle, HWND_TOP, area.left, area.top, area.right - area.left, area.bottom - area.top,
                      SWP_SHOWWINDOW))
        return false;
    RECT client;
    if (!GetClientRect(windowHandle, &client)) return false;
    *width = client.right - client.left;
    *height = client.bottom - client.top;
    return true;
}

void PlatformShowCursor() { ShowCursor(TRUE); }

// The window shows notices in its picture; there is no other line to repeat them on.
void PlatformRepeatNotice(const char*, int32_t, bool) {}

bool PlatformMovesWindow() { return true; }

void PlatformShowMapControls(bool) {}

bool PlatformCapturePointer(bool captured) {
    if (!windowHandle) return false;
    if (captured == pointerHeld) return pointerHeld;
    if (captured) {
        POINT client, screen;
        RECT area;
        ClientCentre(&client, &screen, &area);
        ClipCursor(&area);
        SetCursorPos(screen.x, screen.y);
        // The pointer shows while the display count is 0 or more.
        while (ShowCursor(FALSE) >= 0) {
        }
    } else {
        ClipCursor(nullptr);
        while (ShowCursor(TRUE) < 0) {
        }
    }
    pointerHeld = captured;
    return pointerHeld;
}
