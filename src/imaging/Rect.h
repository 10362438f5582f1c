#pragma once
// Integer rectangle; (left, top) is inside, right and bottom are exclusive.
#include <algorithm>

namespace tp {

struct Rect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;

  constexpr int width() const { return right - left; }
  constexpr int height() const { return bottom - top; }
  constexpr bool empty() const { return right <= left || bottom <= top; }
  constexpr bool contains(int x, int y) const {
    return x >= left && x < right && y >= top && y < bottom;
  }
  constexpr bool operator==(const Rect&) const = default;
};

constexpr Rect RectFromSize(int x, int y, int w, int h) { return Rect{x, y, x + w, y + h}; }

// The common part of a and b (empty when they do not overlap; then all fields may be 0).
constexpr Rect Intersect(const Rect& a, const Rect& b) {
  Rect r{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
         std::min(a.bottom, b.bottom)};
  if (r.empty()) return Rect{};
  return r;
}

}  // namespace tp
