#include "imaging/LetterboxStretch.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#if defined(__x86_64__) || defined(__i386__)
#include <tmmintrin.h>
#define TP_STRETCH_SSSE3 1
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

// Weights are 7-bit (0..128): a blend of two bytes times its weights fits a signed 16-bit
// lane, which is what the vector multiply-add of byte pairs produces.
constexpr int kWeightBits = 7;
constexpr uint32_t kOne = 1u << kWeightBits;

// Source positions of output samples with the pixel centres aligned, as 7-bit fixed point.
void Axis(int source, int target, std::vector<int32_t>& index, std::vector<uint8_t>& weight) {
  index.resize(size_t(target));
  weight.resize(size_t(target));
  for (int i = 0; i < target; ++i) {
    // ((i + 0.5) * source / target - 0.5) in units of 1/128
    int64_t pos = ((int64_t(2 * i + 1) * source * kOne) / (2 * int64_t(target))) - kOne / 2;
    pos = std::clamp<int64_t>(pos, 0, int64_t(source - 1) * kOne);
    int32_t left = int32_t(pos >> kWeightBits);
    uint8_t w = uint8_t(pos & (kOne - 1));
    // The right neighbour always exists, so a pair of pixels can be read at once.
    if (left >= source - 1) {
      left = std::max(source - 2, 0);
      w = source > 1 ? uint8_t(kOne) : 0;
    }
    index[size_t(i)] = left;
    weight[size_t(i)] = w;
  }
}

bool ProcessorHasSsse3() {
#if TP_STRETCH_SSSE3
  static const bool has = [] {
    __builtin_cpu_init();
    return __builtin_cpu_supports("ssse3") != 0;
  }();
  return has;
#else
  return false;
#endif
}

#if TP_STRETCH_SSSE3
// The byte pairs (p, q) of each lane times their negated weights, summed: -(w0 p + w1 q),
// at most 128 * 255 in size; multiplied by -256 with rounding, that is
// (w0 p + w1 q + 64) >> 7, exactly what the plain code computes.
__attribute__((target("ssse3"))) inline __m128i BlendPairs(__m128i pairs, __m128i negatedWeights) {
  return _mm_mulhrs_epi16(_mm_maddubs_epi16(pairs, negatedWeights), _mm_set1_epi16(-256));
}

// Two output pixels: each reads its left and right source pixels with one 8-byte load.
__attribute__((target("ssse3"))) inline __m128i ScaleTwo(const Pixel* src, const int32_t* index,
                                                        const int8_t* pairs) {
  const __m128i first = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(src + index[0]));
  const __m128i second = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(src + index[1]));
  // l.b r.b l.g r.g l.r r.r l.a r.a for each of the two
  const __m128i interleave = _mm_setr_epi8(0, 4, 1, 5, 2, 6, 3, 7, 8, 12, 9, 13, 10, 14, 11, 15);
  const __m128i v = _mm_shuffle_epi8(_mm_unpacklo_epi64(first, second), interleave);
  return BlendPairs(v, _mm_loadu_si128(reinterpret_cast<const __m128i*>(pairs)));
}

// Returns how many output pixels were done; the caller finishes the rest.
__attribute__((target("ssse3"))) int ScaleRowSsse3(const Pixel* src, Pixel* out, int n, const int32_t* index,
                                                   const int8_t* pairs) {
  int x = 0;
  for (; x + 4 <= n; x += 4) {
    const __m128i low = ScaleTwo(src, index + x, pairs + 8 * x);
    const __m128i high = ScaleTwo(src, index + x + 2, pairs + 8 * (x + 2));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + x), _mm_packus_epi16(low, high));
  }
  return x;
}

