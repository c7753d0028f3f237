// Screen buffers, backdrop, PutPixel, composite and presentation. All the
// software work is on the 320 x 240 picture; magnification is the pixel zoom.
#include "screen/Screen.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "screen/OpenGL.h"
#include "screen/PictureTarget.h"
#include "sys/Random.h"

ScreenBuffer ScreenPixels = nullptr;
ScreenBuffer ReadbackPixels = nullptr;
ScreenBuffer BackdropPixels = nullptr;
uint8_t clearColourKey[3] = {255, 0, 229};
int32_t screenScale = 3;
PicturePlacement picturePlacement = {0, 0, 0, 0};

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

// The picture goes to the window as one textured quad rather than a zoomed
// glDrawPixels: the same pixels (each picture pixel becomes a zoom x zoom
// block, nearest texel), at a fraction of the cost. Blending is kept for
// pictures with a pixel that is not opaque (over an opaque one it changes
// nothing); the depth buffer is neither tested nor written, since nothing
// reads it before the next frame clears it.
// The texture is 512 x 256 (a power of two for plain OpenGL 1.1 drivers),
// made again in every new context.
static constexpr int PresentTextureWidth = 512;
static constexpr int PresentTextureHeight = 256;
static GLuint presentTexture = 0;

// Whether every pixel of the picture has alpha 255.
static bool IsPictureOpaque() {
    for (int i = 0; i < ScreenPixelCount; i++)
        if (ScreenPixels[i * 4 + 3] != 255) return false;
    return true;
}

// Binds the presentation texture of the current context, making it first
// if this context has none; false when it cannot be had.
static bool BindPresentTexture() {
    if (presentTexture != 0 && glIsTexture(presentTexture)) {
        glBindTexture(GL_TEXTURE_2D, presentTexture);
        GLint width = 0, height = 0;
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &height);
        if (width == PresentTextureWidth && height == PresentTextureHeight) return true;
    }
    presentTexture = 0;
    glGenTextures(1, &presentTexture);
    if (presentTexture == 0) return false;
    glBindTexture(GL_TEXTURE_2D, presentTexture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, PresentTextureWidth, PresentTextureHeight, 0, GL_RGBA, GL_UNSIGNED_BYTE,
                 nullptr);
    return glGetError() == GL_NO_ERROR;
}

// Draws ScreenPixels as a quad of zoom x zoom blocks at the raster position;
// false (nothing drawn) unless the zoom is whole (1..4 in a window, more in
// fullscreen) and the raster position a valid whole pixel, which is all the
// frame and presentation ever set.
static bool PresentAsQuad() {
    GLfloat zoomX = 0.0f, zoomY = 0.0f, raster[4] = {0, 0, 0, 1};
    GLboolean rasterValid = GL_FALSE;
    glGetFloatv(GL_ZOOM_X, &zoomX);
    glGetFloatv(GL_ZOOM_Y, &zoomY);
    glGetBooleanv(GL_CURRENT_RASTER_POSITION_VALID, &rasterValid);
    glGetFloatv(GL_CURRENT_RASTER_POSITION, raster);
    const bool wholeZoom = zoomX == zoomY && zoomX >= 1.0f && zoomX == std::floor(zoomX);
    if (!rasterValid || !wholeZoom || raster[0] != std::floor(raster[0]) || raster[1] != std::floor(raster[1]))
        return false;

    GLint boundTexture = 0, viewport[4] = {0, 0, 0, 0}, environment = GL_MODULATE;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &boundTexture);
    glGetIntegerv(GL_VIEWPORT, viewport);
    glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &environment);
    if (!BindPresentTexture()) {
        glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(boundTexture));
        return false;
    }
    glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, ScreenWidth, ScreenHeight, GL_RGBA, GL_UNSIGNED_BYTE, ScreenPixels);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    glViewport(static_cast<GLint>(raster[0]), static_cast<GLint>(raster[1]), static_cast<GLsizei>(ScreenWidth * zoomX),
               static_cast<GLsizei>(ScreenHeight * zoomY));
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    const float s = static_cast<float>(ScreenWidth) / PresentTextureWidth;
    const float t = static_cast<float>(ScreenHeight) / PresentTextureHeight;
    const GLboolean depthTest = glIsEnabled(GL_DEPTH_TEST);
    glDisable(GL_DEPTH_TEST);
    glEnable(GL_TEXTURE_2D);
    if (!IsPictureOpaque()) glEnable(GL_BLEND);
    glBegin(GL_QUADS);
    glTexCoord2f(0.0f, 0.0f);
    glVertex2f(-1.0f, -1.0f);
    glTexCoord2f(s, 0.0f);
    glVertex2f(1.0f, -1.0f);
    glTexCoord2f(s, t);
    glVertex2f(1.0f, 1.0f);
    glTexCoord2f(0.0f, t);
    glVertex2f(-1.0f, 1.0f);
    glEnd();
    glDisable(GL_BLEND);
    if (depthTest) glEnable(GL_DEPTH_TEST);
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
    glViewport(viewport[0], viewport[1], viewport[2], viewport[3]);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, environment);
    glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(boundTexture));
    return true;
}

