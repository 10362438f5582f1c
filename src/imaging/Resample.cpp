#include "imaging/Resample.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace tp {

namespace {

constexpr int kWeightBits = 14;  // weights fit in int16 for the paired multiply-add
constexpr int kWeightOne = 1 << kWeightBits;

double Sinc(double x) {
  if (x == 0.0) return 1.0;
  x *= M_PI;
  return std::sin(x) / x;
}
double Lanczos3(double x) {
  if (x <= -3.0 || x >= 3.0) return 0.0;
  return Sinc(x) * Sinc(x / 3.0);
}

// Fixed-point filter weights for one axis: output position i reads taps [first[i],
// first[i] + count[i]) with weights weights[i * stride ...]. Taps are padded to an even
// number per output (a zero weight on a valid index), so the inner loops work in pairs.
struct AxisWeights {
  std::vector<int> first;
  std::vector<int> count;
  std::vector<int16_t> weights;
  int stride = 0;
};

AxisWeights ComputeWeights(int srcLen, int dstLen) {
  AxisWeights aw;
  const double scale = double(srcLen) / double(dstLen);
  const double filterScale = std::max(scale, 1.0);
  const double support = 3.0 * filterScale;
  aw.stride = int(std::ceil(support)) * 2 + 4;
  aw.stride += aw.stride & 1;
  aw.first.resize(size_t(dstLen));
  aw.count.resize(size_t(dstLen));
  aw.weights.assign(size_t(dstLen) * size_t(aw.stride), 0);
  std::vector<double> w(size_t(aw.stride));
  for (int i = 0; i < dstLen; ++i) {
    const double center = (i + 0.5) * scale;
    int lo = std::max(int(std::floor(center - support + 0.5)), 0);
    int hi = std::min(int(std::floor(center + support + 0.5)), srcLen);
    if (hi <= lo) {  // degenerate: nearest pixel
      lo = std::clamp(int(center), 0, srcLen - 1);
      hi = lo + 1;
    }
    int n = hi - lo;
    if (n > aw.stride) n = aw.stride;
    double sum = 0;
    for (int k = 0; k < n; ++k) {
      w[size_t(k)] = Lanczos3((lo + k + 0.5 - center) / filterScale);
      sum += w[size_t(k)];
    }
    if (sum == 0) {
      w[0] = 1;
      sum = 1;
    }
    int16_t* out = &aw.weights[size_t(i) * size_t(aw.stride)];
    int isum = 0, biggest = 0;
    for (int k = 0; k < n; ++k) {
      out[k] = int16_t(std::lround(w[size_t(k)] / sum * kWeightOne));
      isum += out[k];
      if (out[k] > out[biggest]) biggest = k;
    }
    out[biggest] = int16_t(out[biggest] + (kWeightOne - isum));  // exact unity gain
    // Pad to an even tap count with a zero weight on an index inside the source.
    if (n & 1) {
      if (lo + n < srcLen) {
        ++n;
      } else if (lo > 0) {
        std::memmove(out + 1, out, size_t(n) * sizeof(int16_t));
        out[0] = 0;
        --lo;
        ++n;
      }
    }
    aw.first[size_t(i)] = lo;
    aw.count[size_t(i)] = n;
  }
  return aw;
}

inline uint8_t ClampToByte(int v) {
  v = (v + (1 << (kWeightBits - 1))) >> kWeightBits;
  return uint8_t(std::clamp(v, 0, 255));
}

// Horizontal pass: each row of src (srcW wide) into a row dstW wide.
void ResampleRow(const uint32_t* src, uint32_t* dst, const AxisWeights& aw, int dstW) {
  for (int x = 0; x < dstW; ++x) {
    const uint32_t* p = src + aw.first[size_t(x)];
    const int16_t* w = &aw.weights[size_t(x) * size_t(aw.stride)];
    const int n = aw.count[size_t(x)];
#if defined(__SSE2__)
    const __m128i zero = _mm_setzero_si128();
    __m128i acc = _mm_set1_epi32(1 << (kWeightBits - 1));
    int k = 0;
    for (; k + 1 < n; k += 2) {
      // Interleave the two pixels channel by channel: b0 b1 g0 g1 r0 r1 a0 a1 (16-bit).
      __m128i p0 = _mm_cvtsi32_si128(int(p[k]));
      __m128i p1 = _mm_cvtsi32_si128(int(p[k + 1]));
      __m128i inter = _mm_unpacklo_epi8(_mm_unpacklo_epi8(p0, p1), zero);
      const int32_t wpair = int32_t(uint32_t(uint16_t(w[k])) | (uint32_t(uint16_t(w[k + 1])) << 16));
      acc = _mm_add_epi32(acc, _mm_madd_epi16(inter, _mm_set1_epi32(wpair)));
    }
    if (k < n) {
      __m128i p0 = _mm_cvtsi32_si128(int(p[k]));
      __m128i inter = _mm_unpacklo_epi8(_mm_unpacklo_epi8(p0, zero), zero);
      acc = _mm_add_epi32(acc, _mm_madd_epi16(inter, _mm_set1_epi32(int32_t(uint16_t(w[k])))));
    }
    acc = _mm_srai_epi32(acc, kWeightBits);
    acc = _mm_packs_epi32(acc, acc);
    acc = _mm_packus_epi16(acc, acc);
    dst[x] = uint32_t(_mm_cvtsi128_si32(acc));
#else
    int b = 0, g = 0, r = 0, a = 0;
    for (int k = 0; k < n; ++k) {
      const uint32_t v = p[k];
      b += int(v & 0xFF) * w[k];
      g += int((v >> 8) & 0xFF) * w[k];
      r += int((v >> 16) & 0xFF) * w[k];
      a += int(v >> 24) * w[k];
    }
    dst[x] = uint32_t(ClampToByte(b)) | (uint32_t(ClampToByte(g)) << 8) |
             (uint32_t(ClampToByte(r)) << 16) | (uint32_t(ClampToByte(a)) << 24);
#endif
  }
}

// Vertical pass: output row from n input rows (rows[k], weight w[k]), width pixels.
void ResampleColumnRow(const uint32_t* const* rows, const int16_t* w, int n, uint32_t* dst,
                       int width) {
  int x = 0;
#if defined(__SSE2__)
  const __m128i zero = _mm_setzero_si128();
  const __m128i round = _mm_set1_epi32(1 << (kWeightBits - 1));
  for (; x + 4 <= width; x += 4) {
    __m128i a0 = round, a1 = round, a2 = round, a3 = round;
    int k = 0;
    for (; k + 1 < n; k += 2) {
      const __m128i r0 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(rows[k] + x));
      const __m128i r1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(rows[k + 1] + x));
      const __m128i wp = _mm_set1_epi32(
          int32_t(uint32_t(uint16_t(w[k])) | (uint32_t(uint16_t(w[k + 1])) << 16)));
      const __m128i lo = _mm_unpacklo_epi8(r0, r1);  // pixels 0,1 channel-interleaved
      const __m128i hi = _mm_unpackhi_epi8(r0, r1);  // pixels 2,3
      a0 = _mm_add_epi32(a0, _mm_madd_epi16(_mm_unpacklo_epi8(lo, zero), wp));
      a1 = _mm_add_epi32(a1, _mm_madd_epi16(_mm_unpackhi_epi8(lo, zero), wp));
      a2 = _mm_add_epi32(a2, _mm_madd_epi16(_mm_unpacklo_epi8(hi, zero), wp));
      a3 = _mm_add_epi32(a3, _mm_madd_epi16(_mm_unpackhi_epi8(hi, zero), wp));
    }
    if (k < n) {
      const __m128i r0 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(rows[k] + x));
      const __m128i wp = _mm_set1_epi32(int32_t(uint16_t(w[k])));
      const __m128i lo = _mm_unpacklo_epi8(r0, zero);
      const __m128i hi = _mm_unpackhi_epi8(r0, zero);
      a0 = _mm_add_epi32(a0, _mm_madd_epi16(_mm_unpacklo_epi16(lo, zero), wp));
      a1 = _mm_add_epi32(a1, _mm_madd_epi16(_mm_unpackhi_epi16(lo, zero), wp));
      a2 = _mm_add_epi32(a2, _mm_madd_epi16(_mm_unpacklo_epi16(hi, zero), wp));
      a3 = _mm_add_epi32(a3, _mm_madd_epi16(_mm_unpackhi_epi16(hi, zero), wp));
    }
    a0 = _mm_srai_epi32(a0, kWeightBits);
    a1 = _mm_srai_epi32(a1, kWeightBits);
    a2 = _mm_srai_epi32(a2, kWeightBits);
    a3 = _mm_srai_epi32(a3, kWeightBits);
    const __m128i packed = _mm_packus_epi16(_mm_packs_epi32(a0, a1), _mm_packs_epi32(a2, a3));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + x), packed);
  }
