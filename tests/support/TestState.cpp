// The reset of the program's global state between tests, and the map line
// read from the picture.
#include "tests/support/TestState.h"

#include <cstring>

#include "app/Explorer.h"
#include "app/Help.h"
#include "app/Input.h"
#include "app/Maps.h"
#include "app/Notices.h"
#include "app/Screenshots.h"
#include "app/Window.h"
#include "render/Automap.h"
#include "render/Bitmaps.h"
#include "render/Blocks.h"
#include "render/Hud.h"
#include "render/Textures.h"
#include "screen/Font.h"
#include "screen/Screen.h"
#include "sys/DataFolders.h"
#include "sys/Random.h"
#include "sys/Worker.h"
#include "tests/support/ScriptedPlatform.h"
#include "world/Player.h"
#include "world/WorldState.h"

void ResetProgramState() {
    ResetScriptedPlatform();
    windowActive = 1;
    wallTexture = 1;
    screenScale = 3;
    worldSide = 256;
    worldLevels = 256;
    layerSize = worldSide * worldSide;
    textureCapacity = 100;
    actorTries = 10000;
    lightCapacity = 1024;
    maxActiveLights = 24;
    SX = SY = SZ = 100;
    viewRadius = 12;
    px = py = pz = 0.5f;
    frameCounter = 0;
    std::memset(activeLights, 0, sizeof activeLights);
    activeLightCount = 0;
    yaw = pitch = 0.0f;
    ForgetKeys();
    picturePlacement = {};
    displayCovered = false;
    screenshotDue = false;
    helpShown = false;
    mapEscapePressed = false;
    hudShown = true;
    automapShown = cornerMapShown = false;
    automapZoom = 2;
    automapFollowsPlayer = true;
    automapLevel = 0;
    hudKeyLinesShown = true;
    displayRefreshRate = 60;
    quitPosted = false;
    touchUsed = false;
    quitCode = 0;
    pacedPassEnd = -1.0e9;
    ForgetSwapPace();
    mouseX = mouseY = 0;
    pointerCaptured = lookWaitsForMove = false;
    ForgetPad();
    pointerMotionX = pointerMotionY = releasedMouseX = releasedMouseY = 0;
    clearColourKey[0] = 255;
    clearColourKey[1] = 0;
    clearColourKey[2] = 229;
    std::memset(TextLine, 0, sizeof TextLine);
    ClearNotices();
    dataFolder[0] = saveFolder[0] = 0;
    saveFolderIsUsersOwn = false;
    SeedRandom(1);
    workerThreadRefused = false;

    AllocateTextureImages();
    AllocateVolumes();
    AllocateLights();
    ClearLights();
    std::memset(DungeonMap, CellSolid, static_cast<size_t>(VolumeCells()));
    std::memset(FlagMap, FlagNone, static_cast<size_t>(VolumeCells()));
    ForgetSeenCells();
    if (!ScreenPixels) PrepareScreenBuffers();
    MarkVolumesChanged();
}

int YellowPixelsOnMapLine(int firstColumn, int endColumn) {
    int count = 0;
    for (int y = 88; y <= 99; y++)
        for (int x = firstColumn; x < endColumn; x++) {
            const uint8_t* p = ScreenPixels + (y * ScreenWidth + x) * 4;
            if (p[0] == 255 && p[1] == 255 && p[2] == 0) count++;
        }
    return count;
}
