// The null platform: the platform seam with no window, no clock and no
// pauses, for the fuzz programs. Keys are held only when a fuzz program says so.
#pragma once

// Keys and mouse buttons the fuzz program holds, by virtual-key code.
extern bool nullKeys[256];
