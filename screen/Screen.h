// The software picture: three RGBA screen buffers, the backdrop painted once,
// the pixel primitive, the frame's restore and composite, and presentation.
#pragma once
#include <cstdint>

constexpr int ScreenWidth = 320;
constexpr int ScreenHeight = 240;
constexpr int ScreenPixelCount = ScreenWidth * ScreenHeight;
// One buffer has room for the largest window, 1280 x 960 pixels of 4 bytes.
constexpr int ScreenBufferBytes = 1280 * 960 * 4;

using ScreenBuffer = uint8_t*;

// The window's magnification of the picture: 1..4 (320 x 240 .. 1280 x 960);
// 3 at start-up.
extern int32_t screenScale;

// Where the picture sits in a window larger than itself (fullscreen): the
// whole factor it is magnified by and its margins in window pixels. Zoom 0
// means a window of the picture's own size: magnified by screenScale from the
// window's corner, as the window scales have it.
struct PicturePlacement {
    int32_t zoom;
    int32_t left, top, bottom;
};
extern PicturePlacement picturePlacement;

extern ScreenBuffer ScreenPixels;
extern ScreenBuffer ReadbackPixels;
extern ScreenBuffer BackdropPixels;

// The colour the clear reads back as, where no geometry was drawn; measured
// after each context is set up. (255, 0, 229) until then.
extern uint8_t clearColourKey[3];

// Allocates the three buffers and paints the backdrop: green noise with
// 1,228,800 draws from the shared generator, frame lines and the title panel.
void PrepareScreenBuffers();
// Writes one opaque pixel of ScreenPixels; x 0..319 from the left, y 0..239
// from the bottom. Pixels outside the picture are dropped.
void PutPixel(int32_t x, int32_t y, int32_t r, int32_t g, int32_t b);
// Draws ScreenPixels into the GL back buffer at the current pixel zoom; in
// fullscreen the rest of the window is black and the picture sits where
// picturePlacement puts it.
void PresentScreen();
// Draws ScreenPixels as PresentScreen does, but into the front buffer, so the
// window shows it at once without a swap; the next swap covers it again.
void PresentScreenOnFront();
// The placement that fills a window of width x height best: the largest
// whole factor at which the picture fits (at least 1), centred.
PicturePlacement CentredPicturePlacement(int32_t width, int32_t height);

// Frame steps: copy the backdrop under the picture.
void RestoreBackdrop();
// Frame steps: read the 3D image into ReadbackPixels, four bytes a pixel
// (red, green, blue and whatever alpha the target holds), the layout Mesa
// hands over without converting (three bytes a pixel cost it a conversion).
void ReadBackScene();
// Frame steps: set the pixel zoom to the window scale (1..4 only), or to
// the fullscreen zoom.
void SetPresentationZoom();
// Frame steps: copy every read-back pixel whose colour is not clearColourKey
// over the picture, opaque.
void CompositeScene();
// Clears and reads back one pixel to learn how the clear colour reads back in
// the current context; keeps it in clearColourKey.
void MeasureClearColourKey();
