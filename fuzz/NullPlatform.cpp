// The null platform: every call of the platform seam does nothing, so that
// the loaders and the frame code run in a plain process without a window.
// GL calls then reach no context and are dropped by the GL library.
#include "app/Platform.h"
#include "fuzz/NullPlatform.h"
#include "sys/Time.h"

bool nullKeys[256] = {};

bool PlatformOpenWindow(const char*, int32_t, int32_t, int32_t) { return true; }
void PlatformCloseWindow() {}
PlatformMessageKind PlatformTakeMessage(uintptr_t* wParam) {
    *wParam = 0;
    return PlatformNoMessage;
}
void PlatformPostQuit(int32_t) {}
bool PlatformKeyHeld(int32_t virtualKey) { return virtualKey >= 0 && virtualKey < 256 && nullKeys[virtualKey]; }
void PlatformSwapBuffers() {}
void PlatformSleep(int32_t) {}
void PlatformCursorPosition(int32_t* x, int32_t* y) { *x = *y = 0; }
void PlatformMoveWindow(int32_t, int32_t, int32_t, int32_t) {}
void PlatformShowCursor() {}
double PlatformMilliseconds() { return 0.0; }
