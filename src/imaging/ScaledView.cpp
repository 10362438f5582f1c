#include "imaging/ScaledView.h"

#include <pixman.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace tp {
namespace {

// Magnified or kept: pixman's bilinear filter.
void DrawBilinear(const Bitmap32& src, const SourceRect& part, Bitmap32& dst, const Rect& to, const Rect& clipped) {
  // pixman reads the source only; it takes a mutable pointer for either use.
  pixman_image_t* s = pixman_image_create_bits(PIXMAN_x8r8g8b8, src.width(), src.height(),
                                               const_cast<uint32_t*>(src.data()), src.stride() * 4);
  pixman_image_t* d = pixman_image_create_bits(PIXMAN_x8r8g8b8, dst.width(), dst.height(), dst.data(), dst.stride() * 4);
  if (s != nullptr && d != nullptr) {
    // Destination pixel centres (relative to `to`) map to source points.
    pixman_transform_t t;
    pixman_transform_init_identity(&t);
    t.matrix[0][0] = pixman_double_to_fixed(part.width / to.width());
    t.matrix[0][2] = pixman_double_to_fixed(part.x);
    t.matrix[1][1] = pixman_double_to_fixed(part.height / to.height());
    t.matrix[1][2] = pixman_double_to_fixed(part.y);
    pixman_image_set_transform(s, &t);
    pixman_image_set_repeat(s, PIXMAN_REPEAT_PAD);
    pixman_image_set_filter(s, PIXMAN_FILTER_BILINEAR, nullptr, 0);
    pixman_image_composite32(PIXMAN_OP_SRC, s, nullptr, d, clipped.left - to.left, clipped.top - to.top, 0, 0,
                             clipped.left, clipped.top, clipped.width(), clipped.height());
  }
  if (s) pixman_image_unref(s);
  if (d) pixman_image_unref(d);
}

// The source pixels one output sample along an axis averages, with weights out of 256.
struct Taps {
  int first = 0, count = 0;
  size_t at = 0;  // index of the first weight in the shared list
};

// Taps for outputs [from, from + n) of an axis of `out` samples over [start, start + length)
// of a source `size` pixels long: a tent as wide as the shrink (at least linear
// interpolation), the edge pixel repeated beyond the source.
void MakeTaps(double start, double length, int out, int from, int n, int size, std::vector<Taps>& taps,
              std::vector<uint16_t>& weights) {
  const double step = length / out, radius = std::max(step, 1.0);
  thread_local std::vector<double> raw;
  taps.assign(size_t(n), Taps{});
  weights.clear();
  for (int i = 0; i < n; ++i) {
    const double centre = start + (from + i + 0.5) * step;  // in pixel-edge coordinates
    const int lo = int(std::floor(centre - radius - 0.5)) + 1, hi = int(std::ceil(centre + radius - 0.5)) - 1;
    const int first = std::clamp(lo, 0, size - 1), last = std::clamp(hi, 0, size - 1);
    Taps& t = taps[size_t(i)];
    t.first = first;
    t.count = last - first + 1;
    t.at = weights.size();
    weights.resize(weights.size() + size_t(t.count), 0);
    raw.assign(size_t(t.count), 0.0);
    double sum = 0;
    const int span = t.count;
    for (int j = lo; j <= hi; ++j) {
      const double w = std::max(0.0, 1.0 - std::abs(j + 0.5 - centre) / radius);
      raw[size_t(std::clamp(j, 0, size - 1) - first)] += w;
      sum += w;
    }
    if (sum <= 0) raw[0] = sum = 1;
    int total = 0, biggest = 0;
    for (int k = 0; k < span; ++k) {
      const int w = int(std::lround(raw[k] / sum * 256));
      weights[t.at + size_t(k)] = uint16_t(w);
      total += w;
      if (w > weights[t.at + size_t(biggest)]) biggest = k;
    }
    weights[t.at + size_t(biggest)] = uint16_t(int(weights[t.at + size_t(biggest)]) + 256 - total);
  }
}

// Two 8-bit channels in each half of a word, weighted by at most 256 in all, never carry
// into each other: the four channels of a pixel are summed in two multiplies.
constexpr uint32_t kLanes = 0x00FF00FFu, kHalf = 0x00800080u;
inline Pixel Packed(uint32_t rb, uint32_t ag) { return ((rb >> 8) & kLanes) | (ag & ~kLanes); }

// The taps of every output made the same length (zero weights where fewer are needed), each
// starting where its pixels all lie inside the source, for a loop without branches.
int Even(std::vector<Taps>& taps, std::vector<uint16_t>& weights, int size, std::vector<uint16_t>& even) {
  int longest = 1;
  for (const Taps& t : taps) longest = std::max(longest, t.count);
  even.assign(taps.size() * size_t(longest), 0);
  for (size_t i = 0; i < taps.size(); ++i) {
    Taps& t = taps[i];
    const int first = std::max(0, std::min(t.first, size - longest));
    for (int k = 0; k < t.count; ++k) even[i * size_t(longest) + size_t(t.first - first + k)] = weights[t.at + size_t(k)];
    t.first = first;
  }
  return longest;
}

// One row across: every output sums `taps` pixels from its first (a constant count where
// it is small, so the loop unrolls).
template <int kTaps>
void Across(const Pixel* in, const std::vector<Taps>& across, const uint16_t* weights, int taps, Pixel* out, int n) {
  const int count = kTaps > 0 ? kTaps : taps;
  for (int x = 0; x < n; ++x) {
    const Pixel* p = in + across[size_t(x)].first;
    const uint16_t* w = weights + size_t(x) * size_t(count);
    uint32_t rb = kHalf, ag = kHalf;
    for (int k = 0; k < count; ++k) {
      rb += (p[k] & kLanes) * w[k];
      ag += ((p[k] >> 8) & kLanes) * w[k];
    }
    out[x] = Packed(rb, ag);
  }
}

#if defined(__SSE2__)
// The same sums four channels at a time in 16-bit lanes (every sum stays below 65536).

// Down over four pixels a step: each row's pixels weighted and summed in registers.
void DownSse2(const Bitmap32& src, int first, int count, const uint16_t* weights, int left, int width, Pixel* out) {
  const __m128i zero = _mm_setzero_si128(), half = _mm_set1_epi16(128);
  int x = 0;
  for (; x + 4 <= width; x += 4) {
    __m128i lo = half, hi = half;
    for (int k = 0; k < count; ++k) {
      const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src.scanline(first + k) + left + x));
      const __m128i w = _mm_set1_epi16(short(weights[k]));
      lo = _mm_add_epi16(lo, _mm_mullo_epi16(_mm_unpacklo_epi8(v, zero), w));
      hi = _mm_add_epi16(hi, _mm_mullo_epi16(_mm_unpackhi_epi8(v, zero), w));
    }
    const __m128i packed = _mm_packus_epi16(_mm_srli_epi16(lo, 8), _mm_srli_epi16(hi, 8));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + x), packed);
  }
  for (; x < width; ++x) {
    uint32_t rb = kHalf, ag = kHalf;
    for (int k = 0; k < count; ++k) {
      const Pixel p = src.scanline(first + k)[left + x];
      rb += (p & kLanes) * weights[k];
      ag += ((p >> 8) & kLanes) * weights[k];
    }
    out[x] = Packed(rb, ag);
  }
}

