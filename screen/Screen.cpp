// Screen buffers, backdrop, PutPixel, composite and presentation. All the
// software work is on the 320 x 240 picture; magnification is the pixel zoom.
#include "screen/Screen.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "screen/OpenGL.h"
#include "world/Random.h"
#include "world/WorldState.h"

ScreenBuffer ScreenPixels = nullptr;
ScreenBuffer ReadbackPixels = nullptr;
ScreenBuffer BackdropPixels = nullptr;
uint8_t clearColourKey[3] = {255, 0, 229};

static ScreenBuffer AllocateScreenBuffer(ScreenBuffer kept) {
    if (kept) return kept;
    auto* block = static_cast<uint8_t*>(std::malloc(ScreenBufferBytes));
    if (!block) {
        std::fprintf(stderr, "talvox: out of memory allocating a screen buffer\n");
        std::exit(1);
    }
    return block;
}

static void SetBackdropGreen(int x, int y) { BackdropPixels[(y * ScreenWidth + x) * 4 + 1] = 255; }

void PrepareScreenBuffers() {
    ScreenPixels = AllocateScreenBuffer(ScreenPixels);
    ReadbackPixels = AllocateScreenBuffer(ReadbackPixels);
    BackdropPixels = AllocateScreenBuffer(BackdropPixels);

    // The noise covers the whole block, one draw per pixel of the largest
    // window, so that the generator state after start-up does not depend on
    // how much of it is shown.
    for (int row = 0; row < 960; row++) {
        for (int column = 0; column < 1280; column++) {
            uint8_t* p = BackdropPixels + (row * 1280 + column) * 4;
            p[0] = 0;
            p[1] = static_cast<uint8_t>(DrawRandom() % 256);
            p[2] = 0;
            p[3] = 255;
        }
    }

    for (int x = 0; x < ScreenWidth; x++) SetBackdropGreen(x, 0);
    for (int y = 238; y >= 228; y--) {
        for (int x = 1; x <= 318; x++) {
            uint8_t* p = BackdropPixels + (y * ScreenWidth + x) * 4;
            p[0] = 0;
            p[2] = 255;
            p[1] = 0;
        }
    }
    for (int x = 0; x < ScreenWidth; x++) SetBackdropGreen(x, 227);
    for (int x = 0; x < ScreenWidth; x++) SetBackdropGreen(x, 239);
    for (int y = 0; y < ScreenHeight; y++) SetBackdropGreen(0, y);
    for (int y = 0; y < ScreenHeight; y++) SetBackdropGreen(319, y);
}

void PutPixel(int32_t x, int32_t y, int32_t r, int32_t g, int32_t b) {
    if (x < 0 || y < 0 || x >= ScreenWidth || y >= ScreenHeight) return;
    uint8_t* p = ScreenPixels + (y * ScreenWidth + x) * 4;
    p[0] = static_cast<uint8_t>(r);
    p[1] = static_cast<uint8_t>(g);
    p[2] = static_cast<uint8_t>(b);
    p[3] = 255;
}

void PresentScreen() {
    glDisable(GL_TEXTURE_2D);
    glEnable(GL_BLEND);
    glDrawPixels(ScreenWidth, ScreenHeight, GL_RGBA, GL_UNSIGNED_BYTE, ScreenPixels);
    glDisable(GL_BLEND);
    glEnable(GL_TEXTURE_2D);
}

void RestoreBackdrop() { std::memcpy(ScreenPixels, BackdropPixels, ScreenPixelCount * 4); }

void ReadBackScene() {
    glReadPixels(0, 0, ScreenWidth, ScreenHeight, GL_RGB, GL_UNSIGNED_BYTE, ReadbackPixels);
}

void SetPresentationZoom() {
    if (screenScale >= 1 && screenScale <= 4) {
        float s = static_cast<float>(screenScale);
        glPixelZoom(s, s);
    }
}

void CompositeScene() {
    const uint8_t keyR = clearColourKey[0], keyG = clearColourKey[1], keyB = clearColourKey[2];
    for (int i = 0; i < ScreenPixelCount; i++) {
        const uint8_t* in = ReadbackPixels + i * 3;
        if (in[0] == keyR && in[1] == keyG && in[2] == keyB) continue;
        uint8_t* out = ScreenPixels + i * 4;
        out[0] = in[0];
        out[1] = in[1];
        out[2] = in[2];
        out[3] = 255;
    }
}

void MeasureClearColourKey() {
    uint8_t pixel[3] = {255, 0, 229};
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glReadPixels(0, 0, 1, 1, GL_RGB, GL_UNSIGNED_BYTE, pixel);
    clearColourKey[0] = pixel[0];
    clearColourKey[1] = pixel[1];
    clearColourKey[2] = pixel[2];
}
