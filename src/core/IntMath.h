#pragma once
// Integer conventions used throughout the player: truncating division, MulDiv with a
// 64-bit intermediate rounded half away from zero, and rounding half to even.
#include <cmath>
#include <cstdint>

namespace tp {

// Division truncating toward zero ("div"). b must not be 0.
constexpr int32_t Div(int32_t a, int32_t b) { return a / b; }
constexpr int64_t Div64(int64_t a, int64_t b) { return a / b; }

// a * b / c with a 64-bit intermediate, rounded to nearest with halves away from zero.
// Returns -1 when c is 0, like the system function it stands for.
constexpr int32_t MulDiv(int32_t a, int32_t b, int32_t c) {
  if (c == 0) return -1;
  int64_t num = int64_t(a) * int64_t(b);
  int64_t den = c;
  bool neg = (num < 0) != (den < 0);
  uint64_t un = num < 0 ? uint64_t(-num) : uint64_t(num);
  uint64_t ud = den < 0 ? uint64_t(-den) : uint64_t(den);
  uint64_t q = (un + ud / 2) / ud;
  int64_t r = neg ? -int64_t(q) : int64_t(q);
  return int32_t(r);
}

// Round to the nearest integer, ties to the even integer (independent of the FPU mode).
inline int64_t RoundHalfEven(double v) {
  double f = std::floor(v);
  double diff = v - f;
  int64_t i = int64_t(f);
  if (diff > 0.5) return i + 1;
  if (diff < 0.5) return i;
  return (i % 2 == 0) ? i : i + 1;
}

}  // namespace tp
