// The OpenGL 1.1 and GLU headers. On Windows they need three of the system
// headers' calling-convention macros, defined here (and taken back after) so
// that no platform header comes in. With TALVOX_GL11_LAYER (the browser
// build) the same calls come from our own layer over OpenGL ES 2.0 instead.
#pragma once
#ifdef TALVOX_GL11_LAYER
#include "gl11/GL11.h"
#else
#if defined(_WIN32) && !defined(APIENTRY)
#define APIENTRY __stdcall
#define TALVOX_DEFINED_APIENTRY
#endif
#if defined(_WIN32) && !defined(CALLBACK)
#define CALLBACK __stdcall
#define TALVOX_DEFINED_CALLBACK
#endif
#if defined(_WIN32) && !defined(WINGDIAPI)
#define WINGDIAPI __declspec(dllimport)
#define TALVOX_DEFINED_WINGDIAPI
#endif
#include <GL/gl.h>
#include <GL/glu.h>
#ifdef TALVOX_DEFINED_APIENTRY
#undef APIENTRY
#undef TALVOX_DEFINED_APIENTRY
#endif
#ifdef TALVOX_DEFINED_CALLBACK
#undef CALLBACK
#undef TALVOX_DEFINED_CALLBACK
#endif
#ifdef TALVOX_DEFINED_WINGDIAPI
#undef WINGDIAPI
#undef TALVOX_DEFINED_WINGDIAPI
#endif
#endif
