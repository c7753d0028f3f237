// The browser backend of the platform seam: the page's canvas is the window,
// its WebGL context (under our own GL 1.1 layer) the GL context, and the
// browser's key, mouse, focus and pointer-lock events are translated into the
// program's window events and key codes. The program's loop blocks as on the
// desktop; each swap and each wait hands control back to the browser
// (asyncify), so the page stays live and frames come at its pace.
#include <emscripten.h>
#include <emscripten/html5.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "app/KeyCodes.h"
#include "app/Platform.h"
#include "gl11/GL11.h"
#include "platform/PlatformEvents.h"

// The canvas every event is taken from; a fresh one stands in its place each
// time the window opens, so that each window has a fresh context.
static const char* const CanvasTarget = "#canvas";
// Where a finger looks: the stage, the picture and the black around it (the
// touch controls stand beside it, not in it).
static const char* const StageTarget = "#stage";

static EMSCRIPTEN_WEBGL_CONTEXT_HANDLE webContext = 0;
// Keys and buttons the keyboard and the mouse hold, by our key code, as the
// browser's events said. A key is held while they or a touch control hold it.
static bool keysHeld[256] = {};
static bool canvasFocused = false;
static bool pageHidden = false;
// Whether the program has captured the pointer, and whether the browser has
// locked it to the canvas for it: it may want a click first.
static bool pointerHeld = false;
static bool pointerLocked = false;
// Whether the canvas was asked to cover the display (F11).
static bool displayCovered = false;
// The window's size as the program asked for it, and the canvas's pixels
// as last fitted (FitCanvas), with how many of them a CSS pixel holds.
static int32_t askedWidth = 0, askedHeight = 0;
static int32_t canvasWidth = 0, canvasHeight = 0;
static double canvasPixelsPerCssPixel = 1.0;
// The finger that looks: the first to touch the picture, until it lifts
// (-1: none), and where it was last, in CSS pixels over the canvas.
static long lookingFinger = -1;
static long lookingFingerX = 0, lookingFingerY = 0;

// The page's touch controls (index.html's buttons, by id) and the key each
// holds while touched: the walk, the step, looking level and the keys' own
// buttons. Save, Load and "Finish now" (shown while a save or load is under
// way) hold no key: touched, they ask for what they do (asked).
struct TouchControl {
    const char* id;
    int32_t key;
    WindowEventKind asked;  // for the controls that hold no key (key 0)
};
static const TouchControl TouchControls[] = {
    {"walk-forward", 'W', WindowKeyDown},
    {"walk-back", 'S', WindowKeyDown},
    {"step-left", 'A', WindowKeyDown},
    {"step-right", 'D', WindowKeyDown},
    {"look-level", 'V', WindowKeyDown},
    {"map", 'N', WindowKeyDown},
    {"teleport", 'T', WindowKeyDown},
    {"lights", 'L', WindowKeyDown},
    {"help", 'H', WindowKeyDown},
    {"picture", KeyF12, WindowKeyDown},
    {"radius-down", KeyOpenBracket, WindowKeyDown},
    {"radius-up", KeyCloseBracket, WindowKeyDown},
    {"hud", 'U', WindowKeyDown},
    {"save", 0, WindowSaveAsked},
    {"load", 0, WindowLoadAsked},
    {"finish", 0, WindowFinishAsked},
    {"level-up", KeyPageUp, WindowKeyDown},
    {"level-down", KeyPageDown, WindowKeyDown},
    {"zoom", 0, WindowZoomAsked},
};
constexpr int TouchControlCount = sizeof TouchControls / sizeof TouchControls[0];
static bool touchHeld[TouchControlCount] = {};

// ---------------------------------------------------------------------------
// The page's side

// clang-format off

// Replaces the canvas with a fresh one, focusable and without a context
// menu (FitCanvas sizes it), and focuses it. A mouse button pressed on it
// captures the pointer, so that its release reaches the canvas wherever in
// the page it lands.
EM_JS(void, MakeFreshCanvas, (const char* title), {
    const old = document.getElementById("canvas");
    const canvas = document.createElement("canvas");
    canvas.id = "canvas";
    canvas.tabIndex = 0;
    canvas.oncontextmenu = function(event) { event.preventDefault(); };
    canvas.onpointerdown = function(event) {
        if (event.pointerType === "mouse" && !document.pointerLockElement) canvas.setPointerCapture(event.pointerId);
    };
    old.replaceWith(canvas);
    if (Module["canvas"]) Module["canvas"] = canvas;
    document.title = UTF8ToString(title);
    canvas.focus();
});

