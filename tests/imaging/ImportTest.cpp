// The decoders of imaging/import against ImageMagick's reading of the same files, the
// choice of decoder by content, the size bound checked before allocating, and what a
// picture's header says (orientation, date, colour profile).
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <zlib.h>

#include <chrono>
#include <string>

#include "imaging/ImageWriter.h"
#include "imaging/ImagingTestSupport.h"
#include "imaging/import/ImageLoader.h"

namespace tp {
namespace {

using test::Convert;
using test::MaxChannelDiff;
using test::ReferencePixels;
using test::RunCommand;
using test::TempDir;

std::string ReadAll(const std::string& path) {
  const std::vector<uint8_t> b = test::ReadBytes(path);
  return std::string(b.begin(), b.end());
}

Bitmap32 Decode(const std::string& bytes) {
  return DecodeImage(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
}

PictureFacts Facts(const std::string& bytes) {
  return ReadPictureFacts(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
}

class Import : public ::testing::Test {
 protected:
  void SetUp() override {
    source_ = dir_ / "source.png";
    test::MakeTestPicture(source_, 96, 64);
  }
  // The test picture written by ImageMagick in a format, with options.
  std::string Made(const std::string& name, const std::string& options = "") {
    const std::string path = dir_ / name;
    Convert(source_ + " " + options + " " + path);
    return path;
  }
  TempDir dir_;
  std::string source_;
};

// Lossless formats decode to ImageMagick's pixels exactly; lossy ones to what
// ImageMagick makes of the same file, within rounding of the colour conversion.
TEST_F(Import, EachDecoderAgreesWithImageMagick) {
  struct Case {
    std::string name, options;
    int tolerance;
  };
  const std::vector<Case> cases = {
      {"p.png", "-depth 8", 0},
      // 16 bits come down to 8 with the library's rounding, which may differ by one.
      {"p16.png", "-depth 16", 1},
      {"grey.png", "-colorspace Gray -depth 8", 0},
      {"alpha.png", "-depth 8 -alpha set -channel A -evaluate set 50% +channel", 0},
      {"p.bmp", "-type TrueColor", 0},
      {"p.gif", "", 0},
      {"p.jpg", "-quality 90", 3},
      {"p.tif", "-depth 8 -compress lzw", 0},
      {"p16.tif", "-depth 16", 1},
      {"p.webp", "-define webp:lossless=true", 0},
      {"lossy.webp", "-quality 80", 3},
      {"p.heic", "-quality 90", 3},
      {"p.avif", "-quality 90", 3},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string path = Made(c.name, c.options);
    const Bitmap32 ours = Decode(ReadAll(path));
    const Bitmap32 reference = ReferencePixels(path, "-colorspace sRGB -type TrueColorAlpha");
    ASSERT_EQ(ours.width(), 96);
    ASSERT_EQ(ours.height(), 64);
    EXPECT_LE(MaxChannelDiff(ours, reference), c.tolerance) << test::FirstDifference(ours, reference);
  }
}

TEST_F(Import, JpegXlAgreesWithItsOwnDecoder) {
  // Lossless from an 8-bit picture: the original's pixels come back exactly, as djxl gives them.
  const std::string original = Made("p8.png", "-depth 8"), jxl = dir_ / "p.jxl", back = dir_ / "back.png";
  ASSERT_EQ(RunCommand("cjxl -d 0 '" + original + "' '" + jxl + "' >/dev/null 2>&1"), 0);
  ASSERT_EQ(RunCommand("djxl '" + jxl + "' '" + back + "' >/dev/null 2>&1"), 0);
  const Bitmap32 ours = Decode(ReadAll(jxl));
  EXPECT_EQ(MaxChannelDiff(ours, ReferencePixels(back)), 0);
  EXPECT_EQ(MaxChannelDiff(ours, ReferencePixels(original)), 0);
  EXPECT_EQ(Facts(ReadAll(jxl)).width, 96);
}

// The content decides: a ".jpg" holding a PNG is decoded as a PNG; data no decoder
// knows is refused.
TEST_F(Import, TheDataNotTheNameChoosesTheDecoder) {
  const std::string png = ReadAll(Made("p.png"));
  const std::string misnamed = dir_ / "photo.jpg";
  test::WriteBytes(misnamed, std::vector<uint8_t>(png.begin(), png.end()));
  EXPECT_EQ(LoadImageFile(misnamed), Decode(png));
  EXPECT_EQ(SniffImageFormat(reinterpret_cast<const uint8_t*>(png.data()), png.size()), ImageFormat::Png);
  EXPECT_THROW(Decode("not a picture at all"), ImageDecodeError);
  EXPECT_THROW(Decode(png.substr(0, png.size() / 2)), ImageDecodeError);
  EXPECT_THROW(LoadImageFile(dir_ / "missing.png"), ImageDecodeError);
}

std::string PngChunk(const std::string& type, const std::string& body) {
  std::string chunk;
  for (int s = 24; s >= 0; s -= 8) chunk += char((body.size() >> s) & 0xFF);
  const std::string typed = type + body;
  chunk += typed;
  const uLong crc = crc32(0, reinterpret_cast<const Bytef*>(typed.data()), uInt(typed.size()));
  for (int s = 24; s >= 0; s -= 8) chunk += char((crc >> s) & 0xFF);
  return chunk;
}

std::string Be32(uint32_t v) {
  return {char(v >> 24), char((v >> 16) & 0xFF), char((v >> 8) & 0xFF), char(v & 0xFF)};
}

// Pictures that declare a giant size are refused from their header, before any
// allocation for their pixels, and quickly.
TEST_F(Import, SizeBombsAreRefusedBeforeTheyAllocate) {
  const std::string ihdr = Be32(60000) + Be32(60000) + std::string("\x08\x06\0\0\0", 5);
  const std::string pngBomb = std::string("\x89PNG\r\n\x1A\n", 8) + PngChunk("IHDR", ihdr) + PngChunk("IDAT", "") +
                              PngChunk("IEND", "");
  // A lossless WebP's header: 14 bits per side, here 16384 x 16384.
  const std::string vp8l = std::string("\x2F", 1) + std::string("\xFF\xFF\xFF\x0F", 4) + std::string(16, '\0');
  std::string webpBomb = "RIFF" + std::string{char(12 + vp8l.size()), 0, 0, 0} + "WEBPVP8L";
  webpBomb += char(vp8l.size()) + std::string(3, '\0') + vp8l;
  // A TIFF whose one strip is said to hold 60000 x 60000 RGB pixels.
  std::string tiff("II*\0\x08\0\0\0", 8);
  auto entry = [](uint16_t tag, uint16_t type, uint32_t count, uint32_t value) {
    std::string e;
    for (uint32_t v : {uint32_t(tag), uint32_t(type)}) e += std::string{char(v & 0xFF), char(v >> 8)};
    for (uint32_t v : {count, value}) e += std::string{char(v & 0xFF), char((v >> 8) & 0xFF), char((v >> 16) & 0xFF), char(v >> 24)};
    return e;
  };
  tiff += std::string("\x06\0", 2) + entry(256, 4, 1, 60000) + entry(257, 4, 1, 60000) + entry(258, 3, 1, 8) +
          entry(262, 3, 1, 1) + entry(273, 4, 1, 200) + entry(279, 4, 1, 100) + std::string(4, '\0');
  tiff.resize(300, '\0');
  for (const std::string& bomb : {pngBomb, webpBomb, tiff}) {
    const auto start = std::chrono::steady_clock::now();
    try {
      Decode(bomb);
      ADD_FAILURE() << "a giant picture was decoded";
    } catch (const ImageDecodeError& e) {
      EXPECT_NE(std::string(e.what()).find("too large"), std::string::npos) << e.what();
    }
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
  }
  EXPECT_EQ(Facts(pngBomb).width, 60000);
  EXPECT_EQ(Facts(webpBomb).height, 16384);
}

std::string ExifBlock(int orientation, const std::string& date) {
  // A little-endian TIFF structure: IFD0 with the orientation and a pointer to the EXIF
  // IFD, which holds DateTimeOriginal (20 bytes of ASCII, stored after the IFDs).
  auto u16 = [](uint32_t v) { return std::string{char(v & 0xFF), char(v >> 8)}; };
  auto u32 = [&](uint32_t v) { return u16(v & 0xFFFF) + u16(v >> 16); };
  std::string t = std::string("II*\0", 4) + u32(8);
  t += u16(2) + u16(0x0112) + u16(3) + u32(1) + u16(uint32_t(orientation)) + u16(0);
  t += u16(0x8769) + u16(4) + u32(1) + u32(38) + u32(0);  // IFD0 ends at 38
  t += u16(1) + u16(0x9003) + u16(2) + u32(20) + u32(56) + u32(0);  // EXIF IFD ends at 56
  t += date + std::string(1, '\0');
  return t;
}

TEST_F(Import, FactsComeFromTheHeaderOfEachContainer) {
  const std::string exif = ExifBlock(6, "2024:07:14 18:30:05");
  const std::string icc = std::string("fake colour profile ") + std::string(300, 'x');

  // JPEG: EXIF in APP1, the profile split over two APP2 chunks given out of order.
  const std::string jpeg = ReadAll(Made("p.jpg"));
  auto segment = [](char marker, const std::string& body) {
    const size_t n = body.size() + 2;
    return std::string("\xFF", 1) + marker + char(n >> 8) + char(n & 0xFF) + body;
  };
  const std::string iccHead = std::string("ICC_PROFILE\0", 12);
  const std::string withFacts = jpeg.substr(0, 2) + segment('\xE1', std::string("Exif\0\0", 6) + exif) +
                                segment('\xE2', iccHead + "\x02\x02" + icc.substr(100)) +
                                segment('\xE2', iccHead + "\x01\x02" + icc.substr(0, 100)) + jpeg.substr(2);
  PictureFacts f = Facts(withFacts);
  EXPECT_EQ(f.format, ImageFormat::Jpeg);
  EXPECT_EQ(f.width, 96);
  EXPECT_EQ(f.orientation, 6);
  EXPECT_EQ(f.dateTaken, "2024:07:14 18:30:05");
  EXPECT_EQ(f.iccProfile, icc);
  EXPECT_EQ(Decode(withFacts), Decode(jpeg)) << "the decoder does not turn the picture";

  // PNG: eXIf and a deflated iCCP before the image data.
  const std::string png = ReadAll(Made("p.png"));
  std::string deflated(compressBound(uLong(icc.size())), '\0');
  uLongf deflatedSize = uLongf(deflated.size());
  ASSERT_EQ(compress(reinterpret_cast<Bytef*>(deflated.data()), &deflatedSize,
                     reinterpret_cast<const Bytef*>(icc.data()), uLong(icc.size())),
            Z_OK);
  deflated.resize(deflatedSize);
  const size_t afterHeader = 8 + 25;  // signature and IHDR
  const std::string pngWithFacts = png.substr(0, afterHeader) + PngChunk("iCCP", std::string("test\0\0", 6) + deflated) +
                                   PngChunk("eXIf", exif) + png.substr(afterHeader);
  f = Facts(pngWithFacts);
  EXPECT_EQ(f.width, 96);
  EXPECT_EQ(f.height, 64);
  EXPECT_EQ(f.orientation, 6);
  EXPECT_EQ(f.iccProfile, icc);

  // Damaged containers give what could be read, never more than is there.
  EXPECT_THROW(Facts(withFacts.substr(0, 40)), ImageDecodeError);
  EXPECT_EQ(Facts(pngWithFacts.substr(0, 60)).orientation, 1);
  EXPECT_EQ(Facts(ReadAll(Made("p.webp"))).width, 96);
  EXPECT_EQ(Facts(ReadAll(Made("p.heic"))).height, 64);
  EXPECT_EQ(Facts(ReadAll(Made("p.tif"))).width, 96);
}

// A PNG chunk that declares two gigabytes in a file of a few hundred bytes: refused as
// damaged, and nothing near that size is allocated (counted by the pages the process
// touches, not by time). The same chunk at its true length is only skipped.
TEST_F(Import, APngChunkLongerThanTheFileIsRefusedWithoutAllocatingIt) {
  const std::string png = ReadAll(Made("p.png"));
  const size_t afterHeader = 8 + 25;  // signature and IHDR
  const std::string text = PngChunk("tEXt", std::string("Comment\0", 8) + "hello");
  std::string bomb = png.substr(0, afterHeader) + text + png.substr(afterHeader);
  bomb.replace(afterHeader, 4, Be32(0x7BAE860Bu));
  EXPECT_EQ(Decode(png.substr(0, afterHeader) + text + png.substr(afterHeader)), Decode(png));
  for (bool toSrgb : {false, true}) {
    DecodeRequest request;
    request.toSrgb = toSrgb;
    struct rusage before, after;
    getrusage(RUSAGE_SELF, &before);
    EXPECT_THROW(DecodePng(reinterpret_cast<const uint8_t*>(bomb.data()), bomb.size(), request), ImageDecodeError);
    getrusage(RUSAGE_SELF, &after);
    // 2 GB would be half a million pages.
    EXPECT_LT(after.ru_minflt - before.ru_minflt, 20000) << "toSrgb " << toSrgb;
  }
}

}  // namespace
}  // namespace tp