#endif
  for (; x < width; ++x) {
    int b = 0, g = 0, r = 0, a = 0;
    for (int k = 0; k < n; ++k) {
      const uint32_t v = rows[k][x];
      b += int(v & 0xFF) * w[k];
      g += int((v >> 8) & 0xFF) * w[k];
      r += int((v >> 16) & 0xFF) * w[k];
      a += int(v >> 24) * w[k];
    }
    dst[x] = uint32_t(ClampToByte(b)) | (uint32_t(ClampToByte(g)) << 8) |
             (uint32_t(ClampToByte(r)) << 16) | (uint32_t(ClampToByte(a)) << 24);
  }
}

// The two passes interleaved: each output row is made as soon as the source rows under it
// have been resampled across, into a ring that holds just the rows one output row reads
// (so the intermediate stays in the cache, and no bitmap of it is needed).
void Stretch(const Bitmap32& src, Bitmap32& dst) {
  if (src.empty() || dst.empty()) return;
  const int sw = src.width(), sh = src.height(), dw = dst.width(), dh = dst.height();
  const AxisWeights hx = ComputeWeights(sw, dw);
  const AxisWeights vy = ComputeWeights(sh, dh);
  int ringRows = 1;
  for (int y = 0; y < dh; ++y) ringRows = std::max(ringRows, vy.count[size_t(y)]);
  Bitmap32 ring;
  ring.SetSizeUninitialized(dw, ringRows);
  std::vector<int> slotRow(size_t(ringRows), -1);  // the source row each ring row holds
  std::vector<const uint32_t*> rows(size_t(vy.stride));
  for (int y = 0; y < dh; ++y) {
    const int first = vy.first[size_t(y)], n = vy.count[size_t(y)];
    // One output row reads at most ringRows consecutive rows, so they never share a slot.
    for (int r = first; r < first + n; ++r) {
      const size_t slot = size_t(r % ringRows);
      if (slotRow[slot] != r) {
        ResampleRow(src.scanline(r), ring.scanline(int(slot)), hx, dw);
        slotRow[slot] = r;
      }
      rows[size_t(r - first)] = ring.scanline(int(slot));
    }
    ResampleColumnRow(rows.data(), &vy.weights[size_t(y) * size_t(vy.stride)], n, dst.scanline(y), dw);
  }
}

}  // namespace

