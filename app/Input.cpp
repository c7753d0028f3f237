// Key polling: the physical state, asked at the moment it is needed. The
// backend counts keys only while our window has the focus, so keys typed into
// other programs never act here.
#include "app/Input.h"

#include "app/Platform.h"

bool IsKeyHeld(int32_t virtualKey) { return PlatformKeyHeld(virtualKey); }
