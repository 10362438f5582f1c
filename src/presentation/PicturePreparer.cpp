#include "presentation/PicturePreparer.h"

#include <sys/stat.h>

#include <utility>

#include "platform/ThreadPriority.h"

namespace tp {

FileStamp StampOf(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return {};
  return FileStamp{true, uint64_t(st.st_dev), uint64_t(st.st_ino), uint64_t(st.st_size),
                   int64_t(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec};
}

std::string JobOf(const std::vector<std::string>& paths) {
  std::string job;
  for (size_t i = 0; i < paths.size(); ++i) {
    if (i > 0) job += '\0';
    job += paths[i];
  }
  return job;
}

std::vector<std::string> PathsOfJob(const std::string& job) {
  std::vector<std::string> paths;
  size_t from = 0;
  for (;;) {
    const size_t at = job.find('\0', from);
    paths.push_back(job.substr(from, at == std::string::npos ? std::string::npos : at - from));
    if (at == std::string::npos) return paths;
    from = at + 1;
  }
}

namespace {

std::vector<FileStamp> StampsOf(const std::string& job) {
  std::vector<FileStamp> stamps;
  for (const std::string& path : PathsOfJob(job)) stamps.push_back(StampOf(path));
  return stamps;
}

}  // namespace

TPicturePreparer::TPicturePreparer(Work work) : work_(std::move(work)) {}

TPicturePreparer::~TPicturePreparer() { Stop(); }

void TPicturePreparer::CancelLocked() {
  if (cancel_) cancel_->store(true, std::memory_order_relaxed);
  cancel_.reset();
  state_ = JobState::None;
  ++generation_;
  path_.clear();
  result_.reset();
  error_ = nullptr;
}

void TPicturePreparer::Start(const std::string& path) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (stopping_) return;
  if (state_ != JobState::None && path_ == path) return;
  CancelLocked();
  path_ = path;
  cancel_ = std::make_shared<std::atomic<bool>>(false);
  state_ = JobState::Queued;
  if (!worker_.joinable()) worker_ = std::thread([this] { WorkerLoop(); });
  wake_.notify_one();
}

std::optional<PreparedPicture> TPicturePreparer::Take(const std::string& path) {
  std::unique_lock<std::mutex> lock(mutex_);
  if (state_ == JobState::None || path_ != path) {
    CancelLocked();
    return std::nullopt;
  }
  const uint64_t generation = generation_;
  done_.wait(lock, [&] { return generation_ != generation || state_ == JobState::Done; });
  if (generation_ != generation) return std::nullopt;
  std::optional<PreparedPicture> result = std::move(result_);
  std::exception_ptr error = error_;
  const std::vector<FileStamp> stamps = std::move(stamps_);
  CancelLocked();
  lock.unlock();
  // A file replaced or gone since it was read is loaded again (or fails) on the spot.
  if (StampsOf(path) != stamps) return std::nullopt;
  if (error) std::rethrow_exception(error);
  return result;
}

void TPicturePreparer::Cancel() {
  std::lock_guard<std::mutex> lock(mutex_);
  CancelLocked();
}

void TPicturePreparer::Stop() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    CancelLocked();
    stopping_ = true;
  }
  wake_.notify_all();
  done_.notify_all();
  if (worker_.joinable()) worker_.join();
}

std::string TPicturePreparer::Path() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return path_;
}

bool TPicturePreparer::WaitUntilDone(std::chrono::milliseconds limit) {
  std::unique_lock<std::mutex> lock(mutex_);
  return done_.wait_for(lock, limit, [&] { return state_ != JobState::Queued && state_ != JobState::Running; });
}

bool TPicturePreparer::Busy() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return state_ == JobState::Queued || state_ == JobState::Running;
}

void TPicturePreparer::WorkerLoop() {
  LowerCurrentThreadPriority();
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    wake_.wait(lock, [&] { return stopping_ || state_ == JobState::Queued; });
    if (stopping_) return;
    state_ = JobState::Running;
    const uint64_t generation = generation_;
    const std::string path = path_;
    const std::shared_ptr<std::atomic<bool>> cancel = cancel_;
    lock.unlock();

    // The stamp is taken before reading, so any change during the read shows at Take.
    std::vector<FileStamp> stamps = StampsOf(path);
    std::optional<PreparedPicture> result;
    std::exception_ptr error;
    try {
      result = work_(path, *cancel);
    } catch (...) {
      error = std::current_exception();
    }

    lock.lock();
    if (generation == generation_ && state_ == JobState::Running) {
      state_ = JobState::Done;
      stamps_ = std::move(stamps);
      result_ = std::move(result);
      error_ = error;
      done_.notify_all();
    } else {
      // Cancelled meanwhile: the result is dropped outside the lock.
      lock.unlock();
      result.reset();
      error = nullptr;
      lock.lock();
    }
  }
}

}  // namespace tp