// Across with at most four taps: four pixels loaded at once (the row has four pixels of
// slack), each pair weighted by its lanes of `wide` (each weight four times over).
void AcrossSse2(const Pixel* in, const std::vector<Taps>& across, const uint16_t* wide, Pixel* out, int n) {
  const __m128i zero = _mm_setzero_si128(), half = _mm_set1_epi16(128);
  for (int x = 0; x < n; ++x) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + across[size_t(x)].first));
    const __m128i* w = reinterpret_cast<const __m128i*>(wide + size_t(x) * 16);
    __m128i sum = _mm_add_epi16(_mm_mullo_epi16(_mm_unpacklo_epi8(v, zero), _mm_loadu_si128(w)),
                                _mm_mullo_epi16(_mm_unpackhi_epi8(v, zero), _mm_loadu_si128(w + 1)));
    sum = _mm_add_epi16(_mm_add_epi16(sum, _mm_srli_si128(sum, 8)), half);
    out[x] = Pixel(_mm_cvtsi128_si32(_mm_packus_epi16(_mm_srli_epi16(sum, 8), zero)));
  }
}
#endif

// Shrunk along either axis: a separable tent, down then across, through scratch buffers
// kept for the thread so that frames after the first allocate nothing.
void DrawTent(const Bitmap32& src, const SourceRect& part, Bitmap32& dst, const Rect& to, const Rect& clipped) {
  thread_local std::vector<Taps> across, down;
  thread_local std::vector<uint16_t> acrossWeights, downWeights, even;
  thread_local std::vector<Pixel> row;
  thread_local std::vector<uint32_t> sumRb, sumAg;
  const int n = clipped.width(), m = clipped.height();
  MakeTaps(part.x, part.width, to.width(), clipped.left - to.left, n, src.width(), across, acrossWeights);
  MakeTaps(part.y, part.height, to.height(), clipped.top - to.top, m, src.height(), down, downWeights);
  const int taps = Even(across, acrossWeights, src.width(), even);
  // The source columns the outputs read.
  int left = src.width(), right = 0;
  for (const Taps& t : across) {
    left = std::min(left, t.first);
    right = std::max(right, t.first + taps);
  }
  for (Taps& t : across) t.first -= left;
  const int width = right - left;
  row.assign(size_t(width) + 4, 0);  // slack for four-pixel loads
  sumRb.resize(size_t(width));
  sumAg.resize(size_t(width));
#if defined(__SSE2__)
  thread_local std::vector<uint16_t> wide;
  if (taps <= 4) {
    wide.assign(size_t(n) * 16, 0);
    for (int x = 0; x < n; ++x)
      for (int k = 0; k < taps; ++k) std::fill_n(wide.data() + size_t(x) * 16 + size_t(k) * 4, 4, even[size_t(x) * size_t(taps) + size_t(k)]);
    for (int y = 0; y < m; ++y) {
      const Taps& t = down[size_t(y)];
      DownSse2(src, t.first, t.count, downWeights.data() + t.at, left, width, row.data());
      AcrossSse2(row.data(), across, wide.data(), dst.scanline(clipped.top + y) + clipped.left, n);
    }
    return;
  }
#endif
  for (int y = 0; y < m; ++y) {
    // Down: the source rows of this output row summed, column by column.
    const Taps& t = down[size_t(y)];
    std::fill(sumRb.begin(), sumRb.end(), kHalf);
    std::fill(sumAg.begin(), sumAg.end(), kHalf);
    for (int k = 0; k < t.count; ++k) {
      const Pixel* in = src.scanline(t.first + k) + left;
      const uint32_t w = downWeights[t.at + size_t(k)];
      uint32_t* rb = sumRb.data();
      uint32_t* ag = sumAg.data();
      for (int x = 0; x < width; ++x) {
        rb[x] += (in[x] & kLanes) * w;
        ag[x] += ((in[x] >> 8) & kLanes) * w;
      }
    }
    for (int x = 0; x < width; ++x) row[size_t(x)] = Packed(sumRb[size_t(x)], sumAg[size_t(x)]);
    // Across, into the frame.
    Pixel* out = dst.scanline(clipped.top + y) + clipped.left;
    switch (taps) {
      case 2: Across<2>(row.data(), across, even.data(), taps, out, n); break;
      case 3: Across<3>(row.data(), across, even.data(), taps, out, n); break;
      case 4: Across<4>(row.data(), across, even.data(), taps, out, n); break;
      case 5: Across<5>(row.data(), across, even.data(), taps, out, n); break;
      default: Across<0>(row.data(), across, even.data(), taps, out, n); break;
    }
  }
}

}  // namespace

void DrawScaledView(const Bitmap32& src, const SourceRect& part, Bitmap32& dst, const Rect& to) {
  if (src.empty() || dst.empty() || to.empty() || part.width <= 0 || part.height <= 0) return;
  const Rect clipped = Intersect(to, Rect{0, 0, dst.width(), dst.height()});
  if (clipped.empty()) return;
  const double kx = part.width / to.width(), ky = part.height / to.height();
  if (kx <= 1.001 && ky <= 1.001)
    DrawBilinear(src, part, dst, to, clipped);
  else
    DrawTent(src, part, dst, to, clipped);
}

}  // namespace tp
