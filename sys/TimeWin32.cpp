// The clock on Windows: the performance counter and Sleep.
#define WIN32_LEAN_AND_MEAN
#define NOMINMAX
#include <windows.h>

#include "sys/Time.h"

void PlatformSleep(int32_t milliseconds) { Sleep(static_cast<DWORD>(milliseconds)); }

double PlatformMilliseconds() {
    LARGE_INTEGER counter, frequency;
    QueryPerformanceCounter(&counter);
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(counter.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}
