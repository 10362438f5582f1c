#include "imaging/LetterboxStretch.h"

#include <algorithm>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace tp {

Rect FitKeepingShape(int w, int h, int W, int H) {
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

void LetterboxStretcher::Prepare(int sw, int sh, const Rect& fit) {
  if (sw == sw_ && sh == sh_ && fit == fit_) return;
  sw_ = sw;
  sh_ = sh;
  fit_ = fit;
  Axis(sw, fit.width(), xIndex_, xWeight_);
  xPair_.resize(xWeight_.size());
  for (size_t i = 0; i < xWeight_.size(); ++i) xPair_[i] = uint32_t(256 - xWeight_[i]) | (uint32_t(xWeight_[i]) << 16);
  Axis(sh, fit.height(), yIndex_, yWeight_);
  for (auto& r : rows_) r.assign(size_t(fit.width()), 0);
  rowOf_[0] = rowOf_[1] = -1;
}

void LetterboxStretcher::ScaleRow(const Pixel* src, Pixel* out) const {
  const int n = fit_.width();
  const int last = sw_ - 1;
  int x = 0;
#if defined(__SSE2__)
  if (sw_ >= 2) {
    // The left and right source pixels are neighbours in memory: one 8-byte load gives
    // both; interleaved channel by channel, one multiply-add per output pixel blends them.
    const __m128i zero = _mm_setzero_si128();
    const __m128i half = _mm_set1_epi32(128);
    auto blend = [&](int at) {
      __m128i v = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(src + xIndex_[size_t(at)]));
      v = _mm_unpacklo_epi8(_mm_unpacklo_epi8(v, _mm_srli_si128(v, 4)), zero);
      const __m128i weights = _mm_set1_epi32(int(xPair_[size_t(at)]));
      return _mm_srli_epi32(_mm_add_epi32(_mm_madd_epi16(v, weights), half), 8);
    };
    for (; x + 4 <= n; x += 4) {
      const __m128i low = _mm_packs_epi32(blend(x), blend(x + 1));
      const __m128i high = _mm_packs_epi32(blend(x + 2), blend(x + 3));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(out + x), _mm_packus_epi16(low, high));
    }
  }
#endif
  for (; x < n; ++x) {
    const int i = xIndex_[size_t(x)];
    const uint32_t w1 = xWeight_[size_t(x)], w0 = 256 - w1;
    const Pixel a = src[i], b = src[std::min(i + 1, last)];
    // Two channels per 32-bit word, 16 bits each: blue and red, then green and alpha.
    const uint32_t rb = ((a & 0x00FF00FFu) * w0 + (b & 0x00FF00FFu) * w1 + 0x00800080u) >> 8;
    const uint32_t ga = ((a >> 8) & 0x00FF00FFu) * w0 + ((b >> 8) & 0x00FF00FFu) * w1 + 0x00800080u;
    out[x] = (rb & 0x00FF00FFu) | (ga & 0xFF00FF00u);
  }
}

void LetterboxStretcher::Stretch(const Bitmap32& src, Bitmap32& dst) {
  if (dst.empty()) return;
  const Rect fit = src.empty() ? Rect{} : FitKeepingShape(src.width(), src.height(), dst.width(), dst.height());
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
  const size_t bytes = size_t(fit.width()) * sizeof(Pixel);
  const int lastRow = src.height() - 1;
  for (int y = 0; y < fit.height(); ++y) {
    const int top = yIndex_[size_t(y)];
    const int bottom = std::min(top + 1, lastRow);
    // Make the two buffers hold the rows top and bottom, reusing what the previous output
    // row needed (enlarging reads each source row once).
    auto buffer = [&](int row) -> const uint8_t* {
      for (int k = 0; k < 2; ++k)
        if (rowOf_[k] == row) return reinterpret_cast<const uint8_t*>(rows_[k].data());
      const int k = (rowOf_[0] == top || rowOf_[0] == bottom) ? 1 : 0;
      ScaleRow(src.scanline(row), rows_[size_t(k)].data());
      rowOf_[k] = row;
      return reinterpret_cast<const uint8_t*>(rows_[size_t(k)].data());
    };
    const uint8_t* a = buffer(top);
    const uint32_t w1 = yWeight_[size_t(y)];
    auto* out = reinterpret_cast<uint8_t*>(dst.scanline(fit.top + y) + fit.left);
    if (w1 == 0) {
      std::memcpy(out, a, bytes);
      continue;
    }
    const uint8_t* b = buffer(bottom);
    const uint16_t w0 = uint16_t(256 - w1), wb = uint16_t(w1);
    // Byte by byte, so the compiler can do 16 channels at a time.
    for (size_t i = 0; i < bytes; ++i) out[i] = uint8_t((uint16_t(a[i] * w0 + b[i] * wb) + 128u) >> 8);
  }
  // The next frame may bring other pixels in the same rows.
  rowOf_[0] = rowOf_[1] = -1;
}

}  // namespace tp
