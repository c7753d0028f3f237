// The pictures of our OpenGL 1.1 layer over OpenGL ES 2.0 against the desktop
// GL's. This file is built twice: against the desktop GL, where it writes
// every case's pictures into a folder (--write), and against the layer, where
// it draws the same cases and compares (--compare). A case is a frame of the
// seeded sweep of viewpoints in both generated worlds, some with objects, in
// the frame's own target and in the back buffer, presented in a window
// (once through glDrawPixels) and in fullscreen. Per case: the 3D pass read
// back, the picture composed over the backdrop with the HUD and a notice, and
// the window after presentation. What software composes must come out the
// same byte for byte; the 3D pass may differ by rounding: at least 99.9 % of
// its pixels within 2 in every channel (99.98 % and more on llvmpipe), and at
// least 75 % identical (83 % and more on llvmpipe), which colours off by a
// fraction of a step are not. The layer draws the cases a second time with
// its vertices on SwiftShader's grid of 1/16 of a pixel, where the same
// shares hold (99.93 % within 2 on llvmpipe) unless texture coordinates are
// interpolated from the vertices. A case after the first in its context
// leaves the layer holding no more textures: presentation makes its own once.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "app/Frames.h"
#include "app/Input.h"
#include "app/Notices.h"
#include "app/Window.h"
#include "render/Bitmaps.h"
#include "screen/OpenGL.h"
#include "screen/PictureTarget.h"
#include "screen/Screen.h"
#include "tests/support/ScriptedPlatform.h"
#include "tests/support/TestState.h"
#include "tests/support/Viewpoints.h"
#include "world/Generation.h"
#include "world/WorldState.h"

