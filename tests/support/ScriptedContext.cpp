// The real half of the scripted platform: a hidden SDL2 window with a
// double-buffered compatibility GL context, for the tests and benchmarks that
// draw. Kept apart so that programs without a display link the rest. Built
// against our OpenGL 1.1 layer (TALVOX_GL11_LAYER), the context is OpenGL ES
// 2.0 and the layer answers for the framebuffer-object functions.
#include <SDL.h>

#include "tests/support/ScriptedPlatform.h"
#ifdef TALVOX_GL11_LAYER
#include "gl11/GL11.h"
#endif

static SDL_Window* glWindow = nullptr;
static SDL_GLContext glContext = nullptr;

static void CloseRealContext() {
    if (glContext) {
        SDL_GL_MakeCurrent(glWindow, nullptr);
        SDL_GL_DeleteContext(glContext);
        glContext = nullptr;
#ifdef TALVOX_GL11_LAYER
        Gl11ForgetContext();
#endif
    }
    if (glWindow) {
        SDL_DestroyWindow(glWindow);
        glWindow = nullptr;
    }
}

static bool OpenRealContext(const char* title, int32_t width, int32_t height) {
    if (!SDL_WasInit(SDL_INIT_VIDEO) && SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) return false;
    SDL_GL_ResetAttributes();
#ifdef TALVOX_GL11_LAYER
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_ES);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 2);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 0);
#else
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
#endif
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 16);
    glWindow = SDL_CreateWindow(title, 0, 0, width, height, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
    if (!glWindow) return false;
    glContext = SDL_GL_CreateContext(glWindow);
    return glContext && SDL_GL_MakeCurrent(glWindow, glContext) == 0;
}

static void SwapRealContext() {
    if (glWindow) SDL_GL_SwapWindow(glWindow);
}

#ifdef TALVOX_GL11_LAYER
static void* FindRealFunction(const char* name) { return glContext ? Gl11Function(name) : nullptr; }
#else
static void* FindRealFunction(const char* name) { return glContext ? SDL_GL_GetProcAddress(name) : nullptr; }
#endif

void UseRealContext() { scriptedContext = {OpenRealContext, SwapRealContext, CloseRealContext, FindRealFunction}; }
