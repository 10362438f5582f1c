#pragma once
// A picture handed to a display that draws its moving views itself (on the GPU): the
// prepared picture, the fill behind it and the caption over it. The display copies what it
// needs; the bitmaps may go once the call returns.
#include "imaging/Bitmap32.h"

namespace tp {

struct MovingPicture {
  const Bitmap32* picture = nullptr;     // upright, as prepared (possibly smaller than the file)
  int originalWidth = 0, originalHeight = 0;  // the file's upright size, which views count in
  const Bitmap32* background = nullptr;  // screen-sized fill; null or empty for black
  const Bitmap32* caption = nullptr;     // premultiplied, drawn over at (captionX, captionY)
  int captionX = 0, captionY = 0;
};

}  // namespace tp
