// Fuzzes the map loader on a small world (8 x 8 x 8 cells, so a whole map is
// 1,022 bytes): every input is written as map/0.map in a scratch folder and
// loaded. A map of at least two volumes' worth of bytes must arrive as its
// first N - 1 bytes per volume with the last cells untouched; anything
// shorter must change nothing. The loaded world, whatever its cell values,
// is then walked and drawn for a few frames from a place and with keys
// chosen by the input's last bytes: the player's offsets must stay in 0..1.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "app/Frames.h"
#include "app/Input.h"
#include "app/KeyCodes.h"
#include "app/Maps.h"
#include "app/Window.h"
#include "render/Bitmaps.h"
#include "render/Textures.h"
#include "screen/Screen.h"
#include "tests/support/ScriptedPlatform.h"
#include "tests/support/TestFiles.h"
#include "world/Generation.h"
#include "world/MapFile.h"
#include "world/WorldState.h"

static constexpr int32_t FuzzSide = 8;
// The pattern the volumes hold before each load.
static constexpr int FuzzSalt = 3;

static void Broken(const char* what) {
    std::fprintf(stderr, "fuzz_map: %s\n", what);
    std::abort();
}

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // The sizes are read when the volumes are allocated and by every
    // transfer; set them before anything is made.
    worldSide = FuzzSide;
    worldLevels = FuzzSide;
    layerSize = worldSide * worldSide;
    AllocateTextureImages();
    AllocateVolumes();
    AllocateLights();
    PrepareScreenBuffers();
    // No context draws anything here: the read-back stays the clear colour.
    for (int i = 0; i < ScreenPixelCount; i++) std::memcpy(ReadbackPixels + i * 4, clearColourKey, 3);
    if (!EnterScratchFolder("talvox-fuzz-map")) Broken("cannot make a scratch folder");
    std::atexit(LeaveScratchFolder);
    return 0;
}

// Walks and draws a few frames in the loaded world from the place and with
// the keys that controls (up to 8 bytes) choose.
static void WalkTheLoadedWorld(const uint8_t* controls, size_t count) {
    uint8_t c[8] = {};
    std::memcpy(c, controls, count < 8 ? count : 8);
    // Cells in and just around the volume.
    SX = c[0] % (FuzzSide + 6) - 3;
    SY = c[1] % (FuzzSide + 6) - 3;
    SZ = c[2] % (FuzzSide + 6) - 3;
    px = static_cast<float>(c[3] % 11) / 10.0f;
    py = static_cast<float>(c[3] / 11 % 11) / 10.0f;
    pz = static_cast<float>(c[4] % 11) / 10.0f;
    viewRadius = 1 + c[4] / 11 % 10;
    mouseX = c[5] * 37;
    mouseY = c[6] * 29;
    scriptedKeys[KeyLeftButton] = (c[7] & 1) != 0;
    scriptedKeys[static_cast<int>('Z')] = (c[7] & 2) != 0;
    scriptedKeys[static_cast<int>('T')] = (c[7] & 4) != 0;
    scriptedKeys['3' + (c[7] >> 5) % 6] = (c[7] & 8) != 0;
    if (c[7] & 16) ScatterLights();
    wallTexture = c[5] % 5;
    for (int frame = 0; frame < 4; frame++) {
        RunFrame();
        for (float offset : {px, py, pz})
            if (!std::isfinite(offset) || offset < 0.0f || offset > 1.0f) Broken("an offset left 0..1");
    }
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // No keys held, nothing recorded from the input before.
    ResetScriptedPlatform();
    const int32_t cells = VolumeCells();
    FillVolumesWithPattern(FuzzSalt);
    if (!WriteFileBytes("map/0.map", std::vector<uint8_t>(data, data + size))) Broken("cannot write the map");

    frameCounter = 0;
    LoadMap(0);

    const size_t volumeBytes = static_cast<size_t>(cells - 1);
    const bool whole = size >= 2 * volumeBytes;
    for (int32_t i = 0; i < cells; i++) {
        const bool fromFile = whole && static_cast<size_t>(i) < volumeBytes;
        const uint8_t dungeon = fromFile ? data[i] : PatternDungeonByte(i, FuzzSalt);
        const uint8_t flag = fromFile ? data[volumeBytes + static_cast<size_t>(i)] : PatternFlagByte(i, FuzzSalt);
        if (DungeonMap[i] != dungeon) Broken(whole ? "a loaded dungeon cell is wrong" : "a short map changed a cell");
        if (FlagMap[i] != flag) Broken(whole ? "a loaded flag cell is wrong" : "a short map changed a flag");
    }
    // A whole map takes a frame per chunk, one more, and the frame of its
    // "Map loaded" line; a short one shows its failure over one frame.
    if (frameCounter != (whole ? 4 : 1)) Broken("unexpected number of frames");

    const size_t controls = size < 8 ? size : 8;
    WalkTheLoadedWorld(data + size - controls, controls);
    return 0;
}
