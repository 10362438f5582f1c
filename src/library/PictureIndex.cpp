#include "library/PictureIndex.h"

namespace tp {

ScanWriter::ScanWriter(sqlite3* db, std::mutex& lock, std::function<void()> afterBatch)
    : db_(db), lock_(lock), afterBatch_(std::move(afterBatch)), lastFlush_(std::chrono::steady_clock::now()) {
  std::lock_guard<std::mutex> hold(lock_);
  sql::Exec(db_, "INSERT OR IGNORE INTO meta(key, value) VALUES('generation', 0)");
  sql::Exec(db_, "UPDATE meta SET value = value + 1 WHERE key = 'generation'");
  sql::Statement gen(db_, "SELECT value FROM meta WHERE key = 'generation'");
  if (gen.Step() == SQLITE_ROW) generation_ = gen.Int(0);
  folderGet_ = sql::Statement(db_, "SELECT id, mtime FROM folders WHERE path = ?1");
  folderPut_ = sql::Statement(db_, "INSERT INTO folders(path, seen) VALUES(?1, ?2)");
  folderSeen_ = sql::Statement(db_, "UPDATE folders SET seen = ?2 WHERE id = ?1");
  folderDone_ = sql::Statement(db_, "UPDATE folders SET mtime = ?2 WHERE id = ?1");
  pictureGet_ = sql::Statement(db_, "SELECT size, mtime FROM pictures WHERE folder = ?1 AND name = ?2");
  // A file whose size or time changed has its header read again.
  pictureUpsert_ = sql::Statement(db_, R"(
    INSERT INTO pictures(name, folder, size, mtime, seen, taken)
    VALUES(?1, ?2, ?3, ?4, ?5, ?4 / 1000000000)
    ON CONFLICT(folder, name) DO UPDATE SET seen = excluded.seen,
      facts = CASE WHEN size = excluded.size AND mtime = excluded.mtime THEN facts ELSE 0 END,
      taken = CASE WHEN size = excluded.size AND mtime = excluded.mtime THEN taken ELSE excluded.taken END,
      size = excluded.size, mtime = excluded.mtime)");
  pictureInsert_ = sql::Statement(db_, R"(
    INSERT OR IGNORE INTO pictures(name, folder, size, mtime, seen, taken)
    VALUES(?1, ?2, ?3, ?4, ?5, ?4 / 1000000000))");
  sweep_ = sql::Statement(db_, "DELETE FROM pictures WHERE folder = ?1 AND seen < ?2");
}

ScanWriter::~ScanWriter() = default;

void ScanWriter::FolderBegin(const ScannedFolder& folder) { Add(Entry{Entry::Begin, folder.path, 0, folder.mtimeNs}); }

void ScanWriter::File(const ScannedFolder& folder, const ScannedFile& file) {
  (void)folder;
  Add(Entry{Entry::Picture, file.name, file.size, file.mtimeNs});
}

void ScanWriter::FolderEnd(const ScannedFolder& folder, bool complete) {
  Add(Entry{Entry::End, folder.path, 0, folder.mtimeNs, complete});
}

void ScanWriter::Add(Entry entry) {
  const bool picture = entry.kind == Entry::Picture;
  pending_.push_back(std::move(entry));
  // The first picture of an empty index is written at once: a show may be waiting for it.
  if (pending_.size() >= kBatchEntries || (picture && !anyWritten_) ||
      std::chrono::steady_clock::now() - lastFlush_ >= kBatchWait)
    Flush();
}

void ScanWriter::Write(const Entry& e) {
  switch (e.kind) {
    case Entry::Begin: {
      OpenFolder open;
      folderGet_.Bind(1, e.path);
      if (folderGet_.Step() == SQLITE_ROW) {
        open.id = folderGet_.Int(0);
        open.changed = folderGet_.IsNull(1) || folderGet_.Int(1) != e.mtimeNs;
        folderGet_.Reset();
        folderSeen_.Bind(1, open.id).Bind(2, generation_).Run();
      } else {
        folderGet_.Reset();
        folderPut_.Bind(1, e.path).Bind(2, generation_).Run();
        open.id = sqlite3_last_insert_rowid(db_);
        open.fresh = true;
      }
      open_.push_back(open);
      break;
    }
    case Entry::Picture: {
      if (open_.empty()) break;
      const OpenFolder& folder = open_.back();
      if (!folder.changed) {
        pictureGet_.Bind(1, folder.id).Bind(2, e.path);
        const bool same = pictureGet_.Step() == SQLITE_ROW && pictureGet_.Int(0) == e.size && pictureGet_.Int(1) == e.mtimeNs;
        pictureGet_.Reset();
        if (same) break;
      }
      sql::Statement& put = folder.fresh ? pictureInsert_ : pictureUpsert_;
      put.Bind(1, e.path).Bind(2, folder.id).Bind(3, e.size).Bind(4, e.mtimeNs).Bind(5, generation_).Run();
      anyWritten_ = true;
      break;
    }
    case Entry::End: {
      if (open_.empty()) break;
      const OpenFolder folder = open_.back();
      open_.pop_back();
      if (!e.complete) break;  // its time stays old, so the next scan reads it again
      if (folder.changed) sweep_.Bind(1, folder.id).Bind(2, generation_).Run();
      folderDone_.Bind(1, folder.id).Bind(2, e.mtimeNs).Run();
      break;
    }
  }
}

void ScanWriter::Flush() {
  lastFlush_ = std::chrono::steady_clock::now();
  if (pending_.empty()) return;
  {
    std::lock_guard<std::mutex> hold(lock_);
    sql::Transaction tx(db_);
    for (const Entry& e : pending_) Write(e);
    tx.Commit();
  }
  pending_.clear();
  if (afterBatch_) afterBatch_();
}

void ScanWriter::Finish(bool complete) {
  Flush();
  if (!complete) return;
  {
    std::lock_guard<std::mutex> hold(lock_);
    sql::Transaction tx(db_);
    sql::Statement gone(db_, "DELETE FROM pictures WHERE folder IN (SELECT id FROM folders WHERE seen < ?1)");
    gone.Bind(1, generation_).Run();
    sql::Statement folders(db_, "DELETE FROM folders WHERE seen < ?1");
    folders.Bind(1, generation_).Run();
    tx.Commit();
  }
  if (afterBatch_) afterBatch_();
}

std::vector<PendingHeader> PendingHeaders(sqlite3* db, int limit) {
  std::vector<PendingHeader> out;
  sql::Statement get(db, "SELECT p.id, f.path, p.name, p.mtime FROM pictures p JOIN folders f ON f.id = p.folder "
                         "WHERE p.facts = 0 LIMIT ?1");
  get.Bind(1, int64_t(limit));
  while (get.Step() == SQLITE_ROW)
    out.push_back(PendingHeader{get.Int(0), get.Text(1) + "/" + get.Text(2), get.Int(3) / 1000000000});
  return out;
}

void StoreHeaders(sqlite3* db, const std::vector<std::pair<int64_t, PictureHeader>>& headers) {
  sql::Transaction tx(db);
  sql::Statement put(db, "UPDATE pictures SET facts = ?2, width = ?3, height = ?4, orientation = ?5, taken = ?6 "
                         "WHERE id = ?1 AND facts = 0");
  for (const auto& [id, h] : headers)
    put.Bind(1, id).Bind(2, int64_t(h.ok ? 1 : 2)).Bind(3, int64_t(h.width)).Bind(4, int64_t(h.height))
        .Bind(5, int64_t(h.orientation)).Bind(6, h.taken).Run();
  tx.Commit();
}

int64_t CountPictures(sqlite3* db) {
  sql::Statement count(db, "SELECT count(*) FROM pictures");
  return count.Step() == SQLITE_ROW ? count.Int(0) : 0;
}

}  // namespace tp
