// The SDL2 backend of the platform seam (Linux and anywhere SDL2 runs): one
// borderless window with a compatibility GL context, SDL events translated
// into the program's window events and key codes.
#include <SDL.h>

#include <algorithm>

#include "app/KeyCodes.h"
#include "app/Platform.h"
#include "platform/PlatformEvents.h"

static SDL_Window* sdlWindow = nullptr;
static SDL_GLContext sdlContext = nullptr;
// The gamepad read, while one is open.
static SDL_GameController* sdlPad = nullptr;
// Whether the pointer is captured: SDL's relative mouse mode.
static bool pointerHeld = false;

// ---------------------------------------------------------------------------
// Key translation

// The virtual-key code of an SDL key, or 0 when the shell has none for it.
// Letters and digits follow the layout's key labels, as Windows does; the
// bracket, '=' and '-' keys go by position (the keypad's + and - stand for
// '=' and '-').
static int32_t VirtualKeyOf(const SDL_Keysym& key) {
    SDL_Keycode code = key.sym;
    if (code >= SDLK_a && code <= SDLK_z) return KeyLetterA + (code - SDLK_a);
    if (code >= SDLK_0 && code <= SDLK_9) return KeyDigit0 + (code - SDLK_0);
    if (key.scancode >= SDL_SCANCODE_F1 && key.scancode <= SDL_SCANCODE_F12)
        return KeyF1 + (key.scancode - SDL_SCANCODE_F1);
    switch (key.scancode) {
    case SDL_SCANCODE_ESCAPE: return KeyEscape;
    case SDL_SCANCODE_SPACE: return KeySpace;
    case SDL_SCANCODE_LEFTBRACKET: return KeyOpenBracket;
    case SDL_SCANCODE_RIGHTBRACKET: return KeyCloseBracket;
    case SDL_SCANCODE_LCTRL:
    case SDL_SCANCODE_RCTRL: return KeyControl;
    case SDL_SCANCODE_LSHIFT:
    case SDL_SCANCODE_RSHIFT: return KeyShift;
    case SDL_SCANCODE_LALT:
    case SDL_SCANCODE_RALT: return KeyAlt;
    case SDL_SCANCODE_RETURN: return KeyEnter;
    case SDL_SCANCODE_TAB: return KeyTab;
    case SDL_SCANCODE_BACKSPACE: return KeyBackspace;
    case SDL_SCANCODE_LEFT: return KeyArrowLeft;
    case SDL_SCANCODE_UP: return KeyArrowUp;
    case SDL_SCANCODE_RIGHT: return KeyArrowRight;
    case SDL_SCANCODE_DOWN: return KeyArrowDown;
    case SDL_SCANCODE_PAGEUP: return KeyPageUp;
    case SDL_SCANCODE_PAGEDOWN: return KeyPageDown;
    case SDL_SCANCODE_HOME: return KeyHome;
    case SDL_SCANCODE_EQUALS:
    case SDL_SCANCODE_KP_PLUS: return KeyEquals;
    case SDL_SCANCODE_MINUS:
    case SDL_SCANCODE_KP_MINUS: return KeyMinus;
    default: return 0;
    }
}

// The scancode that is down for a virtual-key code, for the polled state.
static SDL_Scancode ScancodeOf(int32_t virtualKey) {
    if (virtualKey >= KeyLetterA && virtualKey <= KeyLetterA + 25)
        return SDL_GetScancodeFromKey(SDLK_a + (virtualKey - KeyLetterA));
    if (virtualKey >= KeyDigit0 && virtualKey <= KeyDigit0 + 9)
        return SDL_GetScancodeFromKey(SDLK_0 + (virtualKey - KeyDigit0));
    if (virtualKey >= KeyF1 && virtualKey <= KeyF1 + 11)
        return static_cast<SDL_Scancode>(SDL_SCANCODE_F1 + (virtualKey - KeyF1));
    switch (virtualKey) {
    case KeyEscape: return SDL_SCANCODE_ESCAPE;
    case KeySpace: return SDL_SCANCODE_SPACE;
    case KeyOpenBracket: return SDL_SCANCODE_LEFTBRACKET;
    case KeyCloseBracket: return SDL_SCANCODE_RIGHTBRACKET;
    case KeyArrowLeft: return SDL_SCANCODE_LEFT;
    case KeyArrowUp: return SDL_SCANCODE_UP;
    case KeyArrowRight: return SDL_SCANCODE_RIGHT;
    case KeyArrowDown: return SDL_SCANCODE_DOWN;
    case KeyPageUp: return SDL_SCANCODE_PAGEUP;
    case KeyPageDown: return SDL_SCANCODE_PAGEDOWN;
    case KeyHome: return SDL_SCANCODE_HOME;
    case KeyEquals: return SDL_SCANCODE_EQUALS;
    case KeyMinus: return SDL_SCANCODE_MINUS;
    default: return SDL_SCANCODE_UNKNOWN;
    }
}