// Fits the canvas to the screen's pixels and the page: each picture pixel a
// whole number of device pixels. In the page, its pixels are 320 x 240 times
// the largest whole zoom that is no more than the asked window's scale in
// device pixels and fits the page's area for the picture (#area in the stage,
// at least zoom 1), shown at that many device pixels (its CSS size is its
// pixels over the device pixel ratio) and centred in the area on a whole
// device pixel, or at its bottom where the area's data-align says "bottom".
// Fullscreen, once the browser has made it so, its pixels are the whole
// element's in device pixels. Returns its width times 65536 plus its height.
EM_JS(int, FitCanvas, (int askedWidth, int askedHeight, int covered), {
    const canvas = document.getElementById("canvas");
    const ratio = window.devicePixelRatio || 1;
    let width = canvas.width, height = canvas.height;
    if (document.fullscreenElement === canvas) {
        width = Math.max(1, Math.round(canvas.clientWidth * ratio));
        height = Math.max(1, Math.round(canvas.clientHeight * ratio));
    } else if (!covered) {
        const stage = document.getElementById("stage") || document.body;
        const area = document.getElementById("area") || stage;
        const asked = Math.max(1, Math.round(askedWidth / 320 * ratio), Math.round(askedHeight / 240 * ratio));
        const fits = Math.min(Math.floor(area.clientWidth * ratio / 320), Math.floor(area.clientHeight * ratio / 240));
        const zoom = Math.max(1, Math.min(asked, fits));
        width = 320 * zoom;
        height = 240 * zoom;
        // Placed on whole device pixels too, so that no pixel straddles two.
        const box = area.getBoundingClientRect(), around = stage.getBoundingClientRect();
        const x = Math.round((box.left - around.left) * ratio), y = Math.round((box.top - around.top) * ratio);
        const below = area.dataset && area.dataset.align === "bottom";
        const down = below ? Math.floor(area.clientHeight * ratio) - height : Math.floor((area.clientHeight * ratio - height) / 2);
        canvas.style.position = "absolute";
        canvas.style.left = (x + Math.floor((area.clientWidth * ratio - width) / 2)) / ratio + "px";
        canvas.style.top = (y + down) / ratio + "px";
        canvas.style.width = width / ratio + "px";
        canvas.style.height = height / ratio + "px";
    }
    // Setting a size, even the same, clears the picture.
    if (canvas.width !== width) canvas.width = width;
    if (canvas.height !== height) canvas.height = height;
    Module["canvasPixelsPerCssPixel"] = canvas.clientWidth > 0 ? width / canvas.clientWidth : ratio;
    return width * 65536 + height;
});

// How many canvas pixels a CSS pixel holds, as the last FitCanvas found.
EM_JS(double, CanvasPixelsPerCssPixel, (), { return Module["canvasPixelsPerCssPixel"] || 1; });

// Waits for the browser's next animation frame: the canvas drawn so far is
// shown, and the page's events are handled meanwhile. Module.swaps counts
// the pictures shown and Module.firstSwapAt says when the first was (on the
// page's clock), for the page's tests and figures.
EM_ASYNC_JS(void, WaitForAnimationFrame, (), {
    Module["swaps"] = (Module["swaps"] || 0) + 1;
    if (!Module["firstSwapAt"]) Module["firstSwapAt"] = performance.now();
    await new Promise(function(resolve) {
        // A hidden page gets no animation frames; a timer then stands in.
        const timer = setTimeout(resolve, 100);
        requestAnimationFrame(function() {
            clearTimeout(timer);
            resolve();
        });
    });
});

