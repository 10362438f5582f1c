#pragma once
// Reading and writing files next to files a stranger may have placed: reads take only
// regular files of bounded size; writes of our own files go to a fresh file in the same
// folder that is then renamed into place, so a link standing at the target's name is
// replaced, never written through.
#include <cstdint>
#include <string>
#include <string_view>
#include <sys/types.h>

namespace tp {

enum class ReadResult { Ok, Missing, NotRegular, TooLarge, Failed };
enum class FollowLinks { No, Yes };

// The one whole-file reader. Reads path into out when it is a regular file (not a FIFO,
// socket or device) of at most maxBytes; opening never blocks. With FollowLinks::No a link
// in the last component is refused (NotRegular). A file that grows past maxBytes while it
// is read is TooLarge.
ReadResult ReadWholeFile(const std::string& path, size_t maxBytes, std::string& out,
                         FollowLinks follow = FollowLinks::No);

// The one atomic writer: a new file beside the target (created exclusively, mode 0600,
// so never through a link), renamed over the target by Commit. Destroyed without Commit,
// the new file is removed.
class AtomicFile {
 public:
  // Throws std::runtime_error when the folder takes no new file.
  explicit AtomicFile(const std::string& target);
  ~AtomicFile();
  AtomicFile(const AtomicFile&) = delete;
  AtomicFile& operator=(const AtomicFile&) = delete;

  int fd() const { return fd_; }
  const std::string& tempPath() const { return temp_; }
  // Appends bytes; false when writing fails.
  bool Write(std::string_view bytes);
  // Gives the file mode (the permission bits only), syncs it when asked, and renames it
  // over the target. False, with the target untouched and the new file removed, when any
  // step fails.
  bool Commit(mode_t mode, bool sync = true);

 private:
  std::string target_, temp_;
  int fd_ = -1;
};

// Writes bytes to a new file beside path and renames it over path. The new file gets
// the permission bits of the regular file it replaces (without set-id and sticky bits),
// else 0644 masked by the umask. False, and path untouched, when any step fails.
bool ReplaceFileAtomically(const std::string& path, std::string_view bytes);

// Writes all of data to fd, going on after interrupted or partial writes.
bool WriteAll(int fd, std::string_view data);

// The one copy loop between descriptors: length bytes of in from offset (pread-style, so
// a shared descriptor's position never moves) to out at its position; copied by the
// kernel where it can, by hand where it cannot. Stops early at the end of in, on an
// error, and when the program is asked to end (stopRequested, when given, returns true).
// Returns the number of bytes copied.
uint64_t CopyBytes(int in, int64_t offset, int out, uint64_t length, bool (*stopRequested)() = nullptr);

// True when the process may create files in the folder.
bool FolderIsWritable(const std::string& folder);

// Creates the folder and its missing parents (0755 masked by the umask).
bool MakeFolders(const std::string& folder);

}  // namespace tp
