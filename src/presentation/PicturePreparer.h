#pragma once
// Prepares the next picture of the show on one low-priority worker thread while the
// current one is on screen, so that the change itself only swaps a finished picture in.
//
// The owner (the saver window, on its UI thread) says which picture it expects next with
// Start, asks for it at the change with Take, and drops it with Cancel. The worker runs
// the same preparing function the change would run on the spot, so a prepared picture
// and one loaded on the spot are identical; it touches no state of the show, the program
// random generator included. Stop (or the destructor) cancels and joins the worker; it
// must run before anything the preparing function reads is freed.
//
// A job usually reads one file, named by its path. A job that reads several (a folder
// show's pair of pictures) is named by their paths joined by JobOf; each of them is
// stamped, so a change to any one of them shows at Take.
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "platform/PictureView.h"
#include "presentation/PictureLoading.h"
#include "project/PackagedPicture.h"

namespace tp {

// A picture made ready for the show: a plain picture fitted, or a packaged picture read
// (without its objects) and scaled.
struct PreparedPicture {
  FittedPicture plain;
  std::vector<PictureView> views;  // folder shows: what the composed plain picture shows
  // Folder shows with motion: plain.picture is the picture at its path's largest scale,
  // shown over this static fill (empty: black); the moving picture's upright own size.
  Bitmap32 background;
  int originalWidth = 0, originalHeight = 0;
  std::unique_ptr<TProject> packaged;
  // Folder shows' pairs: files of the job that could not be shown, and why; the picture
  // shows the others.
  struct Failure {
    std::string path, reason;
  };
  std::vector<Failure> failures;
};

// What identifies a file's content cheaply: a prepared picture is used only when its
// file is still the one it was made from.
struct FileStamp {
  bool exists = false;
  uint64_t device = 0, inode = 0, size = 0;
  int64_t modifiedNs = 0;
  bool operator==(const FileStamp&) const = default;
};
FileStamp StampOf(const std::string& path);

// The job of several files: their paths joined by NUL, which no path holds. One path is
// its own job.
std::string JobOf(const std::vector<std::string>& paths);
// The paths a job reads (one for a job of one file).
std::vector<std::string> PathsOfJob(const std::string& job);

class TPicturePreparer {
 public:
  // Prepares path; throws when it cannot, and stops early (throwing) once cancel is true.
  using Work = std::function<PreparedPicture(const std::string& path, const std::atomic<bool>& cancel)>;

  explicit TPicturePreparer(Work work);
  ~TPicturePreparer();
  TPicturePreparer(const TPicturePreparer&) = delete;
  TPicturePreparer& operator=(const TPicturePreparer&) = delete;

  // Begins preparing path, unless it is already being prepared or ready. Any other job
  // is cancelled and its result dropped.
  void Start(const std::string& path);
  // The picture prepared for path. Waits while its job still runs. Empty when no job was
  // for path or its file changed or vanished since; the job's error is rethrown. Either
  // way the job is consumed.
  std::optional<PreparedPicture> Take(const std::string& path);
  // Drops the job and its result.
  void Cancel();
  // Cancels and joins the worker; Start does nothing afterwards.
  void Stop();

  // The path of the job held now ("" when none) and whether it still runs.
  std::string Path() const;
  bool Busy() const;
  // Waits at most limit for the job held now to finish; false when it still runs.
  bool WaitUntilDone(std::chrono::milliseconds limit);

 private:
  enum class JobState { None, Queued, Running, Done };
  void WorkerLoop();
  void CancelLocked();

  Work work_;
  mutable std::mutex mutex_;
  std::condition_variable wake_;  // a new job or stopping
  std::condition_variable done_;  // a job finished
  JobState state_ = JobState::None;
  std::string path_;
  uint64_t generation_ = 0;  // bumped for every new job, so a cancelled one is recognised
  std::shared_ptr<std::atomic<bool>> cancel_;
  std::vector<FileStamp> stamps_;
  std::optional<PreparedPicture> result_;
  std::exception_ptr error_;
  bool stopping_ = false;
  std::thread worker_;
};

}  // namespace tp
