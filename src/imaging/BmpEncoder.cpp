// BMP writing: 24-bit bottom-up for pictures, 32-bit with an alpha mask for pictures
// with transparency.
#include <stdexcept>
#include <string>
#include <vector>

#include "core/FileSystem.h"
#include "imaging/ImageWriter.h"

namespace tp {

std::vector<uint8_t> EncodeBmp(const Bitmap32& bmp) {
  const int w = bmp.width(), h = bmp.height();
  const size_t stride = ((size_t(w) * 3 + 3) / 4) * 4;
  const size_t imageSize = stride * size_t(h);
  std::vector<uint8_t> out(54 + imageSize, 0);
  auto put16 = [&](size_t at, uint32_t v) { out[at] = uint8_t(v); out[at + 1] = uint8_t(v >> 8); };
  auto put32 = [&](size_t at, uint32_t v) { put16(at, v & 0xFFFF); put16(at + 2, v >> 16); };
  out[0] = 'B';
  out[1] = 'M';
  put32(2, uint32_t(out.size()));
  put32(10, 54);
  put32(14, 40);
  put32(18, uint32_t(w));
  put32(22, uint32_t(h));
  put16(26, 1);
  put16(28, 24);
  put32(34, uint32_t(imageSize));
  put32(38, 2835);
  put32(42, 2835);
  for (int y = 0; y < h; ++y) {
    const Pixel* row = bmp.scanline(h - 1 - y);
    uint8_t* o = out.data() + 54 + size_t(y) * stride;
    for (int x = 0; x < w; ++x) {
      o[3 * x] = PixelB(row[x]);
      o[3 * x + 1] = PixelG(row[x]);
      o[3 * x + 2] = PixelR(row[x]);
    }
  }
  return out;
}

void WriteBmpFile(const Bitmap32& bmp, const std::string& path) {
  const std::vector<uint8_t> bytes = EncodeBmp(bmp);
  if (!WriteFile(path, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size())))
    throw std::runtime_error("cannot write " + path);
}

std::string EncodeBmpWithAlpha(const Bitmap32& bmp) {
  const uint32_t w = uint32_t(bmp.width()), h = uint32_t(bmp.height());
  const uint32_t headerSize = 108, offset = 14 + headerSize, imageSize = w * h * 4;
  std::string out;
  out.reserve(offset + imageSize);
  auto u16 = [&](uint32_t v) { out += char(v & 0xFF); out += char((v >> 8) & 0xFF); };
  auto u32 = [&](uint32_t v) { u16(v & 0xFFFF); u16(v >> 16); };
  out += "BM";
  u32(offset + imageSize); u32(0); u32(offset);
  u32(headerSize); u32(w); u32(h); u16(1); u16(32);
  u32(3);  // bit fields
  u32(imageSize); u32(2835); u32(2835); u32(0); u32(0);
  u32(0x00FF0000); u32(0x0000FF00); u32(0x000000FF); u32(0xFF000000);
  u32(0x73524742);  // "sRGB"
  out.append(36 + 12, '\0');  // end points and gamma, unused with sRGB
  for (int y = int(h) - 1; y >= 0; --y)
    for (uint32_t x = 0; x < w; ++x) u32(bmp.at(int(x), y));
  return out;
}

}  // namespace tp
