#pragma once
// Output that appears whole or not at all: written to a temporary file (or folder) beside
// the target and renamed over it only when complete. A temporary file is removed when
// the writer is destroyed without Commit, and also when the tool is ended by SIGINT,
// SIGTERM or SIGHUP while writing.
#include <cstdio>
#include <string>

namespace tp::pack {

class AtomicFile {
 public:
  explicit AtomicFile(const std::string& target);  // throws when the file cannot be made
  ~AtomicFile();
  AtomicFile(const AtomicFile&) = delete;
  AtomicFile& operator=(const AtomicFile&) = delete;

  std::FILE* stream() { return file_; }
  // Closes, sets the mode and renames over the target; throws on failure.
  void Commit(unsigned mode);

 private:
  std::string target_, temp_;
  std::FILE* file_ = nullptr;
};

// A new empty folder beside target (target must not exist or be an empty folder);
// Commit renames it to target. Removed with its contents when not committed.
class AtomicFolder {
 public:
  explicit AtomicFolder(const std::string& target);
  ~AtomicFolder();
  AtomicFolder(const AtomicFolder&) = delete;
  AtomicFolder& operator=(const AtomicFolder&) = delete;

  const std::string& path() const { return temp_; }
  void Commit();

 private:
  std::string target_, temp_;
  bool committed_ = false;
};

}  // namespace tp::pack
