// The clock in a browser page: the page's monotonic clock, and a sleep that
// hands control back to the browser meanwhile (the program is built to be
// resumed after it), so the page goes on handling its events.
#include "sys/Time.h"

#include <emscripten.h>

void SysSleep(int32_t milliseconds) {
    if (milliseconds > 0) emscripten_sleep(static_cast<unsigned int>(milliseconds));
}

double SysMilliseconds() { return emscripten_get_now(); }
