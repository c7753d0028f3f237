// The 3D pass's own 320 x 240 target: an off-screen framebuffer with the
// window's colour and depth precision, where the GL offers framebuffer
// objects. Drawing there costs the same at every window scale; at the larger
// scales the back buffer's corner is slower to clear. Where there is none, the
// pass draws into the back buffer's bottom-left corner and reads it from there.
#pragma once

// Looks up a GL function of the current context by name; null when it has none.
using GlFunctionLookup = void* (*)(const char* name);

// Whether the 3D pass draws into the off-screen target (false: the back buffer).
extern bool pictureTargetOpen;

// Right after the context is made current: makes the target if the GL has
// framebuffer objects and one can match the window's 8-bit colour and its
// depth bits. Returns whether it did; the back buffer serves otherwise.
bool OpenPictureTarget(GlFunctionLookup lookup);
// Before the context goes: deletes the target and forgets the functions.
void ClosePictureTarget();
// Sends drawing and read-back to the target (no change without one).
void BindPictureTarget();
// Sends them back to the window, for presentation.
void ReleasePictureTarget();
