#include "library/IndexFile.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include "core/SafeFile.h"
#include "library/Sql.h"

namespace tp {

namespace {

constexpr int kSchemaVersion = 3;
constexpr int kBusyMs = 1500;

// Columns dealt0..dealt3 hold, per deck order, the pass in which the picture was dealt
// (or skipped); res_* the show holding it. Per deck, the pass under way, the picture shown
// last and how many were dealt in this pass. The shuffle needs no index (it seeks a random
// row); the date taken has none of its own, so that the scan and the header pass write
// only the table: a picture change of the date orders reads the table once.
constexpr const char* kSchema = R"(
CREATE TABLE IF NOT EXISTS meta(key TEXT PRIMARY KEY, value BLOB);
CREATE TABLE IF NOT EXISTS folders(id INTEGER PRIMARY KEY, path BLOB UNIQUE NOT NULL,
  mtime INTEGER, seen INTEGER NOT NULL DEFAULT 0);
CREATE TABLE IF NOT EXISTS pictures(id INTEGER PRIMARY KEY, folder INTEGER NOT NULL, name BLOB NOT NULL,
  size INTEGER NOT NULL, mtime INTEGER NOT NULL, seen INTEGER NOT NULL,
  facts INTEGER NOT NULL DEFAULT 0, width INTEGER NOT NULL DEFAULT 0, height INTEGER NOT NULL DEFAULT 0,
  orientation INTEGER NOT NULL DEFAULT 1, taken INTEGER NOT NULL,
  dealt0 INTEGER NOT NULL DEFAULT 0, dealt1 INTEGER NOT NULL DEFAULT 0,
  dealt2 INTEGER NOT NULL DEFAULT 0, dealt3 INTEGER NOT NULL DEFAULT 0,
  res_token INTEGER, res_pid INTEGER, res_start INTEGER, res_until INTEGER, UNIQUE(folder, name));
CREATE INDEX IF NOT EXISTS pictures_unread ON pictures(facts) WHERE facts = 0;
CREATE INDEX IF NOT EXISTS pictures_reserved ON pictures(res_pid) WHERE res_pid IS NOT NULL;
CREATE TABLE IF NOT EXISTS decks(deck INTEGER PRIMARY KEY, pass INTEGER NOT NULL, last INTEGER NOT NULL,
  dealt INTEGER NOT NULL DEFAULT 0);
)";

std::string FoldersKey(const std::vector<std::string>& folders) {
  std::string key;
  for (const std::string& f : folders) {
    key += f;
    key.push_back('\0');
  }
  return key;
}

enum class Setup { Ok, Busy, Damaged, Failed };

// Pragmas, tables and the check that the file is ours and of these folders, in one write
// transaction (which also shows that the file takes writes).
Setup SetUp(sqlite3* db, const std::string& key, bool inMemory) {
  sqlite3_busy_timeout(db, kBusyMs);
  sqlite3_extended_result_codes(db, 0);
  int rc = SQLITE_OK;
  if (!inMemory) {
    sql::Statement wal(db, "PRAGMA journal_mode=WAL");
    rc = wal.ok() ? wal.Step() : sqlite3_errcode(db);
    // The index is a cache, rebuilt when found damaged: it is not synced to the disk.
    if (rc == SQLITE_ROW) rc = sql::Exec(db, "PRAGMA synchronous=OFF");
  }
  if (rc == SQLITE_OK || rc == SQLITE_ROW || rc == SQLITE_DONE) {
    sql::Transaction tx(db);
    rc = tx.began() ? sql::Exec(db, kSchema) : sqlite3_errcode(db);
    if (rc == SQLITE_OK) {
      sql::Statement get(db, "SELECT key, value FROM meta");
      std::string version, folders;
      bool any = false;
      while (get.ok() && (rc = get.Step()) == SQLITE_ROW) {
        any = true;
        if (get.Text(0) == "schema") version = get.Text(1);
        if (get.Text(0) == "folders") folders = get.Text(1);
      }
      if (!get.ok()) rc = sqlite3_errcode(db);
      if (rc == SQLITE_DONE) {
        if (any && (version != std::to_string(kSchemaVersion) || folders != key)) return Setup::Damaged;
        if (!any) {
          sql::Statement put(db, "INSERT INTO meta(key, value) VALUES(?1, ?2)");
          put.Bind(1, std::string_view("schema")).Bind(2, std::to_string(kSchemaVersion));
          rc = put.Run();
          if (rc == SQLITE_DONE) {
            put.Bind(1, std::string_view("folders")).Bind(2, key);
            rc = put.Run();
          }
        }
        if (rc == SQLITE_DONE) rc = tx.Commit() ? SQLITE_OK : sqlite3_errcode(db);
      }
    }
  }
  if (rc == SQLITE_OK) return Setup::Ok;
  if (rc == SQLITE_BUSY || rc == SQLITE_LOCKED) return Setup::Busy;
  if (rc == SQLITE_CORRUPT || rc == SQLITE_NOTADB || rc == SQLITE_FORMAT || rc == SQLITE_SCHEMA ||
      rc == SQLITE_ERROR || rc == SQLITE_MISMATCH)
    return Setup::Damaged;
  return Setup::Failed;
}

// The folder exists as a folder of ours (made when missing), not a link.
bool UsableFolder(const std::string& folder) {
  MakeFolders(folder);
  struct stat st;
  return ::lstat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::geteuid() &&
         ::access(folder.c_str(), W_OK | X_OK) == 0;
}

// Absent, or a regular file of ours (links and anything else refused).
bool UsableFile(const std::string& path) {
  struct stat st;
  if (::lstat(path.c_str(), &st) != 0) return errno == ENOENT;
  return S_ISREG(st.st_mode) && st.st_uid == ::geteuid();
}

void RemoveIndexFiles(const std::string& path) {
  for (const char* suffix : {"", "-wal", "-shm", "-journal"}) ::unlink((path + suffix).c_str());
}

}  // namespace

