// JPEG decoding against ImageMagick's reading of the same files (baseline, progressive,
// greyscale, CMYK), from memory blocks of an exact length, damaged data as exceptions;
// the PNG writer and reader; format sniffing.
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

struct JpegVariant {
  const char* name;
  const char* args;
  int tolerance;  // per channel; decoders may differ slightly in upsampling and colour maths
};

class JpegFromImageMagick : public ::testing::TestWithParam<JpegVariant> {};

TEST_P(JpegFromImageMagick, MatchesImageMagicksPixels) {
  TempDir dir;
  const std::string src = dir / "src.png", file = dir / "pic.jpg";
  test::MakeTestPicture(src, 61, 37);
  Convert(src + " " + GetParam().args + " -quality 85 " + file);
  const Bitmap32 ours = LoadJpegFile(file);
  const Bitmap32 ref = ReferencePixels(file, "-colorspace sRGB");
  ASSERT_EQ(ours.width(), 61);
  ASSERT_EQ(ours.height(), 37);
  EXPECT_LE(test::MaxChannelDiff(ours, ref, false), GetParam().tolerance) << GetParam().name;
  EXPECT_GT(test::Psnr(ours, ref), 40.0);
  for (int y = 0; y < ours.height(); ++y)
    for (int x = 0; x < ours.width(); ++x) ASSERT_EQ(PixelA(ours.at(x, y)), 255);
}

