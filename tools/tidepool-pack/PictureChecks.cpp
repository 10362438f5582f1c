#include "tidepool-pack/PictureChecks.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <thread>

#include "core/SafeFile.h"
#include "tidepool-pack/PackCommand.h"

namespace tp::pack {
namespace {

constexpr size_t kProgressThreshold = 50;

// "pictures done / total, megabytes" on one terminal line, redrawn as pictures finish.
class Progress {
 public:
  explicit Progress(size_t total) : total_(total), shown_(total > kProgressThreshold && ::isatty(2)) {}
  ~Progress() {
    if (shown_ && done_ > 0) std::fputs("\n", stderr);
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

std::string ReadInput(const std::string& path) {
  std::string bytes;
  switch (ReadWholeFile(path, size_t(kMaxInputBytes), bytes, FollowLinks::Yes)) {
    case ReadResult::Ok: return bytes;
    case ReadResult::TooLarge: throw FileError(path, "too large");
    default: throw FileError(path, "cannot be read");
  }
}

}  // namespace

ReplacementSpill::ReplacementSpill(const std::string& folder) : folder_(folder.empty() ? "." : folder) {
  fd_ = ::open(folder_.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
  if (fd_ < 0) {
    // A file system without unnamed files: a named one, removed at once.
    std::string name = folder_ + "/.tidepool-pack-XXXXXX";
    fd_ = ::mkstemp(name.data());
    if (fd_ >= 0) ::unlink(name.c_str());
  }
  if (fd_ < 0) throw FileError(folder_, std::string("cannot create a file in it: ") + std::strerror(errno));
}

ReplacementSpill::~ReplacementSpill() { ::close(fd_); }

Replacement ReplacementSpill::Append(std::string_view bytes) {
  std::lock_guard<std::mutex> lock(mutex_);
  Replacement r{end_, bytes.size()};
  for (size_t done = 0; done < bytes.size();) {
    const ssize_t n = ::pwrite(fd_, bytes.data() + done, bytes.size() - done, off_t(end_ + done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) throw FileError(folder_, "cannot write beside the output (disk full?)");
    done += size_t(n);
  }
  end_ += bytes.size();
  return r;
}

void CheckPictures(std::vector<PictureJob>& jobs, ReplacementSpill& spill) {
  Progress progress(jobs.size());
  std::atomic<size_t> next{0};
  auto work = [&] {
    for (size_t k; (k = next.fetch_add(1)) < jobs.size();) {
      PictureJob& job = jobs[k];
      uint64_t size = 0;
      try {
        const std::string bytes = ReadInput(job.path);
        size = bytes.size();
        job.result = CheckPicture(bytes);
        if (job.result.changed) {
          job.replacement = spill.Append(job.result.replacement);
          job.result.replacement = {};
        }
      } catch (const FileError& e) {
        job.error = e.what();
      } catch (const std::exception& e) {
        job.error = job.path + ": " + e.what();
      }
      progress.Add(size);
    }
  };
  const size_t threads = std::min<size_t>(std::max(1u, std::thread::hardware_concurrency()), jobs.size());
  std::vector<std::thread> pool;
  for (size_t t = 1; t < threads; ++t) pool.emplace_back(work);
  work();
  for (auto& t : pool) t.join();
}

}  // namespace tp::pack