std::string DefaultCacheFolder() {
  const char* xdg = std::getenv("XDG_CACHE_HOME");
  if (xdg && xdg[0] == '/') return std::string(xdg) + "/tidepool";
  const char* home = std::getenv("HOME");
  if (home && home[0] == '/') return std::string(home) + "/.cache/tidepool";
  return {};
}

std::string IndexFileName(const std::vector<std::string>& folders) {
  uint64_t hash = 1469598103934665603ULL;  // FNV-1a
  for (unsigned char c : FoldersKey(folders)) hash = (hash ^ c) * 1099511628211ULL;
  char name[48];
  std::snprintf(name, sizeof name, "library-%016llx.sqlite", static_cast<unsigned long long>(hash));
  return name;
}

OpenedIndex OpenMemoryIndex(const std::vector<std::string>& folders) {
  OpenedIndex opened;
  opened.inMemory = true;
  if (sqlite3_open(":memory:", &opened.db) != SQLITE_OK || SetUp(opened.db, FoldersKey(folders), true) != Setup::Ok) {
    sqlite3_close(opened.db);
    opened.db = nullptr;
  }
  return opened;
}

OpenedIndex OpenIndex(const std::string& cacheFolder, const std::vector<std::string>& folders) {
  const std::string folder = cacheFolder.empty() ? DefaultCacheFolder() : cacheFolder;
  if (folder.empty() || !UsableFolder(folder)) return OpenMemoryIndex(folders);
  const std::string path = folder + "/" + IndexFileName(folders);
  const std::string key = FoldersKey(folders);
  for (int attempt = 0; attempt < 2; ++attempt) {
    if (!UsableFile(path)) break;
    sqlite3* db = nullptr;
    const int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOFOLLOW;
    if (sqlite3_open_v2(path.c_str(), &db, flags, nullptr) != SQLITE_OK) {
      sqlite3_close(db);
      break;
    }
    const Setup setup = SetUp(db, key, false);
    if (setup == Setup::Ok) return OpenedIndex{db, false, path};
    sqlite3_close(db);
    if (setup != Setup::Damaged) break;  // locked or not writable: left as it is
    RemoveIndexFiles(path);
  }
  return OpenMemoryIndex(folders);
}

}  // namespace tp
