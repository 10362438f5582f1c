// BMP reading against files ImageMagick writes (and ImageMagick's own reading of them),
// hand-built variants ImageMagick does not write (RLE4, top-down, 32-bit BI_RGB, bit
// fields after a 40-byte header), damaged files, and the BMP writer.
#include <gtest/gtest.h>

#include "imaging/import/ImageLoader.h"
#include "imaging/ImageWriter.h"
#include "imaging/ImagingTestSupport.h"

namespace tp {
namespace {

using test::Convert;
using test::ReadBytes;
using test::ReferencePixels;
using test::TempDir;

void Put16(std::vector<uint8_t>& b, size_t at, uint32_t v) {
  b[at] = uint8_t(v);
  b[at + 1] = uint8_t(v >> 8);
}
void Put32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
  Put16(b, at, v & 0xFFFF);
  Put16(b, at + 2, v >> 16);
}
uint32_t Get32(const std::vector<uint8_t>& b, size_t at) {
  return uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 | uint32_t(b[at + 3]) << 24;
}

// A BMP with a 40-byte info header; `extra` (bit-field masks) and the palette (0xRRGGBB
// entries) follow the header, then the pixel bytes as given.
std::vector<uint8_t> BuildBmp(int32_t w, int32_t h, int bpp, uint32_t compression,
                              const std::vector<uint32_t>& extra, const std::vector<uint32_t>& palette,
                              const std::vector<uint8_t>& pixels) {
  const size_t offBits = 14 + 40 + 4 * extra.size() + 4 * palette.size();
  std::vector<uint8_t> b(offBits, 0);
  b[0] = 'B';
  b[1] = 'M';
  Put32(b, 2, uint32_t(offBits + pixels.size()));
  Put32(b, 10, uint32_t(offBits));
  Put32(b, 14, 40);
  Put32(b, 18, uint32_t(w));
  Put32(b, 22, uint32_t(h));
  Put16(b, 26, 1);
  Put16(b, 28, uint32_t(bpp));
  Put32(b, 30, compression);
  Put32(b, 34, uint32_t(pixels.size()));
  Put32(b, 46, uint32_t(palette.size()));
  size_t at = 54;
  for (uint32_t m : extra) Put32(b, at, m), at += 4;
  for (uint32_t c : palette) Put32(b, at, c), at += 4;
  b.insert(b.end(), pixels.begin(), pixels.end());
  return b;
}

Bitmap32 Decode(const std::vector<uint8_t>& bytes) { return DecodeBmp(bytes.data(), bytes.size()); }

struct ImVariant {
  const char* name;
  const char* args;  // convert options before the output
  const char* prefix;
};

class BmpFromImageMagick : public ::testing::TestWithParam<ImVariant> {};

TEST_P(BmpFromImageMagick, DecodesExactlyAsImageMagickReadsIt) {
  TempDir dir;
  const std::string src = dir / "src.png", file = dir / "pic.bmp";
  test::MakeTestPicture(src, 13, 7);  // odd width: every row is padded
  Convert(src + " " + GetParam().args + " " + GetParam().prefix + file);
  const std::vector<uint8_t> bytes = ReadBytes(file);
  const Bitmap32 ours = Decode(bytes);
  const Bitmap32 ref = ReferencePixels(file);
  ASSERT_EQ(ours.width(), 13);
  ASSERT_EQ(ours.height(), 7);
  EXPECT_EQ(test::MaxChannelDiff(ours, ref), 0) << GetParam().name << ": " << test::FirstDifference(ours, ref);
}

INSTANTIATE_TEST_SUITE_P(
    Variants, BmpFromImageMagick,
    ::testing::Values(ImVariant{"1bit", "-colors 2 -type palette -compress None", "BMP3:"},
                      ImVariant{"4bit", "-colors 16 -type palette -compress None", "BMP3:"},
                      ImVariant{"8bit", "-colors 200 -type palette -compress None", "BMP3:"},
                      ImVariant{"rle8", "-colors 200 -type palette -compress RLE", "BMP3:"},
                      ImVariant{"core8", "-colors 60 -type palette -compress None", "BMP2:"},
                      ImVariant{"24bit", "-type truecolor", "BMP3:"},
                      ImVariant{"rgb565", "-define bmp:subtype=RGB565", "BMP:"},
                      ImVariant{"rgb555", "-define bmp:subtype=RGB555", "BMP:"},
                      ImVariant{"argb32", "-alpha set -channel A -fx i/w +channel", "BMP:"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(BmpCodec, TopDownAnd32BitRgbMatchTheBottomUpPicture) {
  TempDir dir;
  const std::string src = dir / "src.png", file = dir / "pic.bmp";
  test::MakeTestPicture(src, 5, 4);
  Convert(src + " -type truecolor BMP3:" + file);
  const std::vector<uint8_t> bottomUp = ReadBytes(file);
  const Bitmap32 expected = Decode(bottomUp);
  const int w = 5, h = 4;
  const size_t off = Get32(bottomUp, 10), stride24 = 16;

  // Top-down: rows in display order, negative height.
  std::vector<uint8_t> rows;
  for (int y = h - 1; y >= 0; --y)
    rows.insert(rows.end(), bottomUp.begin() + long(off + size_t(y) * stride24),
                bottomUp.begin() + long(off + size_t(y + 1) * stride24));
  EXPECT_EQ(Decode(BuildBmp(w, -h, 24, 0, {}, {}, rows)), expected);

  // 32 bits BI_RGB: the fourth byte is unused, pixels come out opaque.
  std::vector<uint8_t> px32;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const uint8_t* p = &bottomUp[off + size_t(y) * stride24 + size_t(3 * x)];
      px32.insert(px32.end(), {p[0], p[1], p[2], uint8_t(0x11 * x)});
    }
  EXPECT_EQ(Decode(BuildBmp(w, h, 32, 0, {}, {}, px32)), expected);
}

TEST(BmpCodec, BitFieldsAfterAnInfoHeaderScaleEachChannelTo8Bits) {
  // 16-bit 5-6-5, two pixels a row, rows padded to 4 bytes; bottom-up.
  const std::vector<uint8_t> px16 = {0x00, 0xF8, 0xE0, 0x07,   // bottom row: red, green
                                     0x1F, 0x00, 0x10, 0x84};  // top row: blue, 0x8410
  const Bitmap32 b = Decode(BuildBmp(2, 2, 16, 3, {0xF800, 0x07E0, 0x001F}, {}, px16));
  EXPECT_EQ(b.at(0, 1), MakePixel(255, 0, 0, 255));
  EXPECT_EQ(b.at(1, 1), MakePixel(0, 255, 0, 255));
  EXPECT_EQ(b.at(0, 0), MakePixel(0, 0, 255, 255));
  // 10000 (5 bits) repeats to 10000100; 100000 (6 bits) to 10000010.
  EXPECT_EQ(b.at(1, 0), MakePixel(0x84, 0x82, 0x84, 255));

  // 32-bit fields in an unusual order: red in the low byte, blue in the high one.
  const std::vector<uint8_t> px32 = {0x10, 0x20, 0x30, 0x40};
  const Bitmap32 c = Decode(BuildBmp(1, 1, 32, 3, {0x000000FF, 0x0000FF00, 0xFF000000}, {}, px32));
  EXPECT_EQ(c.at(0, 0), MakePixel(0x10, 0x20, 0x40, 255));
}

std::vector<uint32_t> Ramp16() {
  std::vector<uint32_t> pal;
  for (uint32_t i = 0; i < 16; ++i) pal.push_back((i * 16) << 16 | (255 - i * 16));
  return pal;
}
Pixel RampColor(int i) { return MakePixel(uint8_t(i * 16), 0, uint8_t(255 - i * 16), 255); }

TEST(BmpCodec, Rle4RunsAbsoluteRunsDeltasAndLineEnds) {
  const std::vector<uint8_t> rle = {
      0x05, 0x12,              // bottom row: run of 5 alternating 1, 2
      0x00, 0x03, 0x34, 0x50,  // absolute 3 pixels 3, 4, 5: only one fits the row
      0x00, 0x00,              // end of line
      0x00, 0x02, 0x02, 0x00,  // delta: two pixels right
      0x02, 0x77,              // run of 2 of index 7
      0x00, 0x01};             // end of picture
  const Bitmap32 b = Decode(BuildBmp(6, 2, 4, 2, {}, Ramp16(), rle));
  const Pixel z = RampColor(0);
  EXPECT_EQ(test::Row(b, 1), (std::vector<Pixel>{RampColor(1), RampColor(2), RampColor(1), RampColor(2),
                                                 RampColor(1), RampColor(3)}));
  EXPECT_EQ(test::Row(b, 0), (std::vector<Pixel>{z, z, RampColor(7), RampColor(7), z, z}));
}

TEST(BmpCodec, Rle8OddAbsoluteRunsArePaddedAndDeltasMoveDown) {
  std::vector<uint32_t> pal;
  for (uint32_t i = 0; i < 256; ++i) pal.push_back(i << 8);
  const std::vector<uint8_t> rle = {
      0x00, 0x03, 9, 8, 7, 0x00,  // absolute run of 3, padded to an even byte count
      0x01, 6,                    // one pixel of 6
      0x00, 0x02, 0x01, 0x01,     // delta: one right, one up (next file row)
      0x02, 5,                    // two pixels of 5 at columns 5, 6
      0x00, 0x01};
  const Bitmap32 b = Decode(BuildBmp(7, 3, 8, 1, {}, pal, rle));
  auto g = [](int v) { return MakePixel(0, uint8_t(v), 0, 255); };
  EXPECT_EQ(test::Row(b, 2), (std::vector<Pixel>{g(9), g(8), g(7), g(6), g(0), g(0), g(0)}));
  EXPECT_EQ(test::Row(b, 1), (std::vector<Pixel>{g(0), g(0), g(0), g(0), g(0), g(5), g(5)}));
  EXPECT_EQ(test::Row(b, 0), std::vector<Pixel>(7, g(0)));
}

TEST(BmpCodec, MoreColoursThanTheDepthAllowsUseTheFirstOnes) {
  // A 1-bit picture whose header lists 5 palette entries: pixels use entries 0 and 1,
  // the pixel data starts after all five.
  const Bitmap32 b = Decode(BuildBmp(3, 1, 1, 0, {}, {0xFF0000, 0x00FF00, 0x0000FF, 0x123456, 0x654321}, {0xA0, 0, 0, 0}));
  EXPECT_EQ(test::Row(b, 0), (std::vector<Pixel>{MakePixel(0, 255, 0, 255), MakePixel(255, 0, 0, 255),
                                                  MakePixel(0, 255, 0, 255)}));
}

TEST(BmpCodec, DamagedFilesThrowDecodeErrors) {
  TempDir dir;
  const std::string src = dir / "src.png", file = dir / "pic.bmp";
  test::MakeTestPicture(src, 6, 5);
  Convert(src + " -type truecolor BMP3:" + file);
  const std::vector<uint8_t> good = ReadBytes(file);
  ASSERT_NO_THROW(Decode(good));
  // Every cut before the last row's pixels is an error, not a short picture.
  const size_t needed = Get32(good, 10) + 20 * 4 + 18;
  for (size_t n = 0; n < needed; ++n) {
    std::vector<uint8_t> cut(good.begin(), good.begin() + long(n));
    EXPECT_THROW(DecodeBmp(cut.data(), cut.size()), ImageDecodeError) << "cut at " << n;
  }
  auto patched = [&](size_t at, uint32_t v, bool wide) {
    std::vector<uint8_t> b = good;
    if (wide) Put32(b, at, v);
    else Put16(b, at, v);
    return b;
  };
  EXPECT_THROW(Decode(patched(18, 100000, true)), ImageDecodeError);     // width too large
  EXPECT_THROW(Decode(patched(18, 0, true)), ImageDecodeError);          // zero width
  EXPECT_THROW(Decode(patched(22, 0x80000000u, true)), ImageDecodeError);  // height INT_MIN
  EXPECT_THROW(Decode(patched(28, 7, false)), ImageDecodeError);         // no such depth
  EXPECT_THROW(Decode(patched(30, 1, true)), ImageDecodeError);          // RLE8 at 24 bits
  EXPECT_THROW(Decode(patched(30, 9, true)), ImageDecodeError);          // unknown compression
  EXPECT_THROW(Decode(patched(14, 0xFFFFFFF0u, true)), ImageDecodeError);  // header size
  // An absolute RLE run that needs more bytes than the file has.
  EXPECT_THROW(Decode(BuildBmp(8, 1, 8, 1, {}, {0, 1}, {0x00, 0x08, 1, 1})), ImageDecodeError);
  EXPECT_THROW(DecodeImage(reinterpret_cast<const uint8_t*>("XYZW"), 4), ImageDecodeError);
}

TEST(BmpCodec, WrittenFilesReadTheSameInImageMagick) {
  TempDir dir;
  Bitmap32 b = test::Numbered(7, 3);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 7; ++x) b.at(x, y) = MakePixel(uint8_t(30 * x), uint8_t(80 * y), uint8_t(x * y * 9), 255);
  WriteBmpFile(b, dir / "out.bmp");
  EXPECT_EQ(test::MaxChannelDiff(ReferencePixels(dir / "out.bmp"), b), 0);
  const std::vector<uint8_t> bytes = ReadBytes(dir / "out.bmp");
  EXPECT_EQ(Decode(bytes), b);
}

}  // namespace
}  // namespace tp