// Fullscreen: blackens the whole back buffer, keeping the clear colour the
// frame relies on, and puts the raster position at the picture's corner
// (moved by an empty bitmap, which OpenGL 1.1 allows wherever it stands).
static void PrepareFullscreenPresentation() {
    GLfloat clear[4] = {0, 0, 0, 0}, raster[4] = {0, 0, 0, 1};
    glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glClearColor(clear[0], clear[1], clear[2], clear[3]);
    glGetFloatv(GL_CURRENT_RASTER_POSITION, raster);
    glBitmap(0, 0, 0.0f, 0.0f, static_cast<GLfloat>(picturePlacement.left) - raster[0],
             static_cast<GLfloat>(picturePlacement.bottom) - raster[1], nullptr);
}

PicturePlacement CentredPicturePlacement(int32_t width, int32_t height) {
    int32_t zoom = std::min(width / ScreenWidth, height / ScreenHeight);
    if (zoom < 1) zoom = 1;
    PicturePlacement placement;
    placement.zoom = zoom;
    placement.left = (width - ScreenWidth * zoom) / 2;
    placement.top = (height - ScreenHeight * zoom) / 2;
    placement.bottom = height - ScreenHeight * zoom - placement.top;
    return placement;
}

void PresentScreen() {
    if (picturePlacement.zoom > 0) PrepareFullscreenPresentation();
    if (PresentAsQuad()) return;
    glDisable(GL_TEXTURE_2D);
    glEnable(GL_BLEND);
    glDrawPixels(ScreenWidth, ScreenHeight, GL_RGBA, GL_UNSIGNED_BYTE, ScreenPixels);
    glDisable(GL_BLEND);
    glEnable(GL_TEXTURE_2D);
}

void PresentScreenOnFront() {
    glDrawBuffer(GL_FRONT);
    PresentScreen();
    glFlush();
    glDrawBuffer(GL_BACK);
}

void RestoreBackdrop() { std::memcpy(ScreenPixels, BackdropPixels, ScreenPixelCount * 4); }

void ReadBackScene() { glReadPixels(0, 0, ScreenWidth, ScreenHeight, GL_RGBA, GL_UNSIGNED_BYTE, ReadbackPixels); }

void SetPresentationZoom() {
    if (picturePlacement.zoom > 0) {
        const float z = static_cast<float>(picturePlacement.zoom);
        glPixelZoom(z, z);
    } else if (screenScale >= 1 && screenScale <= 4) {
        float s = static_cast<float>(screenScale);
        glPixelZoom(s, s);
    }
}

// A pixel's four bytes as one word, in memory order whatever the byte order.
static uint32_t PixelWord(const uint8_t bytes[4]) {
    uint32_t word;
    std::memcpy(&word, bytes, 4);
    return word;
}

void CompositeScene() {
    const uint8_t colourBytes[4] = {255, 255, 255, 0}, alphaBytes[4] = {0, 0, 0, 255};
    const uint8_t keyBytes[4] = {clearColourKey[0], clearColourKey[1], clearColourKey[2], 0};
    const uint32_t colour = PixelWord(colourBytes), alpha = PixelWord(alphaBytes), key = PixelWord(keyBytes);
    // Whole words, so that the compiler can take several pixels at a time;
    // the buffers through locals, as a byte written through a global pointer
    // could be that pointer, and the compiler would look it up at every pixel.
    const uint8_t* from = ReadbackPixels;
    uint8_t* to = ScreenPixels;
    for (int i = 0; i < ScreenPixelCount; i++) {
        const uint32_t in = PixelWord(from + i * 4);
        const uint32_t out = PixelWord(to + i * 4);
        const uint32_t result = (in & colour) == key ? out : in | alpha;
        std::memcpy(to + i * 4, &result, 4);
    }
}

void MeasureClearColourKey() {
    uint8_t pixel[3] = {255, 0, 229};
    BindPictureTarget();
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glReadPixels(0, 0, 1, 1, GL_RGB, GL_UNSIGNED_BYTE, pixel);
    ReleasePictureTarget();
    clearColourKey[0] = pixel[0];
    clearColourKey[1] = pixel[1];
    clearColourKey[2] = pixel[2];
}
