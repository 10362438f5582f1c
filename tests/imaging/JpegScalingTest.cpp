// Decoding JPEGs only as far as they are shown: the DCT scale chosen for a requested
// size, centred cuts against a full decode, the scan limit of progressive pictures,
// cancelling, and a failed allocation in the middle of a decode.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>

#include "imaging/import/ImageLoader.h"
#include "imaging/ImageWriter.h"
#include "imaging/ImagingTestSupport.h"
#include "support/TestPictures.h"

// The replacement below pairs malloc with free; the compiler cannot see that and warns
// where it inlines them.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"

// Allocations larger than this fail with bad_alloc while it is non-zero (this binary only).
static std::atomic<size_t> g_failAllocationsAbove{0};

void* operator new(size_t size) {
  const size_t limit = g_failAllocationsAbove.load();
  if (limit != 0 && size > limit) throw std::bad_alloc();
  if (void* p = std::malloc(size ? size : 1)) return p;
  throw std::bad_alloc();
}
void* operator new[](size_t size) { return operator new(size); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, size_t) noexcept { std::free(p); }
void operator delete[](void* p, size_t) noexcept { std::free(p); }

namespace tp {
namespace {

using test::DetailedPicture;
using test::TempDir;

Bitmap32 Cut(const Bitmap32& full, int left, int top, int w, int h) {
  Bitmap32 out(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) out.at(x, y) = full.at(left + x, top + y);
  return out;
}

TEST(JpegScaling, DecodesAtTheSmallestScaleStillAtLeastTheRequest) {
  const std::vector<uint8_t> jpeg = EncodeJpeg(DetailedPicture(1600, 1200), 90);
  struct Case {
    int minW, minH, w, h;
  };
  const Case cases[] = {
      {0, 0, 1600, 1200},     // nothing asked: full size
      {200, 150, 200, 150},   // exactly 1/8
      {400, 300, 400, 300},   // exactly 2/8
      {401, 300, 800, 600},   // one column more needs the next halving, 4/8
      {100, 301, 800, 600},   // the taller need decides
      {801, 10, 1600, 1200},  // only the full size is wide enough
      {3000, 2000, 1600, 1200},  // never enlarged by the decoder
  };
  for (const Case& c : cases) {
    DecodeRequest r;
    r.minWidth = c.minW;
    r.minHeight = c.minH;
    const Bitmap32 b = DecodeJpeg(jpeg.data(), jpeg.size(), r);
    EXPECT_EQ(b.width(), c.w) << c.minW << "x" << c.minH;
    EXPECT_EQ(b.height(), c.h) << c.minW << "x" << c.minH;
  }
  const Size2D size = ReadJpegSize(jpeg.data(), jpeg.size());
  EXPECT_EQ(size.width, 1600);
  EXPECT_EQ(size.height, 1200);
  // A scaled decode is the same picture, only smaller.
  DecodeRequest half;
  half.minWidth = 800;
  half.minHeight = 600;
  const Bitmap32 small = DecodeJpeg(jpeg.data(), jpeg.size(), half);
  const Bitmap32 full = DecodeJpeg(jpeg.data(), jpeg.size());
  EXPECT_NEAR(PixelR(small.at(400, 300)), PixelR(full.at(801, 601)), 24);
}

// Cuts of odd sizes at odd offsets, against the full decode cut the same way, for the
// encodings whose rows and columns are decoded differently.
TEST(JpegScaling, CentredCutGivesThePixelsOfTheFullDecode) {
  TempDir dir;
  const Bitmap32 picture = DetailedPicture(333, 251);
  const std::string png = dir / "p.png";
  WritePngFile(picture, png);
  std::vector<std::pair<std::string, std::vector<uint8_t>>> files = {{"ours-420", EncodeJpeg(picture, 85)}};
  for (const auto& [name, args] : std::vector<std::pair<std::string, std::string>>{
           {"progressive", "-interlace JPEG"}, {"444", "-sampling-factor 1x1"}, {"cmyk", "-colorspace CMYK"},
           {"grey", "-colorspace Gray"}}) {
    test::Convert(png + " " + args + " -quality 85 " + (dir / (name + ".jpg")));
    files.emplace_back(name, test::ReadBytes(dir / (name + ".jpg")));
  }
  struct Window {
    int w, h;
  };
  for (const auto& [name, bytes] : files) {
    const Bitmap32 full = DecodeJpeg(bytes.data(), bytes.size());
    for (const Window win : {Window{200, 100}, Window{101, 251}, Window{333, 77}, Window{17, 9}, Window{500, 500}}) {
      DecodeRequest r;
      r.cropWidth = win.w;
      r.cropHeight = win.h;
      const Bitmap32 cut = DecodeJpeg(bytes.data(), bytes.size(), r);
      const int w = std::min(win.w, 333), h = std::min(win.h, 251);
      ASSERT_EQ(cut.width(), w) << name;
      ASSERT_EQ(cut.height(), h) << name;
      const Bitmap32 expected = Cut(full, (333 - w) / 2, (251 - h) / 2, w, h);
      int differ = 0, firstX = -1, firstY = -1;
      for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
          if (cut.at(x, y) != expected.at(x, y) && differ++ == 0) firstX = x, firstY = y;
      EXPECT_EQ(differ, 0) << name << " " << win.w << "x" << win.h << ": first at " << firstX << "," << firstY;
    }
  }
}

// The last scan of a progressive picture repeated: each copy is one more scan to decode.
std::vector<uint8_t> WithRepeatedLastScan(const std::vector<uint8_t>& jpeg, int copies) {
  size_t lastSos = 0;
  for (size_t i = 2; i + 1 < jpeg.size(); ++i)
    if (jpeg[i] == 0xFF && jpeg[i + 1] == 0xDA) lastSos = i;
  const size_t eoi = jpeg.size() - 2;
  std::vector<uint8_t> out(jpeg.begin(), jpeg.begin() + long(eoi));
  for (int i = 0; i < copies; ++i) out.insert(out.end(), jpeg.begin() + long(lastSos), jpeg.begin() + long(eoi));
  out.push_back(0xFF);
  out.push_back(0xD9);
  return out;
}

TEST(JpegScaling, ProgressivePictureStopsAfterTooManyScans) {
  TempDir dir;
  const std::string png = dir / "p.png", jpg = dir / "p.jpg";
  WritePngFile(DetailedPicture(64, 48), png);
  test::Convert(png + " -interlace JPEG " + jpg);
  const std::vector<uint8_t> jpeg = test::ReadBytes(jpg);
  const std::vector<uint8_t> many = WithRepeatedLastScan(jpeg, kMaxJpegScans + 50);
  const std::vector<uint8_t> some = WithRepeatedLastScan(jpeg, 20);
  EXPECT_EQ(DecodeJpeg(some.data(), some.size()).width(), 64);
  try {
    DecodeJpeg(many.data(), many.size());
    ADD_FAILURE() << "a picture with endless scans decoded";
  } catch (const ImageDecodeError& e) {
    EXPECT_NE(std::string(e.what()).find("scans"), std::string::npos) << e.what();
  }
}

TEST(JpegScaling, CancelledDecodeStopsWithAnError) {
  const std::vector<uint8_t> jpeg = EncodeJpeg(DetailedPicture(256, 256), 80);
  std::atomic<bool> cancel{true};
  DecodeRequest r;
  r.cancel = &cancel;
  EXPECT_THROW(DecodeJpeg(jpeg.data(), jpeg.size(), r), ImageDecodeError);
  cancel = false;
  EXPECT_EQ(DecodeJpeg(jpeg.data(), jpeg.size(), r).width(), 256);
}

// A header that declares a size; the picture data is what a 16 x 16 picture has, so the
// rest decodes as missing data (grey), which libjpeg accepts with a warning.
std::vector<uint8_t> Declaring(int w, int h) {
  std::vector<uint8_t> jpeg = EncodeJpeg(DetailedPicture(16, 16), 80);
  for (size_t i = 2; i + 8 < jpeg.size(); ++i) {
    if (jpeg[i] == 0xFF && jpeg[i + 1] == 0xC0) {
      jpeg[i + 5] = uint8_t(h >> 8);
      jpeg[i + 6] = uint8_t(h);
      jpeg[i + 7] = uint8_t(w >> 8);
      jpeg[i + 8] = uint8_t(w);
      break;
    }
  }
  return jpeg;
}

TEST(JpegScaling, OutputAboveTheBoundIsRefusedUnlessScaledUnderIt) {
  const std::vector<uint8_t> huge = Declaring(65500, 65500);
  EXPECT_EQ(ReadJpegSize(huge.data(), huge.size()).width, 65500);
  try {
    DecodeJpeg(huge.data(), huge.size());
    ADD_FAILURE() << "decoded a 4-gigapixel picture at full size";
  } catch (const ImageDecodeError& e) {
    EXPECT_NE(std::string(e.what()).find("too large"), std::string::npos) << e.what();
  }
  // 400 megapixels at full size, but 2500 x 2500 at the 1/8 scale a screen needs.
  const std::vector<uint8_t> big = Declaring(20000, 20000);
  EXPECT_THROW(DecodeJpeg(big.data(), big.size()), ImageDecodeError);
  DecodeRequest r;
  r.minWidth = 1920;
  r.minHeight = 1080;
  const Bitmap32 scaled = DecodeJpeg(big.data(), big.size(), r);
  EXPECT_EQ(scaled.width(), 2500);
  EXPECT_EQ(scaled.height(), 2500);
}

// LeakSanitizer checks at exit that the decompressor was destroyed.
TEST(JpegScaling, FailedAllocationInsideADecodeLeavesNoDecoderBehind) {
  const std::vector<uint8_t> jpeg = EncodeJpeg(DetailedPicture(1024, 1024), 80);
  g_failAllocationsAbove = 1024 * 1024;  // the 4 MB picture cannot be had
  EXPECT_THROW(DecodeJpeg(jpeg.data(), jpeg.size()), std::bad_alloc);
  g_failAllocationsAbove = 0;
  EXPECT_EQ(DecodeJpeg(jpeg.data(), jpeg.size()).width(), 1024);
}

}  // namespace
}  // namespace tp
