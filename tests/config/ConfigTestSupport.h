#pragma once
// Shared pieces of the configuration window tests: one QApplication on the offscreen
// platform, pictures written by our own encoder, and a saver path whose user settings
// file lives in a temporary folder.
#include <QApplication>
#include <QImage>
#include <string>

#include "imaging/Bitmap32.h"
#include "imaging/ImageWriter.h"
#include "project/RunContext.h"
#include "support/SaverRun.h"

namespace tp::test {

// The one QApplication of the test program, made before the first test and deleted
// after the last (a static one would outlive Qt's own globals).
QApplication& App();

// A w × h BMP of one colour (0xRRGGBB).
inline void WriteSolidBmp(const std::string& path, int w, int h, uint32_t rgb) {
  Bitmap32 bmp(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) bmp.at(x, y) = 0xFF000000u | rgb;
  WriteBmpFile(bmp, path);
}

inline std::string SolidBmpBytes(int w, int h, uint32_t rgb) {
  Bitmap32 bmp(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) bmp.at(x, y) = 0xFF000000u | rgb;
  std::vector<uint8_t> bytes = EncodeBmp(bmp);
  return std::string(bytes.begin(), bytes.end());
}

// Hex digits of bytes, as binary data in braces is written.
inline std::string Hex(const std::string& bytes) {
  static const char* digits = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : bytes) {
    out += digits[c >> 4];
    out += digits[c & 15];
  }
  return out;
}

// Points the run at a saver file in dir (its user settings file beside it) for one test.
class SaverPathScope {
 public:
  SaverPathScope(const std::string& saverPath, const std::string& firstArgument = "/C")
      : saved_(CurrentRun()) {
    CurrentRun().saverPath = saverPath;
    CurrentRun().firstArgument = firstArgument;
  }
  ~SaverPathScope() { CurrentRun() = saved_; }

 private:
  RunContext saved_;
};

}  // namespace tp::test
