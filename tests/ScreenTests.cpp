// The software picture: clipping, backdrop marks, keyed composite.
#include <gtest/gtest.h>

#include <cstring>

#include "screen/Screen.h"
#include "tests/support/TestState.h"

static const uint8_t* Pixel(const uint8_t* buffer, int x, int y) { return buffer + (y * 320 + x) * 4; }

static std::array<int, 4> Rgba(const uint8_t* p) { return {p[0], p[1], p[2], p[3]}; }

TEST(Screen, PutPixelClipsToThePicture) {
    ResetProgramState();
    std::memset(ScreenPixels, 7, ScreenBufferBytes);
    PutPixel(320, 0, 1, 2, 3);
    PutPixel(0, 240, 1, 2, 3);
    PutPixel(-1, 5, 1, 2, 3);
    PutPixel(5, -1, 1, 2, 3);
    for (int i = 0; i < ScreenBufferBytes; i++) ASSERT_EQ(ScreenPixels[i], 7) << "byte " << i;

    PutPixel(0, 0, 0x101, 2, 3);  // only the low 8 bits are stored
    EXPECT_EQ(Rgba(ScreenPixels), (std::array<int, 4>{1, 2, 3, 255}));
    PutPixel(319, 239, 9, 8, 7);
    EXPECT_EQ(Rgba(Pixel(ScreenPixels, 319, 239)), (std::array<int, 4>{9, 8, 7, 255}));
    EXPECT_EQ(ScreenPixels[4], 7);
}

TEST(Screen, BackdropHasNoiseFrameLinesAndTitlePanel) {
    ResetProgramState();
    for (int y = 0; y < 240; y++) {
        for (int x = 0; x < 320; x++) {
            const uint8_t* p = Pixel(BackdropPixels, x, y);
            bool frame = x == 0 || x == 319 || y == 0 || y == 239 || y == 227;
            bool panel = !frame && y >= 228 && y <= 238;
            if (panel) {
                ASSERT_EQ(Rgba(p), (std::array<int, 4>{0, 0, 255, 255})) << x << "," << y;
            } else if (frame) {
                ASSERT_EQ(Rgba(p), (std::array<int, 4>{0, 255, 0, 255})) << x << "," << y;
            } else {
                ASSERT_EQ(p[0], 0);
                ASSERT_EQ(p[2], 0);
                ASSERT_EQ(p[3], 255);
            }
        }
    }
    // The panel's rows are green at the frame columns, not blue.
    EXPECT_EQ(Rgba(Pixel(BackdropPixels, 0, 230)), (std::array<int, 4>{0, 255, 0, 255}));
    EXPECT_EQ(Rgba(Pixel(BackdropPixels, 319, 230)), (std::array<int, 4>{0, 255, 0, 255}));
    // The noise varies.
    int distinct[256] = {};
    for (int x = 1; x < 319; x++) distinct[Pixel(BackdropPixels, x, 100)[1]] = 1;
    int count = 0;
    for (int v : distinct) count += v;
    EXPECT_GT(count, 100);
}

TEST(Screen, CompositeKeysOutOnlyTheExactClearTriplet) {
    ResetProgramState();
    RestoreBackdrop();
    clearColourKey[0] = 255;
    clearColourKey[1] = 0;
    clearColourKey[2] = 230;
    // Whatever alpha the target reads back with, only the colour decides.
    for (int i = 0; i < ScreenPixelCount; i++) {
        ReadbackPixels[i * 4] = 255;
        ReadbackPixels[i * 4 + 1] = 0;
        ReadbackPixels[i * 4 + 2] = 230;
        ReadbackPixels[i * 4 + 3] = static_cast<uint8_t>(i * 7);
    }
    const uint8_t nearMisses[][3] = {{255, 0, 229}, {255, 1, 230}, {254, 0, 230}, {255, 0, 231}};
    for (int k = 0; k < 4; k++) std::memcpy(ReadbackPixels + (100 + k) * 4, nearMisses[k], 3);
    CompositeScene();
    for (int i = 0; i < ScreenPixelCount; i++) {
        const uint8_t* out = ScreenPixels + i * 4;
        if (i >= 100 && i < 104) {
            const uint8_t* m = nearMisses[i - 100];
            ASSERT_EQ(Rgba(out), (std::array<int, 4>{m[0], m[1], m[2], 255})) << i;
        } else {
            ASSERT_EQ(0, std::memcmp(out, BackdropPixels + i * 4, 4)) << i;
        }
    }
}

TEST(Screen, RestoreCopiesOnlyThePicture) {
    ResetProgramState();
    std::memset(ScreenPixels, 3, ScreenBufferBytes);
    RestoreBackdrop();
    EXPECT_EQ(0, std::memcmp(ScreenPixels, BackdropPixels, ScreenPixelCount * 4));
    EXPECT_EQ(ScreenPixels[ScreenPixelCount * 4], 3);
}
