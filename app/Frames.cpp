// One frame of the shell: the keys and mouse read once into the record the
// frame acts on, the frame rendered, and the teleport's pause.
#include "app/Frames.h"

#include "app/Input.h"
#include "render/Frame.h"
#include "sys/Time.h"

void DrawFrame() {
    if (RenderFrame(ReadPlayerInput())) SysSleep(TeleportPauseMilliseconds);
}
