// The entry point on Windows: a program of the Windows subsystem, no console.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include "app/Platform.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) { return RunExplorer(); }