// ---------------------------------------------------------------------------
// Window and context

bool PlatformOpenWindow(const char* title, int32_t width, int32_t height, int32_t colourBits) {
    // While a button is held SDL would otherwise capture the mouse and report
    // positions beyond the window; Win32 reports none there, and neither do we.
    SDL_SetHint(SDL_HINT_MOUSE_AUTO_CAPTURE, "0");
    if (!SDL_WasInit(SDL_INIT_VIDEO) && SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) return false;
    // Gamepads, once: where they cannot be had, the program plays without.
    if (!SDL_WasInit(SDL_INIT_GAMECONTROLLER)) SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER);
    SDL_GL_ResetAttributes();
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 16);
    int channel = colourBits <= 16 ? 5 : 8;
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, channel);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, channel);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, channel);

    sdlWindow =
        SDL_CreateWindow(title, 0, 0, width, height, SDL_WINDOW_OPENGL | SDL_WINDOW_BORDERLESS | SDL_WINDOW_HIDDEN);
    if (!sdlWindow) {
        PlatformCloseWindow();
        return false;
    }
    sdlContext = SDL_GL_CreateContext(sdlWindow);
    if (!sdlContext || SDL_GL_MakeCurrent(sdlWindow, sdlContext) != 0) {
        PlatformCloseWindow();
        return false;
    }
    // Swaps wait for the display where the driver can; where it cannot, the
    // main loop paces itself.
    SDL_GL_SetSwapInterval(1);
    SDL_ShowWindow(sdlWindow);
    SDL_RaiseWindow(sdlWindow);
    SDL_SetWindowInputFocus(sdlWindow);
    return true;
}

void* PlatformGlFunction(const char* name) { return SDL_GL_GetProcAddress(name); }

void PlatformCloseWindow() {
    PlatformCapturePointer(false);
    if (sdlContext) {
        SDL_GL_MakeCurrent(sdlWindow, nullptr);
        SDL_GL_DeleteContext(sdlContext);
        sdlContext = nullptr;
    }
    if (sdlWindow) {
        SDL_DestroyWindow(sdlWindow);
        sdlWindow = nullptr;
    }
}

// ---------------------------------------------------------------------------
// Messages

// The window's state as an activation event.
static WindowEvent ActivationEvent() {
    WindowEvent event = {WindowActivate, 0, 0, 0, false, false};
    if (sdlWindow) {
        const uint32_t flags = SDL_GetWindowFlags(sdlWindow);
        event.minimised = (flags & SDL_WINDOW_MINIMIZED) != 0;
        event.focused = (flags & SDL_WINDOW_INPUT_FOCUS) != 0;
    }
    return event;
}

