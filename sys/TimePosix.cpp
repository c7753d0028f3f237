// The clock on POSIX systems: CLOCK_MONOTONIC and nanosleep, resumed after a
// signal so that a pause always lasts its full length.
#include "sys/Time.h"

#include <cerrno>
#include <ctime>

void SysSleep(int32_t milliseconds) {
    if (milliseconds <= 0) return;
    timespec left = {milliseconds / 1000, static_cast<long>(milliseconds % 1000) * 1000000L};
    while (nanosleep(&left, &left) != 0 && errno == EINTR) {
    }
}

double SysMilliseconds() {
    timespec now = {0, 0};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<double>(now.tv_sec) * 1000.0 + static_cast<double>(now.tv_nsec) / 1000000.0;
}
