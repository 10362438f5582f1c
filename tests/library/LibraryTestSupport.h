#pragma once
// Helpers for the library tests: a temporary home (HOME, XDG_CACHE_HOME, XDG_CONFIG_HOME
// pointed into a fresh folder for the test's length), small JPEGs made by our encoder with
// an EXIF block of our own, and shows over a folder that deal until they stop.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "imaging/Bitmap32.h"
#include "imaging/ImageWriter.h"
#include "library/PictureLibrary.h"
#include "support/SaverRun.h"

namespace tp::test {

class TempHome {
 public:
  TempHome() {
    for (const char* name : {"HOME", "XDG_CACHE_HOME", "XDG_CONFIG_HOME"}) {
      const char* v = std::getenv(name);
      saved_.emplace_back(name, v ? std::optional<std::string>(v) : std::nullopt);
    }
    ::setenv("HOME", dir_.path().c_str(), 1);
    ::setenv("XDG_CACHE_HOME", (dir_ / "cache").c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", (dir_ / "config").c_str(), 1);
  }
  ~TempHome() {
    // Folders a test made unreadable are opened again so they can be removed.
    RunCommand("chmod -R u+rwx '" + dir_.path() + "' 2>/dev/null");
    for (const auto& [name, value] : saved_) {
      if (value) ::setenv(name.c_str(), value->c_str(), 1);
      else ::unsetenv(name.c_str());
    }
  }
  const std::string& path() const { return dir_.path(); }
  std::string operator/(const std::string& name) const { return dir_ / name; }
  std::string cache() const { return dir_ / "cache/tidepool"; }

 private:
  TempDir dir_;
  std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

inline void Append16(std::vector<uint8_t>& v, int x) {
  v.push_back(uint8_t(x & 255));
  v.push_back(uint8_t(x >> 8));
}
inline void Append32(std::vector<uint8_t>& v, uint32_t x) {
  Append16(v, int(x & 0xffff));
  Append16(v, int(x >> 16));
}

// An APP1 Exif segment (little-endian TIFF) holding Orientation and, when given,
// DateTimeOriginal ("YYYY:MM:DD HH:MM:SS").
inline std::vector<uint8_t> ExifSegment(int orientation, const std::string& date) {
  std::vector<uint8_t> tiff = {'I', 'I', 42, 0};
  Append32(tiff, 8);
  const bool withDate = !date.empty();
  // IFD0 at 8: entries, then the Exif IFD, then the date's text.
  const int entries0 = withDate ? 2 : 1;
  const uint32_t exifIfd = 8 + 2 + 12 * uint32_t(entries0) + 4;
  const uint32_t dateAt = exifIfd + 2 + 12 + 4;
  Append16(tiff, entries0);
  Append16(tiff, 0x0112); Append16(tiff, 3); Append32(tiff, 1); Append16(tiff, orientation); Append16(tiff, 0);
  if (withDate) {
    Append16(tiff, 0x8769); Append16(tiff, 4); Append32(tiff, 1); Append32(tiff, exifIfd);
  }
  Append32(tiff, 0);
  if (withDate) {
    Append16(tiff, 1);
    Append16(tiff, 0x9003); Append16(tiff, 2); Append32(tiff, 20); Append32(tiff, dateAt);
    Append32(tiff, 0);
    for (char c : date.substr(0, 19)) tiff.push_back(uint8_t(c));
    tiff.push_back(0);
  }
  std::vector<uint8_t> seg = {0xFF, 0xE1};
  const size_t length = 2 + 6 + tiff.size();
  seg.push_back(uint8_t(length >> 8));
  seg.push_back(uint8_t(length & 255));
  for (char c : std::string("Exif\0\0", 6)) seg.push_back(uint8_t(c));
  seg.insert(seg.end(), tiff.begin(), tiff.end());
  return seg;
}

// A JPEG of width x height made by our encoder, with an EXIF segment when asked.
inline std::vector<uint8_t> SmallJpeg(int width, int height, int orientation = 0, const std::string& date = "") {
  Bitmap32 bmp(width, height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) bmp.scanline(y)[x] = MakePixel(uint8_t(x * 7), uint8_t(y * 5), 90, 255);
  std::vector<uint8_t> jpeg = EncodeJpeg(bmp, 80);
  if (orientation > 0 || !date.empty()) {
    const std::vector<uint8_t> seg = ExifSegment(orientation > 0 ? orientation : 1, date);
    jpeg.insert(jpeg.begin() + 2, seg.begin(), seg.end());
  }
  return jpeg;
}

inline void WriteFile(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
  ASSERT_TRUE(out.good()) << path;
}

// count pictures picture0.jpg... in folder (made when missing).
inline std::vector<std::string> MakePictures(const std::string& folder, int count, const std::string& prefix = "picture") {
  RunCommand("mkdir -p '" + folder + "'");
  static const std::vector<uint8_t> jpeg = SmallJpeg(8, 8);
  std::vector<std::string> paths;
  for (int i = 0; i < count; ++i) {
    paths.push_back(folder + "/" + prefix + std::to_string(i) + ".jpg");
    WriteFile(paths.back(), jpeg);
  }
  return paths;
}

inline LibraryOptions Options(const std::vector<std::string>& folders, DeckOrder order = DeckOrder::Shuffle) {
  LibraryOptions options;
  options.folders = folders;
  options.order = order;
  return options;
}

// A show that reserves and shows n pictures; their paths in order.
inline std::vector<std::string> Deal(PictureLibrary& library, int n) {
  std::vector<std::string> paths;
  for (int i = 0; i < n; ++i) {
    auto picture = library.WaitAndReserve(5000);
    if (!picture) break;
    library.Shown(*picture);
    paths.push_back(picture->path);
  }
  return paths;
}

// A whole scan and header pass, then the library object is gone (as a show that ended).
inline void ScanOnce(const std::vector<std::string>& folders) {
  PictureLibrary library(Options(folders));
  library.StartScan();
  ASSERT_TRUE(library.WaitUntilIdle(20000));
}

}  // namespace tp::test
