#pragma once
// Checking the pictures of a saver on worker threads (one per core, at most 4) while the
// caller writes the saver: pictures are checked in the order they are stored, and the
// writer takes each one's bytes as soon as it is done, so reading, decoding and writing
// overlap and each picture is read from disk once. Checkers stay at most a few pictures
// ahead of the writer, which bounds the bytes held.
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "tidepool-pack/PictureCheck.h"

namespace tp::pack {

struct PictureJob {
  size_t file = 0;  // index into the project's files
  std::string path;
  CheckedPicture result;
  std::string error;  // non-empty when the picture cannot be used
};

// At most this many bytes are read for one input file.
inline constexpr uint64_t kMaxInputBytes = 1ull << 30;

// A file's bytes in one buffer that is not cleared before the file is read into it.
struct InputBytes {
  std::unique_ptr<char[]> data;
  size_t size = 0;
  std::string_view view() const { return {data.get(), size}; }
};
// The whole file at path; throws FileError.
InputBytes ReadInput(const std::string& path);

class Progress;

class PictureQueue {
 public:
  // Starts checking jobs (ordered by file). The jobs must outlive the queue.
  explicit PictureQueue(std::vector<PictureJob>& jobs);
  ~PictureQueue();  // stops the checkers and waits for them
  PictureQueue(const PictureQueue&) = delete;
  PictureQueue& operator=(const PictureQueue&) = delete;

  // Waits for job k (k-th in file order) to be checked; bytes receives its contents when
  // the writer still wants them (see StopHanding) and the check succeeded.
  const PictureJob& Take(size_t k, InputBytes* bytes);
  // The writer needs no more bytes: checkers drop them and no longer wait for it.
  void StopHanding();
  // Waits until every picture is checked (handing ends).
  void Finish();

 private:
  void Work();

  std::vector<PictureJob>& jobs_;
  std::vector<InputBytes> bytes_;
  std::vector<bool> done_;
  size_t next_ = 0;   // next job to start
  size_t taken_ = 0;  // jobs the writer has taken
  bool handing_ = true;
  bool stopping_ = false;
  size_t window_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<std::thread> threads_;
  std::unique_ptr<Progress> progress_;
};

}  // namespace tp::pack
