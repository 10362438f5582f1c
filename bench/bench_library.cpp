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
#include "support/BenchPhotoLibrary.h"
#include "support/BenchReport.h"

namespace {

using namespace tp;
using namespace tp::bench;

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
  const std::string path = GeneratedPhotoLibrary() + "/2000/00/IMG_00000.jpg";
  for (auto _ : state) benchmark::DoNotOptimize(ReadPictureHeader(path, 0).width);
}
BENCHMARK(BM_HeaderOfOnePhoto)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  const std::string root = GeneratedPhotoLibrary();
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
