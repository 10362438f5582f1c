#include "library/PictureLibrary.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <utility>

#include "library/Deck.h"
#include "library/FolderScan.h"
#include "library/HeaderPass.h"
#include "library/IndexFile.h"
#include "library/PictureIndex.h"
#include "library/ShowOwner.h"
#include "library/Sql.h"
#include "platform/EventLog.h"
#include "platform/ThreadPriority.h"

namespace tp {

namespace {

constexpr int kHeaderBatch = 256;

std::string Lower(std::string_view text) {
  std::string out(text);
  for (char& c : out)
    if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
  return out;
}

}  // namespace

bool ParseDeckOrder(std::string_view text, DeckOrder& out) {
  const std::string t = Lower(text);
  for (DeckOrder order : {DeckOrder::Shuffle, DeckOrder::Name, DeckOrder::Date, DeckOrder::Newest})
    if (t == DeckOrderName(order)) {
      out = order;
      return true;
    }
  return false;
}

const char* DeckOrderName(DeckOrder order) {
  switch (order) {
    case DeckOrder::Shuffle: return "shuffle";
    case DeckOrder::Name: return "name";
    case DeckOrder::Date: return "date";
    case DeckOrder::Newest: return "newest";
  }
  return "shuffle";
}

struct PictureLibrary::State {
  LibraryOptions options;
  ShowOwner owner = CurrentShowOwner();
  OpenedIndex index;
  bool started = false;  // StartScan was called
  // Guards the connection: the scan thread and the show share it.
  mutable std::mutex dbLock;
  std::unique_ptr<Deck> deck;
  std::thread worker;
  std::atomic<bool> stop{false};
  std::atomic<bool> scanFinished{false};
  bool idle = false;  // under waitLock: the scan and the header pass have ended
  std::mutex waitLock;
  std::condition_variable changed;
  uint64_t batches = 0;  // under waitLock: written batches, for WaitAndReserve

  void Notify() {
    {
      std::lock_guard<std::mutex> hold(waitLock);
      ++batches;
    }
    changed.notify_all();
  }

  void Run() {
    LowerCurrentThreadPriority();
    LogEvent("library", "scan-start");
    const auto t0 = std::chrono::steady_clock::now();
    ScanWriter writer(index.db, dbLock, [this] {
      // A file that fails under the scan ends it; the show then moves to memory.
      if (sql::HasFailed(index.db)) stop = true;
      Notify();
    });
    const ScanCounts counts = ScanFolders(options.folders, writer, stop);
    const bool stopped = stop.load();
    // Pictures of a root that is not there this time (a drive not plugged in) keep their
    // place in the deck: nothing is taken out of the index after such a scan.
    writer.Finish(!stopped && counts.rootsMissing == 0);
    if (stopped) {
      LogEvent("library", "scan-stopped");
    } else {
      const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - t0).count();
      LogEvent("library", "scan-done files=" + std::to_string(counts.files) + " pictures=" +
                              std::to_string(counts.candidates) + " ms=" + std::to_string(ms));
      scanFinished = true;
      Notify();
      HeaderPass();
    }
    {
      std::lock_guard<std::mutex> hold(waitLock);
      idle = true;
    }
    changed.notify_all();
  }

  void HeaderPass() {
    while (!stop.load()) {
      std::vector<PendingHeader> pending;
      {
        std::lock_guard<std::mutex> hold(dbLock);
        pending = PendingHeaders(index.db, kHeaderBatch);
      }
      if (pending.empty()) return;
      std::vector<std::pair<int64_t, PictureHeader>> headers;
      for (const PendingHeader& p : pending) {
        if (stop.load()) break;
        headers.emplace_back(p.id, ReadPictureHeader(p.path, p.mtime));
      }
      std::lock_guard<std::mutex> hold(dbLock);
      StoreHeaders(index.db, headers);
      if (sql::HasFailed(index.db)) return;
    }
  }

  void StartWorker() {
    stop = false;
    scanFinished = false;
    {
      std::lock_guard<std::mutex> hold(waitLock);
      idle = false;
    }
    worker = std::thread([this] { Run(); });
  }

  // An index file that failed (full disk, damage, turned read-only) is left for an index
  // in memory, filled by a new scan.
  void MoveToMemoryIfFailed() {
    if (index.inMemory || !index.db || !sql::HasFailed(index.db)) return;
    LogEvent("library", "index-failed memory");
    stop = true;
    if (worker.joinable()) worker.join();
    deck.reset();
    sql::Forget(index.db);
    sqlite3_close(index.db);
    index = OpenMemoryIndex(options.folders);
    if (!index.db) return;
    deck = std::make_unique<Deck>(index.db, options.order, owner);
    if (started) StartWorker();
  }
};

