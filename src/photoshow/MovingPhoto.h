#pragma once
// A picture of a folder show that moves: prepared once, on the preparer's thread, at the
// largest size its path needs (never beyond its own pixels) with the fill that shows behind
// it made once; each frame then only resamples the part of it in view.
#include "imaging/Bitmap32.h"
#include "photoshow/PhotoComposition.h"
#include "photoshow/PhotoMotion.h"

namespace tp {

struct MovingPhoto {
  Bitmap32 picture;     // upright, at the path's largest scale or its own size if smaller
  Bitmap32 background;  // screen-sized fill behind it; empty for black (or never seen)
  int originalWidth = 0, originalHeight = 0;  // upright, in the file's own pixels
  int screenWidth = 0, screenHeight = 0;
  PhotoLook look;
};

// The scale (screen pixels per picture pixel) the path of a w x h picture reaches at most,
// whatever the random draws.
double LargestMotionScale(int w, int h, int W, int H, const PhotoLook& look);

// Makes a moving picture of upright, a decoded picture of at least the size its path needs
// (originalWidth x originalHeight is the file's own upright size; 0 takes upright's).
MovingPhoto ComposeMoving(Bitmap32 upright, int originalWidth, int originalHeight, int W, int H,
                          const PhotoLook& look);

// The path of a moving picture for the given random draws.
MotionPath PathOf(const MovingPhoto& photo, const MotionChoices& choices);

// Draws the view into frame (screen-sized): the fill where the picture leaves the screen
// uncovered, and the picture resampled over its rectangle. Allocates nothing of the frame's
// size.
void DrawMovingFrame(const MovingPhoto& photo, const PictureView& view, Bitmap32& frame);

}  // namespace tp
