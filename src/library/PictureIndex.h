#pragma once
// What the scan and the header pass write into the index. The scan's entries are
// gathered in small batches and written one transaction per batch, under the lock that
// guards the connection, so a show reserving pictures waits at most for one batch.
//
// A folder whose modification time is the one recorded (no entry added, removed or
// renamed since) is only read: its files' sizes and times are compared with the index and
// a row is written only for a file that changed. A changed folder has its files written
// and those no longer there removed. Folders not met again, and their pictures, are
// removed once a whole scan has finished.
#include <sqlite3.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "library/FolderScan.h"
#include "library/HeaderPass.h"
#include "library/Sql.h"

namespace tp {

// The scan's sink into the index.
class ScanWriter : public ScanSink {
 public:
  // afterBatch runs (outside the lock) after each batch is written.
  ScanWriter(sqlite3* db, std::mutex& lock, std::function<void()> afterBatch);
  ~ScanWriter() override;

  void FolderBegin(const ScannedFolder& folder) override;
  void File(const ScannedFolder& folder, const ScannedFile& file) override;
  void FolderEnd(const ScannedFolder& folder, bool complete) override;
  // Writes what is pending; with complete, removes what the scan did not meet again.
  void Finish(bool complete);

  // Entries gathered before a batch is written, and the longest a batch waits.
  static constexpr size_t kBatchEntries = 512;
  static constexpr std::chrono::milliseconds kBatchWait{100};

 private:
  struct Entry {
    enum Kind { Begin, Picture, End } kind;
    std::string path;  // the folder's path, or the file's name in it
    int64_t size = 0;
    int64_t mtimeNs = 0;
    bool complete = false;
  };
  struct OpenFolder {
    int64_t id = 0;
    bool changed = true;
    bool fresh = false;  // not in the index before: none of its pictures can be
  };
  void Add(Entry entry);
  void Flush();
  void Write(const Entry& entry);

  sqlite3* db_;
  std::mutex& lock_;
  std::function<void()> afterBatch_;
  std::vector<Entry> pending_;
  std::vector<OpenFolder> open_;
  int64_t generation_ = 0;
  bool anyWritten_ = false;
  std::chrono::steady_clock::time_point lastFlush_;
  sql::Statement folderGet_, folderPut_, folderSeen_, folderDone_, pictureGet_, pictureUpsert_, pictureInsert_, sweep_;
};

struct PendingHeader {
  int64_t id = 0;
  std::string path;
  int64_t mtime = 0;  // seconds
};

// Pictures whose header has not been read yet (at most limit).
std::vector<PendingHeader> PendingHeaders(sqlite3* db, int limit);
// Stores what the header pass found (facts 1 when read, 2 when not understood), in one
// transaction for the batch.
void StoreHeaders(sqlite3* db, const std::vector<std::pair<int64_t, PictureHeader>>& headers);
int64_t CountPictures(sqlite3* db);

}  // namespace tp