// Blends whole blocks of 16 of the first `bytes` bytes; returns how many were done.
__attribute__((target("ssse3"))) size_t BlendRowsSsse3(const uint8_t* a, const uint8_t* b, uint8_t* out,
                                                       size_t bytes, uint32_t w1) {
  const uint8_t n0 = uint8_t(-int(kOne - w1)), n1 = uint8_t(-int(w1));
  const __m128i weights = _mm_set1_epi16(int16_t(uint16_t(n0 | (n1 << 8))));
  size_t i = 0;
  for (; i + 16 <= bytes; i += 16) {
    const __m128i va = _mm_loadu_si128(reinterpret_cast<const __m128i*>(a + i));
    const __m128i vb = _mm_loadu_si128(reinterpret_cast<const __m128i*>(b + i));
    const __m128i low = BlendPairs(_mm_unpacklo_epi8(va, vb), weights);
    const __m128i high = BlendPairs(_mm_unpackhi_epi8(va, vb), weights);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), _mm_packus_epi16(low, high));
  }
  return i;
}
#endif

// Bytes [from, to) of a row blended with the plain code.
void BlendBytes(const uint8_t* a, const uint8_t* b, uint8_t* out, size_t from, size_t to, uint32_t w1) {
  const uint16_t w0 = uint16_t(kOne - w1), wb = uint16_t(w1);
  // All in 16 bits, so that the compiler can do eight channels at a time.
  for (size_t i = from; i < to; ++i) out[i] = uint8_t(uint16_t(a[i] * w0 + b[i] * wb + 64) >> kWeightBits);
}

}  // namespace

LetterboxStretcher::LetterboxStretcher(bool useVectorUnit) : vector_(useVectorUnit && ProcessorHasSsse3()) {}

void LetterboxStretcher::Prepare(int sw, int sh, const Rect& fit) {
  if (sw == sw_ && sh == sh_ && fit == fit_) return;
  sw_ = sw;
  sh_ = sh;
  fit_ = fit;
  Axis(sw, fit.width(), xIndex_, xWeight_);
  xPairs_.resize(xWeight_.size() * 8);
  for (size_t i = 0; i < xWeight_.size(); ++i) {
    for (size_t c = 0; c < 4; ++c) {
      xPairs_[8 * i + 2 * c] = int8_t(-int(kOne - xWeight_[i]));
      xPairs_[8 * i + 2 * c + 1] = int8_t(-int(xWeight_[i]));
    }
  }
  Axis(sh, fit.height(), yIndex_, yWeight_);
  for (auto& r : rows_) r.assign(size_t(fit.width()), 0);
  rowOf_[0] = rowOf_[1] = -1;
}

void LetterboxStretcher::ScaleRow(const Pixel* src, Pixel* out) const {
  const int n = fit_.width();
  const int last = sw_ - 1;
  int x = 0;
#if TP_STRETCH_SSSE3
  // A one-pixel-wide source has no right neighbour to read with the pair loads.
  if (vector_ && sw_ >= 2) x = ScaleRowSsse3(src, out, n, xIndex_.data(), xPairs_.data());
#endif
  for (; x < n; ++x) {
    const int i = xIndex_[size_t(x)];
    const uint32_t w1 = xWeight_[size_t(x)], w0 = kOne - w1;
    const Pixel a = src[i], b = src[std::min(i + 1, last)];
    // Two channels per 32-bit word, 16 bits each: blue and red, then green and alpha.
    const uint32_t rb = ((a & 0x00FF00FFu) * w0 + (b & 0x00FF00FFu) * w1 + 0x00400040u) >> kWeightBits;
    const uint32_t ga = (((a >> 8) & 0x00FF00FFu) * w0 + ((b >> 8) & 0x00FF00FFu) * w1 + 0x00400040u) >> kWeightBits;
    out[x] = (rb & 0x00FF00FFu) | ((ga & 0x00FF00FFu) << 8);
  }
}

void LetterboxStretcher::BlendRows(const Pixel* a, const Pixel* b, Pixel* out, uint32_t w1) const {
  const auto* pa = reinterpret_cast<const uint8_t*>(a);
  const auto* pb = reinterpret_cast<const uint8_t*>(b);
  auto* po = reinterpret_cast<uint8_t*>(out);
  const size_t bytes = size_t(fit_.width()) * sizeof(Pixel);
  size_t i = 0;
#if TP_STRETCH_SSSE3
  if (vector_) i = BlendRowsSsse3(pa, pb, po, bytes, w1);
#endif
  BlendBytes(pa, pb, po, i, bytes, w1);
}

