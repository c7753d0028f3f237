// Frame benchmark: the 3D pass plus read-back, and the whole frame, in the
// generated mode-0 world from an open place, at several view radii. Prints
// the median of many frames. Needs a display (run it under xvfb-run from the
// build folder's bench/ directory, so that ../run/bmp_cube is found).
// Usage: FrameBench [name]  (optionally writes name-<yaw>.ppm, four views)
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "app/Window.h"
#include "render/Blocks.h"
#include "render/Frame.h"
#include "render/Textures.h"
#include "screen/OpenGL.h"
#include "screen/Screen.h"
#include "tests/support/ScriptedPlatform.h"
#include "tests/support/TestState.h"
#include "world/Generation.h"
#include "world/WorldState.h"

static double NowMilliseconds() {
    using namespace std::chrono;
    return duration<double, std::milli>(steady_clock::now().time_since_epoch()).count();
}

static double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2.0;
}

// The 3D part of a frame and its read-back, as the frame does them.
static void DrawAndReadBack() {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    frameCounter += 1;
    glLoadIdentity();
    glViewport(0, 0, ScreenWidth, ScreenHeight);
    SelectActiveLights();
    ApplyCamera();
    DrawVisibleCells();
    glLoadIdentity();
    ReadBackScene();
}

// The empty cell near the middle of the world with the most open cells
// around it.
static void MoveToOpenPlace() {
    int32_t best = -1;
    for (int32_t z = 100; z < 156; z += 2)
        for (int32_t y = 100; y < 156; y += 2)
            for (int32_t x = 100; x < 156; x += 2) {
                if (DungeonMap[CellIndex(x, y, z)] != CellEmpty) continue;
                int32_t open = 0;
                for (int32_t dz = -3; dz <= 3; dz++)
                    for (int32_t dy = -3; dy <= 3; dy++)
                        for (int32_t dx = -3; dx <= 3; dx++) open += DungeonMap[CellIndex(x + dx, y + dy, z + dz)] == 0;
                if (open > best) {
                    best = open;
                    SX = x;
                    SY = y;
                    SZ = z;
                }
            }
    std::printf("open place: %d,%d,%d with %d of 343 cells around it open\n", SX, SY, SZ, best);
}

static void WritePicture(const char* path) {
    std::FILE* file = std::fopen(path, "wb");
    if (!file) return;
    std::fprintf(file, "P6\n%d %d\n255\n", ScreenWidth, ScreenHeight);
    for (int y = ScreenHeight - 1; y >= 0; y--)
        for (int x = 0; x < ScreenWidth; x++) std::fwrite(ScreenPixels + (y * ScreenWidth + x) * 4, 1, 3, file);
    std::fclose(file);
}

int main(int argc, char** argv) {
    ResetProgramState();
    for (int slot = 0; slot < TextureSlots; slot++) {
        std::string path = std::string("../run/") + TextureFiles[slot];
        if (!LoadTextureFile(path.c_str(), slot)) std::printf("warning: %s not loaded\n", path.c_str());
    }
    scriptedRealGL = true;
    screenScale = 3;
    if (!OpenRenderWindow("bench", 960, 720, 24)) {
        std::printf("no GL context (is there a display?)\n");
        return 1;
    }
    RegenerateWorld(0);
    MoveToOpenPlace();
    ScatterLights();
    yaw = 340.0f;
    pitch = 90.0f;

    struct Run {
        int32_t radius;
        int frames;
    };
    for (Run run : {Run{12, 40}, Run{30, 8}, Run{60, 3}}) {
        viewRadius = run.radius;
        RenderFrame();  // settles the lantern
        std::vector<double> pass, whole;
        for (int i = 0; i < run.frames; i++) {
            double start = NowMilliseconds();
            DrawAndReadBack();
            pass.push_back(NowMilliseconds() - start);
            start = NowMilliseconds();
            RenderFrame();
            whole.push_back(NowMilliseconds() - start);
        }
        std::printf("radius %2d: 3D pass + read-back median %8.2f ms, whole frame median %8.2f ms (%d frames, %lld cells)\n",
                    run.radius, Median(pass), Median(whole), run.frames,
                    8LL * run.radius * run.radius * run.radius);
    }
    if (argc > 1) {
        viewRadius = 12;
        for (float look : {340.0f, 70.0f, 160.0f, 250.0f}) {
            yaw = look;
            RenderFrame();
            WritePicture((std::string(argv[1]) + "-" + std::to_string(static_cast<int>(look)) + ".ppm").c_str());
        }
    }
    CloseRenderWindow();
    return 0;
}
