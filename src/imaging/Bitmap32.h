#pragma once
// A 32-bit bitmap: BGRX/BGRA pixels (one uint32_t each, 0xAARRGGBB in a register),
// top-down rows. Value-like; copies are deep. Resizing to the same size never allocates.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

namespace tp {

using Pixel = uint32_t;

// Allocator that leaves new elements uninitialised, so a decoder that writes every pixel
// does not pay for clearing them first. Explicit values are still written as given.
template <class T>
struct DefaultInitAllocator : std::allocator<T> {
  template <class U>
  struct rebind {
    using other = DefaultInitAllocator<U>;
  };
  DefaultInitAllocator() = default;
  template <class U>
  DefaultInitAllocator(const DefaultInitAllocator<U>&) {}
  template <class U>
  void construct(U* p) noexcept {
    ::new (static_cast<void*>(p)) U;
  }
  template <class U, class... Args>
  void construct(U* p, Args&&... args) {
    ::new (static_cast<void*>(p)) U(std::forward<Args>(args)...);
  }
};

constexpr Pixel MakePixel(uint8_t r, uint8_t g, uint8_t b, uint8_t a = 0) {
  return (Pixel(a) << 24) | (Pixel(r) << 16) | (Pixel(g) << 8) | Pixel(b);
}
constexpr uint8_t PixelB(Pixel p) { return uint8_t(p); }
constexpr uint8_t PixelG(Pixel p) { return uint8_t(p >> 8); }
constexpr uint8_t PixelR(Pixel p) { return uint8_t(p >> 16); }
constexpr uint8_t PixelA(Pixel p) { return uint8_t(p >> 24); }

class Bitmap32 {
 public:
  Bitmap32() = default;
  Bitmap32(int width, int height) { SetSize(width, height); }

  int width() const { return width_; }
  int height() const { return height_; }
  // Row length in pixels (equal to width; kept separate so callers do not assume it).
  int stride() const { return width_; }
  bool empty() const { return width_ <= 0 || height_ <= 0; }

  Pixel* scanline(int y) { return pixels_.data() + size_t(y) * size_t(width_); }
  const Pixel* scanline(int y) const { return pixels_.data() + size_t(y) * size_t(width_); }
  Pixel* data() { return pixels_.data(); }
  const Pixel* data() const { return pixels_.data(); }
  size_t pixelCount() const { return size_t(width_ > 0 ? width_ : 0) * size_t(height_ > 0 ? height_ : 0); }

  Pixel& at(int x, int y) { return scanline(y)[x]; }
  Pixel at(int x, int y) const { return scanline(y)[x]; }

  // Sets the size; negative sizes count as 0. New contents are black (0). Keeps the
  // allocation when the pixel count does not grow. Throws std::bad_alloc when the pixels
  // cannot be had (or exceed MaxPixels()); the bitmap is then unchanged.
  void SetSize(int width, int height);
  // The same, but the contents are left undefined (for callers that write every pixel).
  void SetSizeUninitialized(int width, int height);

  // The most pixels one bitmap may hold; a larger size fails like a failed allocation.
  // Pictures come from untrusted files, so no declared size may ask for more than this.
  // Tests lower it to make allocations fail at a chosen size.
  static constexpr size_t kDefaultMaxPixels = size_t(1) << 30;
  static void SetMaxPixels(size_t pixels);
  static size_t MaxPixels();
  void Fill(Pixel value);

  // Master alpha (0..255) used when this bitmap is drawn onto another.
  uint8_t masterAlpha() const { return masterAlpha_; }
  void setMasterAlpha(uint8_t a) { masterAlpha_ = a; }

  bool operator==(const Bitmap32& o) const {
    return width_ == o.width_ && height_ == o.height_ && pixels_ == o.pixels_;
  }

 private:
  int width_ = 0;
  int height_ = 0;
  uint8_t masterAlpha_ = 255;
  // Width and height, both 0 when either is not positive; throws std::bad_alloc past
  // MaxPixels().
  static std::pair<int, int> Dimensions(int width, int height);
  std::vector<Pixel, DefaultInitAllocator<Pixel>> pixels_;
};

}  // namespace tp
