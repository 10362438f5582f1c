#pragma once
// Checking the pictures of a saver side by side, one thread per core, before the saver
// is written. Each picture is read once for its check; what must be stored changed (a
// photo turned upright, a converted picture) goes to a spill file beside the output
// rather than staying in memory, and the writer copies it from there.
#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "tidepool-pack/PictureCheck.h"

namespace tp::pack {

// At most this many bytes are read for one input file.
inline constexpr uint64_t kMaxInputBytes = 1ull << 30;

// Where a changed picture's bytes lie in the spill file.
struct Replacement {
  uint64_t offset = 0;
  uint64_t length = 0;
};

// An unnamed file in a folder (removed when closed), appended to from several threads.
class ReplacementSpill {
 public:
  explicit ReplacementSpill(const std::string& folder);  // throws FileError
  ~ReplacementSpill();
  ReplacementSpill(const ReplacementSpill&) = delete;
  ReplacementSpill& operator=(const ReplacementSpill&) = delete;

  int fd() const { return fd_; }
  Replacement Append(std::string_view bytes);  // throws FileError

 private:
  std::string folder_;
  int fd_ = -1;
  uint64_t end_ = 0;
  std::mutex mutex_;
};

struct PictureJob {
  size_t file = 0;  // index into the project's files
  std::string path;
  CheckedPicture result;  // result.replacement is moved to the spill
  std::string error;      // non-empty when the picture cannot be used
  Replacement replacement;
};

// Checks every job; a picture that cannot be used gets its error ("PATH: REASON").
// More than 50 pictures show a progress line on a terminal.
void CheckPictures(std::vector<PictureJob>& jobs, ReplacementSpill& spill);

}  // namespace tp::pack
