// GIF decoding and the frame animator against ImageMagick: first frame, interlacing,
// every composed frame of an animation with delays, disposal methods and transparency
// (ImageMagick's -coalesce as reference), damaged files.
#include <gtest/gtest.h>

#include "imaging/import/GifAnimation.h"
#include "imaging/import/ImageLoader.h"
#include "imaging/ImagingTestSupport.h"

namespace tp {
namespace {

using test::Convert;
using test::ReadBytes;
using test::ReferencePixels;
using test::TempDir;

// Four frames on an 8 x 8 screen: a red backdrop; a blue 4 x 4 block at (2, 2) disposed
// to the background; a mostly transparent 3 x 3 frame at (1, 1) (two lime pixels)
// disposed to the previous contents; a yellow 2 x 2 block at (5, 5).
std::string MakeAnimation(const TempDir& dir) {
  const std::string file = dir / "anim.gif";
  Convert(
      "-dispose None -delay 10 -size 8x8 xc:red "
      "-dispose Background -delay 20 -page +2+2 -size 4x4 xc:blue "
      "-dispose Previous -delay 30 -page +1+1 \\( -size 3x3 xc:none -fill lime "
      "-draw 'point 0 0' -draw 'point 1 1' \\) "
      "-dispose None -delay 40 -page +5+5 -size 2x2 xc:yellow -loop 0 " + file);
  return file;
}

// Compares a composed canvas with ImageMagick's coalesced frame: transparent where the
// reference is transparent, equal colour and opaque elsewhere.
void ExpectSameFrame(const Bitmap32& ours, const Bitmap32& ref, size_t frame) {
  ASSERT_EQ(ours.width(), ref.width());
  ASSERT_EQ(ours.height(), ref.height());
  for (int y = 0; y < ref.height(); ++y)
    for (int x = 0; x < ref.width(); ++x) {
      const Pixel r = ref.at(x, y), o = ours.at(x, y);
      if (PixelA(r) == 0) {
        EXPECT_EQ(PixelA(o), 0) << "frame " << frame << " at " << x << "," << y;
      } else {
        EXPECT_EQ(o, r) << "frame " << frame << " at " << x << "," << y;
      }
    }
}

TEST(GifAnimation, ComposesEveryFrameLikeImageMagicksCoalesce) {
  TempDir dir;
  const std::string file = MakeAnimation(dir);
  const std::vector<uint8_t> bytes = ReadBytes(file);
  const GifImage gif = GifImage::Decode(bytes.data(), bytes.size());
  ASSERT_EQ(gif.frames().size(), 4u);
  EXPECT_EQ(gif.width(), 8);
  EXPECT_EQ(gif.height(), 8);
  EXPECT_EQ(gif.frames()[1].disposal, GifDisposal::RestoreBackground);
  EXPECT_EQ(gif.frames()[2].disposal, GifDisposal::RestorePrevious);
  EXPECT_TRUE(gif.frames()[2].transparent);
  EXPECT_EQ(gif.frames()[2].left, 1);
  EXPECT_EQ(gif.frames()[3].top, 5);

  GifAnimator animator(gif);
  EXPECT_EQ(animator.frameCount(), 4u);
  EXPECT_EQ(animator.DelayMs(0), 100);
  EXPECT_EQ(animator.DelayMs(3), 400);
  EXPECT_EQ(animator.DelayMs(4), 0);
  Bitmap32 canvas;
  for (size_t k = 0; k < 4; ++k) {
    EXPECT_EQ(animator.DrawNextFrame(canvas), k);
    const std::string drop = k == 0 ? "" : " -delete 0-" + std::to_string(k - 1);
    ExpectSameFrame(canvas, ReferencePixels(file, "-coalesce" + drop), k);
  }
  // Worked values: the blue block's area was cleared, the transparent frame undone.
  EXPECT_EQ(canvas.at(2, 2), 0u);
  EXPECT_EQ(canvas.at(1, 1), MakePixel(255, 0, 0, 255));
  EXPECT_EQ(canvas.at(6, 6), MakePixel(255, 255, 0, 255));
  // After the last frame the animation starts over on a cleared canvas.
  EXPECT_EQ(animator.DrawNextFrame(canvas), 0u);
  ExpectSameFrame(canvas, ReferencePixels(file, "-coalesce"), 0);
}

TEST(GifAnimation, ClearColourFillsDisposedAreas) {
  TempDir dir;
  const std::vector<uint8_t> bytes = ReadBytes(MakeAnimation(dir));
  const GifImage gif = GifImage::Decode(bytes.data(), bytes.size());
  GifAnimator animator(gif, 0x00FFFF00);
  Bitmap32 canvas;
  animator.DrawNextFrame(canvas);
  animator.DrawNextFrame(canvas);
  animator.DrawNextFrame(canvas);
  EXPECT_EQ(canvas.at(3, 3), 0x00FFFF00u);       // cleared, not drawn by frame 2
  EXPECT_EQ(canvas.at(2, 2), MakePixel(0, 255, 0, 255));  // drawn by frame 2
  animator.Reset(canvas);
  EXPECT_EQ(animator.nextFrame(), 0u);
  EXPECT_EQ(canvas.at(0, 0), 0x00FFFF00u);
}

TEST(GifAnimation, FirstFrameOfStillAndInterlacedPictures) {
  TempDir dir;
  const std::string src = dir / "src.png";
  test::MakeTestPicture(src, 23, 19);
  for (const std::string opts : {"", "-interlace GIF"}) {
    Convert(src + " -colors 64 " + opts + " " + dir / "s.gif");
    const std::vector<uint8_t> bytes = ReadBytes(dir / "s.gif");
    EXPECT_EQ(test::MaxChannelDiff(DecodeGifFirstFrame(bytes.data(), bytes.size()),
                                   ReferencePixels(dir / "s.gif")),
              0)
        << opts;
  }
  // Transparent pixels of the first frame come out as 0x00000000.
  Convert("-size 3x1 xc:none -fill navy -draw 'point 1 0' " + dir / "t.gif");
  const std::vector<uint8_t> t = ReadBytes(dir / "t.gif");
  EXPECT_EQ(test::Row(DecodeGifFirstFrame(t.data(), t.size()), 0),
            (std::vector<Pixel>{0, MakePixel(0, 0, 128, 255), 0}));
}

TEST(GifAnimation, AGraphicControlBlockOfTheWrongSizeIsIgnored) {
  TempDir dir;
  std::vector<uint8_t> bytes = ReadBytes(MakeAnimation(dir));
  // Make the second frame's control block 5 bytes long (a stray byte before its end).
  size_t at = 0;
  for (int seen = 0; at + 3 < bytes.size(); ++at)
    if (bytes[at] == 0x21 && bytes[at + 1] == 0xF9 && bytes[at + 2] == 4 && ++seen == 2) break;
  ASSERT_LT(at + 3, bytes.size());
  bytes[at + 2] = 5;
  bytes.insert(bytes.begin() + long(at + 7), 0x99);
  const GifImage gif = GifImage::Decode(bytes.data(), bytes.size());
  ASSERT_EQ(gif.frames().size(), 4u);
  EXPECT_EQ(gif.frames()[1].delayMs, 0);  // defaults, not whatever was in memory
  EXPECT_EQ(gif.frames()[1].disposal, GifDisposal::None);
  EXPECT_EQ(gif.frames()[2].delayMs, 300);
}

TEST(GifAnimation, DamagedFilesThrowOrKeepTheFramesReadBeforeTheDamage) {
  TempDir dir;
  const std::vector<uint8_t> good = ReadBytes(MakeAnimation(dir));
  EXPECT_THROW(GifImage::Decode(good.data(), 12), ImageDecodeError);
  EXPECT_THROW(GifImage::Decode(good.data(), 40), ImageDecodeError);  // inside the colour map
  std::vector<uint8_t> junk(good.begin(), good.begin() + 6);
  junk.resize(200, 0xEE);
  EXPECT_THROW(GifImage::Decode(junk.data(), junk.size()), ImageDecodeError);
  // Every cut decodes to at most the frames it holds or throws; never more frames.
  for (size_t n = 0; n < good.size(); ++n) {
    try {
      const GifImage g = GifImage::Decode(good.data(), n);
      EXPECT_LE(g.frames().size(), 4u);
      Bitmap32 canvas;
      GifAnimator a(g);
      for (size_t k = 0; k < g.frames().size(); ++k) a.DrawNextFrame(canvas);
      EXPECT_EQ(canvas.width(), 8);
    } catch (const ImageDecodeError&) {
    }
  }
  const GifImage whole = GifImage::Decode(good.data(), good.size() - 1);  // no trailer
  EXPECT_EQ(whole.frames().size(), 4u);
}

// A GIF written byte by byte: a screen with a two-colour global map (black, white) and
// images of single-colour pixels, each with a two-colour local map whose entry 0 is the
// image's colour, optionally after a graphic control extension.
class GifBytes {
 public:
  GifBytes(int w, int h) {
    Add("GIF89a");
    U16(w);
    U16(h);
    b_ += {char(0x80), 0, 0};       // global map of 2 entries, background 0
    b_ += {0, 0, 0, char(255), char(255), char(255)};
  }
  GifBytes& Control(int delayCs) {
    b_ += {0x21, char(0xF9), 4, 0};
    U16(delayCs);
    b_ += {0, 0};
    return *this;
  }
  // A w x h image at (x, y) of one colour (w * h at most 1, or 0 for an empty image).
  GifBytes& Image(int x, int y, int w, int h, uint8_t r = 0, uint8_t g = 0, uint8_t bl = 0) {
    b_ += char(0x2C);
    U16(x);
    U16(y);
    U16(w);
    U16(h);
    b_ += {char(0x80), char(r), char(g), char(bl), 0, 0, 0};  // local map: the colour, black
    b_ += char(2);                                             // LZW minimum code size
    if (w * h == 0) {
      b_ += {1, 0x2C, 0};  // clear, end
    } else {
      b_ += {2, 0x44, 0x01, 0};  // clear, index 0, end
    }
    return *this;
  }
  std::vector<uint8_t> Done() {
    b_ += char(0x3B);
    return std::vector<uint8_t>(b_.begin(), b_.end());
  }

