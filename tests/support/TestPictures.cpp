#include "support/TestPictures.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace tp::test {

Bitmap32 DetailedPicture(int w, int h) {
  Bitmap32 b(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      b.at(x, y) = MakePixel(uint8_t(x * 7 + y), uint8_t((x ^ y) * 3), uint8_t(y * 5 - x), 255);
  return b;
}

Bitmap32 PhotoLikePicture(int w, int h) {
  Bitmap32 b(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const double u = double(x) / w, v = double(y) / h;
      // A soft-edged disc (an edge over about 1/150 of the width) over waves of colour.
      const double d = std::hypot(u - 0.6, v - 0.4) * 150 - 30;
      const double disc = 1 / (1 + std::exp(std::min(40.0, d)));
      const double r = 128 + 100 * std::sin(u * 9 + v * 4), g = 128 + 90 * std::sin(v * 11 - u * 3);
      const double bl = 128 + 110 * std::cos((u + v) * 7);
      const auto mix = [&](double c, double on) { return uint8_t(std::lround(c * (1 - disc) + on * disc)); };
      b.at(x, y) = MakePixel(mix(r, 250), mix(g, 240), mix(bl, 40), 255);
    }
  return b;
}

double Psnr(const Bitmap32& a, const Bitmap32& b) {
  if (a.width() != b.width() || a.height() != b.height() || a.empty()) return 0;
  double sum = 0;
  for (int y = 0; y < a.height(); ++y)
    for (int x = 0; x < a.width(); ++x)
      for (int s = 0; s < 24; s += 8) {
        const double d = double((a.at(x, y) >> s) & 0xFF) - double((b.at(x, y) >> s) & 0xFF);
        sum += d * d;
      }
  const double mse = sum / (double(a.width()) * a.height() * 3);
  return mse == 0 ? 99.0 : 10.0 * std::log10(255.0 * 255.0 / mse);
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
