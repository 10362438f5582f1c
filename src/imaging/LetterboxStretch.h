#pragma once
// The full-screen scaled path's stretch: a back surface drawn over a screen of any shape,
// keeping its aspect ratio (centred, black bars), with bilinear filtering. Runs once per
// presented frame, so the tables and row buffers are kept between calls and nothing is
// allocated while the sizes stay the same.
#include <cstdint>
#include <vector>

#include "imaging/Bitmap32.h"
#include "imaging/Rect.h"

namespace tp {

// The largest rectangle with the aspect ratio of a w x h surface inside a W x H screen,
// centred (the odd pixel of a bar goes to the right or bottom).
Rect FitKeepingShape(int w, int h, int W, int H);

class LetterboxStretcher {
 public:
  // dst keeps its size: the fitted rectangle receives src, the rest turns black.
  void Stretch(const Bitmap32& src, Bitmap32& dst);

 private:
  void Prepare(int sw, int sh, const Rect& fit);
  // One source row stretched horizontally.
  void ScaleRow(const Pixel* src, Pixel* out) const;

  int sw_ = -1, sh_ = -1;
  Rect fit_;
  std::vector<int32_t> xIndex_;    // per output column: the left source column
  std::vector<uint16_t> xWeight_;  // per output column: the right column's weight, 0..256
  std::vector<uint32_t> xPair_;    // the same as (left weight | right weight << 16)
  std::vector<int32_t> yIndex_;
  std::vector<uint16_t> yWeight_;
  std::vector<Pixel> rows_[2];     // horizontally stretched source rows
  int rowOf_[2] = {-1, -1};        // which source row each buffer holds
};

}  // namespace tp