// Repeats a notice of the program on the page's status line (a polite live
// region) for about milliseconds (0: until the next), and offers the
// "Finish now" control while a save or load is under way, in the place kept
// for it, so that nothing else moves.
EM_JS(void, RepeatNoticeOnPage, (const char* text, int milliseconds, int mapUnderWay), {
    const line = UTF8ToString(text);
    if (line && window.talvoxSay) window.talvoxSay(line, milliseconds);
    const finish = document.getElementById("finish");
    if (finish) finish.classList.toggle("offered", !!mapUnderWay);
});

// Shows the page's map controls while a map is shown; hidden, they keep
// their places (index.html), so nothing moves.
EM_JS(void, ShowMapControlsOnPage, (int shown), { document.body.classList.toggle("map-shown", shown !== 0); });

// Says text on the page's status line, where it stays when the explorer ends.
EM_JS(void, SayOnPage, (const char* text), {
    Module["said"] = UTF8ToString(text);
    const status = document.getElementById("status");
    if (status) status.textContent = Module["said"];
});

// Asks the browser to show the canvas fullscreen. A browser grants it for a
// few seconds after a key or click (user activation), and the program asks
// while handling F11 a frame or so later; if that is too late (a slow frame),
// the next key or click on the canvas asks again.
EM_JS(void, AskForFullscreen, (), {
    const canvas = document.getElementById("canvas");
    const request = function() {
        const ask = canvas.requestFullscreen || canvas.webkitRequestFullscreen;
        return ask ? ask.call(canvas) : undefined;
    };
    const again = function() {
        if (canvas.isConnected && document.fullscreenElement !== canvas) {
            const asked = request();
            if (asked && asked.catch) asked.catch(function() {});
        }
        canvas.removeEventListener("keydown", again);
        canvas.removeEventListener("mousedown", again);
    };
    const asked = request();
    if (asked && asked.catch) {
        asked.catch(function() {
            canvas.addEventListener("keydown", again);
            canvas.addEventListener("mousedown", again);
        });
    }
});

// Reads the first gamepad of the standard mapping into values: its four
// axes (left x, y, right x, y), then its buttons A, B, X, Y, Back, Start,
// the shoulders and the pad's up, down, left and right as 0 or 1. Returns
// whether there is one.
EM_JS(int, ReadGamepad, (float* values), {
    const pads = navigator.getGamepads ? navigator.getGamepads() : [];
    const pad = Array.from(pads).find(function(p) { return p && p.connected && p.mapping === "standard"; });
    if (!pad) return 0;
    const buttons = [0, 1, 2, 3, 8, 9, 4, 5, 12, 13, 14, 15];
    const at = values >> 2;
    for (let i = 0; i < 4; i++) HEAPF32[at + i] = pad.axes[i] || 0;
    buttons.forEach(function(b, i) { HEAPF32[at + 4 + i] = pad.buttons[b] && pad.buttons[b].pressed ? 1 : 0; });
    return 1;
});
// Shows the page's touch controls on a touch screen: one without a fine
// pointer, or once a finger has touched the page.
EM_JS(void, ShowTouchControlsOnTouch, (), {
    const show = function() {
        if (document.body.classList.contains("touch")) return;
        document.body.classList.add("touch");
        if (window.talvoxLayOut) window.talvoxLayOut();
    };
    if (!matchMedia("(any-pointer: fine)").matches || matchMedia("(pointer: coarse)").matches) show();
    // Once a page, whichever window or start of the program asks.
    if (window.talvoxWatchesTouch) return;
    window.talvoxWatchesTouch = true;
    window.addEventListener("pointerdown", function(event) {
        if (event.pointerType === "touch") show();
    }, {passive: true});
});

