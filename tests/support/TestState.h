// Helpers that put the program's global state back to its start-up values
// between tests.
#pragma once

// Every global of the world, shell, frame and screen back to its initial
// value; volumes, lights and screen buffers allocated (once) and the volumes
// filled solid with no flags; the scripted platform reset.
void ResetProgramState();