void LetterboxStretcher::PaintBars(Bitmap32& dst, const Rect& fit) {
  const int W = dst.width(), H = dst.height();
  // Bars above and below, then left and right of each picture row.
  for (int y = 0; y < H; ++y) {
    Pixel* row = dst.scanline(y);
    if (y < fit.top || y >= fit.bottom) {
      std::memset(row, 0, size_t(W) * sizeof(Pixel));
      continue;
    }
    std::memset(row, 0, size_t(fit.left) * sizeof(Pixel));
    std::memset(row + fit.right, 0, size_t(W - fit.right) * sizeof(Pixel));
  }
}

void LetterboxStretcher::Stretch(const Bitmap32& src, Bitmap32& dst, Bitmap32* keep) {
  if (keep == &src) keep = nullptr;
  if (keep && !src.empty() && !dst.empty()) {
    keep->SetSizeUninitialized(src.width(), src.height());
    keep->setMasterAlpha(src.masterAlpha());
  } else if (keep) {
    *keep = src;
    keep = nullptr;
  }
  if (dst.empty()) return;
  const Rect fit = src.empty() ? Rect{} : FitKeepingShape(src.width(), src.height(), dst.width(), dst.height());
  PaintBars(dst, fit);
  if (fit.empty()) return;
  if (fit.width() == src.width() && fit.height() == src.height()) {
    const size_t bytes = size_t(src.width()) * sizeof(Pixel);
    for (int y = 0; y < src.height(); ++y) {
      std::memcpy(dst.scanline(fit.top + y) + fit.left, src.scanline(y), bytes);
      if (keep) std::memcpy(keep->scanline(y), src.scanline(y), bytes);
    }
  } else {
    Prepare(src.width(), src.height(), fit);
    Scale(src, dst, keep);
  }
}

void LetterboxStretcher::Scale(const Bitmap32& src, Bitmap32& dst, Bitmap32* keep) {
  // Source rows are read in order; each is kept while it is still in the cache.
  const size_t srcRowBytes = size_t(src.width()) * sizeof(Pixel);
  int kept = 0;
  auto keepUpTo = [&](int row) {
    if (!keep) return;
    for (; kept <= row; ++kept) std::memcpy(keep->scanline(kept), src.scanline(kept), srcRowBytes);
  };
  const size_t bytes = size_t(fit_.width()) * sizeof(Pixel);
  const int lastRow = src.height() - 1;
  for (int y = 0; y < fit_.height(); ++y) {
    const int top = yIndex_[size_t(y)];
    const int bottom = std::min(top + 1, lastRow);
    // Make the two buffers hold the rows top and bottom, reusing what the previous output
    // row needed (enlarging reads each source row once).
    auto buffer = [&](int row) -> const Pixel* {
      for (int k = 0; k < 2; ++k)
        if (rowOf_[k] == row) return rows_[k].data();
      const int k = (rowOf_[0] == top || rowOf_[0] == bottom) ? 1 : 0;
      ScaleRow(src.scanline(row), rows_[size_t(k)].data());
      keepUpTo(row);
      rowOf_[k] = row;
      return rows_[size_t(k)].data();
    };
    const Pixel* a = buffer(top);
    const uint32_t w1 = yWeight_[size_t(y)];
    Pixel* out = dst.scanline(fit_.top + y) + fit_.left;
    if (w1 == 0) {
      std::memcpy(out, a, bytes);
      continue;
    }
    BlendRows(a, buffer(bottom), out, w1);
  }
  keepUpTo(lastRow);
  // The next frame may bring other pixels in the same rows.
  rowOf_[0] = rowOf_[1] = -1;
}

}  // namespace tp
