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
  // With vector instructions where the processor has them (the results are the same
  // either way); false keeps to plain code.
  explicit LetterboxStretcher(bool useVectorUnit = true);
  bool usesVectorUnit() const { return vector_; }

  // dst keeps its size: the fitted rectangle receives src, the rest (the bars) turns
  // black. With keep, src is also copied there (rows are copied while they are read
  // anyway, which is cheaper than a copy of its own).
  void Stretch(const Bitmap32& src, Bitmap32& dst, Bitmap32* keep = nullptr);

 private:
  void Prepare(int sw, int sh, const Rect& fit);
  void PaintBars(Bitmap32& dst, const Rect& fit);
  // The filtered stretch of src into the prepared rectangle of dst.
  void Scale(const Bitmap32& src, Bitmap32& dst, Bitmap32* keep);
  // One source row stretched horizontally.
  void ScaleRow(const Pixel* src, Pixel* out) const;
  // One output row from two stretched rows, the second weighing w1 / 128.
  void BlendRows(const Pixel* a, const Pixel* b, Pixel* out, uint32_t w1) const;

  bool vector_ = false;
  int sw_ = -1, sh_ = -1;
  Rect fit_;
  // Per output column: the left source column and the right one's weight (0..128), and
  // the same weights negated as signed byte pairs, four times (one per channel).
  std::vector<int32_t> xIndex_;
  std::vector<uint8_t> xWeight_;
  std::vector<int8_t> xPairs_;
  std::vector<int32_t> yIndex_;
  std::vector<uint8_t> yWeight_;
  std::vector<Pixel> rows_[2];  // horizontally stretched source rows
  int rowOf_[2] = {-1, -1};     // which source row each buffer holds
};

}  // namespace tp
