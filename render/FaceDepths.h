// The nearest faces found so far at each pixel of the picture, for the sight
// walk: a face hides whatever lies wholly behind it at the pixels it covers,
// so a line of sight need not be followed past faces that cover all of its
// pixels. Pixels are sampled at their centres, as the GL samples them.
#pragma once

// Forgets every face, for a picture of width x height pixels.
void ClearFaceDepths(int width, int height);
// Records a face drawn whole, given by its four corners in normalised device
// coordinates (x[k], y[k], in order around it) and the greatest eye depth
// (clip w) of its corners: the pixels whose centres lie inside it and inside
// the screen rectangle within (x0, y0, x1, y1) are hidden behind that depth.
void AddFaceDepth(const float x[4], const float y[4], float farthest, const float within[4]);
// Whether every pixel centre in the screen rectangle (normalised device x0,
// y0, x1, y1) lies behind a face nearer than eye depth nearest: nothing at
// that depth or beyond shows there.
bool IsHiddenBehindFaces(const float screen[4], float nearest);
