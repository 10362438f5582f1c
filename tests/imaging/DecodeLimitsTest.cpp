// What bounds a decode: a TIFF whose one strip would take more memory than any picture
// may is refused before the picture's pixels are allocated, and a decode that is no
// longer wanted stops with an error in every format.
#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <functional>
#include <string>

#include "imaging/ImagingTestSupport.h"
#include "imaging/import/ImageLoader.h"

namespace tp {
namespace {

using test::Convert;
using test::RunCommand;

std::string Le16(uint32_t v) { return {char(v & 0xFF), char(v >> 8)}; }
std::string Le32(uint32_t v) { return Le16(v & 0xFFFF) + Le16(v >> 16); }

// A little-endian TIFF of one strip: the given tags (tag, type, count, value) and a few
// bytes of "compressed" data at offset 200.
std::string Tiff(const std::vector<std::array<uint32_t, 4>>& tags) {
  std::string t = std::string("II*\0", 4) + Le32(8) + Le16(uint32_t(tags.size()));
  for (const auto& [tag, type, count, value] : tags)
    t += Le16(tag) + Le16(type) + Le32(count) + (type == 3 && count == 1 ? Le16(value) + Le16(0) : Le32(value));
  t += Le32(0);
  t.resize(260, '\x11');
  return t;
}

TEST(DecodeLimits, ATiffStripBeyondTheBoundIsRefusedBeforeThePictureIsAllocated) {
  // 7000 x 7000 is within the pixel bound, but at 16 bits and four samples its one strip
  // would be 392 MB.
  const std::string huge = Tiff({{256, 4, 1, 7000}, {257, 4, 1, 7000}, {258, 3, 1, 16}, {259, 3, 1, 8},
                                 {262, 3, 1, 2}, {273, 4, 1, 200}, {277, 3, 1, 4}, {278, 4, 1, 7000},
                                 {279, 4, 1, 60}, {338, 3, 1, 2}});
  // Any allocation of the picture would fail as too big: the refusal must come first.
  const size_t saved = Bitmap32::MaxPixels();
  Bitmap32::SetMaxPixels(1 << 16);
  try {
    DecodeImage(reinterpret_cast<const uint8_t*>(huge.data()), huge.size());
    ADD_FAILURE() << "decoded";
  } catch (const ImageDecodeError& e) {
    EXPECT_NE(std::string(e.what()).find("too large"), std::string::npos) << e.what();
  } catch (const std::bad_alloc&) {
    ADD_FAILURE() << "the picture was allocated before its strip was checked";
  }
  Bitmap32::SetMaxPixels(saved);
  // The same file with 8-bit grey samples (49 MB strips) is not refused for its size: the
  // library makes what it can of the data.
  const std::string grey = Tiff({{256, 4, 1, 7000}, {257, 4, 1, 7000}, {258, 3, 1, 8}, {259, 3, 1, 8},
                                 {262, 3, 1, 1}, {273, 4, 1, 200}, {278, 4, 1, 7000}, {279, 4, 1, 60}});
  try {
    EXPECT_EQ(DecodeImage(reinterpret_cast<const uint8_t*>(grey.data()), grey.size()).width(), 7000);
  } catch (const ImageDecodeError& e) {
    EXPECT_EQ(std::string(e.what()).find("too large"), std::string::npos) << e.what();
  }
}

TEST(DecodeLimits, ACancelledDecodeStopsInEveryFormat) {
  test::TempDir dir;
  const std::string png = dir / "p.png";
  test::MakeTestPicture(png, 64, 48);
  struct Case {
    std::string name, make;
    std::function<Bitmap32(const uint8_t*, size_t, const DecodeRequest&)> decode;
  };
  const std::vector<Case> cases = {
      {"p.jpg", "convert %in %out", [](auto d, auto n, auto& r) { return DecodeJpeg(d, n, r); }},
      {"p.png", "", [](auto d, auto n, auto& r) { return DecodePng(d, n, r); }},
      {"p.webp", "convert %in %out", [](auto d, auto n, auto& r) { return DecodeWebp(d, n, r); }},
      {"p.tif", "convert %in %out", [](auto d, auto n, auto& r) { return DecodeTiff(d, n, r); }},
      {"p.heic", "heif-enc -o %out %in", [](auto d, auto n, auto& r) { return DecodeHeif(d, n, r); }},
      {"p.jxl", "cjxl %in %out", [](auto d, auto n, auto& r) { return DecodeJxl(d, n, r); }},
      {"p.jpg", "convert %in %out", [](auto d, auto n, auto& r) { return DecodeImage(d, n, r); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string path = dir / c.name;
    if (!c.make.empty()) {
      std::string command = c.make;
      command.replace(command.find("%in"), 3, "'" + png + "'");
      command.replace(command.find("%out"), 4, "'" + path + "'");
      ASSERT_EQ(RunCommand(command + " >/dev/null 2>&1"), 0);
    }
    const std::vector<uint8_t> bytes = test::ReadBytes(path);
    std::atomic<bool> cancel{false};
    DecodeRequest request;
    request.cancel = &cancel;
    EXPECT_EQ(c.decode(bytes.data(), bytes.size(), request).width(), 64);
    cancel = true;
    try {
      c.decode(bytes.data(), bytes.size(), request);
      ADD_FAILURE() << "a cancelled decode went on";
    } catch (const ImageDecodeError& e) {
      EXPECT_NE(std::string(e.what()).find("cancelled"), std::string::npos) << e.what();
    }
  }
}

}  // namespace
}  // namespace tp
