// What the three backends share: the queue of window events they have
// translated, from which the main loop takes one at a time, and the wait
// that keeps answering the desktop. Each backend brings its own
// PumpPlatformEvents.
#pragma once
#include "app/Platform.h"

// Called whenever the program looks for events (to take one, and during a
// wait): moves whatever the system has for the window into the queue,
// translated, through QueueWindowEvent, and so answers the desktop. Each
// backend defines it.
void PumpPlatformEvents();
// Puts event at the end of the queue, after those waiting.
void QueueWindowEvent(const WindowEvent& event);
// How long a wait (PlatformWaitAnswering) sleeps between two looks at the
// system: 40 ms, often enough for the desktop to see the window answer. The
// tests' scripted backend looks once a wait, so that a pause is one sleep.
extern int32_t answerEveryMilliseconds;