namespace {

constexpr int WindowWidth = 640, WindowHeight = 480;

// Where a case's picture lands in the window: its corner and zoom.
struct Presentation {
    float left, bottom, zoom;
};

// What one case gives: the clear colour's key, the 3D pass (RGB), the
// composed picture (RGBA) and the window (RGBA), all bottom row first.
struct CasePictures {
    uint8_t key[3];
    std::vector<uint8_t> scene, picture, window;
};

std::vector<uint8_t> ReadWindow() {
    std::vector<uint8_t> window(WindowWidth * WindowHeight * 4);
    glReadPixels(0, 0, WindowWidth, WindowHeight, GL_RGBA, GL_UNSIGNED_BYTE, window.data());
    return window;
}

// Draws the frame twice (the first settles the lantern), the notice over it,
// and presents it as placed.
CasePictures DrawCase(const Presentation& where, bool throughPixelDrawing) {
    RunFrame();
    RunFrame();
    DrawNotices();
    CasePictures pictures;
    std::copy(clearColourKey, clearColourKey + 3, pictures.key);
    pictures.scene.resize(ScreenPixelCount * 3);
    for (int i = 0; i < ScreenPixelCount; i++)
        std::copy(ReadbackPixels + i * 4, ReadbackPixels + i * 4 + 3, &pictures.scene[i * 3]);
    pictures.picture.assign(ScreenPixels, ScreenPixels + ScreenPixelCount * 4);
    // A raster position between pixels leaves presentation to glDrawPixels.
    if (throughPixelDrawing) glBitmap(0, 0, 0, 0, where.left, where.bottom, nullptr);
    PresentScreen();
    if (throughPixelDrawing) glBitmap(0, 0, 0, 0, -where.left, -where.bottom, nullptr);
    pictures.window = ReadWindow();
    return pictures;
}

bool SaveCase(const std::string& path, const CasePictures& p) {
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return false;
    bool written = std::fwrite(p.key, 1, 3, file) == 3 &&
                   std::fwrite(p.scene.data(), 1, p.scene.size(), file) == p.scene.size() &&
                   std::fwrite(p.picture.data(), 1, p.picture.size(), file) == p.picture.size() &&
                   std::fwrite(p.window.data(), 1, p.window.size(), file) == p.window.size();
    return std::fclose(file) == 0 && written;
}

bool LoadCase(const std::string& path, CasePictures& p) {
    FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return false;
    p.scene.resize(ScreenPixelCount * 3);
    p.picture.resize(ScreenPixelCount * 4);
    p.window.resize(WindowWidth * WindowHeight * 4);
    const bool read = std::fread(p.key, 1, 3, file) == 3 &&
                      std::fread(p.scene.data(), 1, p.scene.size(), file) == p.scene.size() &&
                      std::fread(p.picture.data(), 1, p.picture.size(), file) == p.picture.size() &&
                      std::fread(p.window.data(), 1, p.window.size(), file) == p.window.size();
    std::fclose(file);
    return read;
}

// ---------------------------------------------------------------------------
// Comparison
// ---------------------------------------------------------------------------

// Tallies of the pixels the 3D pass gave (in either picture) and of the rest.
struct Tally {
    int scenePixels = 0, identical = 0, withinTwo = 0, worst = 0;
    int softwarePixels = 0, softwareDifferences = 0;
};

void Count(Tally& tally, const uint8_t* a, const uint8_t* b, bool fromScene) {
    int worst = 0;
    for (int c = 0; c < 3; c++) worst = std::max(worst, std::abs(a[c] - b[c]));
    if (!fromScene) {
        tally.softwarePixels++;
        tally.softwareDifferences += worst != 0;
        return;
    }
    tally.scenePixels++;
    tally.identical += worst == 0;
    tally.withinTwo += worst <= 2;
    tally.worst = std::max(tally.worst, worst);
}

double Share(int part, int whole) { return whole == 0 ? 100.0 : 100.0 * part / whole; }

// Whether picture pixel i shows the 3D pass in either picture; not where
// software drew over it (the HUD and the notice) in either.
bool FromScene(const CasePictures& a, const CasePictures& b, int i) {
    bool drawn = false, drawnOver = false;
    for (const CasePictures* p : {&a, &b})
        if (!std::equal(p->key, p->key + 3, &p->scene[i * 3])) {
            drawn = true;
            drawnOver = drawnOver || !std::equal(&p->scene[i * 3], &p->scene[i * 3] + 3, &p->picture[i * 4]);
        }
    return drawn && !drawnOver;
}

// Compares and prints one case; false when it fails.
bool CompareCase(const std::string& name, const CasePictures& desktop, const CasePictures& layer,
                 const Presentation& where) {
    Tally scene, picture, window;
    for (int i = 0; i < ScreenPixelCount; i++) {
        const bool fromScene = FromScene(desktop, layer, i);
        if (fromScene) Count(scene, &desktop.scene[i * 3], &layer.scene[i * 3], true);
        Count(picture, &desktop.picture[i * 4], &layer.picture[i * 4], fromScene);
    }
    for (int y = 0; y < WindowHeight; y++)
        for (int x = 0; x < WindowWidth; x++) {
            const int px = static_cast<int>((x + 0.5f - where.left) / where.zoom + 16) - 16;
            const int py = static_cast<int>((y + 0.5f - where.bottom) / where.zoom + 16) - 16;
            const bool inside = px >= 0 && py >= 0 && px < ScreenWidth && py < ScreenHeight;
            const int w = (y * WindowWidth + x) * 4;
            Count(window, &desktop.window[w], &layer.window[w],
                  inside && FromScene(desktop, layer, py * ScreenWidth + px));
        }
    const bool keys = std::equal(desktop.key, desktop.key + 3, layer.key);
    const bool passed = keys && Share(scene.withinTwo, scene.scenePixels) >= 99.9 &&
                        Share(scene.identical, scene.scenePixels) >= 75.0 &&
                        Share(picture.withinTwo, picture.scenePixels) >= 99.9 &&
                        Share(window.withinTwo, window.scenePixels) >= 99.9 && picture.softwareDifferences == 0 &&
                        window.softwareDifferences == 0;
    std::printf(
        "%-34s 3D %6d px: %7.3f %% identical, %7.3f %% within 2, worst %3d | software %6d px, %d differ | "
        "window %7.3f %% within 2, %d software px differ%s%s\n",
        name.c_str(), scene.scenePixels, Share(scene.identical, scene.scenePixels),
        Share(scene.withinTwo, scene.scenePixels), scene.worst, picture.softwarePixels, picture.softwareDifferences,
        Share(window.withinTwo, window.scenePixels), window.softwareDifferences,
        keys ? "" : " | clear colour keys differ", passed ? "" : "  FAILED");
    return passed;
}

// ---------------------------------------------------------------------------
// The cases
// ---------------------------------------------------------------------------

struct Case {
    std::string name;
    Presentation where;
    bool throughPixelDrawing;
    bool newContext = false;  // the first case drawn in its context
};

// Draws every case in turn and hands each to take (false: stop).
template <typename Take>
bool DrawCases(Take take) {
    ResetProgramState();
    for (int slot = 0; slot < TextureSlots; slot++) {
        const std::string path = std::string(TALVOX_RUN_FOLDER "/") + TextureFiles[slot];
        if (!LoadTextureFile(path.c_str(), slot)) {
            std::fprintf(stderr, "cannot read %s\n", path.c_str());
            return false;
        }
    }
    UseRealContext();
    screenScale = 2;
    if (!OpenRenderWindow("pictures", WindowWidth, WindowHeight, 24)) {
        std::fprintf(stderr, "no GL window\n");
        return false;
    }
    ShowNotice("A NOTICE OVER EVERY PICTURE: SOFTWARE DRAWS IT", 1000000);
    const Presentation windowed = {0, 0, 2};
    bool going = true;
    std::vector<SweepView> lastViews;
    for (int32_t world = 0; world < 2 && going; world++) {
        RegenerateWorld(world);
        lastViews = MakeSweepViews(7 + world, 4, 2, 4);
        for (size_t i = 0; i < lastViews.size() && going; i++) {
            PlaceSweepViewer(lastViews[i]);
            const std::string name = "world " + std::to_string(world) + " " + SweepKindName(lastViews[i].kind) + " " +
                                     std::to_string(i) + " r" + std::to_string(lastViews[i].radius);
            going = take(Case{name, windowed, false, world == 0 && i == 0}, DrawCase(windowed, false));
        }
    }
    // The spinning cubes of objects: immediate mode under the GL's own matrices.
    for (size_t i = 0; i < 4 && going; i++) {
        DecorateAround(lastViews[i].view);
        PlaceSweepViewer(lastViews[i]);
        going = take(Case{"objects " + std::to_string(i), windowed, false}, DrawCase(windowed, false));
    }
    // A new context without framebuffer objects: the back buffer's corner.
    CloseRenderWindow();
    scriptedContext.function = nullptr;
    if (!going || !OpenRenderWindow("pictures", WindowWidth, WindowHeight, 24) || pictureTargetOpen) return false;
    for (size_t i = 0; i < 3 && going; i++) {
        PlaceSweepViewer(lastViews[i]);
        going = take(Case{"back buffer " + std::to_string(i), windowed, false, i == 0}, DrawCase(windowed, false));
    }
    // Presented through glDrawPixels from a quarter pixel up and right; then
    // fullscreen: the window blackened, the picture moved there by glBitmap.
    PlaceSweepViewer(lastViews[0]);
    const Presentation between = {0.25f, 0.25f, 2};
    if (going) going = take(Case{"glDrawPixels", between, true}, DrawCase(between, true));
    picturePlacement = {1, 160, 120, 120};
    if (going) going = take(Case{"fullscreen", {160, 120, 1}, false}, DrawCase({160, 120, 1}, false));
    CloseRenderWindow();
    return going;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3 || (std::strcmp(argv[1], "--write") != 0 && std::strcmp(argv[1], "--compare") != 0)) {
        std::fprintf(stderr, "usage: %s --write|--compare FOLDER\n", argv[0]);
        return 2;
    }
    const bool writing = std::strcmp(argv[1], "--write") == 0;
    const std::string folder = argv[2];
    std::error_code ignored;
    if (writing) std::filesystem::create_directories(folder, ignored);
    int number = 0, cases = 0, failures = 0;
    std::string run;
#ifdef TALVOX_GL11_LAYER
    size_t texturesHeld = 0;
#endif
    auto take = [&](const Case& c, const CasePictures& pictures) {
        cases++;
        const std::string path = folder + "/case-" + std::to_string(number++) + ".raw";
        if (writing) {
            if (SaveCase(path, pictures)) return true;
            std::fprintf(stderr, "cannot write %s\n", path.c_str());
            return false;
        }
        CasePictures desktop;
        if (!LoadCase(path, desktop)) {
            std::fprintf(stderr, "cannot read %s (the desktop pictures)\n", path.c_str());
            return false;
        }
        failures += !CompareCase(run + c.name, desktop, pictures, c.where);
#ifdef TALVOX_GL11_LAYER
        // Presentation makes its texture once a context: no later case but
        // the one through glDrawPixels (the layer's pixel texture) adds one.
        const size_t before = texturesHeld;
        texturesHeld = Gl11TextureCount();
        if (!c.newContext && !c.throughPixelDrawing && texturesHeld > before) {
            std::printf("%s%s: the layer holds %zu textures, %zu before  FAILED\n", run.c_str(), c.name.c_str(),
                        texturesHeld, before);
            failures++;
        }
#endif
        return true;
    };
    bool drawn = DrawCases(take);
#ifdef TALVOX_GL11_LAYER
    // Again with the vertices on SwiftShader's grid, where texture coordinates
    // interpolated from them pick the neighbouring texel at texel edges.
    if (drawn && !writing) {
        gl11VertexGrid = 16;
        number = 0;
        run = "1/16 grid: ";
        drawn = DrawCases(take);
        gl11VertexGrid = 0;
    }
#endif
    if (!drawn) {
        std::fprintf(stderr, "the cases were not all drawn\n");
        return 1;
    }
    std::printf("%d cases, %d failed\n", cases, failures);
    return failures == 0 ? 0 : 1;
}
