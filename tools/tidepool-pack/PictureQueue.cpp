#include "tidepool-pack/PictureQueue.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>

#include "tidepool-pack/PackCommand.h"

namespace tp::pack {

namespace {
constexpr size_t kProgressThreshold = 50;
}  // namespace

// "pictures done / total, megabytes" on one terminal line, redrawn as pictures finish.
class Progress {
 public:
  explicit Progress(size_t total) : total_(total), shown_(total > kProgressThreshold && ::isatty(2)) {}
  ~Progress() { End(); }
  // Ends the line, once, so that what is printed next starts on a line of its own.
  void End() {
    std::lock_guard<std::mutex> lock(mutex_);
    if (shown_ && done_ > 0) std::fputs("\n", stderr);
    shown_ = false;
  }
  void Add(uint64_t bytes) {
    std::lock_guard<std::mutex> lock(mutex_);
    ++done_;
    bytes_ += bytes;
    if (shown_)
      std::fprintf(stderr, "\rtidepool-pack: %zu/%zu pictures, %.1f MB", done_, total_, double(bytes_) / (1024.0 * 1024.0));
  }

 private:
  std::mutex mutex_;
  size_t total_, done_ = 0;
  uint64_t bytes_ = 0;
  bool shown_;
};

InputBytes ReadInput(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  struct stat st;
  if (fd < 0 || ::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    if (fd >= 0) ::close(fd);
    throw FileError(path, "cannot be read");
  }
  if (uint64_t(st.st_size) > kMaxInputBytes) {
    ::close(fd);
    throw FileError(path, "too large");
  }
  InputBytes bytes;
  bytes.data.reset(new char[size_t(st.st_size)]);
  const size_t want = size_t(st.st_size);
  while (bytes.size < want) {
    const ssize_t n = ::read(fd, bytes.data.get() + bytes.size, want - bytes.size);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      ::close(fd);
      throw FileError(path, "cannot be read");
    }
    if (n == 0) break;  // shorter than it was: what is there is checked
    bytes.size += size_t(n);
  }
  ::close(fd);
  return bytes;
}

PictureQueue::PictureQueue(std::vector<PictureJob>& jobs)
    : jobs_(jobs), bytes_(jobs.size()), done_(jobs.size(), false) {
  const size_t threads = std::min<size_t>(std::clamp<size_t>(std::thread::hardware_concurrency(), 1, 4), jobs.size());
  window_ = 4 * std::max<size_t>(threads, 1);
  progress_ = std::make_unique<Progress>(jobs.size());
  for (size_t t = 0; t < threads; ++t) threads_.emplace_back([this] { Work(); });
}

PictureQueue::~PictureQueue() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
  }
  changed_.notify_all();
  for (auto& t : threads_) t.join();
}

void PictureQueue::Work() {
  for (;;) {
    size_t k;
    {
      std::unique_lock<std::mutex> lock(mutex_);
      changed_.wait(lock, [&] { return stopping_ || next_ >= jobs_.size() || !handing_ || next_ < taken_ + window_; });
      if (stopping_ || next_ >= jobs_.size()) return;
      k = next_++;
    }
    PictureJob& job = jobs_[k];
    InputBytes bytes;
    try {
      bytes = ReadInput(job.path);
      job.result = CheckPicture(bytes.view());
    } catch (const FileError& e) {
      job.error = e.what();
    } catch (const std::exception& e) {
      job.error = job.path + ": " + e.what();
    }
    progress_->Add(bytes.size);
    {
      std::lock_guard<std::mutex> lock(mutex_);
      if (handing_ && job.error.empty()) bytes_[k] = std::move(bytes);
      done_[k] = true;
    }
    changed_.notify_all();
  }
}

const PictureJob& PictureQueue::Take(size_t k, InputBytes* bytes) {
  std::unique_lock<std::mutex> lock(mutex_);
  changed_.wait(lock, [&] { return bool(done_[k]); });
  if (bytes) *bytes = std::move(bytes_[k]);
  bytes_[k] = {};
  taken_ = std::max(taken_, k + 1);
  lock.unlock();
  changed_.notify_all();
  return jobs_[k];
}

void PictureQueue::StopHanding() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    handing_ = false;
    for (InputBytes& b : bytes_) b = {};
  }
  changed_.notify_all();
}

void PictureQueue::Finish() {
  StopHanding();
  std::unique_lock<std::mutex> lock(mutex_);
  changed_.wait(lock, [&] { return std::all_of(done_.begin(), done_.end(), [](bool d) { return d; }); });
  lock.unlock();
  progress_->End();
}

}  // namespace tp::pack
