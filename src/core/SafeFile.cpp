#include "core/SafeFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <vector>

#include "core/Paths.h"

namespace tp {
namespace {

mode_t CurrentUmask() {
  // umask can only be read by setting it; put the old value straight back.
  mode_t mask = ::umask(022);
  ::umask(mask);
  return mask;
}

}  // namespace

bool WriteAll(int fd, std::string_view data) {
  size_t done = 0;
  while (done < data.size()) {
    ssize_t n = ::write(fd, data.data() + done, data.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    done += size_t(n);
  }
  return true;
}

ReadResult ReadWholeFile(const std::string& path, size_t maxBytes, std::string& out, FollowLinks follow) {
  out.clear();
  const int noFollow = follow == FollowLinks::No ? O_NOFOLLOW : 0;
  int fd = ::open(path.c_str(), O_RDONLY | noFollow | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) {
    if (errno == ENOENT || errno == ENOTDIR) return ReadResult::Missing;
    return errno == ELOOP ? ReadResult::NotRegular : ReadResult::Failed;
  }
  struct stat st{};
  if (::fstat(fd, &st) != 0) {
    ::close(fd);
    return ReadResult::Failed;
  }
  if (!S_ISREG(st.st_mode)) {
    ::close(fd);
    return ReadResult::NotRegular;
  }
  if (uint64_t(st.st_size) > maxBytes) {
    ::close(fd);
    return ReadResult::TooLarge;
  }
  out.resize(size_t(st.st_size));
  size_t got = 0;
  // The file may grow while it is read: read at most one byte past the bound to notice.
  while (true) {
    if (got == out.size()) out.resize(std::min(maxBytes + 1, got + 4096));
    ssize_t n = ::read(fd, out.data() + got, out.size() - got);
    if (n < 0) {
      if (errno == EINTR) continue;
      ::close(fd);
      out.clear();
      return ReadResult::Failed;
    }
    if (n == 0) break;
    got += size_t(n);
    if (got > maxBytes) {
      ::close(fd);
      out.clear();
      return ReadResult::TooLarge;
    }
  }
  ::close(fd);
  out.resize(got);
  return ReadResult::Ok;
}

AtomicFile::AtomicFile(const std::string& target) : target_(target) {
  const std::string dir = DirectoryOf(target);
  std::string tmpl = (dir.empty() ? std::string("./") : dir) + "." + BareFileName(target) + ".part-XXXXXX";
  // mkstemp creates the file exclusively (never through a link) with mode 0600.
  fd_ = ::mkstemp(tmpl.data());
  if (fd_ < 0) throw std::runtime_error(std::string("cannot create a file beside it: ") + std::strerror(errno));
  ::fcntl(fd_, F_SETFD, FD_CLOEXEC);
  temp_ = tmpl;
}

AtomicFile::~AtomicFile() {
  if (fd_ >= 0) ::close(fd_);
  if (!temp_.empty()) ::unlink(temp_.c_str());
}

bool AtomicFile::Write(std::string_view bytes) { return fd_ >= 0 && WriteAll(fd_, bytes); }

bool AtomicFile::Commit(mode_t mode, bool sync) {
  if (fd_ < 0) return false;
  bool ok = ::fchmod(fd_, mode & 0777) == 0;
  if (ok && sync && ::fsync(fd_) != 0) ok = false;
  if (::close(fd_) != 0) ok = false;
  fd_ = -1;
  // rename replaces the directory entry itself: a link at the target is replaced, its target untouched.
  if (ok && ::rename(temp_.c_str(), target_.c_str()) != 0) ok = false;
  if (ok) temp_.clear();
  return ok;
}

bool ReplaceFileAtomically(const std::string& path, std::string_view bytes) {
  mode_t mode = 0644 & ~CurrentUmask();
  struct stat st{};
  if (::lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode)) mode = st.st_mode & 0777;
  try {
    AtomicFile file(path);
    return file.Write(bytes) && file.Commit(mode);
  } catch (const std::runtime_error&) {
    return false;
  }
}

uint64_t CopyBytes(int in, int64_t offset, int out, uint64_t length, bool (*stopRequested)()) {
  uint64_t copied = 0;
  loff_t from = loff_t(offset);
  // Pieces of 16 MB, so that a request to end is noticed soon.
  constexpr uint64_t kPiece = 1u << 24;
  bool byKernel = true;
  std::vector<char> buffer;
  while (copied < length) {
    if (stopRequested && stopRequested()) break;
    const size_t piece = size_t(std::min(length - copied, kPiece));
    if (byKernel) {
      const ssize_t n = ::copy_file_range(in, &from, out, nullptr, piece, 0);
      if (n > 0) {
        copied += uint64_t(n);
        continue;
      }
      if (n == 0) break;  // end of input
      if (errno == EINTR) continue;
      byKernel = false;  // not supported between these files: copy by hand
    }
    if (buffer.empty()) buffer.resize(256 * 1024);
    const ssize_t n = ::pread(in, buffer.data(), std::min(piece, buffer.size()), off_t(from));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    if (!WriteAll(out, std::string_view(buffer.data(), size_t(n)))) break;
    from += n;
    copied += uint64_t(n);
  }
  return copied;
}

bool FolderIsWritable(const std::string& folder) {
  return ::access(folder.empty() ? "." : folder.c_str(), W_OK | X_OK) == 0;
}

bool MakeFolders(const std::string& folder) {
  if (folder.empty()) return false;
  std::string partial;
  size_t pos = 0;
  while (pos <= folder.size()) {
    size_t slash = folder.find('/', pos);
    partial = folder.substr(0, slash == std::string::npos ? folder.size() : slash);
    if (!partial.empty() && ::mkdir(partial.c_str(), 0755) != 0 && errno != EEXIST) return false;
    if (slash == std::string::npos) break;
    pos = slash + 1;
  }
  struct stat st{};
  return ::stat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace tp
