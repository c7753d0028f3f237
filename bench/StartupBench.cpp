// Measures start-up as the explorer does it, up to the first presented frame:
// texture loading, the volumes, the first world, the window with a real GL
// context (hidden, under Xvfb), the screen buffers and the backdrop, one
// frame, presentation and swap. Run it from the run folder so that the
// bitmaps are found. Prints each phase in milliseconds.
#include <chrono>
#include <cstdio>

#include "app/Explorer.h"
#include "app/Frames.h"
#include "app/Platform.h"
#include "screen/Screen.h"
#include "tests/support/ScriptedPlatform.h"

static double Now() {
    using namespace std::chrono;
    return duration<double, std::milli>(steady_clock::now().time_since_epoch()).count();
}

int main() {
    UseRealContext();
    double start = Now();
    if (!StartExplorer()) {
        std::fprintf(stderr, "could not open a window (is there a display?)\n");
        return 1;
    }
    double started = Now();
    RunFrame();
    PresentScreen();
    PlatformSwapBuffers();
    double presented = Now();
    std::printf("start-up (tables, textures, world, window, backdrop): %.1f ms\n", started - start);
    std::printf("first frame with presentation and swap: %.1f ms\n", presented - started);
    std::printf("start to first presented frame: %.1f ms\n", presented - start);
    return 0;
}
