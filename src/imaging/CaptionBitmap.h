#pragma once
// A caption drawn once into a small bitmap: light text over a soft dark shadow, so that it
// reads on any picture. The bitmap holds premultiplied BGRA (colour already scaled by its
// alpha); a frame only blends it, which costs the bitmap's pixels and nothing more.
#include <string_view>

#include "imaging/Bitmap32.h"
#include "imaging/TextRenderer.h"

namespace tp {

// The caption's bitmap for one line of UTF-8 at pixelSize pixels, at most maxWidth wide (a
// longer line is cut at the right); empty when there is nothing to draw.
Bitmap32 RenderCaption(TextRenderer& renderer, std::string_view utf8, int pixelSize, int maxWidth);

// Blends caption (premultiplied) over target with its top left corner at (x, y); clipped.
void BlendCaption(const Bitmap32& caption, Bitmap32& target, int x, int y);

}  // namespace tp