// Makes the page's button id a touch control: touched, it calls
// TalvoxTouchControl(index, 1), let go by the last finger on it (or the
// touch taken away) with 0, and is marked held (class "held") meanwhile. A control with data-hold
// (Save, Load) acts only once held for half a second, its progress shown
// (class "arming"), and then as a tap; let go sooner, it says its data-hold
// on the status line instead. The press captures its pointer, so that a
// finger or a mouse button let go off the control lets go all the same. It
// takes neither the focus nor the touch's default actions (a click, a zoom,
// a menu), and gives the canvas the keys when it has not got them.
EM_JS(void, ListenToTouchControl, (const char* id, int index), {
    const button = document.getElementById(UTF8ToString(id));
    if (!button) return;
    const hint = button.dataset.hold;
    const fingers = new Set();
    let arming = 0;
    button.onpointerdown = function(event) {
        event.preventDefault();
        const canvas = document.getElementById("canvas");
        if (canvas && document.activeElement !== canvas) canvas.focus();
        // A pointer no longer active (an event made by a script) has none to capture.
        try {
            button.setPointerCapture(event.pointerId);
        } catch (error) {}
        fingers.add(event.pointerId);
        // Another finger already holds it.
        if (fingers.size > 1) return;
        button.classList.add("held");
        if (!hint) {
            _TalvoxTouchControl(index, 1);
            return;
        }
        button.classList.add("arming");
        clearTimeout(arming);
        arming = setTimeout(function() {
            arming = 0;
            button.classList.remove("arming");
            _TalvoxTouchControl(index, 1);
            _TalvoxTouchControl(index, 0);
        }, 500);
    };
    button.onpointerup = button.onpointercancel = button.onlostpointercapture = function(event) {
        event.preventDefault();
        if (!fingers.delete(event.pointerId) || fingers.size > 0) return;
        button.classList.remove("held", "arming");
        if (!hint) {
            _TalvoxTouchControl(index, 0);
        } else if (arming) {
            clearTimeout(arming);
            arming = 0;
            if (window.talvoxSay) window.talvoxSay(hint, 5000);
        }
    };
    const keep = function(event) { event.preventDefault(); };
    button.onmousedown = button.oncontextmenu = keep;
    button.ontouchstart = keep;
});

// clang-format on

// ---------------------------------------------------------------------------
// Key translation

// Our key code for a browser key event, 0 when the program has none for it.
// Letters and digits follow the layout's key labels, as on the desktop; the
// other keys go by position.
static int32_t KeyCodeOf(const EmscriptenKeyboardEvent* event) {
    const char* key = event->key;
    if (key[0] && !key[1]) {
        const char c = key[0];
        if (c >= 'a' && c <= 'z') return KeyLetterA + (c - 'a');
        if (c >= 'A' && c <= 'Z') return KeyLetterA + (c - 'A');
    }
    const char* code = event->code;
    if (std::strncmp(code, "Digit", 5) == 0 && code[5] >= '0' && code[5] <= '9' && !code[6])
        return KeyDigit0 + (code[5] - '0');
    if (std::strncmp(code, "Key", 3) == 0 && code[3] >= 'A' && code[3] <= 'Z' && !code[4])
        return KeyLetterA + (code[3] - 'A');
    if (code[0] == 'F' && code[1] >= '1' && code[1] <= '9') {
        const int number =
            code[2] ? (code[2] >= '0' && code[2] <= '2' && !code[3] ? 10 + (code[2] - '0') : 0) : code[1] - '0';
        if (number >= 1 && number <= 12) return KeyF1 + (number - 1);
    }
    static const struct {
        const char* code;
        int32_t key;
    } Named[] = {
        {"Escape", KeyEscape},
        {"Space", KeySpace},
        {"BracketLeft", KeyOpenBracket},
        {"BracketRight", KeyCloseBracket},
        {"ControlLeft", KeyControl},
        {"ControlRight", KeyControl},
        {"ShiftLeft", KeyShift},
        {"ShiftRight", KeyShift},
        {"AltLeft", KeyAlt},
        {"AltRight", KeyAlt},
        {"Enter", KeyEnter},
        {"Tab", KeyTab},
        {"Backspace", KeyBackspace},
        {"ArrowLeft", KeyArrowLeft},
        {"ArrowUp", KeyArrowUp},
        {"ArrowRight", KeyArrowRight},
        {"ArrowDown", KeyArrowDown},
        {"PageUp", KeyPageUp},
        {"PageDown", KeyPageDown},
        {"Home", KeyHome},
        {"Equal", KeyEquals},
        {"NumpadAdd", KeyEquals},
        {"Minus", KeyMinus},
        {"NumpadSubtract", KeyMinus},
    };
    for (const auto& named : Named)
        if (std::strcmp(code, named.code) == 0) return named.key;
    return 0;
}