PictureLibrary::PictureLibrary(LibraryOptions options) : state_(std::make_unique<State>()) {
  state_->options = std::move(options);
  state_->index = OpenIndex(state_->options.cacheFolder, state_->options.folders);
  if (state_->index.db) state_->deck = std::make_unique<Deck>(state_->index.db, state_->options.order, state_->owner);
}

PictureLibrary::~PictureLibrary() {
  state_->stop = true;
  if (state_->worker.joinable()) state_->worker.join();
  if (state_->deck) state_->deck->ReleaseAll();
  state_->deck.reset();
  sql::Forget(state_->index.db);
  sqlite3_close(state_->index.db);
}

void PictureLibrary::StartScan() {
  if (state_->started) return;
  state_->started = true;
  if (!state_->index.db) {
    state_->scanFinished = true;
    return;
  }
  state_->StartWorker();
}

std::optional<LibraryPicture> PictureLibrary::Reserve() {
  state_->MoveToMemoryIfFailed();
  if (!state_->deck) return std::nullopt;
  const bool scanning = state_->worker.joinable() && !state_->scanFinished.load();
  std::lock_guard<std::mutex> hold(state_->dbLock);
  return state_->deck->Reserve(!scanning);
}

std::optional<LibraryPicture> PictureLibrary::ReserveFromThisPass() {
  state_->MoveToMemoryIfFailed();
  if (!state_->deck) return std::nullopt;
  std::lock_guard<std::mutex> hold(state_->dbLock);
  return state_->deck->Reserve(false);
}

std::optional<LibraryPicture> PictureLibrary::WaitAndReserve(int timeoutMs) {
  const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  for (;;) {
    uint64_t seen;
    {
      std::lock_guard<std::mutex> hold(state_->waitLock);
      seen = state_->batches;
    }
    // Read before reserving: a scan that ends after a failed reservation may have written
    // pictures since.
    const bool finished = ScanFinished() || !state_->worker.joinable();
    if (auto picture = Reserve()) return picture;
    if (finished) return std::nullopt;
    std::unique_lock<std::mutex> wait(state_->waitLock);
    if (!state_->changed.wait_until(wait, until, [&] { return state_->batches != seen; })) return std::nullopt;
  }
}

void PictureLibrary::Shown(const LibraryPicture& picture) {
  state_->MoveToMemoryIfFailed();
  if (!state_->deck) return;
  DeckPosition at;
  {
    std::lock_guard<std::mutex> hold(state_->dbLock);
    at = state_->deck->Shown(picture.id, Deck::NameOf(picture));
  }
  LogEvent("deck", "pass=" + std::to_string(at.pass) + " position=" + std::to_string(at.position) +
                       " of=" + std::to_string(at.of));
}

void PictureLibrary::Release(const LibraryPicture& picture) {
  if (!state_->deck) return;
  std::lock_guard<std::mutex> hold(state_->dbLock);
  state_->deck->Release(picture.id, Deck::NameOf(picture));
}

void PictureLibrary::Skip(const LibraryPicture& picture, std::string_view reason) {
  LogEvent("skip", EscapeForLog(picture.path) + " " + EscapeForLog(reason));
  if (!state_->deck) return;
  std::lock_guard<std::mutex> hold(state_->dbLock);
  state_->deck->Skip(picture.id, Deck::NameOf(picture));
}

bool PictureLibrary::ScanFinished() const { return state_->scanFinished.load(); }

int64_t PictureLibrary::PictureCount() const {
  state_->MoveToMemoryIfFailed();
  if (!state_->index.db) return 0;
  std::lock_guard<std::mutex> hold(state_->dbLock);
  return CountPictures(state_->index.db);
}

bool PictureLibrary::WaitUntilIdle(int timeoutMs) {
  const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  // A scan that ended on a failed index file is followed by one into memory.
  for (int round = 0; round < 2; ++round) {
    state_->MoveToMemoryIfFailed();
    if (!state_->worker.joinable()) return true;
    std::unique_lock<std::mutex> wait(state_->waitLock);
    if (!state_->changed.wait_until(wait, until, [&] { return state_->idle; })) return false;
  }
  return true;
}

bool PictureLibrary::IndexInMemory() const { return state_->index.inMemory; }

}  // namespace tp
