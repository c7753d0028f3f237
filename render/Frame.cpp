// The frame pipeline: clear, mouse-look, lights, camera, the cube of cells
// around the player, movement, read-back, composite over the backdrop, HUD.
// The 3D image always fills the bottom-left 320 x 240 pixels of the back
// buffer; the window scale only matters when the picture is presented.
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

void UpdateViewAngles() {
    if (!(IsKeyHeld(KeyLeftButton) || IsKeyHeld(KeyMiddleButton) || IsKeyHeld(KeyRightButton))) return;
    if (screenScale == 0) return;
    // Window pixels to 320 x 240 units, truncating.
    int32_t q = mouseX / screenScale;
    int32_t r = mouseY / screenScale;
    yaw = static_cast<float>(q) * 2.0f + 180.0f - 160.0f;
    pitch = static_cast<float>(r) + 90.0f - 120.0f;
}

void ApplyCamera() {
    glRotatef(pitch, 1.0f, 0.0f, 0.0f);
    glRotatef(180.0f - yaw, 0.0f, 0.0f, 1.0f);
    glTranslatef(px - 0.5f, py - 0.5f, pz - 0.5f);
}

// Whether all six neighbours of (x, y, z) lie inside the volume.
static bool IsInnerCell(int32_t x, int32_t y, int32_t z) {
    return x > 0 && x < worldSide - 1 && y > 0 && y < worldSide - 1 && z > 0 && z < worldLevels - 1;
}

// Whether the view cube around the player holds a cell that is drawn.
static bool CubeHasInnerCell() {
    const int32_t radius = viewRadius;
    auto overlaps = [radius](int32_t centre, int32_t side) {
        return centre - radius <= side - 2 && centre + radius - 1 >= 1;
    };
    return radius > 0 && overlaps(SX, worldSide) && overlaps(SY, worldSide) && overlaps(SZ, worldLevels);
}

void DrawVisibleCells() {
    // The lantern and the keys act once per frame, before the first cell is
    // drawn; a teleport therefore moves the whole frame to the new place.
    if (CubeHasInnerCell()) UpdateLanternAndKeys();
    const int32_t radius = viewRadius;
    const int32_t lowX = SX - radius, highX = SX + radius - 1;
    const int32_t lowY = SY - radius, highY = SY + radius - 1;
    const int32_t lowZ = SZ - radius, highZ = SZ + radius - 1;
    for (int32_t z = lowZ; z <= highZ; z++) {
        for (int32_t y = lowY; y <= highY; y++) {
            for (int32_t x = lowX; x <= highX; x++) {
                glPushMatrix();
                glTranslatef(static_cast<float>(x - SX), static_cast<float>(y - SY), static_cast<float>(z - SZ));
                if (IsInnerCell(x, y, z)) {
                    DrawCell(x, y, z);
                    const uint8_t flag = FlagMap[CellIndex(x, y, z)];
                    if (flag == FlagCube)
                        DrawObject(3);
                    else if (flag == FlagActor)
                        DrawObject(5);
                }
                glPopMatrix();
            }
        }
    }
}

int32_t RenderFrame() {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    frameCounter += 1;
    glLoadIdentity();
    glViewport(0, 0, ScreenWidth, ScreenHeight);
    RestoreBackdrop();
    UpdateViewAngles();
    SelectActiveLights();
    ApplyCamera();
    DrawVisibleCells();
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