// Turns one SDL event into a window event; false when it has none.
static bool TranslateEvent(const SDL_Event& sdl, WindowEvent* event) {
    *event = {WindowClose, 0, 0, 0, false, false};
    switch (sdl.type) {
    case SDL_QUIT: return true;
    case SDL_KEYDOWN:
    case SDL_KEYUP: {
        const int32_t key = VirtualKeyOf(sdl.key.keysym);
        if (key == 0) return false;
        const bool down = sdl.type == SDL_KEYDOWN;
        // Alt+F4 closes the window, as desktops have it.
        if (down && key == KeyF4 && (sdl.key.keysym.mod & KMOD_ALT)) return true;
        // With Alt held, and Alt itself, keys are the system's.
        const bool system = (sdl.key.keysym.mod & KMOD_ALT) || key == KeyAlt;
        event->kind = system ? WindowSystemKey : down ? WindowKeyDown : WindowKeyUp;
        event->key = key;
        return true;
    }
    case SDL_MOUSEMOTION: {
        if (pointerHeld) {
            event->kind = WindowPointerMotion;
            event->x = sdl.motion.xrel;
            event->y = sdl.motion.yrel;
            return sdl.motion.xrel != 0 || sdl.motion.yrel != 0;
        }
        // Only positions inside the client area.
        int width = 0, height = 0;
        if (sdlWindow) SDL_GetWindowSize(sdlWindow, &width, &height);
        if (sdl.motion.x < 0 || sdl.motion.y < 0 || sdl.motion.x >= width || sdl.motion.y >= height) return false;
        event->kind = WindowMouseMove;
        event->x = sdl.motion.x;
        event->y = sdl.motion.y;
        return true;
    }
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
        switch (sdl.button.button) {
        case SDL_BUTTON_LEFT: event->key = KeyLeftButton; break;
        case SDL_BUTTON_RIGHT: event->key = KeyRightButton; break;
        case SDL_BUTTON_MIDDLE: event->key = KeyMiddleButton; break;
        default: return false;
        }
        event->kind = sdl.type == SDL_MOUSEBUTTONDOWN ? WindowButtonDown : WindowButtonUp;
        return true;
    case SDL_WINDOWEVENT:
        switch (sdl.window.event) {
        case SDL_WINDOWEVENT_MINIMIZED:
        case SDL_WINDOWEVENT_RESTORED:
        case SDL_WINDOWEVENT_SHOWN:
        case SDL_WINDOWEVENT_FOCUS_GAINED:
        case SDL_WINDOWEVENT_FOCUS_LOST: *event = ActivationEvent(); return true;
        case SDL_WINDOWEVENT_SIZE_CHANGED:
            event->kind = WindowResize;
            event->x = sdl.window.data1;
            event->y = sdl.window.data2;
            return true;
        case SDL_WINDOWEVENT_CLOSE: return true;
        default: return false;
        }
    default: return false;
    }
}

void PumpPlatformEvents() {
    // Polling also answers the window manager's pings and brings the polled
    // key state up to date.
    SDL_Event sdl;
    WindowEvent event;
    while (SDL_PollEvent(&sdl))
        if (TranslateEvent(sdl, &event)) QueueWindowEvent(event);
}

// ---------------------------------------------------------------------------
// Polled state, clock, cursor

bool PlatformKeyHeld(int32_t virtualKey) {
    if (!sdlWindow || SDL_GetKeyboardFocus() != sdlWindow) return false;
    uint32_t buttons = SDL_GetMouseState(nullptr, nullptr);
    const uint8_t* keys = SDL_GetKeyboardState(nullptr);
    switch (virtualKey) {
    case KeyLeftButton: return (buttons & SDL_BUTTON_LMASK) != 0;
    case KeyRightButton: return (buttons & SDL_BUTTON_RMASK) != 0;
    case KeyMiddleButton: return (buttons & SDL_BUTTON_MMASK) != 0;
    case KeyControl: return keys[SDL_SCANCODE_LCTRL] || keys[SDL_SCANCODE_RCTRL];
    case KeyShift: return keys[SDL_SCANCODE_LSHIFT] || keys[SDL_SCANCODE_RSHIFT];
    case KeyAlt: return keys[SDL_SCANCODE_LALT] || keys[SDL_SCANCODE_RALT];
    default: {
        SDL_Scancode scancode = ScancodeOf(virtualKey);
        return scancode != SDL_SCANCODE_UNKNOWN && keys[scancode];
    }
    }
}

// SDL's game controller buttons in the order of PadButton.
static const SDL_GameControllerButton PadButtons[PadButtonCount] = {
    SDL_CONTROLLER_BUTTON_A,
    SDL_CONTROLLER_BUTTON_B,
    SDL_CONTROLLER_BUTTON_X,
    SDL_CONTROLLER_BUTTON_Y,
    SDL_CONTROLLER_BUTTON_BACK,
    SDL_CONTROLLER_BUTTON_START,
    SDL_CONTROLLER_BUTTON_LEFTSHOULDER,
    SDL_CONTROLLER_BUTTON_RIGHTSHOULDER,
    SDL_CONTROLLER_BUTTON_DPAD_UP,
    SDL_CONTROLLER_BUTTON_DPAD_DOWN,
    SDL_CONTROLLER_BUTTON_DPAD_LEFT,
    SDL_CONTROLLER_BUTTON_DPAD_RIGHT,
    SDL_CONTROLLER_BUTTON_RIGHTSTICK,
};

