// GIFs that other viewers show and that stretch the format: a code table filled to all
// 4096 codes and then used without a clear code, empty images and an empty screen, an
// animation without delays, and a GIF87a animation. The files are written here byte by
// byte (LZW included); ImageMagick's reading is the reference where it reads them.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "imaging/ImagingTestSupport.h"
#include "imaging/import/GifAnimation.h"
#include "imaging/import/ImageLoader.h"

namespace tp {
namespace {

// LZW as GIF codes it, 8-bit pixels. Without deferredClear the table is cleared when it is
// full (as most encoders do); with it, the full table of 4096 codes goes on being used.
std::string Lzw(const std::vector<uint8_t>& pixels, bool deferredClear) {
  std::string out;
  uint32_t bits = 0;
  int count = 0, codeSize = 9, next = 258;
  std::map<std::pair<int, int>, int> table;
  auto put = [&](int code) {
    bits |= uint32_t(code) << count;
    count += codeSize;
    while (count >= 8) {
      out += char(bits & 0xFF);
      bits >>= 8;
      count -= 8;
    }
    if (next >= (1 << codeSize) && codeSize < 12) ++codeSize;
  };
  put(256);
  int prefix = pixels.empty() ? -1 : pixels[0];
  for (size_t i = 1; i < pixels.size(); ++i) {
    const auto found = table.find({prefix, pixels[i]});
    if (found != table.end()) {
      prefix = found->second;
      continue;
    }
    put(prefix);
    if (next < 4096) {
      table[{prefix, pixels[i]}] = next++;
    } else if (!deferredClear) {
      put(256);
      table.clear();
      next = 258;
      codeSize = 9;
    }
    prefix = pixels[i];
  }
  if (prefix >= 0) put(prefix);
  put(257);
  if (count > 0) out += char(bits & 0xFF);
  return out;
}

// A GIF of 8-bit images on one global map of 256 greys-and-colours.
class Gif {
 public:
  Gif(const char* version, int w, int h) {
    b_ += version;
    U16(w);
    U16(h);
    b_ += {char(0xF7), 0, 0};  // global map of 256 entries
    for (int i = 0; i < 256; ++i) b_ += {char(i), char(255 - i), char((i * 7) & 0xFF)};
  }
  Gif& Control(int delayCs) {
    b_ += {0x21, char(0xF9), 4, 0};
    U16(delayCs);
    b_ += {0, 0};
    return *this;
  }
  Gif& Image(int x, int y, int w, int h, const std::vector<uint8_t>& pixels, bool deferredClear = false) {
    b_ += char(0x2C);
    U16(x);
    U16(y);
    U16(w);
    U16(h);
    b_ += char(0);
    b_ += char(8);
    const std::string data = Lzw(pixels, deferredClear);
    for (size_t at = 0; at < data.size(); at += 255) {
      const size_t n = std::min<size_t>(255, data.size() - at);
      b_ += char(n);
      b_ += data.substr(at, n);
    }
    b_ += char(0);
    return *this;
  }
  std::vector<uint8_t> Done() {
    b_ += char(0x3B);
    return std::vector<uint8_t>(b_.begin(), b_.end());
  }

