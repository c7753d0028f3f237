// The drawing steps a frame is made of, from the cleared picture to the
// composited screen with its HUD. They draw what the world holds and never
// move the player; app/Frames.cpp puts them in order with the player's steps.
#pragma once

// Binds the picture target and clears its 320 x 240 colour and depth, counts
// the frame, loads the identity modelview, sets the picture's viewport and
// copies the backdrop under the picture.
void BeginPicture();
// Multiplies the modelview by the camera: pitch, yaw, then the eye's offset
// inside the player cell.
void ApplyCamera();
// Whether the view cube around the player holds a cell that DrawViewCube
// can draw (one inside the world's shell).
bool ViewCubeHasDrawnCell();
// Reads the 3D picture back, sends drawing to the window again, sets the
// presentation zoom and composites the picture (with the corner map while
// cornerMapShown) and the HUD into ScreenPixels; while automapShown, the map
// and the HUD instead, nothing read back.
void FinishPicture();
