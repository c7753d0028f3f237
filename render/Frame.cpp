// The frame pipeline.
#include "render/Frame.h"

#include "app/Input.h"
#include "app/KeyCodes.h"
#include "app/Window.h"
#include "render/Blocks.h"
#include "render/Hud.h"
#include "screen/OpenGL.h"
#include "screen/Screen.h"
#include "world/Movement.h"
#include "world/WorldState.h"

float yaw = 0.0f;
float pitch = 0.0f;

int32_t RenderFrame() {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    frameCounter += 1;
    glLoadIdentity();
    glViewport(0, 0, ScreenWidth, ScreenHeight);
    RestoreBackdrop();

    UpdatePlayerPosition();
    glLoadIdentity();
    ReadBackScene();
    glDisable(GL_TEXTURE_2D);
    SetPresentationZoom();
    CompositeScene();
    DrawHud();
    glEnable(GL_TEXTURE_2D);
    return 1;
}
