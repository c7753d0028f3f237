// The entry point where SDL2 is the platform. SIGINT and SIGTERM arrive as
// close requests, so they end the program as closing the window does.
#include <SDL.h>

#include "app/Platform.h"

int main(int, char**) {
    const int exitCode = RunExplorer();
    SDL_Quit();
    return exitCode;
}