// Keys: recorded and queued, and kept from the browser (F5 does not reload,
// F1 opens no help, Ctrl+S saves no page) while the canvas has the focus.
static bool TouchHoldsKey(int32_t key);

static EM_BOOL OnKey(int type, const EmscriptenKeyboardEvent* event, void*) {
    const int32_t key = KeyCodeOf(event);
    if (key == 0) return EM_FALSE;
    const bool down = type == EMSCRIPTEN_EVENT_KEYDOWN;
    keysHeld[key] = down;
    // With Alt held, and Alt itself, keys are the system's.
    const bool system = event->altKey || key == KeyAlt;
    // A key a touch control holds stays down: it goes neither down again nor up.
    if (!system && TouchHoldsKey(key)) return EM_TRUE;
    QueueWindowEvent({system ? WindowSystemKey : down ? WindowKeyDown : WindowKeyUp, key, 0, 0, false, false});
    return EM_TRUE;
}

// Our key code of a mouse button, 0 for others.
static int32_t ButtonOf(unsigned short button) {
    switch (button) {
    case 0: return KeyLeftButton;
    case 1: return KeyMiddleButton;
    case 2: return KeyRightButton;
    default: return 0;
    }
}

// A distance in CSS pixels over the canvas as canvas pixels, the window
// pixels of the program.
static int32_t InCanvasPixels(long cssPixels) {
    return static_cast<int32_t>(std::floor(static_cast<double>(cssPixels) * canvasPixelsPerCssPixel));
}

// A place over the canvas in CSS pixels as canvas pixels, within its edges:
// a button held on the canvas follows the pointer off it (it is captured),
// and the view goes no further than from the canvas's edge, as on the
// desktop, where the window hears no pointer outside it.
static int32_t OnCanvasPixels(long cssPixels, int32_t canvasPixels) {
    return std::clamp(InCanvasPixels(cssPixels), 0, std::max(canvasPixels - 1, 0));
}

static EM_BOOL OnMouse(int type, const EmscriptenMouseEvent* event, void*) {
    switch (type) {
    case EMSCRIPTEN_EVENT_MOUSEMOVE:
        if (pointerHeld) {
            if (event->movementX != 0 || event->movementY != 0)
                QueueWindowEvent({WindowPointerMotion, 0, InCanvasPixels(event->movementX),
                                  InCanvasPixels(event->movementY), false, false});
        } else {
            QueueWindowEvent({WindowMouseMove, 0, OnCanvasPixels(event->targetX, canvasWidth),
                              OnCanvasPixels(event->targetY, canvasHeight), false, false});
        }
        return EM_TRUE;
    case EMSCRIPTEN_EVENT_MOUSEDOWN:
    case EMSCRIPTEN_EVENT_MOUSEUP: {
        // A browser that refused the lock on Tab grants it on a click.
        if (type == EMSCRIPTEN_EVENT_MOUSEDOWN && pointerHeld && !pointerLocked)
            emscripten_request_pointerlock(CanvasTarget, EM_FALSE);
        const int32_t button = ButtonOf(event->button);
        if (button == 0) return EM_FALSE;
        const bool down = type == EMSCRIPTEN_EVENT_MOUSEDOWN;
        keysHeld[button] = down;
        QueueWindowEvent({down ? WindowButtonDown : WindowButtonUp, button, 0, 0, false, false});
        return EM_TRUE;
    }
    default: return EM_FALSE;
    }
}

// Whether a touch control held now holds key.
static bool TouchHoldsKey(int32_t key) {
    for (int index = 0; index < TouchControlCount; index++)
        if (touchHeld[index] && TouchControls[index].key == key) return true;
    return false;
}

