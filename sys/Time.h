// The clock half of the system layer: a monotonic clock and a sleep. One
// backend file per platform (POSIX, Win32) is chosen by the build for the
// program; the tests' stand-in platform scripts both.
#pragma once
#include <cstdint>

// Called for the pauses after keys and the teleport, and to pace the main
// loop: blocks the calling thread for about milliseconds.
void SysSleep(int32_t milliseconds);
// Milliseconds from an arbitrary start, never going back.
double SysMilliseconds();
