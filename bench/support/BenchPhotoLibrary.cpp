#include "support/BenchPhotoLibrary.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <vector>

#include "imaging/Bitmap32.h"
#include "imaging/ImageWriter.h"
#include "support/BenchFiles.h"

namespace tp::bench {
namespace {

constexpr int kFolders = 1000;
constexpr int kPerFolder = 100;
constexpr int kBigPhotos = 3;

void Put16(std::vector<uint8_t>& v, int x) {
  v.push_back(uint8_t(x & 255));
  v.push_back(uint8_t(x >> 8));
}
void Put32(std::vector<uint8_t>& v, uint32_t x) {
  Put16(v, int(x & 0xffff));
  Put16(v, int(x >> 16));
}

// An Exif APP1 segment with Orientation and DateTimeOriginal; returns the offset of the
// date's text inside it, so copies can differ by date.
std::vector<uint8_t> ExifSegment(int orientation, size_t& dateOffset) {
  std::vector<uint8_t> tiff = {'I', 'I', 42, 0};
  Put32(tiff, 8);
  const uint32_t exifIfd = 8 + 2 + 24 + 4, dateAt = exifIfd + 2 + 12 + 4;
  Put16(tiff, 2);
  Put16(tiff, 0x0112); Put16(tiff, 3); Put32(tiff, 1); Put16(tiff, orientation); Put16(tiff, 0);
  Put16(tiff, 0x8769); Put16(tiff, 4); Put32(tiff, 1); Put32(tiff, exifIfd);
  Put32(tiff, 0);
  Put16(tiff, 1);
  Put16(tiff, 0x9003); Put16(tiff, 2); Put32(tiff, 20); Put32(tiff, dateAt);
  Put32(tiff, 0);
  for (char c : std::string("2020:01:01 12:00:00")) tiff.push_back(uint8_t(c));
  tiff.push_back(0);
  std::vector<uint8_t> seg = {0xFF, 0xE1, 0, 0, 'E', 'x', 'i', 'f', 0, 0};
  const size_t length = 2 + 6 + tiff.size();
  seg[2] = uint8_t(length >> 8);
  seg[3] = uint8_t(length & 255);
  dateOffset = seg.size() + dateAt;
  seg.insert(seg.end(), tiff.begin(), tiff.end());
  return seg;
}

// The generated library, made once (a marker file tells a finished one).
}  // namespace

std::string GeneratedPhotoLibrary() {
  const std::string root = BuildDir() + "/bench-data/library-100k";
  if (std::filesystem::exists(root + "/.complete")) return root;
  std::filesystem::remove_all(root);
  std::filesystem::create_directories(root);
  Bitmap32 small(96, 64);
  for (int y = 0; y < small.height(); ++y)
    for (int x = 0; x < small.width(); ++x) small.scanline(y)[x] = MakePixel(uint8_t(x * 3), uint8_t(y * 4), uint8_t(x ^ y), 255);
  std::vector<uint8_t> jpeg = EncodeJpeg(small, 80);
  size_t dateOffset = 0;
  const std::vector<uint8_t> seg = ExifSegment(6, dateOffset);
  jpeg.insert(jpeg.begin() + 2, seg.begin(), seg.end());
  dateOffset += 2;
  char date[24];
  for (int f = 0; f < kFolders; ++f) {
    char folder[64];
    std::snprintf(folder, sizeof folder, "/%04d/%02d", 2000 + f / 100, f % 100);
    std::filesystem::create_directories(root + folder);
    for (int i = 0; i < kPerFolder; ++i) {
      std::snprintf(date, sizeof date, "%04d:%02d:%02d %02d:%02d:%02d", 2000 + f / 100, 1 + f % 12, 1 + i % 28, i % 24, f % 60, i % 60);
      std::copy(date, date + 19, jpeg.begin() + long(dateOffset));
      char name[32];
      std::snprintf(name, sizeof name, "/IMG_%05d.jpg", f * kPerFolder + i);
      const std::string path = root + folder + name;
      const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
      if (fd < 0 || ::write(fd, jpeg.data(), jpeg.size()) != ssize_t(jpeg.size())) std::perror(path.c_str());
      if (fd >= 0) ::close(fd);
    }
  }
  // A few big photos (6000 x 4000), their rows made on the fly.
  std::vector<Pixel> row(6000);
  for (int b = 0; b < kBigPhotos; ++b) {
    const std::vector<uint8_t> big = EncodeJpegRows(6000, 4000, 85, [&](int y) {
      for (int x = 0; x < 6000; ++x) row[size_t(x)] = MakePixel(uint8_t(x + b), uint8_t(y), uint8_t((x * y) >> 8), 255);
      return row.data();
    });
    std::ofstream(root + "/2000/00/BIG_" + std::to_string(b) + ".jpg", std::ios::binary)
        .write(reinterpret_cast<const char*>(big.data()), std::streamsize(big.size()));
  }
  std::ofstream(root + "/.complete") << "ok\n";
  return root;
}


}  // namespace tp::bench