void StretchLanczos(const Bitmap32& src, Bitmap32& dst) { Stretch(src, dst); }

void StretchSmooth(const Bitmap32& src, Bitmap32& dst) {
  if (src.empty() || dst.empty()) return;
  const int sw = src.width(), sh = src.height(), dw = dst.width(), dh = dst.height();
  if (sw >= 2 * dw || sh >= 2 * dh) {
    // Box average: each output pixel is the mean of the source pixels it covers.
    for (int y = 0; y < dh; ++y) {
      const int y0 = int(int64_t(y) * sh / dh), y1 = std::max(y0 + 1, int(int64_t(y + 1) * sh / dh));
      Pixel* out = dst.scanline(y);
      for (int x = 0; x < dw; ++x) {
        const int x0 = int(int64_t(x) * sw / dw), x1 = std::max(x0 + 1, int(int64_t(x + 1) * sw / dw));
        uint32_t s[4] = {0, 0, 0, 0};
        for (int yy = y0; yy < y1; ++yy) {
          const Pixel* row = src.scanline(yy);
          for (int xx = x0; xx < x1; ++xx) {
            const Pixel p = row[xx];
            s[0] += p & 0xFF;
            s[1] += (p >> 8) & 0xFF;
            s[2] += (p >> 16) & 0xFF;
            s[3] += p >> 24;
          }
        }
        const uint32_t n = uint32_t((y1 - y0) * (x1 - x0));
        out[x] = ((s[0] + n / 2) / n) | (((s[1] + n / 2) / n) << 8) | (((s[2] + n / 2) / n) << 16) |
                 (((s[3] + n / 2) / n) << 24);
      }
    }
    return;
  }
  // Bilinear with 8-bit fractions, pixel centres aligned.
  std::vector<int> xi(static_cast<size_t>(dw)), xf(static_cast<size_t>(dw));
  for (int x = 0; x < dw; ++x) {
    const double fx = std::clamp((x + 0.5) * sw / dw - 0.5, 0.0, double(sw - 1));
    xi[size_t(x)] = std::min(int(fx), sw - 1);
    xf[size_t(x)] = int((fx - xi[size_t(x)]) * 256);
  }
  for (int y = 0; y < dh; ++y) {
    const double fy = std::clamp((y + 0.5) * sh / dh - 0.5, 0.0, double(sh - 1));
    const int y0 = std::min(int(fy), sh - 1), y1 = std::min(y0 + 1, sh - 1);
    const uint32_t wy = uint32_t((fy - y0) * 256);
    const Pixel* r0 = src.scanline(y0);
    const Pixel* r1 = src.scanline(y1);
    Pixel* out = dst.scanline(y);
    for (int x = 0; x < dw; ++x) {
      const int x0 = xi[size_t(x)], x1 = std::min(x0 + 1, sw - 1);
      const uint32_t wx = uint32_t(xf[size_t(x)]);
      Pixel result = 0;
      for (int c = 0; c < 32; c += 8) {
        const uint32_t p00 = (r0[x0] >> c) & 0xFF, p01 = (r0[x1] >> c) & 0xFF;
        const uint32_t p10 = (r1[x0] >> c) & 0xFF, p11 = (r1[x1] >> c) & 0xFF;
        const uint32_t top = p00 * (256 - wx) + p01 * wx;
        const uint32_t bot = p10 * (256 - wx) + p11 * wx;
        const uint32_t v = (top * (256 - wy) + bot * wy + 32768) >> 16;
        result |= v << c;
      }
      out[x] = result;
    }
  }
}

}  // namespace tp
