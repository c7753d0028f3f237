// Polled key and mouse-button state.
#pragma once
#include <cstdint>

// True while the key or mouse button (virtual-key code) is down.
bool IsKeyHeld(int32_t virtualKey);
