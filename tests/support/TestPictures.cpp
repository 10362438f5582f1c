#include "support/TestPictures.h"

#include <cstdint>

namespace tp::test {

Bitmap32 DetailedPicture(int w, int h) {
  Bitmap32 b(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      b.at(x, y) = MakePixel(uint8_t(x * 7 + y), uint8_t((x ^ y) * 3), uint8_t(y * 5 - x), 255);
  return b;
}

std::string WithExifOrientation(const std::string& jpeg, int orientation) {
  // "Exif\0\0", a little-endian TIFF header, one IFD with one SHORT entry (0x0112).
  std::string tiff("II*\0\x08\0\0\0", 8);
  tiff += std::string("\x01\x00", 2);                                    // one entry
  tiff += std::string("\x12\x01\x03\x00\x01\x00\x00\x00", 8);            // tag, SHORT, count 1
  tiff += char(orientation) + std::string("\0\0\0", 3);                  // value
  tiff += std::string("\0\0\0\0", 4);                                    // no next IFD
  const std::string payload = std::string("Exif\0\0", 6) + tiff;
  const size_t length = payload.size() + 2;
  const std::string segment = std::string("\xFF\xE1", 2) + char(length >> 8) + char(length & 0xFF) + payload;
  return jpeg.substr(0, 2) + segment + jpeg.substr(2);
}

}  // namespace tp::test
