#pragma once
// Helpers for the imaging tests: pictures made with ImageMagick into a temporary folder,
// ImageMagick's own reading of a file as reference pixels, and small bitmap builders.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "imaging/Bitmap32.h"
#include "support/SaverRun.h"

#include "support/TestPictures.h"

namespace tp::test {

inline std::vector<uint8_t> ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path);
  return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

inline void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path);
}

// Runs ImageMagick's convert with the given arguments (already shell-quoted where needed).
inline void Convert(const std::string& args) {
  const std::string cmd = "convert " + args + " 2>/dev/null";
  if (RunCommand(cmd) != 0) throw std::runtime_error("convert failed: " + cmd);
}

// A small, varied test picture (two crossing gradients) written to path by ImageMagick.
inline void MakeTestPicture(const std::string& path, int w, int h) {
  const std::string size = std::to_string(w) + "x" + std::to_string(h);
  const std::string turned = std::to_string(h) + "x" + std::to_string(w);
  Convert("-size " + size + " gradient:red-blue \\( -size " + turned +
          " gradient:lime-black -rotate 90 \\) -compose plus -composite " + path);
}

// ImageMagick's reading of a picture file (one frame spec like "a.gif[2]" allowed) as a
// Bitmap32 in our pixel layout, fourth byte the alpha (255 where the file has none).
inline Bitmap32 ReferencePixels(const std::string& file, const std::string& extraArgs = "") {
  char tmpl[] = "/tmp/tp-ref-XXXXXX";
  const int fd = mkstemp(tmpl);
  if (fd < 0) throw std::runtime_error("mkstemp failed");
  ::close(fd);
  const std::string out = tmpl;
  Convert("'" + file + "' " + extraArgs + " -depth 8 -alpha set pam:" + out);
  std::vector<uint8_t> pam = ReadBytes(out);
  std::remove(out.c_str());
  const std::string text(pam.begin(), pam.end());
  const size_t end = text.find("ENDHDR\n");
  if (end == std::string::npos) throw std::runtime_error("bad PAM from convert");
  std::istringstream header(text.substr(0, end));
  std::string word;
  int w = 0, h = 0, depth = 0;
  while (header >> word) {
    if (word == "WIDTH") header >> w;
    else if (word == "HEIGHT") header >> h;
    else if (word == "DEPTH") header >> depth;
  }
  if (depth != 4 || w <= 0 || h <= 0) throw std::runtime_error("unexpected PAM layout");
  const uint8_t* p = pam.data() + end + 7;
  if (pam.size() < end + 7 + size_t(w) * size_t(h) * 4) throw std::runtime_error("short PAM");
  Bitmap32 bmp(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x, p += 4) bmp.at(x, y) = MakePixel(p[0], p[1], p[2], p[3]);
  return bmp;
}

// Largest per-channel difference of the colour channels (and alpha when withAlpha).
inline int MaxChannelDiff(const Bitmap32& a, const Bitmap32& b, bool withAlpha = true) {
  if (a.width() != b.width() || a.height() != b.height()) return 1 << 20;
  int worst = 0;
  for (int y = 0; y < a.height(); ++y)
    for (int x = 0; x < a.width(); ++x)
      for (int s = 0; s < (withAlpha ? 32 : 24); s += 8) {
        const int d = std::abs(int((a.at(x, y) >> s) & 0xFF) - int((b.at(x, y) >> s) & 0xFF));
        worst = std::max(worst, d);
      }
  return worst;
}

// Where two bitmaps first differ, for failure messages.
inline std::string FirstDifference(const Bitmap32& a, const Bitmap32& b) {
  if (a.width() != b.width() || a.height() != b.height()) return "sizes differ";
  for (int y = 0; y < a.height(); ++y)
    for (int x = 0; x < a.width(); ++x)
      if (a.at(x, y) != b.at(x, y)) {
        char buf[96];
        std::snprintf(buf, sizeof buf, "first difference at %d,%d: %08x vs %08x", x, y, a.at(x, y), b.at(x, y));
        return buf;
      }
  return "no difference";
}

// A w x h bitmap whose pixel (x, y) holds the value 1 + x + 16 * y (0 is "untouched").
inline Bitmap32 Numbered(int w, int h) {
  Bitmap32 b(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) b.at(x, y) = Pixel(1 + x + 16 * y);
  return b;
}

// One row of a bitmap as a vector (for compact expectations).
inline std::vector<Pixel> Row(const Bitmap32& b, int y) {
  return std::vector<Pixel>(b.scanline(y), b.scanline(y) + b.width());
}
inline std::vector<Pixel> Column(const Bitmap32& b, int x) {
  std::vector<Pixel> c;
  for (int y = 0; y < b.height(); ++y) c.push_back(b.at(x, y));
  return c;
}

}  // namespace tp::test