// A touch control touched (down 1) or let go (0). A key's control holds its
// key as the keyboard would; the key goes down when the first of the keyboard
// and the controls holds it and up when the last lets go (a tap let go before
// a pass saw it held still acts once: input counts its press). Save, Load and
// "Finish now" ask once a touch.
extern "C" EMSCRIPTEN_KEEPALIVE void TalvoxTouchControl(int index, int down) {
    if (index < 0 || index >= TouchControlCount) return;
    const TouchControl& control = TouchControls[index];
    if (down) {
        if (touchHeld[index]) return;
        QueueWindowEvent({WindowTouched, 0, 0, 0, false, false});
        if (control.key == 0) {
            QueueWindowEvent({control.asked, 0, 0, 0, false, false});
            return;
        }
        const bool alreadyDown = keysHeld[control.key] || TouchHoldsKey(control.key);
        touchHeld[index] = true;
        if (!alreadyDown) QueueWindowEvent({WindowKeyDown, control.key, 0, 0, false, false});
        return;
    }
    if (!touchHeld[index]) return;
    touchHeld[index] = false;
    // The keyboard, or another finger on another control, may hold the same
    // key: it stays held.
    if (!keysHeld[control.key] && !TouchHoldsKey(control.key))
        QueueWindowEvent({WindowKeyUp, control.key, 0, 0, false, false});
}

// A finger on the stage (the picture or the black around it): the first
// looks, by its motion from where it
// touched (so the view does not jump), as the captured pointer does; others
// are ignored. The page neither scrolls nor zooms under it, and makes no
// mouse events of it (which would walk).
static EM_BOOL OnTouch(int type, const EmscriptenTouchEvent* event, void*) {
    for (int i = 0; i < event->numTouches; i++) {
        const EmscriptenTouchPoint& touch = event->touches[i];
        if (!touch.isChanged) continue;
        if (type == EMSCRIPTEN_EVENT_TOUCHSTART && lookingFinger < 0) {
            lookingFinger = touch.identifier;
            QueueWindowEvent({WindowTouched, 0, 0, 0, false, false});
        } else if (touch.identifier != lookingFinger) {
            continue;
        } else if (type == EMSCRIPTEN_EVENT_TOUCHMOVE) {
            const int32_t dx = InCanvasPixels(touch.targetX) - InCanvasPixels(lookingFingerX);
            const int32_t dy = InCanvasPixels(touch.targetY) - InCanvasPixels(lookingFingerY);
            if (dx != 0 || dy != 0) QueueWindowEvent({WindowTouchLook, 0, dx, dy, false, false});
        } else {
            lookingFinger = -1;
            continue;
        }
        lookingFingerX = touch.targetX;
        lookingFingerY = touch.targetY;
    }
    return EM_TRUE;
}

// The window's state as an activation event.
static WindowEvent ActivationEvent() { return {WindowActivate, 0, 0, 0, pageHidden, canvasFocused && !pageHidden}; }

static EM_BOOL OnFocus(int type, const EmscriptenFocusEvent*, void*) {
    canvasFocused = type == EMSCRIPTEN_EVENT_FOCUS;
    // Keys let go while the canvas had no focus are not seen: none is held.
    if (!canvasFocused) std::fill(std::begin(keysHeld), std::end(keysHeld), false);
    QueueWindowEvent(ActivationEvent());
    return EM_FALSE;
}

static EM_BOOL OnVisibility(int, const EmscriptenVisibilityChangeEvent* event, void*) {
    pageHidden = event->hidden;
    QueueWindowEvent(ActivationEvent());
    return EM_FALSE;
}

// The browser gives the pointer back on its own (Esc, a lost focus): the
// program hears it as the focus leaving and coming back, which releases its
// capture as on the desktop.
static EM_BOOL OnPointerLock(int, const EmscriptenPointerlockChangeEvent* event, void*) {
    const bool wasLocked = pointerLocked;
    pointerLocked = event->isActive;
    // A lock that comes after the program let the pointer go (the browser
    // tells of it late) is given back at once.
    if (pointerLocked && !pointerHeld) {
        emscripten_exit_pointerlock();
        return EM_FALSE;
    }
    if (pointerLocked || !wasLocked || !pointerHeld) return EM_FALSE;
    pointerHeld = false;
    QueueWindowEvent({WindowActivate, 0, 0, 0, false, false});
    QueueWindowEvent(ActivationEvent());
    return EM_FALSE;
}

// The browser ends fullscreen on its own (Esc): the program hears F11, which
// asks for the window back, as it would to leave fullscreen itself.
static EM_BOOL OnFullscreen(int, const EmscriptenFullscreenChangeEvent* event, void*) {
    if (event->isFullscreen || !displayCovered) return EM_FALSE;
    displayCovered = false;
    QueueWindowEvent({WindowKeyDown, KeyF11, 0, 0, false, false});
    QueueWindowEvent({WindowKeyUp, KeyF11, 0, 0, false, false});
    return EM_FALSE;
}

