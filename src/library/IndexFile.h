#pragma once
// Where the index lives and how it is opened. Each set of folders has its own index file,
// <cache>/library-<hash of the folder list>.sqlite, so one show's deck never mixes with
// another's. The index is opened only inside the cache folder, never through a link (a
// cache folder or index file that is a link is refused); one that is corrupt or of
// another layout is rebuilt; one that is locked, read-only or cannot be created leaves
// the show with an index in memory.
#include <sqlite3.h>

#include <string>
#include <vector>

namespace tp {

// $XDG_CACHE_HOME/tidepool when XDG_CACHE_HOME is an absolute path, else ~/.cache/tidepool;
// "" when neither can be told.
std::string DefaultCacheFolder();

// The index file's name for a set of folders (the same list in the same order).
std::string IndexFileName(const std::vector<std::string>& folders);

struct OpenedIndex {
  sqlite3* db = nullptr;
  bool inMemory = false;
  std::string path;  // the file, or "" in memory
};

// Opens (creating, or rebuilding when damaged) the index of the folders in cacheFolder
// ("" for the default), else an index in memory. db is never null unless SQLite cannot
// even open a database in memory.
OpenedIndex OpenIndex(const std::string& cacheFolder, const std::vector<std::string>& folders);

// An empty index in memory with the index's tables.
OpenedIndex OpenMemoryIndex(const std::vector<std::string>& folders);

}  // namespace tp
