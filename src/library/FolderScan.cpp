#include "library/FolderScan.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <set>
#include <utility>

namespace tp {

namespace {

constexpr std::string_view kExtensions[] = {"jpg", "jpeg", "jpe", "png", "gif", "bmp", "webp",
                                            "heic", "heif", "avif", "tif", "tiff", "jxl"};

int64_t MtimeNs(const struct stat& st) { return int64_t(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec; }

class Walker {
 public:
  Walker(ScanSink& sink, const std::atomic<bool>& stop) : sink_(sink), stop_(stop) {}

  void Root(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
      ++counts.rootsMissing;
      return;
    }
    Folder(fd, path, 0);
  }

  ScanCounts counts;

 private:
  // Takes ownership of fd, an open folder.
  void Folder(int fd, const std::string& path, int depth) {
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISDIR(st.st_mode) || !visited_.insert({st.st_dev, st.st_ino}).second) {
      ::close(fd);
      return;
    }
    DIR* dir = ::fdopendir(fd);
    if (!dir) {
      ::close(fd);
      return;
    }
    ++counts.folders;
    const ScannedFolder folder{path, MtimeNs(st)};
    sink_.FolderBegin(folder);
    bool complete = true;
    for (;;) {
      if (stop_.load(std::memory_order_relaxed)) {
        complete = false;
        break;
      }
      errno = 0;
      const dirent* entry = ::readdir(dir);
      if (!entry) {
        if (errno != 0) complete = false;
        break;
      }
      const std::string_view name(entry->d_name);
      if (name.empty() || name[0] == '.') continue;  // hidden, "." and ".."
      const unsigned char type = entry->d_type;
      if (type == DT_FIFO || type == DT_SOCK || type == DT_CHR || type == DT_BLK) continue;
      if (type == DT_REG && !IsPictureCandidate(name)) {
        ++counts.files;
        continue;
      }
      struct stat child;
      // Links are followed: the stat is of what the name leads to.
      if (::fstatat(fd, entry->d_name, &child, 0) != 0) continue;
      if (S_ISREG(child.st_mode)) {
        ++counts.files;
        if (!IsPictureCandidate(name)) continue;
        ++counts.candidates;
        sink_.File(folder, ScannedFile{std::string(name), int64_t(child.st_size), MtimeNs(child)});
      } else if (S_ISDIR(child.st_mode) && depth < kMaxScanDepth) {
        if (visited_.count({child.st_dev, child.st_ino})) continue;
        const int sub = ::openat(fd, entry->d_name, O_RDONLY | O_DIRECTORY | O_NONBLOCK | O_CLOEXEC);
        if (sub < 0) continue;  // unreadable: passed over
        Folder(sub, path + "/" + std::string(name), depth + 1);
      }
    }
    ::closedir(dir);
    sink_.FolderEnd(folder, complete);
  }

  ScanSink& sink_;
  const std::atomic<bool>& stop_;
  std::set<std::pair<dev_t, ino_t>> visited_;
};

}  // namespace

bool IsPictureCandidate(std::string_view name) {
  const size_t dot = name.rfind('.');
  if (dot == std::string_view::npos || dot == 0) return false;
  const std::string_view ext = name.substr(dot + 1);
  for (std::string_view known : kExtensions) {
    if (known.size() != ext.size()) continue;
    bool same = true;
    for (size_t i = 0; i < ext.size() && same; ++i) {
      char c = ext[i];
      if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
      same = c == known[i];
    }
    if (same) return true;
  }
  return false;
}

ScanCounts ScanFolders(const std::vector<std::string>& roots, ScanSink& sink, const std::atomic<bool>& stop) {
  Walker walker(sink, stop);
  for (const std::string& root : roots) {
    if (stop.load()) break;
    std::string path = root;
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    walker.Root(path);
  }
  return walker.counts;
}

}  // namespace tp