// An axis of the pad from -1 to 1.
static float PadAxis(SDL_GameControllerAxis axis) {
    return std::max(-1.0f, static_cast<float>(SDL_GameControllerGetAxis(sdlPad, axis)) / 32767.0f);
}

void PlatformReadPad(PadState* pad) {
    *pad = {};
    if (!sdlWindow || !SDL_WasInit(SDL_INIT_GAMECONTROLLER)) return;
    // One pulled out is let go; the first game controller there is taken up.
    if (sdlPad && !SDL_GameControllerGetAttached(sdlPad)) {
        SDL_GameControllerClose(sdlPad);
        sdlPad = nullptr;
    }
    for (int index = 0; !sdlPad && index < SDL_NumJoysticks(); index++)
        if (SDL_IsGameController(index)) sdlPad = SDL_GameControllerOpen(index);
    // Its state is as the events taken this pass left it.
    if (!sdlPad || SDL_GetKeyboardFocus() != sdlWindow) return;
    pad->connected = true;
    pad->leftX = PadAxis(SDL_CONTROLLER_AXIS_LEFTX);
    pad->leftY = PadAxis(SDL_CONTROLLER_AXIS_LEFTY);
    pad->rightX = PadAxis(SDL_CONTROLLER_AXIS_RIGHTX);
    pad->rightY = PadAxis(SDL_CONTROLLER_AXIS_RIGHTY);
    for (int button = 0; button < PadButtonCount; button++)
        pad->buttons[button] = SDL_GameControllerGetButton(sdlPad, PadButtons[button]) != 0;
}

void PlatformSwapBuffers() {
    if (sdlWindow) SDL_GL_SwapWindow(sdlWindow);
}

int32_t PlatformRefreshRate() {
    if (!sdlWindow) return 0;
    int display = SDL_GetWindowDisplayIndex(sdlWindow);
    SDL_DisplayMode mode;
    if (display < 0 || SDL_GetCurrentDisplayMode(display, &mode) != 0) return 0;
    return mode.refresh_rate;
}

void PlatformCursorPosition(int32_t* x, int32_t* y) {
    int cx = 0, cy = 0;
    SDL_GetGlobalMouseState(&cx, &cy);
    *x = cx;
    *y = cy;
}

void PlatformMoveWindow(int32_t x, int32_t y, int32_t width, int32_t height) {
    if (!sdlWindow) return;
    SDL_SetWindowPosition(sdlWindow, x, y);
    SDL_SetWindowSize(sdlWindow, width, height);
}

bool PlatformCoverDisplay(int32_t* width, int32_t* height) {
    // A borderless window the size of the display, rather than SDL's
    // fullscreen state: that needs a window manager to take effect, and the
    // window then keeps its GL context and everything in it.
    if (!sdlWindow) return false;
    const int display = SDL_GetWindowDisplayIndex(sdlWindow);
    SDL_Rect bounds;
    if (display < 0 || SDL_GetDisplayBounds(display, &bounds) != 0 || bounds.w <= 0 || bounds.h <= 0) return false;
    SDL_SetWindowPosition(sdlWindow, bounds.x, bounds.y);
    SDL_SetWindowSize(sdlWindow, bounds.w, bounds.h);
    SDL_RaiseWindow(sdlWindow);
    *width = bounds.w;
    *height = bounds.h;
    return true;
}

void PlatformShowCursor() { SDL_ShowCursor(SDL_ENABLE); }

// The window shows notices in its picture; there is no other line to repeat them on.
void PlatformRepeatNotice(const char*, int32_t, bool) {}

bool PlatformMovesWindow() { return true; }

void PlatformShowMapControls(bool) {}

bool PlatformCapturePointer(bool captured) {
    if (!sdlWindow) return false;
    if (captured == pointerHeld) return pointerHeld;
    // Relative mode hides the pointer, keeps it in the window and reports
    // motion beyond the screen's edges too.
    const bool done = SDL_SetRelativeMouseMode(captured ? SDL_TRUE : SDL_FALSE) == 0;
    pointerHeld = captured ? done : false;
    return pointerHeld;
}