// Sets (or with nullptr removes) the stage's touch callback. The stage
// outlives the canvas and the program, so that a window opened again, or a
// program started again, would otherwise hear each touch once more.
static void ListenToStage(em_touch_callback_func callback) {
    emscripten_set_touchstart_callback(StageTarget, nullptr, EM_FALSE, callback);
    emscripten_set_touchmove_callback(StageTarget, nullptr, EM_FALSE, callback);
    emscripten_set_touchend_callback(StageTarget, nullptr, EM_FALSE, callback);
    emscripten_set_touchcancel_callback(StageTarget, nullptr, EM_FALSE, callback);
}

static void ListenToCanvas() {
    emscripten_set_keydown_callback(CanvasTarget, nullptr, EM_FALSE, OnKey);
    emscripten_set_keyup_callback(CanvasTarget, nullptr, EM_FALSE, OnKey);
    emscripten_set_mousemove_callback(CanvasTarget, nullptr, EM_FALSE, OnMouse);
    emscripten_set_mousedown_callback(CanvasTarget, nullptr, EM_FALSE, OnMouse);
    emscripten_set_mouseup_callback(CanvasTarget, nullptr, EM_FALSE, OnMouse);
    ListenToStage(nullptr);
    ListenToStage(OnTouch);
    for (int index = 0; index < TouchControlCount; index++) ListenToTouchControl(TouchControls[index].id, index);
    ShowTouchControlsOnTouch();
    emscripten_set_focus_callback(CanvasTarget, nullptr, EM_FALSE, OnFocus);
    emscripten_set_blur_callback(CanvasTarget, nullptr, EM_FALSE, OnFocus);
    emscripten_set_visibilitychange_callback(nullptr, EM_FALSE, OnVisibility);
    emscripten_set_pointerlockchange_callback(EMSCRIPTEN_EVENT_TARGET_DOCUMENT, nullptr, EM_FALSE, OnPointerLock);
    emscripten_set_fullscreenchange_callback(EMSCRIPTEN_EVENT_TARGET_DOCUMENT, nullptr, EM_FALSE, OnFullscreen);
}

// ---------------------------------------------------------------------------
// Window and context

// Fits the canvas (FitCanvas) and, when its pixels changed, tells the
// program the area it now has.
static void RefitCanvas() {
    const int packed = FitCanvas(askedWidth, askedHeight, displayCovered ? 1 : 0);
    canvasPixelsPerCssPixel = CanvasPixelsPerCssPixel();
    const int32_t width = packed / 65536, height = packed % 65536;
    if (width == canvasWidth && height == canvasHeight) return;
    canvasWidth = width;
    canvasHeight = height;
    QueueWindowEvent({WindowAreaGiven, 0, width, height, false, false});
}

bool PlatformOpenWindow(const char* title, int32_t width, int32_t height, int32_t) {
    MakeFreshCanvas(title);
    askedWidth = width;
    askedHeight = height;
    canvasWidth = canvasHeight = 0;
    RefitCanvas();
    EmscriptenWebGLContextAttributes attributes;
    emscripten_webgl_init_context_attributes(&attributes);
    attributes.alpha = EM_FALSE;
    attributes.depth = EM_TRUE;
    attributes.stencil = EM_FALSE;
    attributes.antialias = EM_FALSE;
    attributes.premultipliedAlpha = EM_FALSE;
    // Every presentation covers the whole canvas (the bar between swaps
    // during a save too), and nothing reads the canvas back after a swap: a
    // drawing buffer the browser may hand over instead of copying each frame.
    attributes.preserveDrawingBuffer = EM_FALSE;
    attributes.majorVersion = 1;
    attributes.minorVersion = 0;
    webContext = emscripten_webgl_create_context(CanvasTarget, &attributes);
    if (webContext <= 0 || emscripten_webgl_make_context_current(webContext) != EMSCRIPTEN_RESULT_SUCCESS) {
        // The program ends without a word, as when a window cannot be made;
        // a page's user needs to know why the picture stays black.
        SayOnPage(
            "This browser gives the page no WebGL, so the explorer cannot draw. Turn on WebGL (or the "
            "browser's hardware acceleration), or try another browser.");
        std::fprintf(stderr, "talvox: no WebGL context for the canvas\n");
        PlatformCloseWindow();
        return false;
    }
    ListenToCanvas();
    canvasFocused = true;
    pageHidden = false;
    QueueWindowEvent(ActivationEvent());
    return true;
}