INSTANTIATE_TEST_SUITE_P(Variants, JpegFromImageMagick,
                         ::testing::Values(JpegVariant{"baseline", "", 2},
                                           JpegVariant{"progressive", "-interlace JPEG", 2},
                                           JpegVariant{"grey", "-colorspace Gray", 2},
                                           JpegVariant{"subsampled", "-sampling-factor 2x2", 2},
                                           JpegVariant{"cmyk", "-colorspace CMYK", 3}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(JpegCodec, MemoryBlockOfExactLengthDecodesLikeTheFile) {
  TempDir dir;
  const std::string src = dir / "src.png", file = dir / "pic.jpg";
  test::MakeTestPicture(src, 40, 30);
  Convert(src + " -quality 90 " + file);
  const std::vector<uint8_t> bytes = ReadBytes(file);
  const Bitmap32 fromFile = LoadJpegFile(file);
  // A heap block of exactly the JPEG's length: the sanitizer catches any read past it.
  std::unique_ptr<uint8_t[]> exact(new uint8_t[bytes.size()]);
  std::memcpy(exact.get(), bytes.data(), bytes.size());
  EXPECT_EQ(DecodeJpeg(exact.get(), bytes.size()), fromFile);
  // The same block inside a larger buffer followed by other data.
  std::vector<uint8_t> packed(bytes);
  packed.insert(packed.end(), 500, 0xFF);
  EXPECT_EQ(DecodeJpeg(packed.data(), bytes.size()), fromFile);
  EXPECT_EQ(DecodeImage(bytes.data(), bytes.size()), fromFile);
}

TEST(JpegCodec, DamagedDataThrowsInsteadOfExiting) {
  TempDir dir;
  const std::string src = dir / "src.png", file = dir / "pic.jpg";
  test::MakeTestPicture(src, 24, 16);
  Convert(src + " " + file);
  const std::vector<uint8_t> good = ReadBytes(file);
  EXPECT_THROW(DecodeJpeg(good.data(), 0), ImageDecodeError);
  EXPECT_THROW(DecodeJpeg(nullptr, 10), ImageDecodeError);
  // Cut inside the headers: libjpeg reports an error, which must come back as ours.
  for (size_t n : {size_t(2), size_t(3), size_t(20), size_t(100)}) {
    EXPECT_THROW(DecodeJpeg(good.data(), n), ImageDecodeError) << "cut at " << n;
  }
  // A frame header with a zero width.
  std::vector<uint8_t> bad = good;
  for (size_t i = 0; i + 8 < bad.size(); ++i)
    if (bad[i] == 0xFF && bad[i + 1] == 0xC0) {
      bad[i + 7] = 0;
      bad[i + 8] = 0;
      break;
    }
  EXPECT_THROW(DecodeJpeg(bad.data(), bad.size()), ImageDecodeError);
  // Not JPEG at all.
  std::vector<uint8_t> junk(64, 0x5A);
  junk[0] = 0xFF;
  junk[1] = 0xD8;
  EXPECT_THROW(DecodeJpeg(junk.data(), junk.size()), ImageDecodeError);
  EXPECT_THROW(LoadJpegFile(dir / "missing.jpg"), ImageDecodeError);
  EXPECT_THROW(LoadImageFile(dir / "missing.bmp"), ImageDecodeError);
  // A folder is not a picture (it opens, but its size means nothing).
  EXPECT_THROW(LoadImageFile(dir.path()), ImageDecodeError);
  // The decoder keeps working after errors (no state left behind).
  EXPECT_EQ(DecodeJpeg(good.data(), good.size()).width(), 24);
}

TEST(JpegCodec, EncoderOutputReadsBackInImageMagick) {
  TempDir dir;
  Bitmap32 b(16, 8);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 16; ++x) b.at(x, y) = MakePixel(uint8_t(16 * x), uint8_t(30 * y), 128, 255);
  test::WriteBytes(dir / "e.jpg", EncodeJpeg(b, 95));
  const Bitmap32 ref = ReferencePixels(dir / "e.jpg");
  EXPECT_GT(test::Psnr(ref, b), 35.0);
  EXPECT_THROW(EncodeJpeg(Bitmap32()), std::runtime_error);
}

TEST(PngCodec, WriterAndReaderAgreeWithImageMagick) {
  TempDir dir;
  Bitmap32 b(5, 3);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 5; ++x) b.at(x, y) = MakePixel(uint8_t(50 * x), uint8_t(y), uint8_t(255 - x), uint8_t(40 * x + y));
  WritePngFile(b, dir / "a.png", true);
  EXPECT_EQ(test::MaxChannelDiff(ReferencePixels(dir / "a.png"), b), 0);
  WritePngFile(b, dir / "o.png", false);
  Bitmap32 opaque = b;
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 5; ++x) opaque.at(x, y) |= 0xFF000000u;
  EXPECT_EQ(test::MaxChannelDiff(ReferencePixels(dir / "o.png"), opaque), 0);

  // Reading: a palette PNG made by ImageMagick, and a damaged one.
  Convert("-size 9x4 gradient:yellow-navy -colors 8 PNG8:" + dir / "p.png");
  const std::vector<uint8_t> png = ReadBytes(dir / "p.png");
  EXPECT_EQ(test::MaxChannelDiff(DecodePng(png.data(), png.size()), ReferencePixels(dir / "p.png")), 0);
  std::vector<uint8_t> cut(png.begin(), png.begin() + long(png.size() / 2));
  EXPECT_THROW(DecodePng(cut.data(), cut.size()), ImageDecodeError);
}

TEST(ImageLoader, FormatComesFromTheBytesBeforeTheName) {
  TempDir dir;
  Convert("-size 4x4 xc:red " + dir / "red.gif");
  Convert("-size 4x4 xc:red BMP3:" + dir / "red.bmp");
  // A GIF named .jpg and a BMP named .gif still decode by their content.
  std::rename((dir / "red.gif").c_str(), (dir / "gif.jpg").c_str());
  std::rename((dir / "red.bmp").c_str(), (dir / "bmp.gif").c_str());
  EXPECT_EQ(LoadImageFile(dir / "gif.jpg").at(0, 0), MakePixel(255, 0, 0, 255));
  EXPECT_EQ(LoadImageFile(dir / "bmp.gif").at(3, 3), MakePixel(255, 0, 0, 255));
  EXPECT_EQ(FormatFromExtension("a.b/PIC.JPEG"), ImageFormat::Jpeg);
  EXPECT_EQ(FormatFromExtension("dir.jpg/name"), ImageFormat::Unknown);
  EXPECT_EQ(FormatFromExtension("x.Gif"), ImageFormat::Gif);
}

}  // namespace
}  // namespace tp
