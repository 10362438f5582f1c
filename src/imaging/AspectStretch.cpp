#include "imaging/AspectStretch.h"

#include <algorithm>
#include <cstring>

namespace tp {

Rect FitKeepingAspect(int w, int h, int W, int H) {
  if (w <= 0 || h <= 0 || W <= 0 || H <= 0) return Rect{};
  int fw = W, fh = H;
  // Compare w/h with W/H without rounding; the other side is rounded to the nearest pixel.
  if (int64_t(w) * H >= int64_t(h) * W) {
    fh = int((int64_t(h) * W * 2 + w) / (int64_t(w) * 2));
  } else {
    fw = int((int64_t(w) * H * 2 + h) / (int64_t(h) * 2));
  }
  fw = std::clamp(fw, 1, W);
  fh = std::clamp(fh, 1, H);
  return RectFromSize((W - fw) / 2, (H - fh) / 2, fw, fh);
}

namespace {

// Source positions of output samples with the pixel centres aligned, as 8-bit fixed point.
void Axis(int source, int target, std::vector<int32_t>& index, std::vector<uint16_t>& weight) {
  index.resize(size_t(target));
  weight.resize(size_t(target));
  for (int i = 0; i < target; ++i) {
    // ((i + 0.5) * source / target - 0.5) in units of 1/256
    int64_t pos = ((int64_t(2 * i + 1) * source * 256) / (2 * int64_t(target))) - 128;
    pos = std::clamp<int64_t>(pos, 0, int64_t(source - 1) * 256);
    int32_t left = int32_t(pos >> 8);
    uint16_t w = uint16_t(pos & 255);
    if (left >= source - 1) {
      left = std::max(source - 2, 0);
      w = source > 1 ? 256 : 0;
    }
    index[size_t(i)] = left;
    weight[size_t(i)] = w;
  }
}

}  // namespace

void AspectStretcher::Prepare(int sw, int sh, const Rect& fit) {
  if (sw == sw_ && sh == sh_ && fit == fit_) return;
  sw_ = sw;
  sh_ = sh;
  fit_ = fit;
  Axis(sw, fit.width(), xIndex_, xWeight_);
  Axis(sh, fit.height(), yIndex_, yWeight_);
  for (auto& r : rows_) r.assign(size_t(fit.width()) * 4, 0);
  rowOf_[0] = rowOf_[1] = -1;
}

void AspectStretcher::ScaleRow(const Pixel* src, uint16_t* out) const {
  const auto* bytes = reinterpret_cast<const uint8_t*>(src);
  const int n = fit_.width();
  const int last = sw_ - 1;
  for (int x = 0; x < n; ++x) {
    const int i = xIndex_[size_t(x)];
    const uint32_t w1 = xWeight_[size_t(x)], w0 = 256 - w1;
    const uint8_t* a = bytes + size_t(i) * 4;
    const uint8_t* b = bytes + size_t(std::min(i + 1, last)) * 4;
    uint16_t* o = out + size_t(x) * 4;
    o[0] = uint16_t(a[0] * w0 + b[0] * w1);
    o[1] = uint16_t(a[1] * w0 + b[1] * w1);
    o[2] = uint16_t(a[2] * w0 + b[2] * w1);
    o[3] = uint16_t(a[3] * w0 + b[3] * w1);
  }
}

void AspectStretcher::Stretch(const Bitmap32& src, Bitmap32& dst) {
  if (dst.empty()) return;
  const Rect fit = src.empty() ? Rect{} : FitKeepingAspect(src.width(), src.height(), dst.width(), dst.height());
  const int W = dst.width();
  // Bars above and below, then left and right of each picture row.
  for (int y = 0; y < dst.height(); ++y) {
    Pixel* row = dst.scanline(y);
    if (y < fit.top || y >= fit.bottom) {
      std::memset(row, 0, size_t(W) * sizeof(Pixel));
      continue;
    }
    std::memset(row, 0, size_t(fit.left) * sizeof(Pixel));
    std::memset(row + fit.right, 0, size_t(W - fit.right) * sizeof(Pixel));
  }
  if (fit.empty()) return;
  if (fit.width() == src.width() && fit.height() == src.height()) {
    for (int y = 0; y < src.height(); ++y)
      std::memcpy(dst.scanline(fit.top + y) + fit.left, src.scanline(y), size_t(src.width()) * sizeof(Pixel));
    return;
  }
  Prepare(src.width(), src.height(), fit);
  const size_t channels = size_t(fit.width()) * 4;
  const int lastRow = src.height() - 1;
  for (int y = 0; y < fit.height(); ++y) {
    const int top = yIndex_[size_t(y)];
    const int bottom = std::min(top + 1, lastRow);
    // Make the two buffers hold the rows top and bottom, reusing what the previous output
    // row needed (enlarging reads each source row once).
    auto buffer = [&](int row) -> const uint16_t* {
      for (int k = 0; k < 2; ++k)
        if (rowOf_[k] == row) return rows_[k].data();
      const int k = (rowOf_[0] == top || rowOf_[0] == bottom) ? 1 : 0;
      ScaleRow(src.scanline(row), rows_[size_t(k)].data());
      rowOf_[k] = row;
      return rows_[size_t(k)].data();
    };
    const uint16_t* a = buffer(top);
    const uint16_t* b = buffer(bottom);
    const uint32_t w1 = yWeight_[size_t(y)], w0 = 256 - w1;
    auto* out = reinterpret_cast<uint8_t*>(dst.scanline(fit.top + y) + fit.left);
    for (size_t i = 0; i < channels; ++i) out[i] = uint8_t((a[i] * w0 + b[i] * w1 + 32768) >> 16);
  }
  // The next frame may bring other pixels in the same rows.
  rowOf_[0] = rowOf_[1] = -1;
}

}  // namespace tp
