// The clock on Windows: the performance counter, and a sleep on a
// high-resolution waitable timer where there is one, else Sleep.
#define WIN32_LEAN_AND_MEAN
#define NOMINMAX
#include <windows.h>

#include "sys/Time.h"

#ifndef CREATE_WAITABLE_TIMER_HIGH_RESOLUTION
#define CREATE_WAITABLE_TIMER_HIGH_RESOLUTION 0x00000002
#endif

void SysSleep(int32_t milliseconds) {
    if (milliseconds <= 0) return;
    // Sleep ends on the system's timer tick (often 15.6 ms), too coarse for
    // pacing frames; a high-resolution timer (Windows 10 1803 and later) is
    // not. Where there is none, Sleep it is.
    static HANDLE timer =
        CreateWaitableTimerExW(nullptr, nullptr, CREATE_WAITABLE_TIMER_HIGH_RESOLUTION, TIMER_ALL_ACCESS);
    LARGE_INTEGER due;
    due.QuadPart = -static_cast<LONGLONG>(milliseconds) * 10000;  // relative, in 100 ns
    if (timer && SetWaitableTimer(timer, &due, 0, nullptr, nullptr, FALSE) &&
        WaitForSingleObject(timer, INFINITE) == WAIT_OBJECT_0)
        return;
    Sleep(static_cast<DWORD>(milliseconds));
}

double SysMilliseconds() {
    LARGE_INTEGER counter, frequency;
    QueryPerformanceCounter(&counter);
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(counter.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}
