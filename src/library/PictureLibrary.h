#pragma once
// A folder show's pictures: the folders scanned in the background into an index on disk,
// and the deck that deals them, every picture once before any repeats, kept across runs
// and shared by every show that runs at the same time.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tp {

enum class DeckOrder { Shuffle, Name, Date, Newest };
// "shuffle", "name", "date", "newest" (any case); false for anything else.
bool ParseDeckOrder(std::string_view text, DeckOrder& out);
const char* DeckOrderName(DeckOrder order);

// One picture as the index knows it.
struct LibraryPicture {
  int64_t id = 0;         // its row in the index
  std::string path;       // as found by the scan (may hold any bytes but NUL)
  std::string folder;     // the path of the folder holding it
  int width = 0;          // pixel size once upright; 0 x 0 until the header pass read it
  int height = 0;
  int orientation = 1;    // EXIF orientation 1-8
  int64_t taken = 0;      // date taken as seconds since the epoch (EXIF DateTimeOriginal read
                          // as local time, else the file's modification time)
};

struct LibraryOptions {
  std::vector<std::string> folders;  // searched with their subfolders
  DeckOrder order = DeckOrder::Shuffle;
  // Where the index lives; "" means $XDG_CACHE_HOME/tidepool (else ~/.cache/tidepool).
  // When the index cannot be opened or written there, the show runs from memory.
  std::string cacheFolder;
};

// Its functions are called from one thread (the show's); the scan and the header pass run
// on a thread of their own. An index file that fails while the show runs (full disk,
// damage) is left for one in memory, filled by a new scan.
class PictureLibrary {
 public:
  explicit PictureLibrary(LibraryOptions options);
  // Stops the scan and gives back this show's reservations that were not shown.
  ~PictureLibrary();
  PictureLibrary(const PictureLibrary&) = delete;
  PictureLibrary& operator=(const PictureLibrary&) = delete;

  // Starts the scan and the header pass on a low-priority thread.
  void StartScan();
  // Reserves the next picture of the deck for this show. Empty while no picture is known
  // yet (the scan still runs) or when there is none at all (ScanFinished()).
  std::optional<LibraryPicture> Reserve();
  // Reserve, but never starting a new pass: empty once this pass is dealt out (or the rest
  // of it is held by other shows). For a picture that goes with the one reserved before.
  std::optional<LibraryPicture> ReserveFromThisPass();
  // Reserve, waiting at most timeoutMs for the scan to find a picture.
  std::optional<LibraryPicture> WaitAndReserve(int timeoutMs);
  // The picture is on screen: it counts as dealt.
  void Shown(const LibraryPicture& picture);
  // A reserved picture that will not be shown goes back to the deck.
  void Release(const LibraryPicture& picture);
  // A picture that cannot be shown (does not decode, vanished): not dealt again in this pass.
  void Skip(const LibraryPicture& picture, std::string_view reason);

  bool ScanFinished() const;
  // Pictures known now.
  int64_t PictureCount() const;
  // True when the index could not be kept on disk (locked, read-only, a link, no cache
  // folder) and this show runs from an index in memory.
  bool IndexInMemory() const;
  // Waits at most timeoutMs for the scan and the header pass to end; true when they have.
  bool WaitUntilIdle(int timeoutMs);

 private:
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace tp