 private:
  void Add(const char* s) { b_ += s; }
  void U16(int v) { b_ += {char(v & 0xFF), char(v >> 8)}; }
  std::string b_;
};

TEST(GifAnimation, ImagesWithoutControlExtensionJoinTheNextShownFrame) {
  const Pixel red = MakePixel(255, 0, 0, 255), blue = MakePixel(0, 0, 255, 255),
              green = MakePixel(0, 255, 0, 255), white = MakePixel(255, 255, 255, 255);
  // Four one-pixel tiles and no control extension at all: one frame, the whole picture.
  const std::vector<uint8_t> tiles = GifBytes(2, 2)
                                         .Image(0, 0, 1, 1, 255, 0, 0)
                                         .Image(1, 0, 1, 1, 0, 0, 255)
                                         .Image(0, 1, 1, 1, 0, 255, 0)
                                         .Image(1, 1, 1, 1, 255, 255, 255)
                                         .Done();
  const Bitmap32 first = DecodeGifFirstFrame(tiles.data(), tiles.size());
  EXPECT_EQ(test::Row(first, 0), (std::vector<Pixel>{red, blue}));
  EXPECT_EQ(test::Row(first, 1), (std::vector<Pixel>{green, white}));

  // red (none), blue (delay 50), green (delay 70), white (none, after the last control):
  // two frames, {red, blue} and {green, white}; an empty image anywhere adds nothing.
  const std::vector<uint8_t> anim = GifBytes(2, 2)
                                        .Image(0, 0, 1, 1, 255, 0, 0)
                                        .Image(1, 1, 0, 1)
                                        .Control(5)
                                        .Image(1, 0, 1, 1, 0, 0, 255)
                                        .Control(7)
                                        .Image(0, 1, 1, 1, 0, 255, 0)
                                        .Image(0, 0, 5, 0)
                                        .Image(1, 1, 1, 1, 255, 255, 255)
                                        .Done();
  const GifImage gif = GifImage::Decode(anim.data(), anim.size());
  EXPECT_EQ(gif.frames().size(), 6u);
  GifAnimator animator(gif);
  ASSERT_EQ(animator.frameCount(), 2u);
  EXPECT_EQ(animator.DelayMs(0), 50);
  EXPECT_EQ(animator.DelayMs(1), 70);
  Bitmap32 canvas;
  EXPECT_EQ(animator.DrawNextFrame(canvas), 0u);
  EXPECT_EQ(test::Row(canvas, 0), (std::vector<Pixel>{red, blue}));
  EXPECT_EQ(test::Row(canvas, 1), (std::vector<Pixel>{0, 0}));
  EXPECT_EQ(animator.DrawNextFrame(canvas), 1u);
  EXPECT_EQ(test::Row(canvas, 1), (std::vector<Pixel>{green, white}));
  EXPECT_EQ(animator.DrawNextFrame(canvas), 0u);
  EXPECT_EQ(test::Row(canvas, 1), (std::vector<Pixel>{0, 0}));

  // A GIF of empty images only has no picture when its screen is empty too.
  const std::vector<uint8_t> blank = GifBytes(3, 2).Control(10).Image(0, 0, 0, 0).Done();
  const Bitmap32 none = DecodeGifFirstFrame(blank.data(), blank.size());
  EXPECT_EQ(none.width(), 3);
  EXPECT_EQ(test::Row(none, 0), (std::vector<Pixel>{0, 0, 0}));
  const std::vector<uint8_t> nothing = GifBytes(0, 0).Image(0, 0, 0, 4).Done();
  EXPECT_THROW(GifImage::Decode(nothing.data(), nothing.size()), ImageDecodeError);
}

}  // namespace
}  // namespace tp
