// The picture library of folder shows on a generated library of 100 000 small JPEGs in
// 1 000 folders plus a few 24-megapixel photos (made once under the build tree and kept):
//   library_scan_vs_find     the whole scan written to a new index over
//                            find DIR -type f -printf '%s %T@\n' (both with a warm cache)
//   library_headers_vs_read  the header pass (size, orientation, date into the index) over
//                            reading the first 64 KB of every file
//   library_picture_change_ms  one reservation and its Shown on the deck of that library
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <vector>

#include "imaging/Bitmap32.h"
#include "imaging/ImageWriter.h"
#include "library/Deck.h"
#include "library/FolderScan.h"
#include "library/HeaderPass.h"
#include "library/IndexFile.h"
#include "library/PictureIndex.h"
#include "library/Sql.h"
#include "support/BenchFiles.h"
#include "support/BenchReport.h"

namespace {

using namespace tp;
using namespace tp::bench;

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
std::string Library() {
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

// A whole scan into a new index in cache; returns the pictures written.
int64_t ScanIntoNewIndex(const std::string& root, const std::string& cache) {
  std::filesystem::remove_all(cache);
  OpenedIndex index = OpenIndex(cache, {root});
  std::mutex lock;
  std::atomic<bool> stop{false};
  {
    ScanWriter writer(index.db, lock, nullptr);
    ScanFolders({root}, writer, stop);
    writer.Finish(true);
  }
  const int64_t n = CountPictures(index.db);
  sqlite3_close(index.db);
  return n;
}

void HeaderPassOver(sqlite3* db) {
  for (;;) {
    std::vector<PendingHeader> pending = PendingHeaders(db, 64);
    if (pending.empty()) return;
    std::vector<std::pair<int64_t, PictureHeader>> headers;
    for (const PendingHeader& p : pending) headers.emplace_back(p.id, ReadPictureHeader(p.path, p.mtime));
    StoreHeaders(db, headers);
  }
}

void Read64k(const std::vector<std::string>& paths) {
  std::vector<uint8_t> buffer(kHeaderBytes);
  for (const std::string& p : paths) {
    const int fd = ::open(p.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) continue;
    benchmark::DoNotOptimize(::pread(fd, buffer.data(), buffer.size(), 0));
    ::close(fd);
  }
}

void BM_HeaderOfOnePhoto(benchmark::State& state) {
  const std::string path = Library() + "/2000/00/IMG_00000.jpg";
  for (auto _ : state) benchmark::DoNotOptimize(ReadPictureHeader(path, 0).width);
}
BENCHMARK(BM_HeaderOfOnePhoto)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  const std::string root = Library();
  ScratchDir scratch("library");
  const std::string cache = scratch / "cache";
  const std::string find = "find '" + root + "' -type f -printf '%s %T@\\n' >/dev/null";
  CommandSeconds(find, 1);  // a warm cache for both
  int64_t pictures = 0;
  const double scan = MedianSeconds([&] { pictures = ScanIntoNewIndex(root, cache); }, 3, 0);
  const double findSeconds = CommandSeconds(find, 3);
  Figure("library_scan_ms", scan * 1000.0);
  Figure("library_find_ms", findSeconds * 1000.0);
  Figure("library_pictures", double(pictures));
  if (findSeconds > 0) Figure("library_scan_vs_find", scan / findSeconds);

  OpenedIndex index = OpenIndex(cache, {root});
  std::vector<std::string> paths;
  {
    sql::Statement all(index.db, "SELECT f.path, p.name FROM pictures p JOIN folders f ON f.id = p.folder");
    while (all.Step() == SQLITE_ROW) paths.push_back(all.Text(0) + "/" + all.Text(1));
  }
  Read64k(paths);
  // Each round starts with every header unread; the reset is not timed.
  std::vector<double> rounds;
  for (int i = 0; i < 3; ++i) {
    sql::Exec(index.db, "UPDATE pictures SET facts = 0");
    const auto t0 = std::chrono::steady_clock::now();
    HeaderPassOver(index.db);
    rounds.push_back(std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count());
  }
  std::sort(rounds.begin(), rounds.end());
  const double headers = rounds[1];
  const double read = MedianSeconds([&] { Read64k(paths); }, 3, 0);
  // One picture change of a show on this index: its reservation and its count as shown.
  Deck deck(index.db, DeckOrder::Shuffle, CurrentShowOwner());
  const double change = MedianSeconds(
      [&] {
        if (auto p = deck.Reserve()) deck.Shown(p->id, Deck::NameOf(*p));
      },
      20, 0.5);
  Figure("library_picture_change_ms", change * 1000.0);
  sqlite3_close(index.db);
  Figure("library_headers_ms", headers * 1000.0);
  Figure("library_read64k_ms", read * 1000.0);
  if (read > 0) Figure("library_headers_vs_read", headers / read);
  return RunAndReport(argc, argv);
}
