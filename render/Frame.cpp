// The drawing steps of a frame: the picture begun (target, clear, backdrop),
// the camera, the question whether the view cube holds a drawn cell, and the
// picture finished (read-back, composite over the backdrop, HUD), or with the
// automap drawn in place of the 3D picture.
// The 3D image is drawn into the picture target (or, without one, the
// bottom-left 320 x 240 pixels of the back buffer); the window scale only
// matters when the picture is presented.
#include "render/Frame.h"

#include "render/Automap.h"
#include "render/Hud.h"
#include "screen/OpenGL.h"
#include "screen/PictureTarget.h"
#include "screen/Screen.h"
#include "world/Player.h"
#include "world/WorldState.h"

// Clears colour and depth where the frame draws and reads back: the 320 x 240
// picture. In the back buffer the rest is never read, and presentation
// covers the whole window before any swap shows it; clearing it would only
// cost time at the larger window scales.
static void ClearPicture() {
    glEnable(GL_SCISSOR_TEST);
    glScissor(0, 0, ScreenWidth, ScreenHeight);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glDisable(GL_SCISSOR_TEST);
}

void BeginPicture() {
    BindPictureTarget();
    ClearPicture();
    frameCounter += 1;
    glLoadIdentity();
    glViewport(0, 0, ScreenWidth, ScreenHeight);
    RestoreBackdrop();
}

void ApplyCamera() {
    glRotatef(pitch, 1.0f, 0.0f, 0.0f);
    glRotatef(180.0f - yaw, 0.0f, 0.0f, 1.0f);
    glTranslatef(px - 0.5f, py - 0.5f, pz - 0.5f);
}

bool ViewCubeHasDrawnCell() {
    const int32_t radius = viewRadius;
    // In 64 bits: the player cell may be anywhere.
    auto overlaps = [radius](int64_t centre, int64_t side) {
        return centre - radius <= side - 2 && centre + radius - 1 >= 1;
    };
    return radius > 0 && overlaps(SX, worldSide) && overlaps(SY, worldSide) && overlaps(SZ, worldLevels);
}

void FinishPicture() {
    glLoadIdentity();
    // The map takes the 3D picture's place: nothing of it is read back.
    if (!automapShown) ReadBackScene();
    ReleasePictureTarget();
    glDisable(GL_TEXTURE_2D);
    SetPresentationZoom();
    if (automapShown) {
        DrawAutomap();
    } else {
        CompositeScene();
        if (cornerMapShown) DrawCornerMap();
    }
    DrawHud();
    glEnable(GL_TEXTURE_2D);
}