void* PlatformGlFunction(const char* name) { return Gl11Function(name); }

void PlatformCloseWindow() {
    PlatformCapturePointer(false);
    pointerLocked = false;
    if (webContext > 0) {
        Gl11ForgetContext();
        emscripten_webgl_make_context_current(0);
        emscripten_webgl_destroy_context(webContext);
    }
    webContext = 0;
    ListenToStage(nullptr);
    displayCovered = false;
    std::fill(std::begin(keysHeld), std::end(keysHeld), false);
    std::fill(std::begin(touchHeld), std::end(touchHeld), false);
    lookingFinger = -1;
}

// ---------------------------------------------------------------------------
// Messages and polled state

// The browser runs the page's event handlers, which queue what they hear,
// whenever the program hands it the control: at each swap and each sleep.
void PumpPlatformEvents() {}

bool PlatformKeyHeld(int32_t virtualKey) {
    if (!canvasFocused || virtualKey < 0 || virtualKey >= 256) return false;
    return keysHeld[virtualKey] || TouchHoldsKey(virtualKey);
}

void PlatformReadPad(PadState* pad) {
    *pad = {};
    float values[4 + PadButtonCount] = {};
    if (!canvasFocused || pageHidden || !ReadGamepad(values)) return;
    pad->connected = true;
    pad->leftX = values[0];
    pad->leftY = values[1];
    pad->rightX = values[2];
    pad->rightY = values[3];
    for (int button = 0; button < PadButtonCount; button++) pad->buttons[button] = values[4 + button] != 0.0f;
}

void PlatformSwapBuffers() {
    if (webContext <= 0) return;
    WaitForAnimationFrame();
    // The page may have changed meanwhile: the window's size, the browser's
    // zoom, another screen, fullscreen granted.
    RefitCanvas();
}

// Browsers draw their animation frames at the display's rate; 60 where it
// cannot be read, and the loop judges from the swaps whether they wait.
int32_t PlatformRefreshRate() { return 60; }

// A page has no screen position to give or move to: the canvas's corner is
// the origin, and M keeps the canvas where the page has it.
void PlatformCursorPosition(int32_t* x, int32_t* y) {
    *x = 0;
    *y = 0;
}

void PlatformMoveWindow(int32_t, int32_t, int32_t, int32_t) {}

bool PlatformCoverDisplay(int32_t* width, int32_t* height) {
    // The picture stays as it is until the browser has made the canvas
    // fullscreen; the next swaps then size it from the element itself.
    if (webContext <= 0) return false;
    AskForFullscreen();
    displayCovered = true;
    *width = canvasWidth;
    *height = canvasHeight;
    return true;
}

void PlatformShowCursor() {}

void PlatformRepeatNotice(const char* text, int32_t milliseconds, bool mapUnderWay) {
    RepeatNoticeOnPage(text, milliseconds, mapUnderWay ? 1 : 0);
}

// A page has no window of its own to move.
bool PlatformMovesWindow() { return false; }

void PlatformShowMapControls(bool shown) { ShowMapControlsOnPage(shown ? 1 : 0); }

bool PlatformCapturePointer(bool captured) {
    if (webContext <= 0) return false;
    if (captured == pointerHeld) return pointerHeld;
    // The browser locks the pointer in answer to the user only: the request
    // waits for the next event the page hears, and where that is refused, for
    // a click (OnMouse). Until then the pointer's moves over the canvas turn
    // the view all the same.
    pointerHeld = captured;
    // Letting go also drops a request still waiting, and a lock whose news
    // has not come yet.
    if (captured) emscripten_request_pointerlock(CanvasTarget, EM_TRUE);
    else emscripten_exit_pointerlock();
    return pointerHeld;
}
