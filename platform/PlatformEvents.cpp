// The window events the backend has translated, oldest first, until the main
// loop takes them; and the map pauses' wait, which keeps taking the system's
// events into that queue so that the window answers the desktop, and ends
// early on a stop key held or waiting there as pressed, or on the page's
// "Finish now" waiting there.
#include "platform/PlatformEvents.h"

#include <algorithm>
#include <cmath>
#include <deque>

#include "app/KeyCodes.h"
#include "sys/Time.h"

static std::deque<WindowEvent> pendingEvents;
int32_t answerEveryMilliseconds = 40;

void QueueWindowEvent(const WindowEvent& event) { pendingEvents.push_back(event); }

bool PlatformTakeEvent(WindowEvent* event) {
    if (pendingEvents.empty()) PumpPlatformEvents();
    if (pendingEvents.empty()) return false;
    *event = pendingEvents.front();
    pendingEvents.pop_front();
    return true;
}

// Whether a press of the key waits in the queue: a tap, down and up between
// two looks, is found there.
static bool KeyDownQueued(int32_t key) {
    return std::any_of(pendingEvents.begin(), pendingEvents.end(),
                       [key](const WindowEvent& event) { return event.kind == WindowKeyDown && event.key == key; });
}

bool PlatformFinishAsked() {
    PumpPlatformEvents();
    return std::any_of(pendingEvents.begin(), pendingEvents.end(),
                       [](const WindowEvent& event) { return event.kind == WindowFinishAsked; });
}

bool PlatformWaitAnswering(int32_t milliseconds, int32_t stopKey) {
    const double end = SysMilliseconds() + milliseconds;
    for (;;) {
        PumpPlatformEvents();
        if (stopKey != 0 && (PlatformKeyHeld(stopKey) || KeyDownQueued(stopKey) || PlatformFinishAsked())) return true;
        const double left = end - SysMilliseconds();
        if (left <= 0.0) return false;
        SysSleep(std::min(answerEveryMilliseconds, static_cast<int32_t>(std::ceil(left))));
    }
}
