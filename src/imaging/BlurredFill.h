#pragma once
// The background put behind a picture whose shape differs from the screen's: the picture
// itself scaled to cover the screen, strongly blurred and dimmed. Made once per picture and
// cheaply: the covering part is averaged down to a bitmap a sixteenth of the screen's size,
// blurred there by a few box passes, dimmed, and scaled back up bilinearly. The work is
// linear in the covering part plus the screen; nothing is allocated in proportion to
// anything but those.
#include "imaging/Bitmap32.h"
#include "imaging/Rect.h"

namespace tp {

// How much brightness the fill keeps, out of 256.
constexpr int kBlurredFillKeep = 150;

// The largest centred part of a w x h picture that has the shape of a W x H screen (at
// least 1 x 1; empty when a size is not positive).
Rect CoveringPart(int w, int h, int W, int H);

// A width x height fill made from picture; empty when picture is empty or a size is not
// positive. Every pixel is opaque.
Bitmap32 BlurredFill(const Bitmap32& picture, int width, int height, int keep = kBlurredFillKeep);

}  // namespace tp
