#pragma once
// Walks picture folders: subfolders included, hidden entries skipped, links followed with
// every folder entered once (by device and inode), and only regular files reported. No
// file is opened (folders only, as directories that never block), and a folder that
// cannot be read is passed over. Entries go to the sink as they are read, so a folder of
// any size takes bounded memory; the walk holds one open folder per level of depth.
#include <atomic>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tp {

// True when the name ends in one of the extensions of the picture formats read (any case).
bool IsPictureCandidate(std::string_view name);

struct ScannedFolder {
  std::string path;
  int64_t mtimeNs = 0;
};

struct ScannedFile {
  std::string name;  // inside its folder
  int64_t size = 0;
  int64_t mtimeNs = 0;
};

class ScanSink {
 public:
  virtual ~ScanSink() = default;
  // A folder is entered; its files follow until its FolderEnd. Subfolders are walked
  // while their parent is open, so Begin and End calls nest.
  virtual void FolderBegin(const ScannedFolder& folder) = 0;
  // A candidate picture of the innermost folder begun and not yet ended.
  virtual void File(const ScannedFolder& folder, const ScannedFile& file) = 0;
  // complete is false when reading the folder failed part way (its missing entries must
  // not be taken for removed files).
  virtual void FolderEnd(const ScannedFolder& folder, bool complete) = 0;
};

struct ScanCounts {
  int64_t files = 0;       // regular files seen
  int64_t candidates = 0;  // of them, pictures by extension
  int64_t folders = 0;
  int64_t rootsMissing = 0;  // roots that could not be opened (a drive not plugged in)
};

// Deepest level of subfolders entered below a root.
constexpr int kMaxScanDepth = 64;

// Walks every root; stops early when stop turns true. Roots are entered once each too.
ScanCounts ScanFolders(const std::vector<std::string>& roots, ScanSink& sink, const std::atomic<bool>& stop);

}  // namespace tp