 private:
  void U16(int v) { b_ += {char(v & 0xFF), char(v >> 8)}; }
  std::string b_;
};

Pixel Colour(int i) { return MakePixel(uint8_t(i), uint8_t(255 - i), uint8_t((i * 7) & 0xFF), 255); }

std::vector<uint8_t> Noise(int n, uint32_t seed) {
  std::vector<uint8_t> v(static_cast<size_t>(n));
  for (auto& p : v) {
    seed = seed * 1664525u + 1013904223u;
    p = uint8_t(seed >> 24);
  }
  return v;
}

std::vector<uint8_t> Flat(int n, int index) { return std::vector<uint8_t>(size_t(n), uint8_t(index)); }

TEST(OddGifs, AFullCodeTableUsedWithoutAClearCode) {
  const int w = 160, h = 120;
  const std::vector<uint8_t> pixels = Noise(w * h, 7);
  test::TempDir dir;
  for (bool deferred : {false, true}) {
    SCOPED_TRACE(deferred);
    const std::vector<uint8_t> gif = Gif("GIF89a", w, h).Image(0, 0, w, h, pixels, deferred).Done();
    const std::string path = dir / "codes.gif";
    test::WriteBytes(path, gif);
    const Bitmap32 reference = test::ReferencePixels(path);  // checks our encoder, too
    Bitmap32 b;
    ASSERT_NO_THROW(b = DecodeImage(gif.data(), gif.size()));
    EXPECT_EQ(b, reference) << test::FirstDifference(b, reference);
    EXPECT_EQ(b.at(w - 1, h - 1), Colour(pixels.back()));
  }
}

TEST(OddGifs, EmptyImagesAndAnEmptyScreen) {
  // A zero-width image before the picture, on a screen that says 0 x 0.
  const std::vector<uint8_t> gif =
      Gif("GIF89a", 0, 0).Image(0, 0, 0, 5, {}).Image(2, 1, 3, 2, Flat(6, 40)).Done();
  const Bitmap32 b = DecodeImage(gif.data(), gif.size());
  ASSERT_EQ(b.width(), 5);
  ASSERT_EQ(b.height(), 3);
  EXPECT_EQ(b.at(4, 2), Colour(40));
  EXPECT_EQ(b.at(0, 0), 0u);  // outside the image: transparent
  DecodeRequest shown;
  shown.toSrgb = true;  // composed over black for the show
  EXPECT_EQ(DecodeImage(gif.data(), gif.size(), shown).at(0, 0), MakePixel(0, 0, 0, 255));
  // Zero height on a real screen: the image draws nothing, the next one is the picture.
  const std::vector<uint8_t> flat = Gif("GIF89a", 4, 4).Control(0).Image(1, 1, 3, 0, {}).Control(0).Image(0, 0, 4, 4, Flat(16, 9)).Done();
  const GifImage decoded = GifImage::Decode(flat.data(), flat.size());
  EXPECT_EQ(GifAnimator(decoded).frameCount(), 2u);
  EXPECT_EQ(DecodeImage(flat.data(), flat.size()).at(2, 2), 0u);  // the first frame is the empty one
}

TEST(OddGifs, AnimationsWithoutDelaysAndGif87aAnimationsShowTheirFirstImageFirst) {
  // Three full-screen images: red-ish (1), then 2, then 3.
  auto frames = [](Gif g, bool control) {
    for (int i = 1; i <= 3; ++i) {
      if (control) g.Control(0);
      g.Image(0, 0, 4, 4, Flat(16, i));
    }
    return g.Done();
  };
  for (const auto& [version, control] : std::vector<std::pair<const char*, bool>>{{"GIF89a", true}, {"GIF87a", false}}) {
    SCOPED_TRACE(version);
    const std::vector<uint8_t> gif = frames(Gif(version, 4, 4), control);
    EXPECT_EQ(DecodeImage(gif.data(), gif.size()).at(1, 1), Colour(1));
    const GifImage decoded = GifImage::Decode(gif.data(), gif.size());
    GifAnimator animator(decoded);
    ASSERT_EQ(animator.frameCount(), 3u);
    Bitmap32 canvas;
    for (int i = 1; i <= 3; ++i) {
      animator.DrawNextFrame(canvas);
      EXPECT_EQ(canvas.at(2, 2), Colour(i));
      EXPECT_EQ(animator.DelayMs(size_t(i - 1)), 0);
    }
  }
  // A GIF89a's images without control extensions still make one picture (tiles).
  const std::vector<uint8_t> tiles =
      Gif("GIF89a", 4, 2).Image(0, 0, 2, 2, Flat(4, 5)).Image(2, 0, 2, 2, Flat(4, 6)).Done();
  const Bitmap32 whole = DecodeImage(tiles.data(), tiles.size());
  EXPECT_EQ(whole.at(0, 0), Colour(5));
  EXPECT_EQ(whole.at(3, 1), Colour(6));
}

}  // namespace
}  // namespace tp
