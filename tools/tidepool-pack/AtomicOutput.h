#pragma once
// Output that appears whole or not at all. A saver is written through core's AtomicFile;
// RemovedOnSignal takes its temporary file away also when the tool is ended by SIGINT,
// SIGTERM or SIGHUP while writing. A project folder is made beside its target and
// renamed to it when complete.
#include <string>

namespace tp::pack {

// While it lives, the file at path is removed when one of those signals ends the tool.
class RemovedOnSignal {
 public:
  explicit RemovedOnSignal(const std::string& path);
  ~RemovedOnSignal();
  RemovedOnSignal(const RemovedOnSignal&) = delete;
  RemovedOnSignal& operator=(const RemovedOnSignal&) = delete;
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
