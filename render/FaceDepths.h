// The nearest faces found so far at each pixel of the picture, for the sight
// walk: a face hides whatever lies wholly behind it at the pixels it covers,
// so a line of sight need not be followed past faces that cover all of its
// pixels. Pixels are sampled at their centres, as the GL samples them.
#pragma once
#include <vector>

// One set of faces found: per pixel, the depth behind which they hide
// everything, and per tile of pixels, the greatest of those. Each sight walk
// keeps its own, so two walks can run at once.
struct FaceDepths {
    int pictureWidth = 0, pictureHeight = 0, tileColumns = 0, tileRows = 0;
    // Rows of tileColumns whole tiles of pixels; the pixels past the
    // picture's edges hold 0 and never count.
    int rowPitch = 0;
    std::vector<float> pixelDepths;
    std::vector<float> tileDepths;
    std::vector<unsigned char> tileStale;
    // Tiles whose pixels have not been filled in since the last clear.
    std::vector<unsigned char> tileUntouched;
    // Faces recorded but not yet drawn into the pixels: small views never
    // need them.
    struct PendingFace {
        float x[4], y[4];
        float farthest;
        float within[4];
    };
    std::vector<PendingFace> pendingFaces;
};

// Forgets every face, for a picture of width x height pixels.
void ClearFaceDepths(FaceDepths& depths, int width, int height);
// Records a face drawn whole, given by its four corners in normalised device
// coordinates (x[k], y[k], in order around it) and the greatest eye depth
// (clip w) of its corners: the pixels whose centres lie inside it and inside
// the screen rectangle within (x0, y0, x1, y1) are hidden behind that depth.
void AddFaceDepth(FaceDepths& depths, const float x[4], const float y[4], float farthest, const float within[4]);
// Whether every pixel centre in the screen rectangle (normalised device x0,
// y0, x1, y1) lies behind a face nearer than eye depth nearest: nothing at
// that depth or beyond shows there. A face hides it only where its farthest
// depth lies below FaceHidingDepth(nearest).
bool IsHiddenBehindFaces(FaceDepths& depths, const float screen[4], float nearest);
// The depth below which a face's farthest corner must lie for the face to
// hide what lies at eye depth nearest: less than nearest, by more than the
// depth buffer can blur at that distance.
float FaceHidingDepth(float nearest);
